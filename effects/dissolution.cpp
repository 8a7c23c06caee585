// The threshold dissolve: a threshold rises every frame and each screen pixel
// whose mask value is at or below it takes the new picture's pixel (or black),
// so the old picture goes in the order the mask gives, dark parts first.
#include <cstdio>

#include "effets.h"

// The mask and the background are read as screen-sized arrays of 16-bit
// words: the catalogue requires both pictures to be screen-sized.
void Dissolution(StructImage_t* mask, Ecran* screen, StructImage_t* background, Uint8 step) {
    SDL_Surface* surface = screen->surface;
    const size_t n = static_cast<size_t>(screen->width) * screen->height;
    const Uint16* seuils = static_cast<const Uint16*>(mask->surface->pixels);
    const Uint16* nouvelle =
        background ? static_cast<const Uint16*>(background->surface->pixels) : nullptr;
    const Uint32 pas = static_cast<Uint32>(step) * 100;

    Uint32 seuil = 0;
    for (;;) {
        if (TestClavier() == 1) return;
        if (SDL_MUSTLOCK(surface) && SDL_LockSurface(surface) < 0) {
            std::fprintf(stderr, "Impossible de locker l'ecran\n");
            return;
        }
        Uint16* ecran = static_cast<Uint16*>(surface->pixels);
        if (nouvelle) {
            for (size_t i = 0; i < n; ++i) {
                if (seuils[i] <= seuil) ecran[i] = nouvelle[i];
            }
        } else {
            for (size_t i = 0; i < n; ++i) {
                if (seuils[i] <= seuil) ecran[i] = 0;
            }
        }
        if (SDL_MUSTLOCK(surface)) SDL_UnlockSurface(surface);
        AfficheTrame(surface);
        seuil += pas;
        if (seuil >= 65535) return;
    }
}
