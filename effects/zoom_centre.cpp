// Centre zoom: a screen-sized picture opens out of its centre pixel until it
// fills the screen (positive step), or closes into it (negative step). Each
// frame shows a centred window of the picture, `a` rows tall and of the
// screen's aspect, stretched over the whole screen by nearest-sample stepping
// in 8.8 fixed point.
#include <cstdio>

#include "effets.h"

void ZoomCentre(StructImage_t* image, Ecran* screen, Sint8 step) {
    const int W = screen->width;
    const int H = screen->height;
    // The picture is read as rows of the screen's width; the catalogue only
    // lets a screen-sized picture through, and nothing else is read here.
    if (image->width != W || image->height != H) {
        std::fprintf(stderr, "ZoomCentre : image de %ux%u, %ux%u attendue\n",
                     static_cast<unsigned>(image->width), static_cast<unsigned>(image->height),
                     static_cast<unsigned>(W), static_cast<unsigned>(H));
        return;
    }
    const float r = static_cast<float>(W) / static_cast<float>(H);
    const bool rentre = step < 0;
    Uint16 a = rentre ? static_cast<Uint16>(H) : 0;
    const int total = W * H;

    for (;;) {
        if (TestClavier() == 1) return;
        SDL_Surface* surface = screen->surface;
        const bool verrou = SDL_MUSTLOCK(surface);
        if (verrou && SDL_LockSurface(surface) < 0) {
            std::fprintf(stderr, "Impossible de locker l'ecran\n");
            return;
        }
        const Uint16* src = static_cast<const Uint16*>(image->surface->pixels);
        Uint16* dst = static_cast<Uint16*>(surface->pixels);

        // Left margin of the window, in source columns.
        const int c = static_cast<Sint16>(static_cast<int>(W - a * static_cast<double>(r))) >> 1;
        const int pasColonne = ((W - 1 - c) - c) * 256 / W;
        const int pasLigne = a * 256 / H;
        int ligne = ((H - a) >> 1) * 256;

        for (int i = 0; i < H; ++i) {
            int pos = ((ligne >> 8) * W + c) * 256;
            Uint16* sortie = dst + i * W;
            for (int j = 0; j < W; ++j) {
                const int k = pos >> 8;
                if (k >= 0 && k < total) sortie[j] = src[k];
                pos += pasColonne;
            }
            ligne += pasLigne;
        }

        if (verrou) SDL_UnlockSurface(surface);
        AfficheTrame(surface);

        a = static_cast<Uint16>(a + step);
        if (rentre) {
            // A step that does not divide the height would wrap past 0:
            // the zoom ends there as it would on reaching 0.
            if (a == 0 || a > H) return;
        } else if (a > H) {
            return;
        }
    }
}
