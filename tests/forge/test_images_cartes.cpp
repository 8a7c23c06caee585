// Pictures read as numbers by the effects: the swirl that orders the dissolve,
// the ramp silhouette, and the bubble displacement maps.
#include <algorithm>
#include <cmath>
#include <utility>
#include <vector>

#include "test_images_commun.h"

using forge_test::Image;
using forge_test::Pixel;

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
        for (int y = 0; y < 480 && premierRampe < 0; ++y) {
            const forge_test::Rvb8 p = Pixel(rampe, x, y);
            if (p.r + p.g + p.b >= 3 * 180) premierRampe = y;
        }
        ASSERT_GT(premierMasque, 0) << "column " << x << " has no ramp (or ramp at row 0)";
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
}

// The shift the bubble routine gives a pixel: half its right-hand neighbour's
// blue field widened to 0..255.
int Decalage(const forge::ImageForgee& b, int x, int y) {
    return (forge::Valeur565(b, x + 1, y) & 31) * 255 / 31 / 2;
}

TEST(ImagesCartes, BubbleMapsAreGlassBallsOfThreeSizes) {
    // Smallest first: each at least half as wide again as the one before.
    const char* const noms[] = {"SpriteBullesPetit", "SpriteBullesMoyen", "SpriteBullesGros"};
    int largeurPrecedente = 0;
    for (const char* nom : noms) {
        const forge::ImageForgee& b = Image(nom);
        ASSERT_EQ(b.largeur, b.hauteur) << nom;
        ASSERT_EQ(b.largeur % 2, 0) << nom;
        EXPECT_GE(2 * b.largeur, 3 * largeurPrecedente) << nom << " does not read as larger";
        largeurPrecedente = b.largeur;
        const double c = (b.largeur - 1) / 2.0, r = b.largeur / 2.0;
        // (distance from the centre, shift) of every pixel inside whose
        // neighbour belongs to the bubble.
        std::vector<std::pair<double, int>> profil;
        for (int y = 0; y < b.hauteur; ++y) {
            for (int x = 0; x < b.largeur; ++x) {
                const double d = std::hypot(x - c, y - c) / r;
                const uint16_t v = forge::Valeur565(b, x, y);
                if (d > 1.0) {
                    ASSERT_EQ(v, 0) << nom << " " << x << "," << y << " outside the disc";
                    continue;
                }
                if (d < 0.95) {
                    ASSERT_NE(v, 0) << nom << " " << x << "," << y << " hole";
                }
                if (v == 0 || x + 1 >= b.largeur || forge::Valeur565(b, x + 1, y) == 0) continue;
                profil.emplace_back(d, Decalage(b, x, y));
            }
        }
        ASSERT_GT(profil.size(), size_t(b.largeur * b.largeur / 2)) << nom;
        std::sort(profil.begin(), profil.end());
        // A lens: the shift never falls from the centre outwards, the middle is
        // bent too, and the rim bends several times harder than the middle
        // and by more than a quarter of the bubble's width.
        for (size_t i = 1; i < profil.size(); ++i) {
            ASSERT_LE(profil[i - 1].second, profil[i].second)
                << nom << " at " << profil[i].first << " of the radius";
        }
        const int centre = profil.front().second, bord = profil.back().second;
        EXPECT_GT(centre, 0) << nom << " leaves its middle unbent";
        EXPECT_GE(bord, 3 * centre) << nom << " has no rim";
        EXPECT_GT(4 * bord, b.largeur) << nom << " has a faint rim";
    }
}
