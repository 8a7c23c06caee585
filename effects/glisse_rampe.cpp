// A logo sliding along a ramp: the logo is drawn as one-pixel-wide columns,
// each standing on the silhouette of a ramp mask at its own x, so that it
// bends over the slope as it crosses the screen from right to left.
#include <cstdio>
#include <cstdlib>
#include <memory>

#include "effets.h"

namespace {

struct LibereSurface {
    void operator()(SDL_Surface* surface) const { SDL_FreeSurface(surface); }
};
using SurfaceTravail = std::unique_ptr<SDL_Surface, LibereSurface>;

struct LibereTable {
    void operator()(Uint16* table) const { std::free(table); }
};
using TableHauteurs = std::unique_ptr<Uint16, LibereTable>;

// Blits one column of the logo (the logo's rectangle already names it) with
// its top `hauteur` rows above the ramp height `sol`.
void PoseColonne(StructImage_t* logo, Ecran* screen, int x, Uint16 sol) {
    SDL_Rect cible{static_cast<Sint16>(x),
                   static_cast<Sint16>(static_cast<Uint16>(sol - logo->height)), 1, logo->height};
    SDL_BlitSurface(logo->surface, &logo->rect, screen->surface, &cible);
}

}  // namespace

Uint16* ProfilRampe(StructImage_t* mask) {
    const int w = mask->width;
    const int h = mask->height;
    Uint16* table = static_cast<Uint16*>(std::calloc(static_cast<size_t>(w) + 1, sizeof(Uint16)));
    if (!table) return nullptr;
    SDL_Surface* surface = mask->surface;
    const bool verrou = SDL_MUSTLOCK(surface);
    if (verrou && SDL_LockSurface(surface) < 0) {
        std::fprintf(stderr, "Impossible de locker l'ecran\n");
        std::free(table);
        return nullptr;
    }
    // Rows of the mask are `width` words apart (the catalogue only takes even
    // widths, so this is also the surface's pitch).
    const Uint16* pixels = static_cast<const Uint16*>(surface->pixels);
    for (int i = 0; i < w; ++i) {
        for (int j = 0; j < h; ++j) {
            if (pixels[j * w + i] != 0) {
                // The row just above the ramp's top; row 0 wraps to 65535.
                table[i] = static_cast<Uint16>(j - 1);
                break;
            }
        }
    }
    if (verrou) SDL_UnlockSurface(surface);
    return table;
}

void GlisseRampe(StructImage_t* logo, Ecran* screen, StructImage_t* mask, Uint8 step) {
    logo->rect = SDL_Rect{0, 0, 1, logo->height};
    SurfaceTravail fond(SDL_CreateRGBSurface(SDL_HWSURFACE, screen->width, screen->height,
                                             screen->depth, 0, 0, 0, 0));
    if (fond) {
        SDL_Rect origine{0, 0, 0, 0};
        SDL_BlitSurface(screen->surface, &screen->rect, fond.get(), &origine);
    }
    TableHauteurs table(ProfilRampe(mask));
    // Without a height table there is nothing to stand the logo on.
    if (!table) return;
    const Uint16* sol = table.get();

    SDL_Rect plein{0, 0, screen->width, screen->height};
    auto restaure = [&] {
        if (fond) SDL_BlitSurface(fond.get(), &plein, screen->surface, &screen->rect);
    };

    // Entry: the logo's left edge at x = pos, from the mask's right edge
    // leftwards. Columns past the screen's right edge (or the table's end)
    // are not drawn.
    const int limite = screen->width < mask->width ? screen->width : mask->width;
    Uint16 pos = mask->width;
    while (pos >= step) {
        restaure();
        for (int col = 0; col < logo->width; ++col) {
            const int k = pos + col;
            if (k > limite) break;
            logo->rect.x = static_cast<Sint16>(col);
            PoseColonne(logo, screen, k, sol[k]);
        }
        if (TestClavier() == 1) return;
        AfficheTrame(screen->surface);
        pos = static_cast<Uint16>(pos - step);
    }

    // Exit: the logo carries on leftwards, its left edge at
    // -step - (logo width - pos), cut at the screen's left edge.
    pos = logo->width;
    while (pos >= step) {
        restaure();
        for (int col = 0; col <= pos && col <= mask->width; ++col) {
            logo->rect.x = static_cast<Sint16>(col + logo->width - pos);
            PoseColonne(logo, screen, col - step, sol[col]);
        }
        if (TestClavier() == 1) break;
        AfficheTrame(screen->surface);
        pos = static_cast<Uint16>(pos - step);
    }
}
