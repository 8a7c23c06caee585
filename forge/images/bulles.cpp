// Bubbles pictures: the three bubble displacement maps and the swirl that
// orders the closing dissolve; the underwater scene and the room the
// television sets stand in are drawn in files of their own.
#include <algorithm>
#include <cmath>
#include <vector>

#include "forge_images.h"

namespace forge {

namespace {

// How a bubble bends the water behind it: the picture is carried down and to
// the right by a shift that depends on the distance from the bubble's centre.
// The shift takes the blue field's steps (4 or 5 pixels apart), so it is laid
// out in rings, each at least 3 pixels wide: a calm middle, rings that narrow
// towards the edge as the glass bends ever harder, and a rim several steps
// deeper than the ring inside it, the glass wall that outlines the bubble.
struct ProfilBulle {
    int cote;         // picture width and height
    int champCentre;  // blue field of the middle
    int champBord;    // blue field of the last ring inside the rim
    int champRebord;  // blue field of the rim
    double rebord;    // rim width in pixels
};

// Blue field of each whole-pixel distance band from the centre: index k is
// the band [k, k + 1), judged by its middle; the last band reaches the radius.
std::vector<int> ChampsParDistance(const ProfilBulle& p) {
    const double rayon = p.cote / 2.0 - 1.0;
    const double interieur = rayon - p.rebord;
    // Ring widths from the edge inwards: 3 pixels at the edge, half a pixel
    // more for every step towards the middle.
    struct Anneau {
        double debut;  // inner radius
        int champ;
    };
    std::vector<Anneau> anneaux;
    double r = interieur;
    for (int champ = p.champBord; champ > p.champCentre; --champ) {
        r -= 3.0 + 0.5 * (p.champBord - champ);
        anneaux.push_back({r, champ});
    }
    std::vector<int> champs(size_t(std::ceil(rayon)) + 1, p.champRebord);
    for (size_t k = 0; k < champs.size(); ++k) {
        const double d = k + 0.5;
        if (d >= interieur) continue;
        champs[k] = p.champCentre;
        for (const Anneau& a : anneaux) {
            if (d >= a.debut) {
                champs[k] = a.champ;
                break;
            }
        }
    }
    return champs;
}

// A bubble map: black outside the disc. Each pixel of the disc takes the
// shift of its distance from the centre; the routine reads a pixel's shift
// from the blue field of the pixel after it, so every pixel carries the field
// of its left-hand neighbour, and the pixel just right of each row of the disc
// carries the rim's field alone (its own right-hand neighbour is black: it
// keeps the screen as it is). Red and green draw the bubble's sheen for the
// contact sheet.
void DessineCarteBulle(Recueil* recueil, const char* nom, const ProfilBulle& profil) {
    const int cote = profil.cote;
    std::vector<uint16_t> pixels(size_t(cote) * cote, 0);
    const double c = (cote - 1) / 2.0, rayon = cote / 2.0 - 1.0;
    const std::vector<int> champs = ChampsParDistance(profil);
    auto distance = [&](int x, int y) { return std::hypot(x - c, y - c); };
    auto dedans = [&](int x, int y) { return x >= 0 && x < cote && distance(x, y) <= rayon; };
    auto champ = [&](int x, int y) {
        return champs[std::min(champs.size() - 1, size_t(distance(x, y)))];
    };
    for (int y = 0; y < cote; ++y) {
        for (int x = 0; x < cote; ++x) {
            const bool voisinDedans = dedans(x - 1, y);
            if (!dedans(x, y) && !voisinDedans) continue;
            int r5 = 0, g6 = 0;
            if (dedans(x, y)) {
                const double dx = (x - c) / rayon, dy = (y - c) / rayon;
                const double bord = std::pow(std::min(1.0, dx * dx + dy * dy), 3.0);
                const double eclat =
                    std::exp(-(std::pow(dx + 0.4, 2) + std::pow(dy + 0.45, 2)) * 18);
                r5 = std::clamp(int(4 + 20 * bord + 27 * eclat), 1, 31);
                g6 = std::clamp(int(10 + 44 * bord + 53 * eclat), 1, 63);
            }
            const int b5 = voisinDedans ? champ(x - 1, y) : 0;
            pixels[size_t(y) * cote + x] = uint16_t((r5 << 11) | (g6 << 5) | b5);
        }
    }
    recueil->images.push_back(ImageDepuis565(nom, cote, cote, Cle::Aucune, pixels));
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
    DessineCarteBulle(recueil, "SpriteBullesGros", {128, 8, 17, 31, 4.0});
    DessineCarteBulle(recueil, "SpriteBullesMoyen", {80, 7, 13, 27, 3.0});
    DessineCarteBulle(recueil, "SpriteBullesPetit", {48, 5, 9, 23, 3.0});
    DessineTourbillon(recueil);
    DessinePieceTelevisions(recueil);
}

}  // namespace forge
