// Horizontal slide: a picture crosses the screen sideways over the screen
// content of the moment, one position per frame, and stops on the first
// position past its limit.
#include <memory>

#include "effets.h"

namespace {

struct LibereSurface {
    void operator()(SDL_Surface* surface) const { SDL_FreeSurface(surface); }
};
using SurfaceTravail = std::unique_ptr<SDL_Surface, LibereSurface>;

}  // namespace

void GlisseHorizontal(StructImage_t* image, Ecran* screen, Sint16 xFrom, Sint16 xTo, Sint16 y,
                      Uint8 step) {
    SurfaceTravail fond(SDL_CreateRGBSurface(SDL_HWSURFACE, screen->width, screen->height,
                                             screen->depth, 0, 0, 0, 0));
    if (fond) {
        SDL_Rect origine{0, 0, 0, 0};
        SDL_BlitSurface(screen->surface, &screen->rect, fond.get(), &origine);
    }

    const bool versDroite = xFrom < xTo;
    const Sint8 delta = static_cast<Sint8>(versDroite ? step : -step);
    // The clipped blit writes its rectangle back here and the next frame
    // moves on from it: a picture cut at the left edge carries on from x 0.
    SDL_Rect cible{xFrom, y, image->width, image->height};
    for (;;) {
        if (fond) SDL_BlitSurface(fond.get(), &screen->rect, screen->surface, &screen->rect);
        cible.x = static_cast<Sint16>(cible.x + delta);
        SDL_BlitSurface(image->surface, &image->rect, screen->surface, &cible);
        AfficheTrame(screen->surface);
        if (versDroite ? cible.x > xTo : cible.x < xTo) break;
        // The key is looked at only once a frame is on the screen.
        if (TestClavier() == 1) break;
    }
}
