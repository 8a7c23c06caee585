// The title: the ramp drops in from the top, the title logo rides its slope
// across the screen, the support is laid over the top of the screen, and the
// seven letters of the title fall one by one onto a common baseline, each
// landing followed by a shake of the screen.
#include <array>

#include "effets.h"
#include "scenes.h"

namespace {

// Draws a picture with its top-left corner at (0, 0) through the screen's
// rect, which then takes the picture's size.
void PoseEnHaut(StructImage_t* image, Ecran* ecran) {
    SDL_BlitSurface(image->surface, &image->rect, ecran->surface, &ecran->rect);
}

}  // namespace

void SceneTitre(Ecran* ecran, const Catalogue* catalogue) {
    StructImage_t* rampe = Img(catalogue, Im::RampeTotal);
    StructImage_t* titre = Img(catalogue, Im::Kazzmot);

    GlisseVertical(rampe, ecran, -480, 3, 0, 3);
    // The ramp at its place, also when a key cut its drop short.
    PoseEnHaut(rampe, ecran);
    GlisseRampe(titre, ecran, Img(catalogue, Im::RampeMasque), 3);
    // Shown by the first frame of the first letter's fall.
    PoseEnHaut(Img(catalogue, Im::Support2), ecran);

    const std::array<Im, 7> lettres{Im::K, Im::A, Im::Z, Im::Z, Im::M, Im::O, Im::T};
    // Every letter is placed at the pitch of the K, from a row centred on
    // the title logo's width.
    Sint16 x = static_cast<Sint16>((640 - titre->width) / 2 - 5);
    const Uint16 pas = Img(catalogue, Im::K)->width;
    const Uint8 secousse = 2;
    for (size_t k = 0; k < lettres.size(); ++k) {
        StructImage_t* lettre = Img(catalogue, lettres[k]);
        const Sint16 h = static_cast<Sint16>(lettre->height);
        // Falls from just above the screen; its lowest row lands on row 233.
        GlisseVertical(lettre, ecran, static_cast<Sint16>(-h), static_cast<Sint16>(235 - h), x, 2);
        const bool derniere = k + 1 == lettres.size();
        if (!derniere) x = static_cast<Sint16>(x + pas);
        // The landing shakes the screen down and back up.
        GlisseVertical(ecran, ecran, 0, 5, 0, secousse);
        GlisseVertical(ecran, ecran, 0, -5, 0, secousse);
        Attente(derniere ? 3000 : 300);
    }
}
