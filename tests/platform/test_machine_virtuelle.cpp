// The virtual 60 Hz display: presents, refreshes, time queries.
#include <gtest/gtest.h>

#include <SDL_image.h>

#include <cstring>
#include <vector>

#include "outils_tests.h"

namespace {

class MachineVirtuelle : public testing::Test {
  protected:
    void SetUp() override { ecran_ = OuvreEcranTest(); }
    void TearDown() override {
        ObserveTrames(nullptr);
        FermeEcranTest(ecran_);
    }
    Ecran* ecran_ = nullptr;
};

TEST_F(MachineVirtuelle, PresentsJumpToTheNextRefresh) {
    EXPECT_EQ(TempsVirtuelMs(), 0u);
    AfficheTrame(ecran_->surface);
    EXPECT_EQ(TempsVirtuelMs(), 16u);  // 1000/60 ms, truncated
    AfficheTrame(ecran_->surface);
    EXPECT_EQ(TempsVirtuelMs(), 33u);
    AfficheTrame(ecran_->surface);
    EXPECT_EQ(TempsVirtuelMs(), 50u);
    // Sixty presents make one second exactly, without drift.
    for (int i = 3; i < 60; ++i) AfficheTrame(ecran_->surface);
    EXPECT_EQ(TempsVirtuelMs(), 1000u);
    EXPECT_EQ(NombrePresentations(), 60u);
}

TEST_F(MachineVirtuelle, RepeatedTimeQueriesAdvanceOneMillisecond) {
    EXPECT_EQ(Horloge(), 0u);
    EXPECT_EQ(Horloge(), 1u);
    EXPECT_EQ(Horloge(), 2u);
    AfficheTrame(ecran_->surface);  // from 2 ms to the refresh at 16.67 ms
    EXPECT_EQ(Horloge(), 16u);
    EXPECT_EQ(Horloge(), 17u);
}

TEST_F(MachineVirtuelle, ShowsWhatWasPresentedAndKeepsItsOwnCopy) {
    Remplit(ecran_, 0x1234);
    AfficheTrame(ecran_->surface);
    Remplit(ecran_, 0x4321);  // drawn but not presented
    ASSERT_EQ(ImageAffichee().size(), 640u * 480u);
    EXPECT_EQ(ImageAffichee()[0], 0x1234);
    EXPECT_EQ(ImageAffichee()[640 * 480 - 1], 0x1234);
}

TEST_F(MachineVirtuelle, RectanglePresentCopiesOnlyTheRectangle) {
    Remplit(ecran_, 0x1111);
    AfficheTrame(ecran_->surface);
    Remplit(ecran_, 0x2222);
    AfficheZone(ecran_->surface, 10, 20, 30, 40);
    const auto& image = ImageAffichee();
    EXPECT_EQ(image[10 + 20 * 640], 0x2222);
    EXPECT_EQ(image[39 + 59 * 640], 0x2222);
    EXPECT_EQ(image[40 + 59 * 640], 0x1111);
    EXPECT_EQ(image[39 + 60 * 640], 0x1111);
    EXPECT_EQ(image[9 + 20 * 640], 0x1111);
    // All zeros means the whole surface.
    AfficheZone(ecran_->surface, 0, 0, 0, 0);
    EXPECT_EQ(ImageAffichee()[640 * 480 - 1], 0x2222);
}

TEST_F(MachineVirtuelle, EveryRefreshIsOneFrameAndIdleRefreshesRepeatThePicture) {
    std::vector<std::pair<std::uint64_t, Uint16>> trames;
    ObserveTrames([&](std::uint64_t k, const Uint16* p, int w, int h) {
        ASSERT_EQ(w, 640);
        ASSERT_EQ(h, 480);
        trames.emplace_back(k, p[0]);
    });
    Remplit(ecran_, 7);
    AfficheTrame(ecran_->surface);  // shown from refresh 1
    Attente(100);                   // about six refreshes with no present
    Remplit(ecran_, 9);
    AfficheTrame(ecran_->surface);
    TermineMachine();
    ASSERT_GE(trames.size(), 8u);
    for (size_t i = 0; i < trames.size(); ++i) EXPECT_EQ(trames[i].first, i);
    EXPECT_EQ(trames[0].second, 0);  // black before the first present
    for (size_t i = 1; i + 1 < trames.size(); ++i) EXPECT_EQ(trames[i].second, 7) << i;
    EXPECT_EQ(trames.back().second, 9);
    EXPECT_EQ(trames.size(), NombreRafraichissements());
}

TEST(MachineVirtuelleFrequence, NtscRateKeepsExactRefreshTimes) {
    ConfigMachine config;
    config.frequenceNum = 60000;
    config.frequenceDen = 1001;
    Ecran* ecran = OuvreEcranTest(config);
    for (int i = 0; i < 60000 / 1001 * 10; ++i) AfficheTrame(ecran->surface);
    // 590 refreshes at 1001/60 ms each: 9843.17 ms.
    EXPECT_EQ(TempsVirtuelMs(), 9843u);
    FermeEcranTest(ecran);
}

TEST_F(MachineVirtuelle, SavedFrameIsAReadablePng) {
    Remplit(ecran_, 0xF800);  // pure red in 5-6-5
    AfficheTrame(ecran_->surface);
    const std::string chemin = DossierTrames() + "/machine-rouge.png";
    ASSERT_TRUE(SauveTramePNG(chemin));
    SDL_Surface* relu = IMG_Load(chemin.c_str());
    ASSERT_NE(relu, nullptr);
    EXPECT_EQ(relu->w, 640);
    EXPECT_EQ(relu->h, 480);
    Uint32 p = 0;
    std::memcpy(&p, relu->pixels, relu->format->BytesPerPixel);
    Uint8 r, g, b;
    SDL_GetRGB(p, relu->format, &r, &g, &b);
    EXPECT_EQ(r, 255);
    EXPECT_EQ(g, 0);
    EXPECT_EQ(b, 0);
    SDL_FreeSurface(relu);
}

}  // namespace
