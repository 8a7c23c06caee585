// Pictures read as numbers by the effects: the swirl that orders the dissolve,
// the ramp silhouette, and the bubble displacement maps.
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <utility>
#include <vector>

#include "effets.h"
#include "outils_tests.h"
#include "test_images_commun.h"

using forge_test::Image;

TEST(ImagesCartes, SwirlIsGreyStaysBelowTheLastThresholdAndStartsAtTheCentre) {
    const forge::ImageForgee& t = Image("DisparitionTourbillon");
    ASSERT_EQ(t.largeur, 640);
    ASSERT_EQ(t.hauteur, 480);
    int maximum = 0, minimum = 65535;
    for (int y = 0; y < 480; ++y) {
        for (int x = 0; x < 640; ++x) {
            const uint16_t v = forge::Valeur565(t, x, y);
            maximum = std::max<int>(maximum, v);
            minimum = std::min<int>(minimum, v);
            const int r5 = v >> 11, g6 = (v >> 5) & 63, b5 = v & 31;
            ASSERT_EQ(r5, g6 >> 1) << x << "," << y << " is not grey";
            ASSERT_EQ(b5, g6 >> 1) << x << "," << y << " is not grey";
        }
    }
    // Step 5 raises the threshold by 500 up to 65500: every pixel must go.
    EXPECT_LT(maximum, 65501);
    EXPECT_LT(minimum, 500) << "the first frames would dissolve nothing";
    EXPECT_GT(maximum, 50000) << "the swirl uses only part of the range";
    EXPECT_LT(forge::Valeur565(t, 320, 240), forge::Valeur565(t, 0, 0));
    EXPECT_LT(forge::Valeur565(t, 320, 240), forge::Valeur565(t, 639, 479));
}

TEST(ImagesCartes, RampMaskSilhouetteMatchesTheRampPictureTopEdge) {
    const forge::ImageForgee& masque = Image("RampeMasque");
    const forge::ImageForgee& rampe = Image("RampeTotal");
    for (int x = 0; x < 640; ++x) {
        int premierMasque = -1, premierRampe = -1;
        for (int y = 0; y < masque.hauteur && premierMasque < 0; ++y)
            if (forge::Valeur565(masque, x, y) != 0) premierMasque = y;
        // Below the sun, the one bright shape of the sky.
        const int ciel = int(forge::kSoleilHaut + forge::kSoleilRayon) + 1;
        for (int y = ciel; y < 480 && premierRampe < 0; ++y) {
            const forge_test::Rvb8 p = forge_test::Pixel(rampe, x, y);
            if (p.r + p.g + p.b >= 3 * 180) premierRampe = y;
        }
        ASSERT_GT(premierMasque, ciel) << "column " << x << " has no ramp (or ramp in the sky)";
        EXPECT_EQ(premierMasque, forge::HautRampe(x)) << "column " << x;
        EXPECT_EQ(premierMasque, premierRampe) << "column " << x;
        // Solid below the edge: the silhouette has no holes.
        for (int y = premierMasque; y < masque.hauteur; ++y)
            ASSERT_NE(forge::Valeur565(masque, x, y), 0) << x << "," << y;
    }
    // The ramp slopes: low on the left, high on the right, and the logo riding
    // it (two rows above the edge) stays on the screen.
    EXPECT_GT(forge::HautRampe(0), forge::HautRampe(639) + 100);
    const int logo = Image("Kazzmot").hauteur;
    for (int x = 0; x < 640; ++x) EXPECT_GE(forge::HautRampe(x) - 2 - logo, 0) << x;
    // Over the horizon the ramp's sky is the stage's, sun included, so that
    // nothing changes there when the stage is laid over it: row by row the
    // two differ by no more than their grain.
    const forge::ImageForgee& scene = Image("Support2");
    for (int y = 0; y < forge::kHorizonScene - 1; ++y) {
        double ecart = 0;
        for (int x = 0; x < 640; ++x) {
            if (forge::HautRampe(x) <= y + 1) continue;
            const forge_test::Rvb8 a = forge_test::Pixel(rampe, x, y),
                                   b = forge_test::Pixel(scene, x, y);
            ecart += std::abs(a.r - b.r) + std::abs(a.g - b.g) + std::abs(a.b - b.b);
        }
        EXPECT_LT(ecart / 640, 12) << "the ramp's sky differs from the stage's at row " << y;
    }
}

// The shifts a bubble map gives, as the production's bubble routine applies
// them: the map is drawn at the corner of a screen whose every pixel holds
// its own position, so each pixel of the bubble then tells where it was
// fetched from. 0 where the screen was left as it was.
struct Decalages {
    int cote = 0;
    std::vector<int> d;
    int A(int x, int y) const { return d[size_t(y) * cote + x]; }
};

Decalages MesureDecalages(const forge::ImageForgee& carte) {
    const int w = carte.largeur, h = carte.hauteur;
    ImageTest bulle = CreeImageTest(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) FixePixel(bulle.get(), x, y, forge::Valeur565(carte, x, y));
    ImageTest ecran = CreeImageTest(256, 256);
    for (int y = 0; y < 256; ++y)
        for (int x = 0; x < 256; ++x) FixePixel(ecran.get(), x, y, Uint16(y << 8 | x));
    DessineBulle(0, 0, bulle.get(), ecran.get());
    Decalages r;
    r.cote = w;
    r.d.resize(size_t(w) * h);
    for (int y = 0; y < 256; ++y) {
        for (int x = 0; x < 256; ++x) {
            const int v = Pixel(ecran.get(), x, y), dx = (v & 255) - x, dy = (v >> 8) - y;
            EXPECT_EQ(dx, dy) << carte.nom << " " << x << "," << y << " not fetched diagonally";
            if (x < w && y < h)
                r.d[size_t(y) * w + x] = dx;
            else
                EXPECT_EQ(dx, 0) << carte.nom << " changed the screen at " << x << "," << y;
        }
    }
    return r;
}

// Lengths and shifts of the runs of equal shift met walking from the centre
// of a bubble outwards by steps of (sx, sy), up to its edge.
std::vector<std::pair<int, int>> Paliers(const Decalages& b, int x, int y, int sx, int sy) {
    std::vector<std::pair<int, int>> paliers;
    for (; x >= 0 && y >= 0 && x < b.cote && y < b.cote && b.A(x, y) > 0; x += sx, y += sy) {
        if (paliers.empty() || paliers.back().second != b.A(x, y))
            paliers.push_back({0, b.A(x, y)});
        ++paliers.back().first;
    }
    return paliers;
}

TEST(ImagesCartes, BubbleMapsBendARoundLensInASlopeWithADeeperRim) {
    // Smallest first: each at least half as wide again as the one before.
    const char* const noms[] = {"SpriteBullesPetit", "SpriteBullesMoyen", "SpriteBullesGros"};
    int largeurPrecedente = 0;
    for (const char* nom : noms) {
        const forge::ImageForgee& carte = Image(nom);
        ASSERT_EQ(carte.largeur, carte.hauteur) << nom;
        ASSERT_EQ(carte.largeur % 2, 0) << nom;
        EXPECT_GE(2 * carte.largeur, 3 * largeurPrecedente) << nom << " does not read as larger";
        largeurPrecedente = carte.largeur;
        // Its shape is what the routine bends: the non-black pixels.
        for (int y = 0; y < carte.hauteur; ++y)
            for (int x = 0; x < carte.largeur; ++x)
                ASSERT_EQ(carte.forme[size_t(y) * carte.largeur + x] != 0,
                          forge::Valeur565(carte, x, y) != 0)
                    << nom << " " << x << "," << y;
        const Decalages b = MesureDecalages(carte);
        const int n = b.cote;
        // The bent area is one round piece: on every row a single run, the
        // same on both sides of the centre (a pixel left in place at the end
        // of a row would show as a seam down the right rim).
        int courbes = 0;
        for (int y = 0; y < n; ++y) {
            int x0 = -1, x1 = -1;
            for (int x = 0; x < n; ++x) {
                if (b.A(x, y) == 0) continue;
                ++courbes;
                if (x0 < 0) x0 = x;
                ASSERT_TRUE(x1 < 0 || x1 == x - 1) << nom << " row " << y << " has a hole at " << x;
                x1 = x;
            }
            if (x0 < 0) continue;
            EXPECT_EQ(x0 + x1, n - 1) << nom << " row " << y << " is lopsided";
            for (int x = 0; x < n; ++x)
                ASSERT_EQ(b.A(x, y) > 0, b.A(x, n - 1 - y) > 0) << nom << " " << x << "," << y;
        }
        EXPECT_GT(courbes, n * n * 2 / 3) << nom << " bends too little of its square";
        // A lens: the shift, averaged over each whole-pixel distance from the
        // centre, never falls outwards; the outermost band is the rim.
        const double c = (n - 1) / 2.0;
        std::vector<double> somme(size_t(n), 0.0), nombre(size_t(n), 0.0);
        for (int y = 0; y < n; ++y)
            for (int x = 0; x < n; ++x)
                if (b.A(x, y) > 0) {
                    const size_t k = size_t(std::hypot(x - c, y - c));
                    somme[k] += b.A(x, y);
                    nombre[k] += 1;
                }
        std::vector<double> profil;
        for (size_t k = 0; k < somme.size(); ++k)
            if (nombre[k] > 0) profil.push_back(somme[k] / nombre[k]);
        for (size_t k = 1; k < profil.size(); ++k)
            ASSERT_LE(profil[k - 1], profil[k] + 0.5) << nom << " falls at distance " << k;
        // Walking out from the centre along the two axes: the water bends in
        // a slope, not in terraces (inside the rim two neighbours never differ
        // by more than one step of the blue field, about 4 pixels, and the
        // shift takes several values on the way), a bent middle, and a rim
        // standing clear of the glass inside it, deeper than three steps, by
        // a quarter of the width.
        const int m = n / 2;
        for (auto [x, y, sx, sy] :
             {std::array<int, 4>{m, m, 1, 0}, std::array<int, 4>{m - 1, m, -1, 0},
              std::array<int, 4>{m, m, 0, 1}, std::array<int, 4>{m, m - 1, 0, -1}}) {
            const auto paliers = Paliers(b, x, y, sx, sy);
            ASSERT_GE(paliers.size(), 4u) << nom << " has hardly any slope";
            const int rebord = paliers.back().second;
            int pasMax = 0, interieur = 0;
            for (size_t i = 0; i + 1 < paliers.size(); ++i) {
                interieur = std::max(interieur, paliers[i].second);
                if (i > 0) {
                    const int pas = std::abs(paliers[i].second - paliers[i - 1].second);
                    EXPECT_LE(pas, 5) << nom << " has a terrace at step " << i;
                    pasMax = std::max(pasMax, pas);
                }
            }
            const int centre = paliers.front().second;
            EXPECT_GT(centre, 0) << nom << " leaves its middle unbent";
            EXPECT_GT(interieur, centre) << nom << " does not bend more towards the rim";
            EXPECT_GE(rebord, 3 * centre) << nom;
            EXPECT_GT(4 * rebord, n) << nom << " has a faint rim";
            EXPECT_GE(rebord - interieur, 3 * pasMax) << nom << " has no rim of its own";
            EXPECT_LE(paliers.back().first, 5) << nom << " has a rim wider than a glass wall";
        }
    }
}
