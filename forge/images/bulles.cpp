// Bubbles pictures: the three bubble displacement maps and the swirl that
// orders the closing dissolve; the underwater scene and the room the
// television sets stand in are drawn in files of their own.
#include <algorithm>
#include <cmath>
#include <utility>
#include <vector>

#include "forge_images.h"

namespace forge {

namespace {

// How a bubble bends the water behind it: the picture is carried down and to
// the right by a shift that grows smoothly from the middle of the bubble to
// its edge, like the view through a glass ball, and ends in a narrow wall of a
// deeper shift, the glass rim that outlines the bubble. The blue field only
// holds shifts about 4 pixels apart, so the wanted shift is dithered between
// the two fields around it: the water bends in a slope rather than in
// terraces.
struct ProfilBulle {
    int cote;          // picture width and height
    double centre;     // shift in the middle, in pixels
    double bord;       // shift just inside the rim
    double rebord;     // shift of the rim
    double epaisseur;  // rim width in pixels
};

// The shift, in pixels, that the routine draws from a blue field.
double DecalageDuChamp(int champ) {
    return double(champ * 255 / 31 / 2);
}

// Blue field for a pixel at distance r from the centre (rayon: the disc's
// radius), dithered on the screen grid at (x, y).
int ChampBulle(const ProfilBulle& p, double rayon, double r, int x, int y) {
    const double interieur = rayon - p.epaisseur;
    double voulu, pente = 0;  // pente: the shift's growth per pixel outwards
    if (r >= interieur) {
        voulu = p.rebord;
    } else {
        // A bowl, flat in the middle and opening towards the rim, but no
        // steeper there than the water can follow without breaking up.
        const double u = r / interieur;
        voulu = p.centre + (p.bord - p.centre) * std::pow(u, 1.6);
        pente = 1.6 * (p.bord - p.centre) * std::pow(u, 0.6) / interieur;
    }
    int champ = 0;
    while (champ < 31 && DecalageDuChamp(champ + 1) <= voulu) ++champ;
    if (champ == 31 || r >= interieur) return champ;
    const double bas = DecalageDuChamp(champ), haut = DecalageDuChamp(champ + 1);
    // The dither is kept to a seam about two pixels wide at each step, so
    // the water inside a ring stays whole and only the steps' edges are
    // softened, even where the rings are narrow.
    const double couture = std::max(1e-3, pente * 2.0);
    const double part = std::clamp((voulu - (bas + haut) / 2) / couture + 0.5, 0.0, 1.0);
    return part > SeuilTrame(x, y) ? champ + 1 : champ;
}

// A bubble map: black outside the disc. The routine reads a pixel's shift
// from the blue field of the pixel after it, so every pixel carries the field
// its left-hand neighbour needs, and the pixel just right of each row of the
// disc carries the rim's field alone (its own right-hand neighbour is black:
// it keeps the screen as it is). Red and green draw the bubble as glass for
// the contact sheet: a clear body, a rim brighter at the top left and a white
// crescent of light (the blue is the shift, so the glass is a sea green).
void DessineCarteBulle(Recueil* recueil, const char* nom, const ProfilBulle& profil) {
    const int cote = profil.cote;
    std::vector<uint16_t> pixels(size_t(cote) * cote, 0);
    const double c = (cote - 1) / 2.0, rayon = cote / 2.0 - 1.0;
    auto distance = [&](int x, int y) { return std::hypot(x - c, y - c); };
    auto dedans = [&](int x, int y) { return x >= 0 && x < cote && distance(x, y) <= rayon; };
    for (int y = 0; y < cote; ++y) {
        for (int x = 0; x < cote; ++x) {
            const bool voisinDedans = dedans(x - 1, y);
            if (!dedans(x, y) && !voisinDedans) continue;
            int r5 = 0, g6 = 0;
            if (dedans(x, y)) {
                const double dx = (x - c) / rayon, dy = (y - c) / rayon;
                const double r2 = std::min(1.0, dx * dx + dy * dy);
                // Rim light: strongest towards the top left, faint below.
                const double cote_lumiere = std::clamp(0.5 - 0.5 * (dx + dy) / 1.4, 0.0, 1.0);
                const double bord = std::pow(r2, 4.0) * (0.35 + 0.65 * cote_lumiere);
                // The crescent: a disc up and left minus a disc shifted further.
                const double a = std::hypot(dx + 0.38, dy + 0.42),
                             b = std::hypot(dx + 0.28, dy + 0.32);
                const double croissant =
                    std::clamp((0.34 - a) * 12, 0.0, 1.0) * std::clamp((b - 0.3) * 12, 0.0, 1.0);
                const double v = std::clamp(0.12 + 0.88 * bord + croissant, 0.0, 1.0);
                r5 = std::clamp(int(1 + 30 * v * v), 1, 31);
                g6 = std::clamp(int(8 + 55 * v), 1, 63);
            }
            const int b5 =
                voisinDedans ? ChampBulle(profil, rayon, distance(x - 1, y), x - 1, y) : 0;
            pixels[size_t(y) * cote + x] = uint16_t((r5 << 11) | (g6 << 5) | b5);
        }
    }
    // No key: black is the routine's own "leave the water alone", so the
    // bubble's shape is its non-black pixels (the contact sheet shows the
    // rest as see-through).
    ImageForgee image = ImageDepuis565(nom, cote, cote, Cle::Aucune, pixels);
    for (size_t i = 0; i < pixels.size(); ++i) image.forme[i] = pixels[i] != 0;
    recueil->images.push_back(std::move(image));
}

// The swirl: a grey spiral whose value orders the dissolve, dark first. Grey
// levels of the 5-6-5 grid only, and at most level 60 so that every value stays
// below the dissolve's last threshold.
void DessineTourbillon(Recueil* recueil) {
    std::vector<uint16_t> pixels(640 * 480);
    const double cx = 320, cy = 240, rmax = std::hypot(320.0, 240.0);
    for (int y = 0; y < 480; ++y) {
        for (int x = 0; x < 640; ++x) {
            const double r = std::hypot(x - cx, y - cy) / rmax;
            const double a = std::atan2(y - cy, x - cx) / (2 * M_PI) + 0.5;
            // Three arms winding inwards; the centre dissolves first.
            double s = a * 3 + r * 2.2;
            s -= std::floor(s);
            const double v = std::clamp(0.55 * r + 0.45 * s, 0.0, 1.0);
            const int g6 =
                std::clamp(int(std::floor(v * 60 + SeuilTrame(x, y))), 0, kTourbillonMax);
            pixels[size_t(y) * 640 + x] = uint16_t(((g6 >> 1) << 11) | (g6 << 5) | (g6 >> 1));
        }
    }
    recueil->images.push_back(
        ImageDepuis565("DisparitionTourbillon", 640, 480, Cle::Aucune, pixels));
}

}  // namespace

void DessineBulles(Recueil* recueil) {
    DessineFondMarin(recueil);
    DessineCarteBulle(recueil, "SpriteBullesGros", {128, 20, 28, 64, 4.0});
    DessineCarteBulle(recueil, "SpriteBullesMoyen", {80, 13, 25, 45, 3.0});
    DessineCarteBulle(recueil, "SpriteBullesPetit", {48, 11, 19, 37, 2.5});
    DessineTourbillon(recueil);
    DessinePieceTelevisions(recueil);
}

}  // namespace forge
