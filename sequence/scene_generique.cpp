// The closing text crawl: the tall text picture scrolls up over its
// background, every screen row showing one row of the text squeezed into a
// span centred on the screen, 142 pixels wide at the top row and the full 640
// at the bottom, so the text recedes into the distance as it rises.
#include <array>

#include "effets.h"
#include "scenes.h"

void SceneGenerique(Ecran* ecran, const Catalogue* catalogue) {
    StructImage_t* texte = Img(catalogue, Im::GenSW);
    StructImage_t* fond = Img(catalogue, Im::FondSW);

    // Row insets: screen row r shows its text row from column marge[r] over
    // 640 - 2 * marge[r] pixels; 249 at the top falling to 0 at the bottom.
    std::array<Sint16, 480> marge{};
    SDL_FillRect(ecran->surface, &ecran->rect, SDL_MapRGB(ecran->surface->format, 0, 0, 0));
    TableDroite(marge.data(), 250, 0, 0, 480);

    // The text picture scrolls by 3 of its rows per frame until its last
    // screenful is reached. A picture shorter than the screen draws no frame.
    const Uint32 hauteur = texte->height;
    const Uint32 fin = hauteur >= 480 ? hauteur - 480 : 0;
    for (Uint32 decalage = 0; decalage < fin; decalage += 3) {
        SDL_BlitSurface(fond->surface, &fond->rect, ecran->surface, &ecran->rect);
        for (int r = 0; r < 480; ++r) {
            const int ligne = r + static_cast<int>(decalage);
            CopieLigneZoom(0, ligne, 640, ligne, texte, marge[r], r, 640 - 2 * marge[r], ecran);
        }
        TrameRVB(ecran);
        AfficheTrame(ecran->surface);
        if (TestClavier() == 1) break;
    }
    Attente(1000);
}
