// The drain on the virtual machine: the strips' speeds read back from the
// frames, the frame count that follows from them, the background or black
// uncovered behind the strips, and the columns no strip covers.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "effets.h"
#include "outils_tests.h"

namespace {

// An even value: the pattern of RemplitMotif only holds odd ones.
constexpr Uint16 kFond = 0x0842;

class Drain : public testing::Test {
  protected:
    void SetUp() override { ecran_ = OuvreEcranTest(config_); }
    void TearDown() override {
        ObserveTrames(nullptr);
        if (ecran_) FermeEcranTest(ecran_);
    }
    // Keeps the pictures of refreshes 1 and 2: the first two frames drawn.
    void GardeDeuxPremieres() {
        ObserveTrames([this](std::uint64_t index, const Uint16* p, int w, int h) {
            if (index == 1 || index == 2) {
                trames_.emplace_back(p, p + static_cast<size_t>(w) * h);
                largeur_ = w;
            }
        });
    }
    Uint16 Trame(int n, int x, int y) const {
        return trames_[n][static_cast<size_t>(y) * largeur_ + x];
    }
    // Rows of background colour `fond` at the top of column x in frame n.
    int RangsDeFond(int n, int x, Uint16 fond) const {
        int y = 0;
        while (y < 480 && Trame(n, x, y) == fond) ++y;
        return y;
    }

    ConfigMachine config_;
    Ecran* ecran_ = nullptr;
    std::vector<std::vector<Uint16>> trames_;
    int largeur_ = 640;
};

TEST_F(Drain, StripsFallAtTheirOwnSpeedAndTheFrameCountFollowsFromThem) {
    RemplitMotif(ecran_);
    const std::vector<Uint16> original(Pixels(ecran_), Pixels(ecran_) + 640 * 480);
    ImageTest fond = CreeImageTest(640, 480, kFond);
    GardeDeuxPremieres();
    const auto presents = NombrePresentations();
    Ecoule(ecran_, fond.get(), 5);
    const auto trames = NombrePresentations() - presents;
    ASSERT_EQ(trames_.size(), 2u);

    // Frame 1: strip k (k >= 1) hangs at the speed of strip k - 1; strip 0
    // has not moved. Frame 2: strip 0 hangs at the last strip's speed.
    std::vector<int> vitesse(160);
    for (int k = 0; k < 160; ++k) {
        const int x = 4 * k;
        const int y1 = RangsDeFond(0, x, kFond);
        if (k > 0) vitesse[k - 1] = y1;
        if (k == 0) {
            EXPECT_EQ(y1, 0);
        }
        for (int c = 0; c < 4; ++c) {
            for (int y = y1; y < 480; y += 7) {
                ASSERT_EQ(Trame(0, x + c, y), original[(y - y1) * 640 + x + c])
                    << "strip " << k << " column " << c << " row " << y;
            }
            ASSERT_EQ(RangsDeFond(0, x + c, kFond), y1) << "strip " << k;
        }
    }
    vitesse[159] = RangsDeFond(1, 0, kFond);
    for (int k = 0; k < 160; ++k) {
        // Own speed 1 to 9, plus the common speed 5.
        EXPECT_GE(vitesse[k], 6) << "strip " << k;
        EXPECT_LE(vitesse[k], 14) << "strip " << k;
        // Constant speed: twice as far in frame 2.
        if (k < 159) {
            EXPECT_EQ(RangsDeFond(1, 4 * (k + 1), kFond), 2 * vitesse[k]) << "strip " << k + 1;
        }
    }
    // Not all strips fall alike: the speeds are drawn.
    EXPECT_NE(*std::min_element(vitesse.begin(), vitesse.end()),
              *std::max_element(vitesse.begin(), vitesse.end()));

    // The last strip passes row 480 in frame n0; the drain runs 158 frames more.
    const int n0 = 480 / vitesse[159] + 1;
    EXPECT_EQ(trames, static_cast<std::uint64_t>(n0 + 158));
    // Every strip has gone: the background is left on its own.
    EXPECT_TRUE(std::all_of(Pixels(ecran_), Pixels(ecran_) + 640 * 480,
                            [](Uint16 p) { return p == kFond; }));
}

TEST_F(Drain, WithoutBackgroundBlackIsUncovered) {
    Remplit(ecran_, 0xFFFF);
    GardeDeuxPremieres();
    Ecoule(ecran_, nullptr, 5);
    ASSERT_EQ(trames_.size(), 2u);
    // Above strip 1 in the first frame, and everything once the drain is over.
    const int y1 = RangsDeFond(0, 4, 0);
    EXPECT_GE(y1, 6);
    EXPECT_EQ(Trame(0, 4, y1), 0xFFFF);
    EXPECT_TRUE(
        std::all_of(Pixels(ecran_), Pixels(ecran_) + 640 * 480, [](Uint16 p) { return p == 0; }));
}

TEST_F(Drain, ColumnsPastTheLastWholeStripShowTheBackgroundFromTheFirstFrame) {
    // A screen 642 pixels wide: 160 strips and two columns that no strip covers.
    ImageTest large = CreeImageTest(642, 480, 0xFFFF);
    large->depth = 16;  // a screen record holds bits per pixel
    ImageTest fond = CreeImageTest(642, 480, kFond);
    GardeDeuxPremieres();
    Ecoule(large.get(), fond.get(), 5);
    ASSERT_EQ(trames_.size(), 2u);
    ASSERT_EQ(largeur_, 642);
    for (int y = 0; y < 480; ++y) {
        ASSERT_EQ(Trame(0, 640, y), kFond) << "row " << y;
        ASSERT_EQ(Trame(0, 641, y), kFond) << "row " << y;
    }
    // The last whole strip is still drawn.
    EXPECT_EQ(Trame(0, 639, 479), 0xFFFF);
}

class DrainClavier : public Drain {
  protected:
    DrainClavier() { config_.evenements = {{50, ToucheEnfoncee()}}; }
};

TEST_F(DrainClavier, KeyEndsTheDrainAtTheStartOfTheNextFrame) {
    RemplitMotif(ecran_);
    ImageTest fond = CreeImageTest(640, 480, kFond);
    Ecoule(ecran_, fond.get(), 5);
    // Frames at 16.7, 33.3 and 50 ms; the check before the fourth sees the key.
    EXPECT_EQ(NombrePresentations(), 3u);
}

class DrainClavierImmediat : public Drain {
  protected:
    DrainClavierImmediat() { config_.evenements = {{0, ToucheEnfoncee()}}; }
};

TEST_F(DrainClavierImmediat, KeyBeforeTheFirstFrameLeavesTheScreenAlone) {
    RemplitMotif(ecran_);
    const std::vector<Uint16> original(Pixels(ecran_), Pixels(ecran_) + 640 * 480);
    ImageTest fond = CreeImageTest(640, 480, kFond);
    Ecoule(ecran_, fond.get(), 5);
    EXPECT_EQ(NombrePresentations(), 0u);
    EXPECT_TRUE(std::equal(original.begin(), original.end(), Pixels(ecran_)));
}

TEST_F(Drain, ScratchSurfaceThatCannotBeMadeIsReportedAndNothingIsDrawn) {
    RemplitMotif(ecran_);
    const std::vector<Uint16> original(Pixels(ecran_), Pixels(ecran_) + 640 * 480);
    // A screen record of a depth no surface can have: the scratch surface fails.
    Ecran abime = *ecran_;
    abime.depth = 33;
    auto lance = [&] {
        Ecoule(&abime, nullptr, 5);
        const bool intact = std::equal(original.begin(), original.end(), Pixels(ecran_));
        std::exit(NombrePresentations() == 0 && intact ? 0 : 4);
    };
    EXPECT_EXIT(lance(), testing::ExitedWithCode(0),
                "Impossible de creer la surface de l'ecoulement : ");
}

}  // namespace
