// The threshold dissolve on the virtual machine: how many frames each step
// draws, which mask values go in which frame, and what replaces them.
#include <gtest/gtest.h>

#include <map>
#include <vector>

#include "effets.h"
#include "outils_tests.h"

namespace {

constexpr Uint16 kNouvelle = 0x0842;  // even: never a value of the old pattern

// Probe pixels: (x, y) and the mask value put there.
struct Sonde {
    int x, y;
    Uint16 seuil;
};
const std::vector<Sonde> kSondes = {
    {0, 0, 0},         {639, 0, 1},     {5, 7, 499},     {6, 7, 500},       {7, 7, 501},
    {320, 240, 30000}, {0, 479, 65500}, {1, 479, 65501}, {639, 479, 65535},
};

class Dissolve : public testing::Test {
  protected:
    void SetUp() override {
        ecran_ = OuvreEcranTest(config_);
        RemplitMotif(ecran_);
        // Everything else on the mask dissolves half way through.
        Remplit(masque_.get(), 32000);
        for (const Sonde& s : kSondes) FixePixel(masque_.get(), s.x, s.y, s.seuil);
        // For each probe, the first frame (1-based) in which it shows the new
        // picture's value, 0 while it never has.
        ObserveTrames([this](std::uint64_t index, const Uint16* p, int w, int) {
            if (index == 0) return;
            ++trames_;
            for (const Sonde& s : kSondes) {
                if (p[s.y * w + s.x] == attendu_ && premiere_[s.seuil] == 0) {
                    premiere_[s.seuil] = trames_;
                }
            }
        });
    }
    void TearDown() override {
        ObserveTrames(nullptr);
        if (ecran_) FermeEcranTest(ecran_);
    }
    // Frame in which the probe with this mask value turned.
    int Premiere(Uint16 seuil) { return premiere_[seuil]; }

    ConfigMachine config_;
    Ecran* ecran_ = nullptr;
    ImageTest masque_ = CreeImageTest(640, 480);
    ImageTest fond_ = CreeImageTest(640, 480, kNouvelle);
    Uint16 attendu_ = kNouvelle;
    int trames_ = 0;
    std::map<Uint16, int> premiere_;
};

TEST_F(Dissolve, StepFiveDraws132FramesInTheOrderOfTheMask) {
    Dissolution(masque_.get(), ecran_, fond_.get(), 5);
    TermineMachine();
    EXPECT_EQ(NombrePresentations(), 132u);
    EXPECT_EQ(Premiere(0), 1);  // threshold 0
    EXPECT_EQ(Premiere(1), 2);  // threshold 500
    EXPECT_EQ(Premiere(499), 2);
    EXPECT_EQ(Premiere(500), 2);
    EXPECT_EQ(Premiere(501), 3);
    EXPECT_EQ(Premiere(30000), 61);   // threshold 30000
    EXPECT_EQ(Premiere(65500), 132);  // the last threshold
    EXPECT_EQ(Premiere(65501), 0);    // never reached
    EXPECT_EQ(Premiere(65535), 0);
    // The screen keeps the last frame: new where the mask was reached.
    EXPECT_EQ(Pixel(ecran_, 0, 479), kNouvelle);
    EXPECT_NE(Pixel(ecran_, 1, 479), kNouvelle);
    EXPECT_NE(Pixel(ecran_, 639, 479), kNouvelle);
    EXPECT_EQ(Pixel(ecran_, 100, 100), kNouvelle);
}

TEST_F(Dissolve, FrameCountFollowsTheStep) {
    struct Cas {
        Uint8 step;
        std::uint64_t trames;
    };
    for (const Cas cas : {Cas{1, 656}, Cas{255, 3}, Cas{100, 7}}) {
        const auto avant = NombrePresentations();
        RemplitMotif(ecran_);
        Dissolution(masque_.get(), ecran_, fond_.get(), cas.step);
        EXPECT_EQ(NombrePresentations() - avant, cas.trames) << "step " << int(cas.step);
    }
}

TEST_F(Dissolve, WithoutBackgroundTheDissolvedPartsTurnBlack) {
    attendu_ = 0;
    Dissolution(masque_.get(), ecran_, nullptr, 5);
    TermineMachine();
    EXPECT_EQ(Premiere(0), 1);
    EXPECT_EQ(Premiere(501), 3);
    EXPECT_EQ(Premiere(65535), 0);
    EXPECT_EQ(Pixel(ecran_, 100, 100), 0);
    EXPECT_NE(Pixel(ecran_, 639, 479), 0);
}

class DissolveClavier : public Dissolve {
  protected:
    DissolveClavier() { config_.evenements = {{100, ToucheEnfoncee()}}; }
};

TEST_F(DissolveClavier, KeyEndsTheDissolveBeforeTheNextFrame) {
    Dissolution(masque_.get(), ecran_, fond_.get(), 5);
    // Frames at 16.7 ... 100 ms; the check before the seventh sees the key.
    EXPECT_EQ(NombrePresentations(), 6u);
    EXPECT_NE(Pixel(ecran_, 320, 240), kNouvelle);
}

TEST_F(DissolveClavier, StepZeroRunsUntilAKey) {
    Dissolution(masque_.get(), ecran_, fond_.get(), 0);
    EXPECT_EQ(NombrePresentations(), 6u);
    EXPECT_EQ(Pixel(ecran_, 0, 0), kNouvelle);
    EXPECT_NE(Pixel(ecran_, 639, 0), kNouvelle);
}

}  // namespace
