// Seventh scene: the greetings. Inside an old television frame the heading
// and then one more greeted name per page, each page given the scanlines
// before the frame is laid over it.
#include "effets.h"
#include "scenes.h"

namespace {

constexpr Sint16 kHautEntete = 55;
constexpr Uint16 kEcartNoms = 10;

// Scanlines over the page, the television frame on top, then the page shows.
void Trame(Ecran* ecran, StructImage_t* cadre) {
    TrameRVB(ecran);
    SDL_BlitSurface(cadre->surface, &cadre->rect, ecran->surface, &ecran->rect);
    AfficheTrame(ecran->surface);
}

// Blits a whole picture centred across the screen with its top at y. An image
// wider than the screen gets a negative x (the shift rounds down) and SDL
// clips it.
void DessineCentre(StructImage_t* image, SDL_Surface* ecran, SDL_Rect* rect, Sint16 y) {
    const Sint32 x = (640 - static_cast<Sint32>(image->width)) >> 1;
    *rect = SDL_Rect{static_cast<Sint16>(x), y, image->width, image->height};
    SDL_BlitSurface(image->surface, &image->rect, ecran, rect);
}

// A page: black, the heading, then the first `noms` names, each one its own
// height plus 10 below the top of the element above it.
void Page(Ecran* ecran, const Catalogue* catalogue, int noms) {
    static constexpr Im kNoms[3] = {Im::Wozz, Im::Slik, Im::Brenn};
    SDL_Surface* surface = ecran->surface;
    SDL_FillRect(surface, &ecran->rect, SDL_MapRGB(surface->format, 0, 0, 0));
    SDL_Rect rect{0, 0, 0, 0};
    DessineCentre(Img(catalogue, Im::Greets), surface, &rect, kHautEntete);
    for (int i = 0; i < noms; ++i) {
        StructImage_t* nom = Img(catalogue, kNoms[i]);
        const Sint16 y =
            static_cast<Sint16>(static_cast<Uint16>(rect.y) + nom->height + kEcartNoms);
        DessineCentre(nom, surface, &rect, y);
    }
}

}  // namespace

void SceneGreetings(Ecran* ecran, const Catalogue* catalogue) {
    SDL_Surface* surface = ecran->surface;
    StructImage_t* cadre = Img(catalogue, Im::OldTV);

    // The empty television.
    SDL_FillRect(surface, &ecran->rect, SDL_MapRGB(surface->format, 0, 0, 0));
    SDL_BlitSurface(cadre->surface, &cadre->rect, surface, &ecran->rect);
    AfficheTrame(surface);

    // Page 1 is drawn over the empty television without clearing it.
    SDL_Rect rect{0, 0, 0, 0};
    DessineCentre(Img(catalogue, Im::Greets), surface, &rect, kHautEntete);
    Trame(ecran, cadre);
    Attente(1000);

    for (int noms = 1; noms <= 3; ++noms) {
        Page(ecran, catalogue, noms);
        Trame(ecran, cadre);
        Attente(noms == 3 ? 2000 : 1000);
    }

    // Closing picture: scanlines on black inside the frame; the crawl follows.
    SDL_FillRect(surface, &ecran->rect, SDL_MapRGB(surface->format, 0, 0, 0));
    Trame(ecran, cadre);
}
