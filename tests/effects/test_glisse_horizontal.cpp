// The horizontal slide: the columns it shows the caption at in the logo
// scene's three calls whatever the caption's width, its own running column
// when the screen's edge cuts the picture, the background under it, and its
// key handling.
#include <gtest/gtest.h>

#include <vector>

#include "effets.h"
#include "outils_tests.h"

namespace {

// A picture whose pixel (x, y) holds 0x8000 | (y << 8) | x: the pixel shown
// at a screen position says which part of the picture it is.
ImageTest ImageCodee(int w, int h) {
    ImageTest image = CreeImageTest(w, h);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) FixePixel(image.get(), x, y, 0x8000 | (y << 8) | x);
    }
    return image;
}

// Where a frame shows the picture: the screen's leftmost and topmost picture
// pixel and the picture column and row it holds.
struct Vue {
    int x, y, colonne, ligne;
    bool operator==(const Vue& o) const {
        return x == o.x && y == o.y && colonne == o.colonne && ligne == o.ligne;
    }
};
std::ostream& operator<<(std::ostream& os, const Vue& v) {
    return os << "(" << v.x << "," << v.y << " shows " << v.colonne << "," << v.ligne << ")";
}

struct Releve {
    std::vector<Vue> vues;
    Releve() {
        ObserveTrames([this](std::uint64_t index, const Uint16* pixels, int w, int h) {
            if (index == 0) return;
            Vue v{-1, -1, -1, -1};
            for (int y = 0; y < h && v.x < 0; ++y) {
                for (int x = 0; x < w; ++x) {
                    const Uint16 p = pixels[y * w + x];
                    if (p & 0x8000) {
                        v = Vue{x, y, p & 0xFF, (p >> 8) & 0x7F};
                        break;
                    }
                }
            }
            vues.push_back(v);
        });
    }
    ~Releve() { ObserveTrames(nullptr); }
    std::vector<int> X() const {
        std::vector<int> x;
        for (const Vue& v : vues) x.push_back(v.x);
        return x;
    }
};

}  // namespace

// Where a frame shows a picture whose left edge is at column x (cut by the
// left edge of the screen when x is negative), top row y.
Vue VueA(int x, int y) {
    return x < 0 ? Vue{0, y, -x, 0} : Vue{x, y, 0, 0};
}

TEST(GlisseHorizontal, CaptionCallsOfTheLogoSceneDrawTheirFrames) {
    // Captions of any width: a usual one, one whose first limit is the
    // screen's left edge, one wider than the screen (its limits lie left of
    // it). A key long after the slides would end one that never passes its
    // limit.
    struct Cas {
        int largeur;
        size_t vuesEntree;  // frames of the slide in from the right edge
        int derniereEntree;
    };
    const Cas kCas[] = {
        {200, 108, 208},  // 636, 632, ..., 208
        {620, 161, -4},   // 636, ..., 0, -4
        {700, 171, -44},  // 636, ..., -40, -44
    };
    for (const Cas& cas : kCas) {
        SCOPED_TRACE(cas.largeur);
        ConfigMachine config;
        config.evenements.push_back({20000, ToucheEnfoncee()});
        Ecran* ecran = OuvreEcranTest(config);
        ImageTest caption = ImageCodee(cas.largeur, 50);
        const Sint16 c = static_cast<Sint16>((640 - cas.largeur) / 2), y = (480 - 50) / 2;

        Remplit(ecran, 0);
        {
            Releve r;
            GlisseHorizontal(caption.get(), ecran, 640, static_cast<Sint16>(c - 10), y, 4);
            ASSERT_EQ(r.vues.size(), cas.vuesEntree);
            EXPECT_EQ(r.vues.front(), VueA(636, y));
            EXPECT_EQ(r.vues.back(), VueA(cas.derniereEntree, y));
            for (size_t i = 1; i < r.vues.size(); ++i) {
                EXPECT_EQ(r.vues[i], VueA(636 - 4 * static_cast<int>(i), y));
            }
        }
        Remplit(ecran, 0);
        {
            Releve r;
            GlisseHorizontal(caption.get(), ecran, static_cast<Sint16>(c - 10),
                             static_cast<Sint16>(c + 10), y, 6);
            EXPECT_EQ(r.vues, (std::vector<Vue>{VueA(c - 4, y), VueA(c + 2, y), VueA(c + 8, y),
                                                VueA(c + 14, y)}));
        }
        Remplit(ecran, 0);
        {
            Releve r;
            GlisseHorizontal(caption.get(), ecran, static_cast<Sint16>(c + 10), c, y, 6);
            EXPECT_EQ(r.vues, (std::vector<Vue>{VueA(c + 4, y), VueA(c - 2, y)}));
        }
        if (cas.largeur == 200) {
            // At rest two columns left of centre, over the black it started on.
            EXPECT_EQ(Pixel(ecran, c - 2, y), 0x8000);
            EXPECT_EQ(Pixel(ecran, c - 3, y), 0);
            EXPECT_EQ(Pixel(ecran, c + 197, y + 49), 0x8000 | (49 << 8) | 199);
            EXPECT_EQ(Pixel(ecran, c + 198, y + 49), 0);
        }
        FermeEcranTest(ecran);
    }
}

TEST(GlisseHorizontal, EqualEndsDrawOneFrameOneStepPastTheStart) {
    Ecran* ecran = OuvreEcranTest();
    Remplit(ecran, 0);
    ImageTest image = ImageCodee(40, 20);
    Releve r;
    GlisseHorizontal(image.get(), ecran, 100, 100, 30, 5);
    EXPECT_EQ(r.vues, (std::vector<Vue>{{95, 30, 0, 0}}));
    FermeEcranTest(ecran);
}

TEST(GlisseHorizontal, PictureCutAtTheLeftEdgeKeepsItsColumnAndCarriesOnFromRowZero) {
    Ecran* ecran = OuvreEcranTest();
    Remplit(ecran, 0);
    ImageTest image = ImageCodee(40, 20);
    Releve r;
    GlisseHorizontal(image.get(), ecran, -20, 10, -5, 4);
    // First frame at x -16, y -5: cut on two sides. The slide keeps its own
    // column, -12, -8, ..., while the clipped blit moves its row to 0.
    EXPECT_EQ(r.vues, (std::vector<Vue>{{0, 0, 16, 5},
                                        {0, 0, 12, 0},
                                        {0, 0, 8, 0},
                                        {0, 0, 4, 0},
                                        {0, 0, 0, 0},
                                        {4, 0, 0, 0},
                                        {8, 0, 0, 0},
                                        {12, 0, 0, 0}}));
    FermeEcranTest(ecran);
}

TEST(GlisseHorizontal, BackgroundComesBackUnderTheMovingPicture) {
    Ecran* ecran = OuvreEcranTest();
    RemplitMotif(ecran);
    ImageTest original = CreeImageTest(640, 480);
    RemplitMotif(original.get());
    ImageTest image = CreeImageTest(40, 20, 0xFFFF);
    GlisseHorizontal(image.get(), ecran, 300, 100, 50, 7);
    // Last frame: x = 300 - 29 x 7 = 97, the first below 100.
    EXPECT_EQ(NombrePresentations(), 29u);
    for (int y = 0; y < 480; y += 3) {
        for (int x = 0; x < 640; ++x) {
            const bool sous = x >= 97 && x < 137 && y >= 50 && y < 70;
            ASSERT_EQ(Pixel(ecran, x, y), sous ? 0xFFFF : Pixel(original.get(), x, y))
                << x << "," << y;
        }
    }
    FermeEcranTest(ecran);
}

TEST(GlisseHorizontal, KeyIsSeenOnlyAfterAFrameIsShown) {
    ConfigMachine config;
    config.evenements.push_back({0, ToucheEnfoncee()});
    Ecran* ecran = OuvreEcranTest(config);
    Remplit(ecran, 0);
    ImageTest image = ImageCodee(40, 20);
    Releve r;
    GlisseHorizontal(image.get(), ecran, 640, 0, 10, 4);
    EXPECT_EQ(r.vues, (std::vector<Vue>{{636, 10, 0, 0}}));
    FermeEcranTest(ecran);
}
