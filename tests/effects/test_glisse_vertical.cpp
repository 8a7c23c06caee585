// The vertical slide: the rows it shows a picture at, frame by frame, the
// background it restores, its key handling, and the screen shake it gives
// when the screen is its own picture.
#include <gtest/gtest.h>

#include <vector>

#include "effets.h"
#include "outils_tests.h"

namespace {

constexpr Uint16 kFond = 0x0841;
constexpr Uint16 kImage = 0xF800;

// Records, for every refresh after the first, the top row of a flat-coloured
// picture seen in column `colonne` (from its lowest visible row and its
// height; a picture wholly above the screen reads as -hauteur).
struct RelevePositions {
    std::vector<int> y;
    RelevePositions(int colonne, int hauteur) {
        ObserveTrames(
            [this, colonne, hauteur](std::uint64_t index, const Uint16* pixels, int w, int h) {
                if (index == 0) return;
                int bas = -1;
                for (int row = 0; row < h; ++row) {
                    if (pixels[row * w + colonne] == kImage) bas = row;
                }
                y.push_back(bas - hauteur + 1);
            });
    }
    ~RelevePositions() { ObserveTrames(nullptr); }
};

std::vector<int> Glisse(int hauteur, Sint16 yFrom, Sint16 yTo, Uint8 step) {
    Ecran* ecran = OuvreEcranTest();
    Remplit(ecran, kFond);
    ImageTest image = CreeImageTest(40, hauteur, kImage);
    RelevePositions releve(100, hauteur);
    GlisseVertical(image.get(), ecran, yFrom, yTo, 100, step);
    // Outside the picture's last place, the background came back every frame.
    const int dernier = releve.y.empty() ? yFrom : releve.y.back();
    for (int row = 0; row < 480; ++row) {
        const bool couvert = row >= dernier && row < dernier + hauteur;
        EXPECT_EQ(Pixel(ecran, 99, row), kFond) << row;
        if (!couvert) {
            EXPECT_EQ(Pixel(ecran, 100, row), kFond) << row;
        }
    }
    FermeEcranTest(ecran);
    return releve.y;
}

std::vector<int> Pas(const std::vector<int>& y) {
    std::vector<int> d;
    for (size_t i = 1; i < y.size(); ++i) d.push_back(y[i] - y[i - 1]);
    return d;
}

}  // namespace

TEST(GlisseVertical, ShowsThePictureAtEachRowBeforeTheLimit) {
    EXPECT_EQ(Glisse(30, 0, 15, 6), (std::vector<int>{0, 6, 12}));
    EXPECT_EQ(Glisse(30, 0, 5, 2), (std::vector<int>{0, 2, 4}));
    EXPECT_EQ(Glisse(30, 0, -5, 2), (std::vector<int>{0, -2, -4}));
    EXPECT_EQ(Glisse(30, 0, 10, 5), (std::vector<int>{0, 5}));
    EXPECT_EQ(Glisse(30, 0, -10, 5), (std::vector<int>{0, -5}));
    // Equal ends: one frame, at the start.
    EXPECT_EQ(Glisse(30, 50, 50, 4), (std::vector<int>{50}));
}

TEST(GlisseVertical, FullScreenPictureFallsFromAboveIn161Frames) {
    const std::vector<int> y = Glisse(480, -480, 3, 3);
    ASSERT_EQ(y.size(), 161u);
    EXPECT_EQ(y.front(), -480);  // wholly above the screen: nothing of it shows
    EXPECT_EQ(y.back(), 0);
    EXPECT_EQ(Pas(y), std::vector<int>(160, 3));
}

TEST(GlisseVertical, LetterDropEndsWithItsLowestRowOnRow233) {
    for (int h : {61, 90}) {
        const std::vector<int> y =
            Glisse(h, static_cast<Sint16>(-h), static_cast<Sint16>(235 - h), 2);
        ASSERT_EQ(y.size(), 118u) << h;
        EXPECT_EQ(y.front(), -h);
        EXPECT_EQ(y.back(), 234 - h);
        EXPECT_EQ(y.back() + h - 1, 233);
        EXPECT_EQ(Pas(y), std::vector<int>(117, 2));
    }
}

TEST(GlisseVertical, PresentsOnlyThroughTheScreenRectangle) {
    // After a blit of a small picture through it, the screen's rect covers
    // that picture only: the restore and the update then cover that area.
    Ecran* ecran = OuvreEcranTest();
    Remplit(ecran, kFond);
    ImageTest petit = CreeImageTest(200, 100, 0x001F);
    SDL_BlitSurface(petit->surface, &petit->rect, ecran->surface, &ecran->rect);
    ASSERT_EQ(ecran->rect.w, 200);
    ImageTest image = CreeImageTest(40, 30, kImage);
    GlisseVertical(image.get(), ecran, 10, 11, 300, 1);
    // Drawn on the surface, but outside the updated rectangle: not shown.
    EXPECT_EQ(Pixel(ecran, 300, 10), kImage);
    EXPECT_EQ(ImageAffichee()[10 * 640 + 300], 0);
    EXPECT_EQ(ImageAffichee()[10 * 640 + 100], 0x001F);
    FermeEcranTest(ecran);
}

TEST(GlisseVertical, KeyBeforeTheFirstFrameLeavesTheScreenAlone) {
    ConfigMachine config;
    config.evenements.push_back({0, ToucheEnfoncee()});
    Ecran* ecran = OuvreEcranTest(config);
    RemplitMotif(ecran);
    ImageTest image = CreeImageTest(40, 30, kImage);
    GlisseVertical(image.get(), ecran, 0, 100, 10, 2);
    EXPECT_EQ(NombrePresentations(), 0u);
    ImageTest attendu = CreeImageTest(640, 480);
    RemplitMotif(attendu.get());
    for (int x = 0; x < 60; ++x) EXPECT_EQ(Pixel(ecran, x, 5), Pixel(attendu.get(), x, 5));
    FermeEcranTest(ecran);
}

TEST(GlisseVertical, KeyDuringTheFallLeavesTheLastFrame) {
    // Each frame takes one refresh: a key at 50 ms is seen before the fourth.
    ConfigMachine config;
    config.evenements.push_back({50, ToucheEnfoncee()});
    Ecran* ecran = OuvreEcranTest(config);
    Remplit(ecran, kFond);
    ImageTest image = CreeImageTest(40, 30, kImage);
    GlisseVertical(image.get(), ecran, 0, 100, 10, 2);
    EXPECT_EQ(NombrePresentations(), 3u);
    EXPECT_EQ(Pixel(ecran, 10, 3), kFond);
    EXPECT_EQ(Pixel(ecran, 10, 4), kImage);
    EXPECT_EQ(Pixel(ecran, 10, 33), kImage);
    EXPECT_EQ(Pixel(ecran, 10, 34), kFond);
    FermeEcranTest(ecran);
}

TEST(GlisseVertical, PictureCutAtTheLeftEdgeCarriesOnFromColumnZero) {
    Ecran* ecran = OuvreEcranTest();
    Remplit(ecran, 0);
    ImageTest image = CreeImageTest(40, 10);
    for (int x = 0; x < 40; ++x) {
        for (int y = 0; y < 10; ++y) FixePixel(image.get(), x, y, static_cast<Uint16>(x + 1));
    }
    std::vector<Uint16> premiereColonne;
    ObserveTrames([&](std::uint64_t index, const Uint16* pixels, int w, int) {
        if (index > 0) premiereColonne.push_back(pixels[5 * w]);
    });
    GlisseVertical(image.get(), ecran, 0, 6, -10, 2);
    ObserveTrames(nullptr);
    // First frame cut: picture column 10 at screen column 0; the clipped x 0
    // is kept, so the whole picture shows from the second frame on.
    EXPECT_EQ(premiereColonne, (std::vector<Uint16>{11, 1, 1}));
    EXPECT_EQ(Pixel(ecran, 39, 4), 40);
    FermeEcranTest(ecran);
}

TEST(GlisseVertical, ScreenShakeDownThenUpRepeatsTheFourRowsAboveTheBottom) {
    Ecran* ecran = OuvreEcranTest();
    RemplitMotif(ecran);
    ImageTest original = CreeImageTest(640, 480);
    RemplitMotif(original.get());

    GlisseVertical(ecran, ecran, 0, 5, 0, 2);
    EXPECT_EQ(NombrePresentations(), 3u);
    // Shifted down by 4; the uncovered top rows keep their own content.
    for (int x : {0, 333, 639}) {
        for (int y = 0; y < 4; ++y) EXPECT_EQ(Pixel(ecran, x, y), Pixel(original.get(), x, y));
        for (int y = 4; y < 480; ++y) {
            ASSERT_EQ(Pixel(ecran, x, y), Pixel(original.get(), x, y - 4)) << x << "," << y;
        }
    }

    GlisseVertical(ecran, ecran, 0, -5, 0, 2);
    EXPECT_EQ(NombrePresentations(), 6u);
    for (int x = 0; x < 640; ++x) {
        for (int y = 0; y < 476; ++y) {
            ASSERT_EQ(Pixel(ecran, x, y), Pixel(original.get(), x, y)) << x << "," << y;
        }
        for (int y = 476; y < 480; ++y) {
            ASSERT_EQ(Pixel(ecran, x, y), Pixel(original.get(), x, y - 4)) << x << "," << y;
        }
    }
    // What was shown last is what the screen holds.
    const std::vector<Uint16>& affiche = ImageAffichee();
    for (int y = 0; y < 480; ++y) {
        ASSERT_EQ(affiche[y * 640 + 17], Pixel(ecran, 17, y)) << y;
    }
    FermeEcranTest(ecran);
}

TEST(GlisseVertical, JudderShowsTheScreenMovedDownBy12) {
    Ecran* ecran = OuvreEcranTest();
    RemplitMotif(ecran);
    ImageTest original = CreeImageTest(640, 480);
    RemplitMotif(original.get());
    GlisseVertical(ecran, ecran, 0, 15, 0, 6);
    EXPECT_EQ(NombrePresentations(), 3u);
    for (int y = 0; y < 480; ++y) {
        const int source = y < 12 ? y : y - 12;
        ASSERT_EQ(Pixel(ecran, 200, y), Pixel(original.get(), 200, source)) << y;
    }
    FermeEcranTest(ecran);
}
