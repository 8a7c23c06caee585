// The fade to black: the arithmetic of one frame, when the fade stops, and
// its key handling.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "effets.h"
#include "outils_tests.h"

namespace {

// Whether each refresh after the first showed an all-black picture.
struct RelevesNoirs {
    std::vector<bool> noir;
    RelevesNoirs() {
        ObserveTrames([this](std::uint64_t index, const Uint16* pixels, int w, int h) {
            if (index > 0)
                noir.push_back(
                    std::all_of(pixels, pixels + w * h, [](Uint16 p) { return p == 0; }));
        });
    }
    ~RelevesNoirs() { ObserveTrames(nullptr); }
};

Uint8 Vert(Ecran* ecran, Uint16 pixel) {
    Uint8 r, g, b;
    SDL_GetRGB(pixel, ecran->surface->format, &r, &g, &b);
    return g;
}

}  // namespace

TEST(FonduNoir, OneFrameDividesEveryChannelAboveTheFactor) {
    // A key after the first frame stops the fade there.
    ConfigMachine config;
    config.evenements.push_back({1, ToucheEnfoncee()});
    Ecran* ecran = OuvreEcranTest(config);
    // Green 6 and 12 read as 24 and 48: exact multiples of 1.2 that the
    // single-precision factor turns into 19 and 39 (green 4 and 9).
    const Uint16 vert24 = 6 << 5, vert48 = 12 << 5;
    ASSERT_EQ(Vert(ecran, vert24), 24);
    ASSERT_EQ(Vert(ecran, vert48), 48);
    Remplit(ecran, 0xFFFF);
    FixePixel(ecran, 10, 10, vert24);
    FixePixel(ecran, 639, 479, vert48);
    FonduNoir(ecran, 1.2f);
    EXPECT_EQ(NombrePresentations(), 1u);
    EXPECT_EQ(Pixel(ecran, 10, 10), 4 << 5);
    EXPECT_EQ(Pixel(ecran, 639, 479), 9 << 5);
    // White: 255 / 1.2 = 212 in every channel (red and blue 26, green 53).
    EXPECT_EQ(Pixel(ecran, 0, 0), (26 << 11) | (53 << 5) | 26);
    EXPECT_EQ(ImageAffichee()[0], (26 << 11) | (53 << 5) | 26);
    FermeEcranTest(ecran);
}

TEST(FonduNoir, WhiteScreenEndsOnTwoBlackFrames) {
    Ecran* ecran = OuvreEcranTest();
    Remplit(ecran, 0xFFFF);
    RelevesNoirs releve;
    FonduNoir(ecran, 1.2f);
    const std::vector<bool>& noir = releve.noir;
    // Some 16 to 17 frames that change the picture, the first black one among
    // them, then one unchanged black frame that ends the fade.
    ASSERT_GE(noir.size(), 17u);
    ASSERT_LE(noir.size(), 19u);
    EXPECT_EQ(noir.size(), NombrePresentations());
    EXPECT_TRUE(noir[noir.size() - 1]);
    EXPECT_TRUE(noir[noir.size() - 2]);
    EXPECT_FALSE(noir[noir.size() - 3]);
    EXPECT_EQ(Pixel(ecran, 320, 240), 0);
    FermeEcranTest(ecran);
}

TEST(FonduNoir, BlackScreenDrawsOneFrame) {
    Ecran* ecran = OuvreEcranTest();
    Remplit(ecran, 0);
    FonduNoir(ecran, 1.2f);
    EXPECT_EQ(NombrePresentations(), 1u);
    EXPECT_EQ(Pixel(ecran, 0, 0), 0);
    FermeEcranTest(ecran);
}

TEST(FonduNoir, ChannelEqualToTheFactorIsDone) {
    Ecran* ecran = OuvreEcranTest();
    // Red 1 reads as 8: equal to a factor of 8, so it stays and counts as done.
    const Uint16 rouge8 = 1 << 11;
    Uint8 r, g, b;
    SDL_GetRGB(rouge8, ecran->surface->format, &r, &g, &b);
    ASSERT_EQ(r, 8);
    Remplit(ecran, rouge8);
    FonduNoir(ecran, 8.0f);
    EXPECT_EQ(NombrePresentations(), 1u);
    EXPECT_EQ(Pixel(ecran, 100, 100), rouge8);
    FermeEcranTest(ecran);
}

TEST(FonduNoir, KeyBeforeTheFirstFrameLeavesTheScreenUnchanged) {
    ConfigMachine config;
    config.evenements.push_back({0, ToucheEnfoncee()});
    Ecran* ecran = OuvreEcranTest(config);
    Remplit(ecran, 0xFFFF);
    FonduNoir(ecran, 1.2f);
    EXPECT_EQ(NombrePresentations(), 0u);
    EXPECT_EQ(Pixel(ecran, 5, 5), 0xFFFF);
    FermeEcranTest(ecran);
}
