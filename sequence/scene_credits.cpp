// Sixth scene: the credits. Three blocks, one per role: the label, then the
// portrait and the name under the frame overlay, the lower band blurred away
// to black, and the 21-frame animation at 40 ms a frame.
#include "effets.h"
#include "scenes.h"

namespace {

struct BlocCredits {
    Im label;
    Im portrait;
    Im nom;
};

constexpr BlocCredits kBlocs[3] = {
    {Im::Code, Im::ImgKabo, Im::Kabo},
    {Im::Zic, Im::ImgDolo, Im::Dolo},
    {Im::Gfx, Im::ImgKabo, Im::Kabo},
};

constexpr int kImagesAnimation = 21;

// Blits a whole picture at its own rectangle (its top-left corner).
void DessineEnPlace(StructImage_t* image, SDL_Surface* ecran) {
    SDL_BlitSurface(image->surface, &image->rect, ecran, &image->rect);
}

// Blits a whole picture at (x, y) through the scene's rectangle.
void DessineEn(StructImage_t* image, SDL_Surface* ecran, SDL_Rect* rect, Sint16 x, Sint16 y) {
    *rect = SDL_Rect{x, y, image->width, image->height};
    SDL_BlitSurface(image->surface, &image->rect, ecran, rect);
}

}  // namespace

void SceneCredits(Ecran* ecran, const Catalogue* catalogue) {
    SDL_Surface* surface = ecran->surface;
    StructImage_t* cadre = Img(catalogue, Im::Fin);
    SDL_Rect rect{0, 0, 0, 0};

    for (const BlocCredits& bloc : kBlocs) {
        StructImage_t* label = Img(catalogue, bloc.label);
        StructImage_t* nom = Img(catalogue, bloc.nom);

        DessineEn(label, surface, &rect, 10, 345);
        AfficheTrame(surface);

        // The overlay lies over the portrait, the name over the overlay. The
        // name's x is the label's 16-bit width plus 30.
        DessineEnPlace(Img(catalogue, bloc.portrait), surface);
        SDL_BlitSurface(cadre->surface, &cadre->rect, surface, &ecran->rect);
        DessineEn(nom, surface, &rect, static_cast<Sint16>(label->width + 30), 390);
        AfficheTrame(surface);

        // The band under the portrait blurs away; the pass that makes it
        // black is shown by the animation's first frame.
        for (;;) {
            if (Flou(ecran, 0, 350, 640, 130, 1) != 1) break;
            if (TestClavier() != 0) break;
            AfficheTrame(surface);
        }

        for (int k = 0; k < kImagesAnimation; ++k) {
            DessineEnPlace(Img(catalogue, static_cast<Im>(static_cast<int>(Im::Molkar01) + k)),
                           surface);
            SDL_BlitSurface(cadre->surface, &cadre->rect, surface, &ecran->rect);
            AfficheTrame(surface);
            Attente(40);
        }

        SDL_FillRect(surface, &ecran->rect, SDL_MapRGB(surface->format, 0, 0, 0));
        SDL_BlitSurface(cadre->surface, &cadre->rect, surface, &ecran->rect);
        AfficheTrame(surface);
    }
    Attente(1000);
}
