// Key colours: transparent exactly where a keyed picture must vanish, never
// inside what must show; every value on the 5-6-5 grid.
#include <algorithm>
#include <cmath>
#include "test_images_commun.h"

using forge_test::EstBlanc;
using forge_test::EstNoir;
using forge_test::Image;
using forge_test::Pixel;
using forge_test::Recueil;

namespace {

// Fills a canvas with a disc of the given colour and finishes it with a key.
forge::ImageForgee DisqueFini(double gris, forge::Cle cle, forge::Couleur fond) {
    forge::Toile toile(64, 64);
    cairo_arc(toile.cr, 32, 32, 24, 0, 6.2832);
    cairo_set_source_rgb(toile.cr, gris, gris, gris);
    cairo_fill(toile.cr);
    forge::Finition f;
    f.cle = cle;
    f.fond = fond;
    f.grain = 3.0;
    return forge::Finit(toile, "disque", f);
}

}  // namespace

TEST(ImagesCles, DitheringNeverTurnsANearKeyShapeIntoTheKey) {
    // A disc two levels above black, dithered with grain, keyed on black: the
    // quantiser would put many of its pixels at (0, 0, 0) without the guard.
    const forge::ImageForgee noir = DisqueFini(2 / 255.0, forge::Cle::Noir, {0, 0, 0});
    const forge::ImageForgee blanc = DisqueFini(253 / 255.0, forge::Cle::Blanc, {1, 1, 1});
    int dedans = 0;
    for (int y = 0; y < 64; ++y) {
        for (int x = 0; x < 64; ++x) {
            const bool disque = (x - 31.5) * (x - 31.5) + (y - 31.5) * (y - 31.5) < 20 * 20;
            const bool horsDisque = (x - 31.5) * (x - 31.5) + (y - 31.5) * (y - 31.5) > 27 * 27;
            if (disque) {
                ++dedans;
                EXPECT_FALSE(EstNoir(Pixel(noir, x, y))) << x << "," << y;
                EXPECT_FALSE(EstBlanc(Pixel(blanc, x, y))) << x << "," << y;
                EXPECT_EQ(noir.forme[size_t(y) * 64 + x], 1);
            }
            if (horsDisque) {
                EXPECT_TRUE(EstNoir(Pixel(noir, x, y))) << x << "," << y;
                EXPECT_TRUE(EstBlanc(Pixel(blanc, x, y))) << x << "," << y;
                EXPECT_EQ(noir.forme[size_t(y) * 64 + x], 0);
            }
        }
    }
    EXPECT_GT(dedans, 1000);
}

TEST(ImagesCles, KeyedPicturesShowNoKeyColourInsideTheirShapes) {
    for (const forge::ImageForgee& im : Recueil().images) {
        if (im.cle == forge::Cle::Aucune) continue;
        int cles = 0, visibles = 0, fautes = 0;
        for (int y = 0; y < im.hauteur; ++y) {
            for (int x = 0; x < im.largeur; ++x) {
                const forge_test::Rvb8 p = Pixel(im, x, y);
                const bool cle = im.cle == forge::Cle::Noir ? EstNoir(p) : EstBlanc(p);
                const bool montre = im.forme[size_t(y) * im.largeur + x] != 0;
                if (cle == montre) ++fautes;
                (montre ? visibles : cles)++;
            }
        }
        EXPECT_EQ(fautes, 0) << im.nom << ": key colour inside the shape or shape outside it";
        EXPECT_GT(cles, 0) << im.nom << " has nothing transparent";
        EXPECT_GT(visibles, 0) << im.nom << " has nothing to show";
    }
}

TEST(ImagesCles, TelevisionSetIsSolidAroundItsScreenAndTransparentAtItsCorners) {
    const forge::ImageForgee& tv = Image("TV");
    // The cabinet, inset from its rounded corners, shows everywhere.
    const forge::Cadre k = forge::kCaissonTV;
    for (int y = k.y + 4; y < k.y + k.hauteur - 2; ++y)
        for (int x = k.x + 6; x < k.x + k.largeur - 6; ++x)
            ASSERT_FALSE(EstNoir(Pixel(tv, x, y))) << "pure black on the set at " << x << "," << y;
    EXPECT_LE(k.x, 15);
    EXPECT_LE(k.y, 14);
    EXPECT_GE(k.x + k.largeur, 275);
    // The corners and a margin along every side let the wall show round it,
    // the neon tube above the set and the shelf between its feet.
    const int dehors[][2] = {{0, 0},     {289, 0}, {0, 229},   {289, 229}, {8, 115},
                             {282, 115}, {145, 8}, {145, 217}, {20, 217},  {270, 217}};
    for (const auto& p : dehors)
        EXPECT_TRUE(EstNoir(Pixel(tv, p[0], p[1]))) << "outside the set at " << p[0] << "," << p[1];
    // It stands on its two feet: the lowest rows it shows are theirs, down to
    // the row above the one the room puts the shelf's top face on.
    int bas = -1;
    for (int y = 0; y < tv.hauteur; ++y)
        for (int x = 0; x < tv.largeur; ++x)
            if (tv.forme[size_t(y) * tv.largeur + x]) bas = y;
    EXPECT_EQ(bas + 1, forge::kBasPiedsTV);
    EXPECT_EQ(forge::EtagerePiece(), forge::kBasPiedsTV) << "the upper sets float over the shelf";
    for (int pied : forge::kPiedsTV)
        EXPECT_FALSE(EstNoir(Pixel(tv, pied + forge::kLargeurPiedTV / 2, bas))) << "foot " << pied;
    // The bezel is chrome on a rounded frame. Down both sides its colour turns
    // over several rows, never in one hard step, and it darkens toward the
    // bottom. Its one white-hot glint sits where the upper left corner faces
    // the ceiling's light.
    int saut = 0;
    long haut = 0, dessous = 0;
    for (int x : {15, 16, 17, 274, 275}) {
        for (int y = 24; y < 188; ++y) {
            const forge_test::Rvb8 a = Pixel(tv, x, y), b = Pixel(tv, x, y + 1);
            saut = std::max({saut, std::abs(a.r - b.r), std::abs(a.g - b.g), std::abs(a.b - b.b)});
            if (y < 70) haut += a.r + a.g + a.b;
            if (y >= 142) dessous += a.r + a.g + a.b;
        }
    }
    EXPECT_LT(saut, 40) << "a hard band edge down the bezel's sides";
    EXPECT_LT(dessous, haut * 3 / 4) << "the bezel's lower sides are as bright as its upper";
    int blancs = 0, loin = 0;
    for (int y = 0; y < 202; ++y) {
        for (int x = 0; x < tv.largeur; ++x) {
            const forge_test::Rvb8 p = Pixel(tv, x, y);
            if (std::min({p.r, p.g, p.b}) < 246) continue;
            ++blancs;
            loin += std::hypot(x - 19, y - 13) > 10;
        }
    }
    EXPECT_GE(blancs, 2) << "no hot highlight on the bezel";
    EXPECT_EQ(loin, 0) << "white-hot pixels away from the upper left corner";
}

TEST(ImagesCles, FramesAreTransparentWhereTheyMustShowThePageBehind) {
    // The old television's screen and the closing frame's two windows.
    EXPECT_TRUE(EstNoir(Pixel(Image("OldTV"), 320, 200)));
    EXPECT_FALSE(EstNoir(Pixel(Image("OldTV"), 10, 10)));
    EXPECT_TRUE(EstBlanc(Pixel(Image("Fin"), 320, 170)));
    EXPECT_FALSE(EstBlanc(Pixel(Image("Fin"), 2, 2)));
    EXPECT_FALSE(EstBlanc(Pixel(Image("Fin"), 2, 340))) << "the divider under the portraits";
    // Nothing of the frame under the divider, where the band's smear would
    // wipe it while the portraits show and the animation would bring it back.
    int poses = 0;
    for (int y = 345; y < 480; ++y)
        for (int x = 0; x < 640; ++x) poses += !EstBlanc(Pixel(Image("Fin"), x, y));
    EXPECT_EQ(poses, 0) << "pixels of the frame in the credits' band";
    // The countdown digits and the ring vanish around their ink.
    EXPECT_TRUE(EstBlanc(Pixel(Image("Decompte5"), 0, 0)));
    EXPECT_TRUE(EstBlanc(Pixel(Image("Cercle"), 60, 60)));
}

TEST(ImagesCles, GroupLogoOpensOnTheBlackOfItsCentre) {
    // The centre zoom starts from the centre pixel alone, after a black
    // screen: that pixel and its neighbours are black, so the zoom's first
    // frames go on from the black.
    for (int dy = -2; dy <= 2; ++dy)
        for (int dx = -2; dx <= 2; ++dx)
            EXPECT_TRUE(EstNoir(Pixel(Image("Orbo"), 320 + dx, 240 + dy))) << dx << "," << dy;
}

TEST(ImagesCles, EveryValueLiesOnThe565Grid) {
    for (const forge::ImageForgee& im : Recueil().images) {
        int hors = 0;
        for (size_t i = 0; i < im.rvb.size(); i += 3) {
            const int r = im.rvb[i], g = im.rvb[i + 1], b = im.rvb[i + 2];
            if (forge::Etend5(r >> 3) != r || forge::Etend6(g >> 2) != g ||
                forge::Etend5(b >> 3) != b)
                ++hors;
        }
        EXPECT_EQ(hors, 0) << im.nom;
    }
}

TEST(ImagesCles, GradientsAreDitheredNotBanded) {
    // A slow gradient over 8 levels of 5-bit red: with dithering, neighbouring
    // pixels of one row take different values and each column's mean follows
    // the ramp smoothly.
    forge::Toile toile(256, 16);
    cairo_pattern_t* p = cairo_pattern_create_linear(0, 0, 256, 0);
    cairo_pattern_add_color_stop_rgb(p, 0, 0.2, 0.2, 0.2);
    cairo_pattern_add_color_stop_rgb(p, 1, 0.2 + 64 / 255.0, 0.2, 0.2);
    cairo_set_source(toile.cr, p);
    cairo_paint(toile.cr);
    cairo_pattern_destroy(p);
    const forge::ImageForgee im = forge::Finit(toile, "degrade", forge::Finition());
    double precedent = -1;
    int paliers = 0;
    for (int x = 0; x < 256; x += 8) {
        double somme = 0;
        for (int y = 0; y < 16; ++y)
            for (int k = 0; k < 8; ++k) somme += Pixel(im, x + k, y).r;
        const double moyenne = somme / 128;
        if (precedent >= 0 && moyenne <= precedent) ++paliers;
        precedent = moyenne;
    }
    EXPECT_EQ(paliers, 0) << "the mean red stalls: the ramp is banded";
}
