#include "catalogue.h"

#include <string>

namespace {
constexpr Cle N = Cle::Aucune;
constexpr Cle Noir = Cle::Noir;
constexpr Cle Blanc = Cle::Blanc;
}  // namespace

const std::array<EntreeCatalogue, kNombreImages> kCatalogue = {{
    {"Orbo.png", N},
    {"Presente.png", N},
    {"K.png", Noir},
    {"A.png", Noir},
    {"Z.png", Noir},
    {"M.png", Noir},
    {"O.png", Noir},
    {"T.png", Noir},
    {"Kazzmot.png", Noir},
    {"RampeTotal.png", N},
    {"RampeMasque.png", N},
    {"Support2.png", N},
    {"DisparitionTourbillon.png", N},
    {"Cinema.png", N},
    {"Cercle.png", Blanc},
    {"Decompte5.png", Blanc},
    {"Decompte4.png", Blanc},
    {"Decompte3.png", Blanc},
    {"Decompte2.png", Blanc},
    {"Decompte1.png", Blanc},
    {"Decompte0.png", Blanc},
    {"Arc.png", Noir},
    {"Woman.png", Noir},
    {"Bulles.png", N},
    {"SpriteBullesGros.png", N},
    {"SpriteBullesMoyen.png", N},
    {"SpriteBullesPetit.png", N},
    {"Facade.png", Blanc},
    {"TV.png", Noir},
    {"Fond.png", N},
    {"Coper1.png", N},
    {"Coper2.png", N},
    {"Coper3.png", N},
    {"Coper4.png", N},
    {"ScrollText.png", Noir},
    {"DiableTV.png", N},
    {"Tableau1.png", N},
    {"Tableau2.png", N},
    {"Fin.png", Blanc},
    {"Code.png", Noir},
    {"Gfx.png", Noir},
    {"Zic.png", Noir},
    {"Kabo.png", Noir},
    {"Dolo.png", Noir},
    {"ImgDolo.png", N},
    {"ImgKabo.png", N},
    {"Molkar01.png", N},
    {"Molkar02.png", N},
    {"Molkar03.png", N},
    {"Molkar04.png", N},
    {"Molkar05.png", N},
    {"Molkar06.png", N},
    {"Molkar07.png", N},
    {"Molkar08.png", N},
    {"Molkar09.png", N},
    {"Molkar10.png", N},
    {"Molkar11.png", N},
    {"Molkar12.png", N},
    {"Molkar13.png", N},
    {"Molkar14.png", N},
    {"Molkar15.png", N},
    {"Molkar16.png", N},
    {"Molkar17.png", N},
    {"Molkar18.png", N},
    {"Molkar19.png", N},
    {"Molkar20.png", N},
    {"Molkar21.png", N},
    {"OldTV.png", Noir},
    {"Greets.png", Noir},
    {"Wozz.png", Noir},
    {"Slik.png", Noir},
    {"Brenn.png", Noir},
    {"GenSW.png", Noir},
    {"FondSW.png", N},
}};

namespace {

// Builds the requirements table: a picture that is only blitted may have any
// size, so a requirement stands only where a routine relies on one.
constexpr std::array<Exigence, kNombreImages> FaitExigences() {
    std::array<Exigence, kNombreImages> table{};
    for (int i = 0; i < kNombreImages; ++i) {
        table[i] = Exigence{static_cast<Im>(i), 0, 0, 0, 0, 0, false, Im::Nombre};
    }
    auto ecran = [&table](Im im) {
        table[static_cast<int>(im)].largeur = 640;
        table[static_cast<int>(im)].hauteur = 480;
    };
    auto couvre = [&table](Im im) {
        table[static_cast<int>(im)].largeurMin = 640;
        table[static_cast<int>(im)].hauteurMin = 480;
    };
    // Pictures whose pixels effects read as screen-sized arrays: the centre
    // zoom's picture, the dissolve's mask and background.
    ecran(Im::Orbo);
    ecran(Im::DisparitionTourbillon);
    ecran(Im::Fond);
    // Pictures blitted through the screen's rectangle, which the blit shrinks
    // to the picture: the drain's and the crawl's backgrounds, the ramp laid
    // at its place, the countdown's film frame, the television's and the
    // credits' frame and the greetings' old set. A smaller one would leave
    // the last frame's pixels around it, and every later present and restore
    // made through that rectangle would cover only its size: the screen would
    // freeze. A larger one is clipped to the screen.
    couvre(Im::Bulles);
    couvre(Im::FondSW);
    couvre(Im::RampeTotal);
    couvre(Im::Cinema);
    couvre(Im::OldTV);
    couvre(Im::Fin);
    // The title's support is the one laid on purpose over the top band only:
    // the screen's rectangle takes its size, and the letters fall, land on
    // row 233 and shake by up to 5 rows inside it, anywhere across the width.
    table[static_cast<int>(Im::Support2)].largeurMin = 640;
    table[static_cast<int>(Im::Support2)].hauteurMin = 240;
    // The ramp's mask is read at every screen column and under the whole logo,
    // as rows of `width` words.
    table[static_cast<int>(Im::RampeMasque)].largeurMin = 640;
    table[static_cast<int>(Im::RampeMasque)].largeurPaire = true;
    table[static_cast<int>(Im::RampeMasque)].auMoinsAussiLargeQue = Im::Kazzmot;
    // The bubbles' displacement maps are read as rows of `width` words.
    table[static_cast<int>(Im::SpriteBullesGros)].largeurPaire = true;
    table[static_cast<int>(Im::SpriteBullesMoyen)].largeurPaire = true;
    table[static_cast<int>(Im::SpriteBullesPetit)].largeurPaire = true;
    // The crawl samples a 640-wide text picture over a whole screen height.
    table[static_cast<int>(Im::GenSW)].largeur = 640;
    table[static_cast<int>(Im::GenSW)].hauteurMin = 480;
    return table;
}

}  // namespace

const std::array<Exigence, kNombreImages> kExigences = FaitExigences();

void VerifieImage(const Catalogue* catalogue, Im slot) {
    const int i = static_cast<int>(slot);
    const Exigence& e = kExigences[i];
    const StructImage_t* image = catalogue->images[i];
    const std::string path = CheminDonnees("Datas\\Images\\", kCatalogue[i].fichier);
    const unsigned w = image->width, h = image->height;
    if ((e.largeur && w != e.largeur) || (e.hauteur && h != e.hauteur)) {
        ArretFatal("Image %s : taille %ux%u attendue, %ux%u trouvee\n", path.c_str(),
                   e.largeur ? e.largeur : w, e.hauteur ? e.hauteur : h, w, h);
    }
    if (e.largeurMin && w < e.largeurMin) {
        ArretFatal("Image %s : largeur d'au moins %u attendue, %u trouvee\n", path.c_str(),
                   static_cast<unsigned>(e.largeurMin), w);
    }
    if (e.hauteurMin && h < e.hauteurMin) {
        ArretFatal("Image %s : hauteur d'au moins %u attendue, %u trouvee\n", path.c_str(),
                   static_cast<unsigned>(e.hauteurMin), h);
    }
    if (e.hauteurMax && h > e.hauteurMax) {
        ArretFatal("Image %s : hauteur d'au plus %u attendue, %u trouvee\n", path.c_str(),
                   static_cast<unsigned>(e.hauteurMax), h);
    }
    if (e.largeurPaire && w % 2 != 0) {
        ArretFatal("Image %s : largeur paire attendue, %u trouvee\n", path.c_str(), w);
    }
    if (e.auMoinsAussiLargeQue != Im::Nombre) {
        const int j = static_cast<int>(e.auMoinsAussiLargeQue);
        const StructImage_t* autre = catalogue->images[j];
        if (autre && w < autre->width) {
            ArretFatal("Image %s : largeur d'au moins %u attendue (celle de %s), %u trouvee\n",
                       path.c_str(), static_cast<unsigned>(autre->width), kCatalogue[j].fichier, w);
        }
    }
}

void ChargeCatalogue(Catalogue* catalogue) {
    std::array<const char*, kNombreImages> noms;
    for (int i = 0; i < kNombreImages; ++i) noms[i] = kCatalogue[i].fichier;
    AnnonceImages(noms.data(), kNombreImages);
    for (int i = 0; i < kNombreImages; ++i) {
        const EntreeCatalogue& entree = kCatalogue[i];
        switch (entree.cle) {
            case Cle::Aucune:
                catalogue->images[i] = ChargeImage(entree.fichier, 0, 0, 0, 0);
                break;
            case Cle::Noir:
                catalogue->images[i] = ChargeImage(entree.fichier, 1, 0, 0, 0);
                break;
            case Cle::Blanc:
                catalogue->images[i] = ChargeImage(entree.fichier, 1, 255, 255, 255);
                break;
        }
        VerifieImage(catalogue, static_cast<Im>(i));
    }
}

void LibereCatalogue(Catalogue* catalogue) {
    for (StructImage_t* image : catalogue->images) {
        if (image) LibereImage(image);
    }
}
