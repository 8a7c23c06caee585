// The catalogue of pictures in slot order, with the size each is drawn at and
// what the production's scenes rely on.
#include <algorithm>
#include <cstring>

#include "forge_images.h"

namespace forge {

namespace {

using F = Famille;

// clang-format off
const EntreeCatalogue kCatalogue[kNombreImages] = {
    {"Orbo", Cle::Aucune, 640, 480, F::Logo, "screen-sized for the centre zoom; black round the centre pixel, the logo close by"},
    {"Presente", Cle::Aucune, 360, 96, F::Logo, "caption slid over black; narrower than the screen"},
    {"K", Cle::Noir, 84, 128, F::Titre, "letter; its width is the pitch of the letter row"},
    {"A", Cle::Noir, 84, 128, F::Titre, "letter, as wide as K"},
    {"Z", Cle::Noir, 84, 128, F::Titre, "letter, as wide as K (used twice)"},
    {"M", Cle::Noir, 84, 128, F::Titre, "letter, as wide as K"},
    {"O", Cle::Noir, 84, 128, F::Titre, "letter, as wide as K"},
    {"T", Cle::Noir, 84, 128, F::Titre, "letter, as wide as K"},
    {"Kazzmot", Cle::Noir, 578, 112, F::Titre, "width = 7 letter pitches - 10, so the letter row is centred; narrower than the ramp mask"},
    {"RampeTotal", Cle::Aucune, 640, 480, F::Titre, "screen-sized ramp"},
    {"RampeMasque", Cle::Aucune, 640, 480, F::Titre, "at least 640 wide and as wide as the title logo; ramp non-black, sky black"},
    {"Support2", Cle::Aucune, 640, 256, F::Titre, "opaque stage at (0,0), lower than the screen; letters stand on row 233"},
    {"DisparitionTourbillon", Cle::Aucune, 640, 480, F::Bulles, "screen-sized swirl; every 16-bit value below 65501"},
    {"Cinema", Cle::Aucune, 640, 480, F::Decompte, "screen-sized film-leader background"},
    {"Cercle", Cle::Blanc, 120, 120, F::Decompte, "ring on white, smaller than the screen"},
    {"Decompte5", Cle::Blanc, 260, 300, F::Decompte, "digit; all digits share the size of the 5"},
    {"Decompte4", Cle::Blanc, 260, 300, F::Decompte, "digit, same size as the 5"},
    {"Decompte3", Cle::Blanc, 260, 300, F::Decompte, "digit, same size as the 5"},
    {"Decompte2", Cle::Blanc, 260, 300, F::Decompte, "digit, same size as the 5"},
    {"Decompte1", Cle::Blanc, 260, 300, F::Decompte, "digit, same size as the 5"},
    {"Decompte0", Cle::Blanc, 260, 300, F::Decompte, "digit, same size as the 5"},
    {"Arc", Cle::Noir, 192, 192, F::Extras, "shown by no scene"},
    {"Woman", Cle::Noir, 192, 192, F::Extras, "shown by no scene"},
    {"Bulles", Cle::Aucune, 640, 480, F::Bulles, "screen-sized underwater picture"},
    {"SpriteBullesGros", Cle::Aucune, 128, 128, F::Bulles, "displacement map: black outside the disc, blue = 2 x shift"},
    {"SpriteBullesMoyen", Cle::Aucune, 80, 80, F::Bulles, "displacement map: black outside the disc, blue = 2 x shift"},
    {"SpriteBullesPetit", Cle::Aucune, 48, 48, F::Bulles, "displacement map: black outside the disc, blue = 2 x shift"},
    {"Facade", Cle::Blanc, 192, 192, F::Extras, "shown by no scene"},
    {"TV", Cle::Noir, 290, 230, F::Television, "set with its screen at (21,17) 250x177; no pure black on the set"},
    {"Fond", Cle::Aucune, 640, 480, F::Bulles, "screen-sized room behind the sets"},
    {"Coper1", Cle::Aucune, 250, 22, F::Television, "copper bar as wide as a monitor"},
    {"Coper2", Cle::Aucune, 250, 22, F::Television, "copper bar as wide as a monitor"},
    {"Coper3", Cle::Aucune, 250, 22, F::Television, "copper bar as wide as a monitor"},
    {"Coper4", Cle::Aucune, 250, 22, F::Television, "copper bar as wide as a monitor"},
    {"ScrollText", Cle::Noir, 4800, kHauteurDefilant, F::Television, "width / 2 frames (40 s at 60 Hz); copies at y and 2y fit in 177 rows"},
    {"DiableTV", Cle::Aucune, 250, 177, F::Television, "monitor-sized"},
    {"Tableau1", Cle::Aucune, 250, 177, F::Television, "monitor-sized"},
    {"Tableau2", Cle::Aucune, 250, 177, F::Television, "monitor-sized"},
    {"Fin", Cle::Blanc, 640, 480, F::Television, "screen-sized frame; clear where labels and names lie (rows 345-479)"},
    {"Code", Cle::Noir, 200, 44, F::Generique, "label at (10,345), above the name row 390"},
    {"Gfx", Cle::Noir, 200, 44, F::Generique, "label at (10,345), above the name row 390"},
    {"Zic", Cle::Noir, 200, 44, F::Generique, "label at (10,345), above the name row 390"},
    {"Kabo", Cle::Noir, 360, 72, F::Generique, "name at (label width + 30, 390), inside the screen"},
    {"Dolo", Cle::Noir, 360, 72, F::Generique, "name at (label width + 30, 390), inside the screen"},
    {"ImgDolo", Cle::Aucune, 640, 340, F::Generique, "portrait at (0,0), at most 345 rows"},
    {"ImgKabo", Cle::Aucune, 640, 340, F::Generique, "portrait at (0,0), at most 345 rows"},
    {"Molkar01", Cle::Aucune, 640, 340, F::Generique, "animation frame, portrait size"},
    {"Molkar02", Cle::Aucune, 640, 340, F::Generique, "animation frame, portrait size"},
    {"Molkar03", Cle::Aucune, 640, 340, F::Generique, "animation frame, portrait size"},
    {"Molkar04", Cle::Aucune, 640, 340, F::Generique, "animation frame, portrait size"},
    {"Molkar05", Cle::Aucune, 640, 340, F::Generique, "animation frame, portrait size"},
    {"Molkar06", Cle::Aucune, 640, 340, F::Generique, "animation frame, portrait size"},
    {"Molkar07", Cle::Aucune, 640, 340, F::Generique, "animation frame, portrait size"},
    {"Molkar08", Cle::Aucune, 640, 340, F::Generique, "animation frame, portrait size"},
    {"Molkar09", Cle::Aucune, 640, 340, F::Generique, "animation frame, portrait size"},
    {"Molkar10", Cle::Aucune, 640, 340, F::Generique, "animation frame, portrait size"},
    {"Molkar11", Cle::Aucune, 640, 340, F::Generique, "animation frame, portrait size"},
    {"Molkar12", Cle::Aucune, 640, 340, F::Generique, "animation frame, portrait size"},
    {"Molkar13", Cle::Aucune, 640, 340, F::Generique, "animation frame, portrait size"},
    {"Molkar14", Cle::Aucune, 640, 340, F::Generique, "animation frame, portrait size"},
    {"Molkar15", Cle::Aucune, 640, 340, F::Generique, "animation frame, portrait size"},
    {"Molkar16", Cle::Aucune, 640, 340, F::Generique, "animation frame, portrait size"},
    {"Molkar17", Cle::Aucune, 640, 340, F::Generique, "animation frame, portrait size"},
    {"Molkar18", Cle::Aucune, 640, 340, F::Generique, "animation frame, portrait size"},
    {"Molkar19", Cle::Aucune, 640, 340, F::Generique, "animation frame, portrait size"},
    {"Molkar20", Cle::Aucune, 640, 340, F::Generique, "animation frame, portrait size"},
    {"Molkar21", Cle::Aucune, 640, 340, F::Generique, "animation frame, portrait size"},
    {"OldTV", Cle::Noir, 640, 480, F::Salutations, "screen-sized frame whose black screen shows the page"},
    {"Greets", Cle::Noir, 420, 70, F::Salutations, "heading at row 55, no taller than a name + 10"},
    {"Wozz", Cle::Noir, 400, 64, F::Salutations, "name stacked under the heading inside the screen"},
    {"Slik", Cle::Noir, 400, 64, F::Salutations, "name stacked under the heading inside the screen"},
    {"Brenn", Cle::Noir, 400, 64, F::Salutations, "name stacked under the heading inside the screen"},
    {"GenSW", Cle::Noir, 640, 5880, F::Defilement, "640 wide, (height - 480) / 3 frames = 30 s at 60 Hz"},
    {"FondSW", Cle::Aucune, 640, 480, F::Defilement, "screen-sized starfield"},
};
// clang-format on

}  // namespace

const EntreeCatalogue* Catalogue() {
    return kCatalogue;
}

const EntreeCatalogue* TrouveEntree(const std::string& nom) {
    for (const EntreeCatalogue& e : kCatalogue) {
        if (nom == e.nom) return &e;
    }
    return nullptr;
}

const ImageForgee* TrouveImage(const Recueil& recueil, const std::string& nom) {
    for (const ImageForgee& image : recueil.images) {
        if (image.nom == nom) return &image;
    }
    return nullptr;
}

void ForgeFamille(Famille famille, Recueil* recueil) {
    switch (famille) {
        case Famille::Decompte:
            DessineDecompte(recueil);
            break;
        case Famille::Logo:
            DessineLogo(recueil);
            break;
        case Famille::Titre:
            DessineTitre(recueil);
            break;
        case Famille::Bulles:
            DessineBulles(recueil);
            break;
        case Famille::Television:
            DessineTelevision(recueil);
            break;
        case Famille::Generique:
            DessineGenerique(recueil);
            break;
        case Famille::Salutations:
            DessineSalutations(recueil);
            break;
        case Famille::Defilement:
            DessineDefilement(recueil);
            break;
        case Famille::Extras:
            DessineExtras(recueil);
            break;
    }
}

bool ForgeTout(Recueil* recueil, std::string* erreur) {
    Recueil brut;
    const Famille familles[] = {Famille::Decompte,    Famille::Logo,       Famille::Titre,
                                Famille::Bulles,      Famille::Television, Famille::Generique,
                                Famille::Salutations, Famille::Defilement, Famille::Extras};
    for (Famille f : familles) ForgeFamille(f, &brut);

    recueil->images.clear();
    recueil->images.reserve(kNombreImages);
    for (const EntreeCatalogue& e : kCatalogue) {
        auto it = std::find_if(brut.images.begin(), brut.images.end(),
                               [&](const ImageForgee& i) { return i.nom == e.nom; });
        if (it == brut.images.end()) {
            *erreur = std::string(e.nom) + ".png: no drawing routine made this picture";
            return false;
        }
        if (it->largeur != e.largeur || it->hauteur != e.hauteur || it->cle != e.cle) {
            *erreur = std::string(e.nom) + ".png: expected " + std::to_string(e.largeur) + "x" +
                      std::to_string(e.hauteur) + ", drawn " + std::to_string(it->largeur) + "x" +
                      std::to_string(it->hauteur) + (it->cle != e.cle ? " with the wrong key" : "");
            return false;
        }
        if (e.largeur % 2 != 0) {
            *erreur =
                std::string(e.nom) + ".png: width must be even, is " + std::to_string(e.largeur);
            return false;
        }
        recueil->images.push_back(std::move(*it));
    }
    return true;
}

}  // namespace forge
