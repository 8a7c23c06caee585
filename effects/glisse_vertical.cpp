// Vertical slide: a picture falls into place or rises out of view over the
// screen content of the moment, one position per frame. Passing the screen
// itself as the picture shakes the whole screen by a few rows.
#include <memory>

#include "effets.h"

namespace {

struct LibereSurface {
    void operator()(SDL_Surface* surface) const { SDL_FreeSurface(surface); }
};
using SurfaceTravail = std::unique_ptr<SDL_Surface, LibereSurface>;

}  // namespace

void GlisseVertical(StructImage_t* image, Ecran* screen, Sint16 yFrom, Sint16 yTo, Sint16 x,
                    Uint8 step) {
    // The background of every frame: the screen as it is now.
    SurfaceTravail fond(SDL_CreateRGBSurface(SDL_HWSURFACE, screen->width, screen->height,
                                             screen->depth, 0, 0, 0, 0));
    if (fond) {
        SDL_Rect origine{0, 0, 0, 0};
        SDL_BlitSurface(screen->surface, &screen->rect, fond.get(), &origine);
    }

    // When the screen is its own picture, draw it from the saved copy: the
    // copy holds the restored pixels, and reading it never overlaps the
    // rows being written.
    const bool ecranLuiMeme = image == screen || image->surface == screen->surface;
    SDL_Surface* source = image->surface;
    if (ecranLuiMeme && fond) source = fond.get();

    const bool descend = yFrom < yTo;
    const Sint8 delta = static_cast<Sint8>(descend ? step : -step);
    // The clipped blit writes x back into this rectangle, and later frames
    // keep it; y is set afresh every frame.
    SDL_Rect cible{x, yFrom, image->width, image->height};
    Sint16 y = yFrom;
    for (;;) {
        if (TestClavier() == 1) break;
        if (fond) SDL_BlitSurface(fond.get(), &screen->rect, screen->surface, &screen->rect);
        cible.y = y;
        SDL_BlitSurface(source, &image->rect, screen->surface, &cible);
        AfficheZone(screen->surface, screen->rect.x, screen->rect.y, screen->rect.w,
                    screen->rect.h);
        y = static_cast<Sint16>(y + delta);
        if (descend ? y >= yTo : y <= yTo) break;
    }
}
