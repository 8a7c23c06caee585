// The credits on the virtual machine: the production's catalogue with the
// pictures the checks read replaced by plain ones of known colours, so that
// every frame of the animation, the label, the name and the band can be told
// apart whatever the artwork looks like.
#include <gtest/gtest.h>

#include <vector>

#include "catalogue.h"
#include "effets.h"
#include "fixtures_scenes.h"
#include "outils_tests.h"
#include "scenes.h"

namespace {

constexpr Uint16 kBordCadre = 0x001F;
constexpr Uint16 kCouleurLabel[3] = {0xF800, 0xFC00, 0xF81F};  // Code, Zic, Gfx
constexpr Uint16 kCouleurNom = 0x07E0;
constexpr Uint16 kPortraitKabo = 0x7BEF;
constexpr Uint16 kPortraitDolo = 0x39E7;

Uint16 CouleurAnimation(int k) {
    return static_cast<Uint16>(0x0820 * k + 0x0001);
}

class SceneCreditsTest : public SceneTest {
  protected:
    // A frame overlay: a border of 4 pixels, white (transparent) inside.
    void CadreDeTest(bool bord = true) {
        StructImage_t* cadre = Remplace(Im::Fin, 640, 480, 0xFFFF, 0xFFFF);
        if (!bord) return;
        for (int y = 0; y < 480; ++y)
            for (int x = 0; x < 640; ++x)
                if (x < 4 || x >= 636 || y < 4 || y >= 476) FixePixel(cadre, x, y, kBordCadre);
    }

    void PicturesDeTest(int largeurLabelGfx = 200) {
        CadreDeTest();
        Remplace(Im::Code, 200, 44, kCouleurLabel[0], 0);
        Remplace(Im::Zic, 150, 44, kCouleurLabel[1], 0);
        Remplace(Im::Gfx, largeurLabelGfx, 44, kCouleurLabel[2], 0);
        Remplace(Im::Kabo, 360, 72, kCouleurNom, 0);
        Remplace(Im::Dolo, 300, 72, kCouleurNom, 0);
        Remplace(Im::ImgKabo, 640, 340, kPortraitKabo);
        Remplace(Im::ImgDolo, 640, 340, kPortraitDolo);
        for (int k = 1; k <= 21; ++k) {
            Remplace(static_cast<Im>(static_cast<int>(Im::Molkar01) + k - 1), 640, 340,
                     CouleurAnimation(k));
        }
    }

    // Runs the scene from the black screen with the overlay that the
    // television scene leaves, keeping every new picture.
    void Lance() {
        SDL_FillRect(ecran_->surface, &ecran_->rect, 0);
        StructImage_t* cadre = Img(&catalogue_, Im::Fin);
        SDL_BlitSurface(cadre->surface, &cadre->rect, ecran_->surface, &ecran_->rect);
        Enregistre();
        SceneCredits(ecran_, &catalogue_);
        TermineMachine();
        ObserveTrames(nullptr);
    }

    // The animation frame a picture shows (1 to 21), 0 for none.
    int Animation(size_t i) const {
        const Uint16 p = images_[i][170 * 640 + 320];
        for (int k = 1; k <= 21; ++k)
            if (p == CouleurAnimation(k)) return k;
        return 0;
    }
    Uint16 At(size_t i, int x, int y) const { return images_[i][y * 640 + x]; }

    // Index of the first picture of each block's label, portrait and animation.
    struct Bloc {
        size_t label, portrait, animation;
    };
    std::vector<Bloc> Blocs() const {
        std::vector<Bloc> blocs;
        for (size_t i = 0; i < images_.size(); ++i) {
            if (Animation(i) == 1) {
                auto portrait = [&](size_t j) {
                    return At(j, 320, 170) == kPortraitKabo || At(j, 320, 170) == kPortraitDolo;
                };
                size_t p = i - 1;
                while (p > 0 && portrait(p - 1)) --p;
                blocs.push_back(Bloc{p - 1, p, i});
            }
        }
        return blocs;
    }
};

std::vector<int> SequenceAttendue() {
    std::vector<int> attendue;
    for (int bloc = 0; bloc < 3; ++bloc)
        for (int k = 1; k <= 21; ++k) attendue.push_back(k);
    return attendue;
}

TEST_F(SceneCreditsTest, ThreeBlocksEachWithLabelNameBlurAndTheWholeAnimation) {
    Ouvre(ConfigMachine());
    PicturesDeTest();
    Lance();
    std::vector<int> vues;
    for (size_t i = 0; i < images_.size(); ++i)
        if (Animation(i)) vues.push_back(Animation(i));
    EXPECT_EQ(vues, SequenceAttendue());

    const std::vector<Bloc> blocs = Blocs();
    ASSERT_EQ(blocs.size(), 3u);
    const Uint16 portraits[3] = {kPortraitKabo, kPortraitDolo, kPortraitKabo};
    const int largeurs[3] = {200, 150, 200};
    for (int b = 0; b < 3; ++b) {
        const Bloc& bloc = blocs[b];
        // The label alone first, at (10, 345), over black and the overlay.
        EXPECT_EQ(At(bloc.label, 10, 345), kCouleurLabel[b]) << "block " << b + 1;
        EXPECT_EQ(At(bloc.label, 9, 345), 0) << "block " << b + 1;
        EXPECT_EQ(At(bloc.label, 320, 170), 0) << "block " << b + 1;
        EXPECT_EQ(At(bloc.label, 1, 1), kBordCadre) << "block " << b + 1;
        // Then the portrait under the overlay, and the name at (label width +
        // 30, 390) over the overlay.
        EXPECT_EQ(At(bloc.portrait, 320, 170), portraits[b]) << "block " << b + 1;
        EXPECT_EQ(At(bloc.portrait, 1, 1), kBordCadre) << "block " << b + 1;
        EXPECT_EQ(At(bloc.portrait, largeurs[b] + 30, 390), kCouleurNom) << "block " << b + 1;
        EXPECT_NE(At(bloc.portrait, largeurs[b] + 29, 390), kCouleurNom) << "block " << b + 1;
        EXPECT_EQ(At(bloc.portrait, largeurs[b] + 30, 476), kBordCadre) << "name under the border";
        // The blur's pictures in between, then the animation over a black band:
        // the label's five rows above it are never blurred.
        EXPECT_GT(bloc.animation - bloc.portrait, 20u) << "the band fades over many pictures";
        EXPECT_LE(bloc.animation - bloc.portrait, 64u);
        const size_t a = bloc.animation;
        for (int y = 345; y < 350; ++y) EXPECT_EQ(At(a, 100, y), kCouleurLabel[b]) << "row " << y;
        for (int y = 350; y < 476; y += 5) EXPECT_EQ(At(a, 100, y), 0) << "row " << y;
        EXPECT_EQ(At(a, 1, 100), kBordCadre) << "the overlay is drawn over every frame";
        for (size_t k = a; k < a + 21; ++k) EXPECT_EQ(At(k, 320, 2), kBordCadre) << "picture " << k;
        // 40 ms a frame, then black with the overlay.
        EXPECT_GE(ms_[a + 1] - ms_[a], 40.0);
        EXPECT_LT(ms_[a + 1] - ms_[a], 60.0);
        EXPECT_EQ(At(a + 21, 320, 170), 0);
        EXPECT_EQ(At(a + 21, 100, 347), 0);
        EXPECT_EQ(At(a + 21, 1, 1), kBordCadre);
    }
    EXPECT_EQ(images_.size(), blocs[2].animation + 22);
    EXPECT_GE(TempsVirtuelMs() - ms_.back(), 999.0) << "the last picture is held a second";
}

TEST_F(SceneCreditsTest, KeysShortenStepsButNeverSkipAFrame) {
    ConfigMachine config;
    for (Uint32 ms = 5; ms < 30000; ms += 7) config.evenements.push_back({ms, ToucheEnfoncee()});
    Ouvre(config);
    PicturesDeTest();
    Lance();
    std::vector<int> vues;
    for (size_t i = 0; i < images_.size(); ++i)
        if (Animation(i)) vues.push_back(Animation(i));
    EXPECT_EQ(vues, SequenceAttendue());
    const std::vector<Bloc> blocs = Blocs();
    ASSERT_EQ(blocs.size(), 3u);
    // The blur stops on the first key: its band is still lit.
    EXPECT_LE(blocs[0].animation - blocs[0].portrait, 2u);
    EXPECT_NE(At(blocs[0].animation, 240, 400), 0);
}

TEST_F(SceneCreditsTest, BandAlreadyBlackGoesStraightToTheAnimation) {
    // Nothing lit in the band: invisible label and name, an overlay without
    // border. The first pass finds black and nothing is flipped in between.
    Ouvre(ConfigMachine());
    PicturesDeTest();
    CadreDeTest(false);
    Remplace(Im::Code, 200, 44, 0, 0);
    Remplace(Im::Zic, 200, 44, 0, 0);
    Remplace(Im::Gfx, 200, 44, 0, 0);
    Remplace(Im::Kabo, 360, 72, 0, 0);
    Remplace(Im::Dolo, 360, 72, 0, 0);
    Lance();
    for (const Bloc& bloc : Blocs()) EXPECT_EQ(bloc.animation, bloc.portrait + 1);
}

TEST_F(SceneCreditsTest, WideLabelPutsTheNameOffScreen) {
    Ouvre(ConfigMachine());
    PicturesDeTest(610);
    Lance();
    const std::vector<Bloc> blocs = Blocs();
    ASSERT_EQ(blocs.size(), 3u);
    for (int x = 0; x < 640; ++x) ASSERT_NE(At(blocs[2].portrait, x, 420), kCouleurNom) << x;
}

TEST_F(SceneCreditsTest, FramesToLookAt) {
    Ouvre(ConfigMachine());
    Lance();
    ASSERT_GT(images_.size(), 70u);
    // Block 1: the label alone, the portrait and name, then the band mid-blur.
    SauvePixelsPNG(DossierTrames() + "/credits_label.png", images_[0].data(), 640, 480);
    SauvePixelsPNG(DossierTrames() + "/credits_nom.png", images_[1].data(), 640, 480);
    SauvePixelsPNG(DossierTrames() + "/credits_flou.png", images_[12].data(), 640, 480);
    EXPECT_TRUE(SauveTrameTest("credits_fin"));
}

}  // namespace
