// Fifth scene: four television sets over the underwater background. Their
// screens show three seconds of snow, then four programmes at once until the
// scroll text has passed: bouncing copper bars, a wobbling scroll text, a row
// wave over the devil, and two pictures fading into each other. Each
// programme is drawn into a monitor picture of its own, given scanlines and
// laid on its set. The scene closes on black with the frame overlay.
#include <cmath>
#include <cstdlib>

#include "effets.h"
#include "scenes.h"

namespace {

constexpr Uint16 kLargeurMoniteur = 250;
constexpr Uint16 kHauteurMoniteur = 177;
constexpr Uint32 kDureeNeigeMs = 3000;

// Where the monitors lie on the screen, in the order of the sets: top left,
// top right, bottom right, bottom left.
constexpr Sint16 kPosX[4] = {21, 371, 371, 21};
constexpr Sint16 kPosY[4] = {17, 17, 267, 267};

// Blits a whole picture (through its own rectangle) to (x, y) of a surface.
void Dessine(StructImage_t* image, SDL_Surface* cible, Sint16 x, Sint16 y) {
    SDL_Rect dst{x, y, 0, 0};
    SDL_BlitSurface(image->surface, &image->rect, cible, &dst);
}

StructImage_t* CreeMoniteur(SDL_Surface* ecran) {
    auto* moniteur = static_cast<StructImage_t*>(std::malloc(sizeof(StructImage_t)));
    if (!moniteur) ArretFatal("Impossible d'allouer la structure d'un moniteur\n");
    moniteur->width = kLargeurMoniteur;
    moniteur->height = kHauteurMoniteur;
    moniteur->depth = 0;  // nothing reads it
    moniteur->rect = SDL_Rect{0, 0, kLargeurMoniteur, kHauteurMoniteur};
    moniteur->surface = SDL_CreateRGBSurface(SDL_HWSURFACE, kLargeurMoniteur, kHauteurMoniteur,
                                             ecran->format->BitsPerPixel, 0, 0, 0, 0);
    if (!moniteur->surface) {
        ArretFatal("Impossible de creer la surface d'un moniteur : %s\n", SDL_GetError());
    }
    return moniteur;
}

// The bars' bounce between the top and the bottom of monitor 1.
void Rebondit(Sint16 y, Uint16 hauteurBarre, Sint8 vitesse, Sint8* direction) {
    if (y >= kHauteurMoniteur - hauteurBarre) *direction = static_cast<Sint8>(-vitesse);
    if (y <= 0) *direction = vitesse;
}

}  // namespace

void SceneTele(Ecran* ecran, const Catalogue* catalogue) {
    SDL_Surface* surfaceEcran = ecran->surface;
    const Uint32 noir = SDL_MapRGB(surfaceEcran->format, 0, 0, 0);
    StructImage_t* tv = Img(catalogue, Im::TV);
    StructImage_t* defile = Img(catalogue, Im::ScrollText);
    StructImage_t* diable = Img(catalogue, Im::DiableTV);
    StructImage_t* tableau1 = Img(catalogue, Im::Tableau1);
    StructImage_t* tableau2 = Img(catalogue, Im::Tableau2);
    StructImage_t* barres[4] = {Img(catalogue, Im::Coper1), Img(catalogue, Im::Coper2),
                                Img(catalogue, Im::Coper3), Img(catalogue, Im::Coper4)};

    // Start-up: the four monitors, black, and the bars' rectangles.
    StructImage_t* moniteurs[4];
    for (auto& moniteur : moniteurs) moniteur = CreeMoniteur(surfaceEcran);
    Sint16 barreY[4] = {0, 0, 0, 0};
    SDL_Rect barreRect[4];
    for (int i = 0; i < 4; ++i) barreRect[i] = SDL_Rect{0, 0, barres[i]->width, barres[i]->height};
    const Sint8 vitesse = 2;
    Sint8 direction[4] = {vitesse, 0, 0, 0};
    bool lancement = true;  // bars 2 to 4 still waiting to be released
    for (StructImage_t* moniteur : moniteurs) {
        SDL_FillRect(moniteur->surface, &moniteur->rect, noir);
    }

    // Introduction: the sets appear one by one, their monitors still black.
    const Sint16 tw = static_cast<Sint16>(tv->width);
    const Sint16 th = static_cast<Sint16>(tv->height);
    const Sint16 coinX[4] = {0, static_cast<Sint16>(640 - tw), static_cast<Sint16>(640 - tw), 0};
    const Sint16 coinY[4] = {0, 0, static_cast<Sint16>(480 - th), static_cast<Sint16>(480 - th)};
    for (int i = 0; i < 4; ++i) {
        Dessine(tv, surfaceEcran, coinX[i], coinY[i]);
        Dessine(moniteurs[i], surfaceEcran, static_cast<Sint16>(coinX[i] + 21),
                static_cast<Sint16>(coinY[i] + 17));
        AfficheTrame(surfaceEcran);
        if (i < 3) Attente(500);
    }

    // Snow on the four screens for three seconds, or until a key.
    const Uint32 debut = Horloge();
    Uint32 maintenant = Horloge();
    while (maintenant - debut < kDureeNeigeMs && TestClavier() != 1) {
        for (int i = 0; i < 4; ++i) {
            Neige(moniteurs[i]->surface, moniteurs[i]->rect);
            Dessine(moniteurs[i], surfaceEcran, kPosX[i], kPosY[i]);
        }
        AfficheTrame(surfaceEcran);
        maintenant = Horloge();
    }

    // The programmes, one frame per two columns of scroll text. The scroll
    // position is the x of the text's rectangle; it is counted in an int as
    // well, so that a text wider than a 16-bit position still ends the loop.
    float phaseDefile = 0.0f;
    float phaseVague = 0.0f;
    Uint8 alpha = 0;
    Sint8 pasAlpha = 3;
    int position = defile->rect.x;
    for (;;) {
        if (position >= defile->width) break;
        if (TestClavier() == 1) break;

        // Copper bars: bar 1 bounces from the start; bars 2 to 4 are released
        // in turn once the bar before has moved its own height plus 5 down.
        Rebondit(barreY[0], barres[0]->height, vitesse, &direction[0]);
        if (lancement) {
            if (barreY[0] > barreRect[0].h + 5) direction[1] = vitesse;
            if (barreY[1] > barreRect[1].h + 5) direction[2] = vitesse;
            if (barreY[2] > barreRect[2].h + 5) {
                direction[3] = vitesse;
                lancement = false;
            }
        } else {
            for (int i = 1; i < 4; ++i)
                Rebondit(barreY[i], barres[i]->height, vitesse, &direction[i]);
        }
        StructImage_t* m1 = moniteurs[0];
        SDL_FillRect(m1->surface, &m1->rect, noir);
        for (int i = 0; i < 4; ++i) {
            barreRect[i].x = 0;
            barreRect[i].y = barreY[i];
            SDL_BlitSurface(barres[i]->surface, &barres[i]->rect, m1->surface, &barreRect[i]);
        }
        TrameRVB(m1);
        Dessine(m1, surfaceEcran, kPosX[0], kPosY[0]);

        // Scroll text, twice, wobbling on a sine.
        StructImage_t* m2 = moniteurs[1];
        SDL_FillRect(m2->surface, &m2->rect, noir);
        const int base = (kHauteurMoniteur - defile->height) / 4;
        const Sint16 y =
            static_cast<Sint16>(10.0 * std::sin(static_cast<double>(phaseDefile)) + base);
        defile->rect.w = kLargeurMoniteur;
        Dessine(defile, m2->surface, 0, y);
        Dessine(defile, m2->surface, 0, static_cast<Sint16>(2 * y));
        position += 2;
        defile->rect.x = static_cast<Sint16>(position);
        phaseDefile += 0.08f;
        TrameRVB(m2);
        Dessine(m2, surfaceEcran, kPosX[1], kPosY[1]);

        // Row wave: the devil drawn whole, then row by row shifted on a sine
        // whose phase runs on from row to row and frame to frame.
        StructImage_t* m3 = moniteurs[2];
        SDL_BlitSurface(diable->surface, &diable->rect, m3->surface, &m3->rect);
        diable->rect.h = 1;
        for (int r = 0; r < diable->height; ++r) {
            const Sint16 x = static_cast<Sint16>(5.0 * std::sin(static_cast<double>(phaseVague)));
            diable->rect.y = static_cast<Sint16>(r);
            Dessine(diable, m3->surface, x, static_cast<Sint16>(r));
            phaseVague += 0.08f;
        }
        diable->rect.y = 0;
        diable->rect.h = diable->height;
        TrameRVB(m3);
        Dessine(m3, surfaceEcran, kPosX[2], kPosY[2]);

        // Cross-fade of the two pictures.
        StructImage_t* m4 = moniteurs[3];
        SDL_BlitSurface(tableau1->surface, &tableau1->rect, m4->surface, &m4->rect);
        SDL_SetAlpha(tableau2->surface, SDL_SRCALPHA, alpha);
        SDL_BlitSurface(tableau2->surface, &tableau2->rect, m4->surface, &m4->rect);
        TrameRVB(m4);
        Dessine(m4, surfaceEcran, kPosX[3], kPosY[3]);
        if (alpha + pasAlpha >= 255) pasAlpha = -3;
        if (alpha + pasAlpha <= 0) pasAlpha = 3;
        alpha = static_cast<Uint8>(alpha + pasAlpha);

        AfficheTrame(surfaceEcran);
        for (int i = 0; i < 4; ++i) barreY[i] = static_cast<Sint16>(barreY[i] + direction[i]);
    }

    // Close: the monitors go, and the screen turns black under the frame.
    for (StructImage_t* moniteur : moniteurs) SDL_FreeSurface(moniteur->surface);
    for (StructImage_t* moniteur : moniteurs) std::free(moniteur);
    SDL_FillRect(surfaceEcran, &ecran->rect, noir);
    StructImage_t* fin = Img(catalogue, Im::Fin);
    SDL_BlitSurface(fin->surface, &fin->rect, surfaceEcran, &ecran->rect);
    AfficheTrame(surfaceEcran);
    Attente(1000);
}
