// Straight-line moves of a picture between two screen positions, with the
// same integer line walk as the line table. DeplaceImage animates the picture
// over the saved screen and shows every step; TraceImage stamps it at every
// step into the screen without showing anything, which leaves a trail.
#include <cstdlib>
#include <memory>

#include "effets.h"

namespace {

struct LibereSurface {
    void operator()(SDL_Surface* surface) const { SDL_FreeSurface(surface); }
};
using Surface = std::unique_ptr<SDL_Surface, LibereSurface>;

// A full-screen copy of what the screen shows now.
Surface SauveEcran(Ecran* screen) {
    Surface copie(SDL_CreateRGBSurface(SDL_HWSURFACE, screen->width, screen->height, screen->depth,
                                       0, 0, 0, 0));
    if (copie) {
        SDL_Rect origine{0, 0, screen->width, screen->height};
        SDL_BlitSurface(screen->surface, &screen->rect, copie.get(), &origine);
    }
    return copie;
}

void PoseImage(StructImage_t* image, Ecran* screen, int x, int y) {
    SDL_Rect position{static_cast<Sint16>(x), static_cast<Sint16>(y), 0, 0};
    SDL_BlitSurface(image->surface, &image->rect, screen->surface, &position);
}

// Walks from (x0, y0) to (x1, y1) by `step` pixels along the longer axis and
// calls `dessine` at every position but the start; stops when it returns false.
template <typename Dessin>
void Marche(int x0, int y0, int x1, int y1, int step, Dessin dessine) {
    const int dx = std::abs(x1 - x0);
    const int dy = std::abs(y1 - y0);
    const int sx = x0 < x1 ? step : -step;
    const int sy = y0 < y1 ? step : -step;
    int x = x0;
    int y = y0;
    if (dx > dy) {
        int err = dx / 2;
        for (int i = 0; i < dx; i += step) {
            x += sx;
            err += dy;
            if (err > dx) {
                err -= dx;
                y += sy;
            }
            if (!dessine(x, y)) return;
        }
    } else {
        int err = dy / 2;
        for (int i = 0; i < dy; i += step) {
            y += sy;
            err += dx;
            if (err > dy) {
                err -= dy;
                x += sx;
            }
            if (!dessine(x, y)) return;
        }
    }
}

}  // namespace

void DeplaceImage(StructImage_t* image, Ecran* screen, Sint16 x0, Sint16 y0, Sint16 x1, Sint16 y1,
                  Uint8 step) {
    // A step of 0 would never reach the end point: nothing moves.
    if (step == 0) return;
    Surface fond = SauveEcran(screen);
    if (!fond) return;
    Marche(x0, y0, x1, y1, step, [&](int x, int y) {
        SDL_BlitSurface(fond.get(), nullptr, screen->surface, &screen->rect);
        PoseImage(image, screen, x, y);
        AfficheTrame(screen->surface);
        return TestClavier() != 1;
    });
}

void TraceImage(StructImage_t* image, Ecran* screen, Sint16 x0, Sint16 y0, Sint16 x1, Sint16 y1) {
    Surface fond = SauveEcran(screen);
    if (!fond) return;
    SDL_BlitSurface(fond.get(), nullptr, screen->surface, &screen->rect);
    Marche(x0, y0, x1, y1, 1, [&](int x, int y) {
        PoseImage(image, screen, x, y);
        return TestClavier() != 1;
    });
}
