// Television snow: a picture filled with noise from a 31-bit shift register
// whose state carries over from call to call, so every frame of the snow is
// fresh.
#include <cstdio>

#include "effets.h"

Uint32 GraineNeige = 0x12345;

namespace {

// The pixel of one step of the register from state `etat`; the new bit is
// the low bit of t.
inline Uint16 PixelNeige(Uint32 etat, Uint32* bit) {
    const Uint16 s = static_cast<Uint16>(etat);
    const Uint16 t = static_cast<Uint16>((s >> 3) ^ s);
    *bit = t & 1u;
    // The grey level is laid raw at the three channel positions; the
    // overlapping copies give a speckled tint rather than a clean grey.
    const Uint32 g = (t >> 1) & 255u;
    return static_cast<Uint16>((g << 11) | (g << 5) | g);
}

}  // namespace

void Neige(SDL_Surface* surface, SDL_Rect rect) {
    const bool verrou = SDL_MUSTLOCK(surface);
    if (verrou && SDL_LockSurface(surface) < 0) {
        std::fprintf(stderr, "Impossible de locker l'ecran\n");
        return;
    }
    Uint16* pixels = static_cast<Uint16*>(surface->pixels);
    // Pixels run as one array of width x height words from the start of the
    // surface. The count is wide so that pictures of any size end; it never
    // runs past the surface's own memory.
    Uint32 total = static_cast<Uint32>(rect.w) * rect.h;
    const Uint32 capacite = static_cast<Uint32>(surface->pitch / 2) * surface->h;
    if (total > capacite) total = capacite;

    Uint32 etat = GraineNeige;
    Uint32 i = 0;
    // One step: the state shifts right and the new bit enters at bit 30
    // (OR-ed with whatever bit 31 held, which only a first step can meet).
    auto pas = [&]() {
        Uint32 bit;
        pixels[i++] = PixelNeige(etat, &bit);
        etat = (etat >> 1) | (bit << 30);
    };
    if (i < total && (etat >> 31) != 0) pas();
    // Sixteen steps at once. A bit that enters at bit 30 comes down into the
    // low 16 bits, which a step reads, only 16 steps later; so the sixteen
    // steps from a state read its bits k to k + 15 untouched, and the state
    // after them is its top 15 bits with the sixteen new bits above them.
    while (total - i >= 16) {
        Uint32 nouveaux = 0;
        for (Uint32 k = 0; k < 16; ++k) {
            Uint32 bit;
            pixels[i + k] = PixelNeige(etat >> k, &bit);
            nouveaux |= bit << k;
        }
        etat = (etat >> 16) | (nouveaux << 15);
        i += 16;
    }
    while (i < total) pas();
    GraineNeige = etat;
    if (verrou) SDL_UnlockSurface(surface);
}
