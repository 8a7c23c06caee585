// Horizontal slide: a picture crosses the screen sideways over the screen
// content of the moment, one position per frame, and stops on the first
// position past its limit, wherever the screen's edges cut the picture.
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
    // The slide keeps its own column: the clipped blit writes its rectangle
    // back into `cible`, which would pin a picture cut at the left edge to
    // x 0 and never let it pass a limit left of the screen. The row is the
    // blit's: a picture cut at the top carries on from row 0.
    SDL_Rect cible{xFrom, y, image->width, image->height};
    Sint16 x = xFrom;
    for (;;) {
        if (fond) SDL_BlitSurface(fond.get(), &screen->rect, screen->surface, &screen->rect);
        x = static_cast<Sint16>(x + delta);
        cible.x = x;
        SDL_BlitSurface(image->surface, &image->rect, screen->surface, &cible);
        AfficheTrame(screen->surface);
        if (versDroite ? x > xTo : x < xTo) break;
        // The key is looked at only once a frame is on the screen.
        if (TestClavier() == 1) break;
    }
}
