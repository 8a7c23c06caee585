// The finale on the virtual machine: the 32 switch-off frames with their
// centred one-pixel line, the black last frame, and no key check once the
// switch-off has begun.
#include <gtest/gtest.h>

#include <vector>

#include "outils_tests.h"
#include "scenes.h"

namespace {

constexpr Uint16 kBlanc = 0xFFFF;

struct FinaleTest : testing::Test {
    Ecran* ecran = nullptr;
    Catalogue catalogue;
    std::vector<std::vector<Uint16>> trames;
    std::vector<std::uint64_t> scrutations;  // polls made before each refresh

    void Lance(const ConfigMachine& config = ConfigMachine()) {
        ecran = OuvreEcranTest(config);
        ObserveTrames([this](std::uint64_t, const Uint16* p, int w, int h) {
            trames.emplace_back(p, p + static_cast<size_t>(w) * h);
            scrutations.push_back(NombreScrutations());
        });
        RemplitMotif(ecran);  // the crawl's last picture stands in
        AfficheTrame(ecran->surface);
        SceneFinale(ecran, &catalogue);
        ObserveTrames(nullptr);
    }
    void TearDown() override {
        if (ecran) FermeEcranTest(ecran);
    }
};

// Checks that a frame is black but for row 240 from column x over w pixels.
void AttendLigne(const std::vector<Uint16>& trame, int x, int w) {
    for (int y = 0; y < 480; ++y) {
        for (int c = 0; c < 640; ++c) {
            const bool ligne = y == 240 && c >= x && c < x + w;
            ASSERT_EQ(trame[c + y * 640], ligne ? kBlanc : 0) << "column " << c << " row " << y;
        }
    }
}

TEST_F(FinaleTest, ThirtyTwoFramesOfACentredLineShrinkingToNothing) {
    Lance();
    ASSERT_GE(trames.size(), 33u);
    const size_t premier = trames.size() - 32;
    for (int k = 1; k <= 32; ++k) {
        SCOPED_TRACE(k);
        // Equal black margins of 10k pixels at both ends of row 240.
        AttendLigne(trames[premier + k - 1], 10 * k, 640 - 20 * k);
    }
    // Frame 31 keeps 20 pixels, columns 310 to 329; frame 32 is all black.
    EXPECT_EQ(trames[premier + 30][310 + 240 * 640], kBlanc);
    EXPECT_EQ(trames[premier + 30][329 + 240 * 640], kBlanc);
    EXPECT_EQ(trames[premier + 30][330 + 240 * 640], 0);
    for (Uint16 p : trames.back()) ASSERT_EQ(p, 0);
    // The frame before the switch-off is still a picture, not the line.
    EXPECT_NE(trames[premier - 1][0], 0);
}

TEST_F(FinaleTest, OneWhiteFlashOverThePictureBeforeTheSwitchOff) {
    Lance();
    ASSERT_GE(trames.size(), 35u);
    const std::vector<Uint16>& image = trames[1];  // the picture the finale starts on
    const size_t premier = trames.size() - 32;
    // Between the picture and the switch-off: the veiled picture for about
    // 150 ms, then the picture itself again.
    size_t voile = 0;
    for (size_t i = 2; i < premier; ++i) {
        if (trames[i] == image) continue;
        ++voile;
        for (size_t p = 0; p < image.size(); p += 97) {
            // Half white over each pixel: every channel at least as bright.
            const Uint16 a = image[p], b = trames[i][p];
            ASSERT_GE(b >> 11, a >> 11);
            ASSERT_GE((b >> 5) & 63, (a >> 5) & 63);
            ASSERT_GE(b & 31, a & 31);
            ASSERT_GE(b >> 11, 15) << "red at least half way to white";
        }
    }
    EXPECT_GE(voile, 8u);
    EXPECT_LE(voile, 10u);
    EXPECT_TRUE(trames[premier - 1] == image);
}

TEST_F(FinaleTest, SwitchOffIgnoresKeysAndAlwaysDrawsEveryFrame) {
    ConfigMachine config;
    for (Uint32 t = 0; t < 3000; t += 5) config.evenements.push_back({t, ToucheEnfoncee()});
    Lance(config);
    ASSERT_GE(trames.size(), 33u);
    const size_t premier = trames.size() - 32;
    // No poll between the first switch-off frame and the last.
    EXPECT_EQ(scrutations.back(), scrutations[premier]);
    AttendLigne(trames[premier], 10, 620);
    AttendLigne(trames[premier + 15], 160, 320);
}

TEST_F(FinaleTest, SaveSwitchOffFrames) {
    Lance();
    ASSERT_GE(trames.size(), 32u);
    const size_t premier = trames.size() - 32;
    SauvePixelsPNG(DossierTrames() + "/finale_extinction_01.png", trames[premier].data(), 640, 480);
    SauvePixelsPNG(DossierTrames() + "/finale_extinction_24.png", trames[premier + 23].data(), 640,
                   480);
    EXPECT_EQ(trames[premier + 23][240 + 240 * 640], kBlanc);
    EXPECT_EQ(trames[premier + 23][239 + 240 * 640], 0);
}

}  // namespace
