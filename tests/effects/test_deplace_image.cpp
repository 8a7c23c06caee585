// Straight-line moves on the virtual machine: where each step draws, how many
// frames are shown, the trail, a key press, and the screen left behind.
#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "effets.h"
#include "outils_tests.h"

namespace {

constexpr Uint16 kFond = 0x18E3;
constexpr Uint16 kImage = 0xF800;

struct DeplaceTest : testing::Test {
    Ecran* ecran = nullptr;
    ImageTest image = CreeImageTest(4, 4, kImage);
    std::vector<std::vector<Uint16>> trames;

    void Ouvre(const ConfigMachine& config = ConfigMachine()) {
        ecran = OuvreEcranTest(config);
        Remplit(ecran, kFond);
        ObserveTrames([this](std::uint64_t, const Uint16* p, int w, int h) {
            trames.emplace_back(p, p + static_cast<size_t>(w) * h);
        });
    }
    void TearDown() override {
        ObserveTrames(nullptr);
        if (ecran) FermeEcranTest(ecran);
    }
    // The top-left corner of the 4 x 4 picture in a frame, or (-1, -1).
    static std::pair<int, int> Position(const std::vector<Uint16>& trame) {
        for (int y = 0; y < 480; ++y) {
            for (int x = 0; x < 640; ++x) {
                if (trame[x + y * 640] == kImage) return {x, y};
            }
        }
        return {-1, -1};
    }
    static int Compte(const std::vector<Uint16>& trame, Uint16 couleur) {
        int n = 0;
        for (Uint16 p : trame) n += p == couleur;
        return n;
    }
};

TEST_F(DeplaceTest, EveryStepIsShownOneStepFurtherAndTheStartIsNeverDrawn) {
    Ouvre();
    DeplaceImage(image.get(), ecran, 100, 50, 110, 54, 1);
    ASSERT_EQ(NombrePresentations(), 10u);
    ASSERT_GE(trames.size(), 11u);
    // Refresh 0 shows the black display before anything; refresh k shows step k.
    const std::vector<std::pair<int, int>> attendu = {{101, 50}, {102, 51}, {103, 51}, {104, 52},
                                                      {105, 52}, {106, 52}, {107, 53}, {108, 53},
                                                      {109, 54}, {110, 54}};
    for (size_t k = 0; k < attendu.size(); ++k) {
        EXPECT_EQ(Position(trames[k + 1]), attendu[k]) << k;
        // One picture per frame over the restored screen: no trail.
        EXPECT_EQ(Compte(trames[k + 1], kImage), 16) << k;
        EXPECT_EQ(Compte(trames[k + 1], kFond), 640 * 480 - 16) << k;
    }
}

TEST_F(DeplaceTest, LargerStepMovesTheMinorAxisByWholeSteps) {
    Ouvre();
    // Vertical major axis, 40 rows by steps of 8: five frames.
    DeplaceImage(image.get(), ecran, 200, 300, 190, 260, 8);
    ASSERT_EQ(NombrePresentations(), 5u);
    const std::vector<std::pair<int, int>> attendu = {
        {200, 292}, {200, 284}, {192, 276}, {192, 268}, {192, 260}};
    for (size_t k = 0; k < attendu.size(); ++k) EXPECT_EQ(Position(trames[k + 1]), attendu[k]) << k;
}

TEST_F(DeplaceTest, EqualPointsOrAZeroStepDrawNothing) {
    Ouvre();
    DeplaceImage(image.get(), ecran, 20, 20, 20, 20, 3);
    DeplaceImage(image.get(), ecran, 20, 20, 300, 20, 0);
    TraceImage(image.get(), ecran, 20, 20, 20, 20);
    EXPECT_EQ(NombrePresentations(), 0u);
    EXPECT_EQ(Compte(std::vector<Uint16>(Pixels(ecran), Pixels(ecran) + 640 * 480), kImage), 0);
}

TEST_F(DeplaceTest, KeyPressEndsTheMoveAfterTheFrameItFollows) {
    ConfigMachine config;
    config.evenements.push_back({40, ToucheEnfoncee()});
    Ouvre(config);
    DeplaceImage(image.get(), ecran, 0, 0, 300, 0, 1);
    // Frames are shown at 16.7, 33.3, 50 ms: the key is found after the third.
    EXPECT_EQ(NombrePresentations(), 3u);
    EXPECT_EQ(Position(trames.back()), std::make_pair(3, 0));
}

TEST_F(DeplaceTest, EscapeHeldEndsTheProgram) {
    EXPECT_EXIT(
        {
            ConfigMachine config;
            config.echapDes = 100;
            Ouvre(config);
            DeplaceImage(image.get(), ecran, 0, 0, 600, 0, 1);
            std::exit(3);
        },
        testing::ExitedWithCode(0), "");
}

TEST_F(DeplaceTest, TraceLeavesATrailAndShowsNothing) {
    Ouvre();
    TraceImage(image.get(), ecran, 10, 10, 30, 15);
    EXPECT_EQ(NombrePresentations(), 0u);
    std::vector<Uint16> ecranFinal(Pixels(ecran), Pixels(ecran) + 640 * 480);
    // The trail: the picture stamped at each of the 20 positions after the
    // start; the minor axis moves when the error passes 20 (10 + 5k > 20m).
    std::vector<Uint16> attendu(640 * 480, kFond);
    for (int k = 1; k <= 20; ++k) {
        const int x = 10 + k, y = 10 + (5 * k + 9) / 20;
        for (int dy = 0; dy < 4; ++dy) {
            for (int dx = 0; dx < 4; ++dx) attendu[(x + dx) + (y + dy) * 640] = kImage;
        }
    }
    EXPECT_EQ(ecranFinal[10 + 10 * 640], kFond);  // the start is never stamped
    EXPECT_EQ(ecranFinal[13 + 11 * 640], kImage);
    EXPECT_EQ(ecranFinal[33 + 18 * 640], kImage);  // the last stamp at (30, 15)
    EXPECT_TRUE(ecranFinal == attendu);
    // The display still shows the black it started with.
    EXPECT_EQ(Compte(ImageAffichee(), kImage), 0);
}

TEST_F(DeplaceTest, KeyPressStopsTheTrail) {
    ConfigMachine config;
    config.evenements.push_back({0, ToucheEnfoncee()});
    Ouvre(config);
    TraceImage(image.get(), ecran, 10, 10, 300, 10);
    std::vector<Uint16> ecranFinal(Pixels(ecran), Pixels(ecran) + 640 * 480);
    // The key is found after the first stamp.
    EXPECT_EQ(Compte(ecranFinal, kImage), 16);
    EXPECT_EQ(ecranFinal[11 + 10 * 640], kImage);
}

}  // namespace
