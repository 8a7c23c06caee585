// The film-leader countdown: over a cinema background, the digits 5 to 0
// follow each other one per second, a circle jumps and a grey scratch
// flickers at new random places every frame, and every frame judders down.
#include <cstdlib>

#include "effets.h"
#include "hasard.h"
#include "scenes.h"

namespace {

// The digit of the moment: each second's window is open at both ends from
// the second one on, so a frame exactly on a whole second shows none.
StructImage_t* Chiffre(const Catalogue* catalogue, Uint32 ecoule) {
    if (ecoule < 1000) return Img(catalogue, Im::Decompte5);
    if (ecoule > 1000 && ecoule < 2000) return Img(catalogue, Im::Decompte4);
    if (ecoule > 2000 && ecoule < 3000) return Img(catalogue, Im::Decompte3);
    if (ecoule > 3000 && ecoule < 4000) return Img(catalogue, Im::Decompte2);
    if (ecoule > 4000 && ecoule < 5000) return Img(catalogue, Im::Decompte1);
    if (ecoule > 5000 && ecoule < 6000) return Img(catalogue, Im::Decompte0);
    return nullptr;
}

// A random place in 0 .. span - 1, from one draw of the production's sequence
// (the one the drain also draws from) taken as a value from 0 to 32767: the
// single-precision product, divided in double precision, truncated. The
// generator draws 31 bits; their low 15 keep every place on the screen.
Sint16 Hasard(float span) {
    const int tirage = TirageHasard() & 0x7FFF;
    return static_cast<Sint16>(tirage * span / 32768.0);
}

}  // namespace

void SceneDecompte(Ecran* ecran, const Catalogue* catalogue) {
    const Uint32 debut = Horloge();
    StructImage_t* cinema = Img(catalogue, Im::Cinema);
    StructImage_t* cercle = Img(catalogue, Im::Cercle);
    StructImage_t* cinq = Img(catalogue, Im::Decompte5);

    // Every digit shares the top-left corner that centres the 5.
    SDL_Rect rectChiffre{static_cast<Sint16>((640 - cinq->width) / 2),
                         static_cast<Sint16>((480 - cinq->height) / 2), cinq->width, cinq->height};
    SDL_Rect rectCercle{0, 0, cercle->width, cercle->height};
    SDL_Rect rayure{0, 0, 2, 480};
    const float largeurCercle = static_cast<float>(640 - cercle->width);
    const float hauteurCercle = static_cast<float>(480 - cercle->height);

    Uint32 maintenant = Horloge();
    for (;;) {
        const Uint32 ecoule = maintenant - debut;
        if (ecoule >= 6000) break;
        if (TestClavier() == 1) break;
        rectCercle.x = Hasard(largeurCercle);
        rectCercle.y = Hasard(hauteurCercle);
        rayure.x = Hasard(638.0f);

        SDL_BlitSurface(cinema->surface, &cinema->rect, ecran->surface, &ecran->rect);
        if (StructImage_t* chiffre = Chiffre(catalogue, ecoule)) {
            SDL_BlitSurface(chiffre->surface, &chiffre->rect, ecran->surface, &rectChiffre);
        }
        SDL_BlitSurface(cercle->surface, &cercle->rect, ecran->surface, &rectCercle);
        SDL_FillRect(ecran->surface, &rayure, SDL_MapRGB(ecran->surface->format, 70, 70, 70));
        AfficheTrame(ecran->surface);
        // The judder: the finished picture shown moved down by 0, 6 and 12
        // rows. A key here ends the judder only.
        GlisseVertical(ecran, ecran, 0, 15, 0, 6);
        AfficheTrame(ecran->surface);
        maintenant = Horloge();
    }
    // Black for the group logo to open on; the next scene shows it.
    SDL_FillRect(ecran->surface, &ecran->rect, 0);
}
