// The colour flash: the picture on the screen blinks under a half-transparent
// veil of one colour, a given number of times, and is the same afterwards.
#include <cstdio>
#include <memory>

#include "effets.h"

namespace {

struct LibereSurface {
    void operator()(SDL_Surface* surface) const { SDL_FreeSurface(surface); }
};
using SurfaceTemporaire = std::unique_ptr<SDL_Surface, LibereSurface>;

SurfaceTemporaire CreeSurfaceEcran(const Ecran* screen) {
    return SurfaceTemporaire(SDL_CreateRGBSurface(SDL_HWSURFACE, screen->width, screen->height,
                                                  screen->depth, 0, 0, 0, 0));
}

}  // namespace

// count 0 counts as 256 cycles; each half of a cycle lasts period / 2 ms.
void FlashCouleur(Ecran* screen, Uint8 count, Uint16 period, Uint8 r, Uint8 g, Uint8 b) {
    SurfaceTemporaire saved = CreeSurfaceEcran(screen);
    SurfaceTemporaire veil = CreeSurfaceEcran(screen);
    if (!saved || !veil) {
        std::fprintf(stderr, "Impossible de creer les surfaces du flash : %s\n", SDL_GetError());
        return;
    }

    // The veil is drawn at half opacity over whatever the screen shows.
    SDL_FillRect(veil.get(), &screen->rect, SDL_MapRGB(veil->format, r, g, b));
    SDL_SetAlpha(veil.get(), SDL_SRCALPHA, 128);
    SDL_BlitSurface(screen->surface, &screen->rect, saved.get(), &screen->rect);

    const Uint16 half = period / 2;
    for (;;) {
        if (TestClavier() == 1) break;
        SDL_BlitSurface(veil.get(), &screen->rect, screen->surface, &screen->rect);
        AfficheTrame(screen->surface);
        Attente(half);
        SDL_BlitSurface(saved.get(), &screen->rect, screen->surface, &screen->rect);
        AfficheTrame(screen->surface);
        Attente(half);
        // 8-bit count: starting from 0 it wraps to 255 and runs 256 cycles.
        --count;
        if (count == 0) break;
    }
    AfficheTrame(screen->surface);
}
