// The centre zoom: which source pixel every screen pixel shows for the
// window heights of the table (margin, steps and first row), how many frames
// a zoom draws, and how it stops.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <vector>

#include "effets.h"
#include "outils_tests.h"

namespace {

// Every pixel of the source names its column and its row modulo 64.
Uint16 Code(int x, int y) {
    return static_cast<Uint16>(x | ((y & 63) << 10));
}
int Colonne(Uint16 v) {
    return v & 1023;
}
int LigneMod64(Uint16 v) {
    return v >> 10;
}

ImageTest SourceCodee() {
    ImageTest image = CreeImageTest(640, 480);
    for (int y = 0; y < 480; ++y) {
        for (int x = 0; x < 640; ++x) FixePixel(image.get(), x, y, Code(x, y));
    }
    return image;
}

// Keeps the frames shown at the given refreshes (refresh n shows frame n).
struct Trames {
    std::map<std::uint64_t, std::vector<Uint16>> trames;
    explicit Trames(std::vector<std::uint64_t> voulues) {
        ObserveTrames([this, voulues](std::uint64_t index, const Uint16* pixels, int w, int h) {
            for (std::uint64_t v : voulues) {
                if (v == index) trames[index].assign(pixels, pixels + w * h);
            }
        });
    }
    ~Trames() { ObserveTrames(nullptr); }
    // Source column and row (mod 64) shown at screen pixel (x, y) of frame n.
    std::pair<int, int> Montre(std::uint64_t n, int x, int y) {
        const Uint16 v = trames.at(n)[y * 640 + x];
        return {Colonne(v), LigneMod64(v)};
    }
};

std::pair<int, int> P(int colonne, int ligne) {
    return {colonne, ligne & 63};
}

}  // namespace

TEST(ZoomCentre, OutwardFramesFollowTheWindowTable) {
    Ecran* ecran = OuvreEcranTest();
    ImageTest source = SourceCodee();
    Trames t({1, 2, 121, 241});
    ZoomCentre(source.get(), ecran, 2);
    EXPECT_EQ(NombrePresentations(), 241u);  // a = 0, 2, ..., 480

    // a = 0: the whole screen is the centre pixel.
    for (int y = 0; y < 480; y += 7) {
        for (int x = 0; x < 640; x += 5) ASSERT_EQ(t.Montre(1, x, y), P(320, 240));
    }
    // a = 2: margin 318, first row 239, both steps 1/256.
    EXPECT_EQ(t.Montre(2, 0, 0), P(318, 239));
    EXPECT_EQ(t.Montre(2, 255, 0), P(318, 239));
    EXPECT_EQ(t.Montre(2, 256, 0), P(319, 239));
    EXPECT_EQ(t.Montre(2, 639, 0), P(320, 239));
    EXPECT_EQ(t.Montre(2, 0, 255), P(318, 239));
    EXPECT_EQ(t.Montre(2, 0, 256), P(318, 240));
    // a = 240: margin 159, first row 120, both steps one half.
    EXPECT_EQ(t.Montre(121, 0, 0), P(159, 120));
    EXPECT_EQ(t.Montre(121, 1, 1), P(159, 120));
    EXPECT_EQ(t.Montre(121, 2, 2), P(160, 121));
    EXPECT_EQ(t.Montre(121, 639, 479), P(478, 359));
    // a = 480: the whole picture; row for row, columns 637 to 639 never shown.
    int plusGrande = 0;
    for (int y = 0; y < 480; ++y) {
        for (int x = 0; x < 640; ++x) {
            const auto [colonne, ligne] = t.Montre(241, x, y);
            ASSERT_EQ(ligne, y & 63);
            ASSERT_EQ(colonne, x * 255 / 256);
            plusGrande = std::max(plusGrande, colonne);
        }
    }
    EXPECT_EQ(plusGrande, 636);
    // The screen keeps the last frame.
    EXPECT_EQ(Pixel(ecran, 639, 479), Code(636, 479));
    FermeEcranTest(ecran);
}

TEST(ZoomCentre, MarginOfAThreeRowWindowTruncatesTo317) {
    Ecran* ecran = OuvreEcranTest();
    ImageTest source = SourceCodee();
    Trames t({2});
    ZoomCentre(source.get(), ecran, 3);
    EXPECT_EQ(NombrePresentations(), 161u);  // a = 0, 3, ..., 480
    EXPECT_EQ(t.Montre(2, 0, 0), P(317, 238));
    EXPECT_EQ(t.Montre(2, 127, 0), P(317, 238));
    EXPECT_EQ(t.Montre(2, 128, 0), P(318, 238));
    EXPECT_EQ(t.Montre(2, 0, 256), P(317, 239));
    FermeEcranTest(ecran);
}

TEST(ZoomCentre, StepThatDoesNotDivideTheHeightEndsBelowIt) {
    Ecran* ecran = OuvreEcranTest();
    ImageTest source = SourceCodee();
    ZoomCentre(source.get(), ecran, 7);
    EXPECT_EQ(NombrePresentations(), 69u);  // a = 0, 7, ..., 476
    // a = 476: margin 2, first row 2; slightly short of the whole picture.
    EXPECT_EQ(Pixel(ecran, 0, 0), Code(2, 2));
    EXPECT_EQ(Pixel(ecran, 639, 479), Code(636, 475));
    FermeEcranTest(ecran);
}

TEST(ZoomCentre, InwardZoomStopsBeforeTheCentrePoint) {
    Ecran* ecran = OuvreEcranTest();
    ImageTest source = SourceCodee();
    Trames t({1});
    ZoomCentre(source.get(), ecran, -2);
    EXPECT_EQ(NombrePresentations(), 240u);  // a = 480, 478, ..., 2
    EXPECT_EQ(t.Montre(1, 639, 479), P(636, 479));
    EXPECT_EQ(Pixel(ecran, 0, 0), Code(318, 239));
    EXPECT_EQ(Pixel(ecran, 256, 256), Code(319, 240));

    // A step that does not divide the height ends where it would pass 0.
    ZoomCentre(source.get(), ecran, -7);
    EXPECT_EQ(NombrePresentations(), 240u + 69u);  // a = 480, 473, ..., 4
    FermeEcranTest(ecran);
}

TEST(ZoomCentre, KeyBeforeTheFirstFrameLeavesTheScreenUnchanged) {
    ConfigMachine config;
    config.evenements.push_back({0, ToucheEnfoncee()});
    Ecran* ecran = OuvreEcranTest(config);
    Remplit(ecran, 0x1234);
    ImageTest source = SourceCodee();
    ZoomCentre(source.get(), ecran, 2);
    EXPECT_EQ(NombrePresentations(), 0u);
    EXPECT_EQ(Pixel(ecran, 0, 0), 0x1234);
    EXPECT_EQ(Pixel(ecran, 639, 479), 0x1234);
    FermeEcranTest(ecran);
}

TEST(ZoomCentre, KeyDuringTheZoomLeavesTheLastFrameShown) {
    ConfigMachine config;
    config.evenements.push_back({40, ToucheEnfoncee()});  // seen before the fourth frame
    Ecran* ecran = OuvreEcranTest(config);
    ImageTest source = SourceCodee();
    ZoomCentre(source.get(), ecran, 2);
    EXPECT_EQ(NombrePresentations(), 3u);
    EXPECT_EQ(Pixel(ecran, 0, 0), Code(317, 238));  // a = 4
    EXPECT_EQ(ImageAffichee()[0], Code(317, 238));
    FermeEcranTest(ecran);
}

TEST(ZoomCentre, PictureNotOfTheScreenSizeIsNotRead) {
    Ecran* ecran = OuvreEcranTest();
    Remplit(ecran, 0x1234);
    ImageTest petite = CreeImageTest(320, 240, 0xFFFF);
    ZoomCentre(petite.get(), ecran, 2);
    EXPECT_EQ(NombrePresentations(), 0u);
    EXPECT_EQ(Pixel(ecran, 320, 240), 0x1234);
    FermeEcranTest(ecran);
}
