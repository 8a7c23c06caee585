// Television snow: a picture filled with noise from a 31-bit shift register
// whose state carries over from call to call, so every frame of the snow is
// fresh.
#include <cstdio>

#include "effets.h"

Uint32 GraineNeige = 0x12345;

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
    for (Uint32 i = 0; i < total; ++i) {
        const Uint16 s = static_cast<Uint16>(GraineNeige);
        const Uint16 t = static_cast<Uint16>((s >> 3) ^ s);
        const Uint32 bit = t & 1u;
        GraineNeige = (GraineNeige >> 1) | (bit << 30);
        const Uint32 g = (t >> 1) & 255u;
        // The grey level is laid raw at the three channel positions; the
        // overlapping copies give a speckled tint rather than a clean grey.
        pixels[i] = static_cast<Uint16>((g << 11) | (g << 5) | g);
    }
    if (verrou) SDL_UnlockSurface(surface);
}
