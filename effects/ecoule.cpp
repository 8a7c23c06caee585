// The drain: the picture on the screen is cut into strips 4 pixels wide that
// fall at their own random speeds, uncovering a background picture (or black).
#include <cstdio>
#include <cstdlib>
#include <memory>

#include "effets.h"
#include "hasard.h"

namespace {

constexpr Uint8 kLargeurBande = 4;

struct LibereSurface {
    void operator()(SDL_Surface* surface) const { SDL_FreeSurface(surface); }
};
using SurfaceTemporaire = std::unique_ptr<SDL_Surface, LibereSurface>;

struct LibereTable {
    void operator()(void* table) const { std::free(table); }
};

// A strip's own speed, 1 to 9 pixels per frame. The production's generator is
// taken as a 15-bit source (0 to 32767), one draw at a time.
Uint8 TireVitesse() {
    Uint8 vitesse;
    do {
        const int tirage = TirageHasard() & 0x7FFF;
        vitesse = static_cast<Uint8>(tirage * 10.0 / 32768.0);
    } while (vitesse == 0);
    return vitesse;
}

}  // namespace

void Ecoule(Ecran* screen, StructImage_t* background, Uint8 speed) {
    const Uint16 bandes = screen->width / kLargeurBande;
    std::unique_ptr<Uint8, LibereTable> vitesses(static_cast<Uint8*>(std::malloc(bandes)));
    if (!vitesses) {
        std::fprintf(stderr, "Erreur dans l'allocation(1) de la fonction 'Ecoule()'\n");
        return;
    }
    std::unique_ptr<Uint16, LibereTable> decalages(
        static_cast<Uint16*>(std::malloc(bandes * sizeof(Uint16))));
    if (!decalages) {
        std::fprintf(stderr, "Erreur dans l'allocation(2) de la fonction 'Ecoule()'\n");
        return;
    }
    for (Uint16 k = 0; k < bandes; ++k) {
        vitesses.get()[k] = TireVitesse();
        decalages.get()[k] = 0;
    }

    // The picture that drains, kept aside: the strips are cut from it.
    SurfaceTemporaire image(SDL_CreateRGBSurface(SDL_HWSURFACE, screen->width, screen->height,
                                                 screen->depth, 0, 0, 0, 0));
    if (!image) {
        std::fprintf(stderr, "Impossible de creer la surface de l'ecoulement : %s\n",
                     SDL_GetError());
        return;
    }
    SDL_BlitSurface(screen->surface, &screen->rect, image.get(), &screen->rect);

    // Each strip is drawn at the offset the strip to its left has just reached;
    // strip 0 at the offset the last strip reached in the previous frame.
    Sint16 yCourant = 0;
    // Strips counted as gone: one more per frame once the last strip has
    // passed the bottom edge. Held wider than the strip count can grow, so the
    // drain ends at any screen width.
    Uint16 partis = 1;
    while (partis < bandes && TestClavier() != 1) {
        if (background) {
            SDL_BlitSurface(background->surface, &screen->rect, screen->surface, &screen->rect);
        } else {
            SDL_FillRect(screen->surface, &screen->rect,
                         SDL_MapRGB(screen->surface->format, 0, 0, 0));
        }
        for (Uint16 k = 0; k < bandes; ++k) {
            const Sint16 x = static_cast<Sint16>(k * kLargeurBande);
            SDL_Rect source{x, 0, kLargeurBande, screen->height};
            SDL_Rect destination{x, yCourant, kLargeurBande, screen->height};
            SDL_BlitSurface(image.get(), &source, screen->surface, &destination);
            decalages.get()[k] =
                static_cast<Uint16>(decalages.get()[k] + vitesses.get()[k] + speed);
            yCourant = static_cast<Sint16>(decalages.get()[k]);
        }
        if (yCourant > screen->height) ++partis;
        AfficheTrame(screen->surface);
    }
}
