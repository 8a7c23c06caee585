// The finale: the last picture flashes white once, then the screen goes black
// but for a white line across its middle row, which shrinks toward the centre
// like an old television being switched off.
#include "effets.h"
#include "scenes.h"

void SceneFinale(Ecran* ecran, const Catalogue* /*catalogue*/) {
    FlashCouleur(ecran, 1, 300, 255, 255, 255);

    // 32 frames: frame k shows the line from column 10k to 639 - 10k, and the
    // last one (x 320, width 0) is black. The loop polls no key: once started,
    // the switch-off always runs to its end.
    const Uint32 noir = SDL_MapRGB(ecran->surface->format, 0, 0, 0);
    const Uint32 blanc = SDL_MapRGB(ecran->surface->format, 255, 255, 255);
    SDL_Rect ligne{0, 240, 640, 1};
    while (ligne.x < 320) {
        SDL_FillRect(ecran->surface, &ecran->rect, noir);
        ligne.x += 10;
        ligne.y = 240;
        ligne.w -= 20;
        ligne.h = 1;
        // SDL writes its clipped rectangle back into the one it fills, and
        // for an empty one some SDL versions write back a rectangle at the
        // origin, which would start the line over: fill through a copy.
        SDL_Rect zone = ligne;
        SDL_FillRect(ecran->surface, &zone, blanc);
        AfficheTrame(ecran->surface);
    }
}
