// The group logo opens out of the centre of the screen, holds and fades;
// then the caption slides in from the right, swings past the centre and
// back, holds and fades.
#include "effets.h"
#include "scenes.h"

namespace {

// Black through the screen's rect, which keeps the extent the countdown left.
void Noir(Ecran* ecran) {
    SDL_FillRect(ecran->surface, &ecran->rect, 0);
}

}  // namespace

void SceneLogo(Ecran* ecran, const Catalogue* catalogue) {
    StructImage_t* logo = Img(catalogue, Im::Orbo);
    StructImage_t* caption = Img(catalogue, Im::Presente);

    ZoomCentre(logo, ecran, 2);
    Attente(3000);
    FonduNoir(ecran, 1.2f);
    Noir(ecran);
    AfficheTrame(ecran->surface);

    // The column that centres the caption and the row it slides along.
    const Sint16 c = static_cast<Sint16>((640 - caption->width) / 2);
    const Sint16 y = static_cast<Sint16>((480 - caption->height) / 2);
    // In from the right edge to just left of centre, a swing to the right,
    // and back: each slide runs over black, not over the last one's frame.
    GlisseHorizontal(caption, ecran, 640, static_cast<Sint16>(c - 10), y, 4);
    Noir(ecran);
    GlisseHorizontal(caption, ecran, static_cast<Sint16>(c - 10), static_cast<Sint16>(c + 10), y,
                     6);
    Noir(ecran);
    GlisseHorizontal(caption, ecran, static_cast<Sint16>(c + 10), c, y, 6);
    Attente(3000);
    FonduNoir(ecran, 1.2f);
}
