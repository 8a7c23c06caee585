// Scene four: the finished title flashes white and drains away onto the
// underwater picture, the picture shakes, six refracting bubbles rise over it
// for ten seconds wobbling together on one sine, and a swirl dissolves it into
// the background the television scene is laid on.
#include <array>
#include <cmath>

#include "effets.h"
#include "scenes.h"

namespace {

struct Bulle {
    Im sprite;
    Sint16 centre;  // x of the bubble's left edge when the wobble is at 0
    Sint16 depart;  // row it starts from and comes back to
};

constexpr std::array<Bulle, 6> kBulles = {{
    {Im::SpriteBullesPetit, 5, 380},
    {Im::SpriteBullesPetit, 570, 270},
    {Im::SpriteBullesMoyen, 340, 95},
    {Im::SpriteBullesMoyen, 50, 30},
    {Im::SpriteBullesGros, 110, 200},
    {Im::SpriteBullesGros, 355, 210},
}};

constexpr Uint8 kMontee = 6;  // rows risen per frame by every bubble

// Draws a picture over the whole screen through the screen's rect, which the
// blit then leaves at the picture's size.
void AfficheEnPlein(StructImage_t* image, Ecran* ecran) {
    SDL_BlitSurface(image->surface, &image->rect, ecran->surface, &ecran->rect);
}

// The screen jolts down and back up, pair after pair, until `duree` ms have
// passed. Only the shakes check the keyboard: a key ends one shake, not the loop.
void Secousses(Ecran* ecran, Uint32 duree) {
    const Uint32 debut = Horloge();
    Uint32 maintenant = Horloge();
    while (maintenant - debut < duree) {
        GlisseVertical(ecran, ecran, 0, 10, 0, 5);
        GlisseVertical(ecran, ecran, 0, -10, 0, 5);
        maintenant = Horloge();
    }
}

}  // namespace

void SceneBulles(Ecran* ecran, const Catalogue* catalogue) {
    StructImage_t* fondMarin = Img(catalogue, Im::Bulles);

    FlashCouleur(ecran, 6, 100, 255, 255, 255);
    Ecoule(ecran, fondMarin, 5);
    Attente(1000);

    std::array<Sint16, kBulles.size()> y;
    for (size_t i = 0; i < kBulles.size(); ++i) y[i] = kBulles[i].depart;
    float phase = 0.0f;

    // The whole picture, also when the drain was cut short.
    AfficheEnPlein(fondMarin, ecran);
    Secousses(ecran, 1000);
    Secousses(ecran, 3500);

    const Uint32 debut = Horloge();
    Uint32 maintenant = Horloge();
    while (maintenant - debut < 10000) {
        AfficheEnPlein(fondMarin, ecran);
        // One sideways offset for all six bubbles in a frame.
        const double oscillation = 10.0 * std::sin(static_cast<double>(phase));
        for (size_t i = 0; i < kBulles.size(); ++i) {
            const Sint16 x = static_cast<Sint16>(oscillation + kBulles[i].centre);
            DessineBulle(x, y[i], Img(catalogue, kBulles[i].sprite), ecran);
        }
        AfficheTrame(ecran->surface);
        for (Sint16& rang : y) rang = static_cast<Sint16>(rang - kMontee);
        // A bubble wholly above the top edge starts again from below.
        for (size_t i = 0; i < kBulles.size(); ++i) {
            if (y[i] < -static_cast<int>(Img(catalogue, kBulles[i].sprite)->height)) {
                y[i] = kBulles[i].depart;
            }
        }
        phase = static_cast<float>(phase + 0.8);
        maintenant = Horloge();
        if (TestClavier() == 1) break;
    }

    Attente(1000);
    Dissolution(Img(catalogue, Im::DisparitionTourbillon), ecran, Img(catalogue, Im::Fond), 5);
    Attente(2000);
}
