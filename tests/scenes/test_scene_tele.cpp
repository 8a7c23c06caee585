// The television scene on the virtual machine with the production's pictures:
// the sets one by one, the snow, the programmes until the scroll text is
// through, the copper bars' release, the cross-fade's alpha, the close.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <functional>
#include <vector>

#include "catalogue.h"
#include "effets.h"
#include "fixtures_scenes.h"
#include "outils_tests.h"
#include "scenes.h"

namespace {

// One new picture on the display: the refresh that first showed it, and the
// cross-fade's alpha as it stood then.
struct Vue {
    std::uint64_t index;
    double ms;
    bool alphaActif;
    Uint8 alpha;
};

constexpr Uint16 kFondTest = 0x1234;
constexpr int kMoniteurX[4] = {21, 371, 371, 21};
constexpr int kMoniteurY[4] = {17, 17, 267, 267};

class SceneTeleTest : public SceneTest {
  protected:
    using Extra = std::function<void(size_t numero, const Uint16* pixels)>;

    // Runs the scene over a plain background (or the underwater picture) and
    // records every new picture the display shows.
    void Lance(const ConfigMachine& config, bool fondSousMarin = false, Extra extra = {}) {
        Ouvre(config);
        if (fondSousMarin) {
            StructImage_t* fond = Img(&catalogue_, Im::Fond);
            SDL_BlitSurface(fond->surface, &fond->rect, ecran_->surface, &ecran_->rect);
        } else {
            Remplit(ecran_, kFondTest);
        }
        SDL_Surface* tableau2 = Img(&catalogue_, Im::Tableau2)->surface;
        ObserveNouvellesImages([&](std::uint64_t index, const Uint16* pixels, int, int) {
            vues_.push_back(Vue{index, index * 1000.0 / 60.0, (tableau2->flags & SDL_SRCALPHA) != 0,
                                tableau2->format->alpha});
            if (extra) extra(vues_.size() - 1, pixels);
        });
        SceneTele(ecran_, &catalogue_);
        TermineMachine();
        ObserveTrames(nullptr);
        // Pictures 0-3 are the sets, then the snow, then the programmes from
        // the first picture drawn with the cross-fade's alpha, the last one is
        // the close.
        premierProgramme_ = 0;
        while (premierProgramme_ < vues_.size() && !vues_[premierProgramme_].alphaActif) {
            ++premierProgramme_;
        }
        ASSERT_LT(premierProgramme_ + 1, vues_.size()) << "the programmes never ran";
    }

    size_t NombreProgrammes() const { return vues_.size() - 1 - premierProgramme_; }

    std::vector<Vue> vues_;
    size_t premierProgramme_ = 0;
};

TEST_F(SceneTeleTest, SetsAppearOneByOneThenSnowForThreeSeconds) {
    std::vector<std::vector<Uint16>> poses;
    Lance(ConfigMachine(), false, [&](size_t numero, const Uint16* pixels) {
        if (numero < 4) poses.emplace_back(pixels, pixels + 640 * 480);
    });
    ASSERT_EQ(poses.size(), 4u);
    for (int k = 0; k < 4; ++k) {
        for (int j = 0; j < 4; ++j) {
            const Uint16 centre = poses[k][(kMoniteurY[j] + 88) * 640 + kMoniteurX[j] + 125];
            if (j <= k) {
                EXPECT_EQ(centre, 0) << "set " << j + 1 << " with its black monitor, picture " << k;
            } else {
                EXPECT_EQ(centre, kFondTest) << "set " << j + 1 << " too early, picture " << k;
            }
        }
    }
    for (int k = 0; k < 3; ++k) {
        const double ecart = vues_[k + 1].ms - vues_[k].ms;
        EXPECT_GE(ecart, 500.0) << "set " << k + 2;
        EXPECT_LT(ecart, 534.0) << "set " << k + 2;
    }
    EXPECT_LT(vues_[4].ms - vues_[3].ms, 17.0) << "the snow follows the fourth set at once";
    const double neige = vues_[premierProgramme_].ms - vues_[3].ms;
    EXPECT_GE(neige, 3000.0);
    EXPECT_LT(neige, 3034.0);
    EXPECT_GT(premierProgramme_ - 4, 170u) << "a snow picture every refresh";
}

TEST_F(SceneTeleTest, ProgrammesRunUntilTheScrollTextIsThroughThenCloseOnTheFrame) {
    Lance(ConfigMachine());
    StructImage_t* defile = Img(&catalogue_, Im::ScrollText);
    EXPECT_EQ(NombreProgrammes(), (defile->width + 1u) / 2u);
    EXPECT_GE(defile->rect.x, defile->width);
    EXPECT_EQ(defile->rect.w, 250);

    // The close: black under the frame overlay (white is its transparent
    // colour), held for a second.
    StructImage_t* fin = Img(&catalogue_, Im::Fin);
    const Uint16* f = static_cast<const Uint16*>(fin->surface->pixels);
    const std::vector<Uint16>& affiche = ImageAffichee();
    for (int y = 0; y < 480; ++y) {
        for (int x = 0; x < 640; ++x) {
            const Uint16 source = f[y * fin->width + x];
            ASSERT_EQ(affiche[y * 640 + x], source == 0xFFFF ? 0 : source) << x << "," << y;
        }
    }
    const double tenue = TempsVirtuelMs() - vues_.back().ms;
    EXPECT_GE(tenue, 999.0);
    EXPECT_LT(tenue, 1003.0);
}

TEST_F(SceneTeleTest, CrossFadeAlphaStartsAtZeroAndNeverReturnsToItsEnds) {
    Lance(ConfigMachine());
    std::vector<int> alphas;
    for (size_t i = premierProgramme_; i + 1 < vues_.size(); ++i) alphas.push_back(vues_[i].alpha);
    ASSERT_GT(alphas.size(), 400u);
    EXPECT_EQ(alphas[0], 0);
    EXPECT_EQ(alphas[1], 3);
    EXPECT_EQ(alphas[2], 6);
    int plusHaut = 0;
    for (size_t i = 1; i < alphas.size(); ++i) {
        ASSERT_NE(alphas[i], 0) << "frame " << i;
        ASSERT_NE(alphas[i], 255) << "frame " << i;
        ASSERT_EQ(std::abs(alphas[i] - alphas[i - 1]), 3) << "frame " << i;
        plusHaut = std::max(plusHaut, alphas[i]);
    }
    EXPECT_EQ(plusHaut, 252);
    EXPECT_EQ(alphas[84], 252);
    EXPECT_EQ(alphas[85], 249);
    for (size_t i = 1; i + 166 < alphas.size(); ++i) {
        ASSERT_EQ(alphas[i + 166], alphas[i]) << "a period of 166 frames";
    }
}

TEST_F(SceneTeleTest, CopperBarsTwoToFourWaitAtTheTopUntilReleased) {
    // Monitor 1's rows under the top bar, per programme frame.
    std::vector<std::vector<Uint16>> hauts;
    Lance(ConfigMachine(), false, [&](size_t numero, const Uint16* pixels) {
        if (vues_[numero].alphaActif && hauts.size() < 80) {
            std::vector<Uint16> zone;
            for (int y = 0; y < 177; ++y) {
                const Uint16* ligne = pixels + (17 + y) * 640 + 21;
                zone.insert(zone.end(), ligne, ligne + 250);
            }
            hauts.push_back(std::move(zone));
        }
    });
    ASSERT_GE(hauts.size(), 60u);

    // Each bar leaves when the one before is more than its height plus 5 down,
    // moving 2 pixels a frame: the first frame in which bars 2, 3, 4 have moved.
    // Bar 1 is at 2k in frame k; a released bar is at 2 in its first frame.
    int depart[4] = {0, 0, 0, 0};
    for (int i = 1; i < 4; ++i) {
        const int seuil =
            Img(&catalogue_, static_cast<Im>(static_cast<int>(Im::Coper1) + i - 1))->height + 5;
        depart[i] = depart[i - 1] + seuil / 2 + (i == 1 ? 2 : 1);
    }
    const int h4 = Img(&catalogue_, Im::Coper4)->height;
    auto hautIdentique = [&](int frame) {
        return std::equal(hauts[frame].begin(), hauts[frame].begin() + h4 * 250, hauts[0].begin());
    };
    for (int k = 0; k < depart[3]; ++k) {
        EXPECT_TRUE(hautIdentique(k))
            << "the fourth bar stays on top until frame " << depart[3] << ", moved at " << k;
    }
    EXPECT_FALSE(hautIdentique(depart[3])) << "the fourth bar leaves the top";

    // Until bar 2 leaves, only bar 1 moves: below the stack and below bar 1
    // the monitor is black with its scanlines.
    ImageTest noir = CreeImageTest(250, 177);
    TrameRVB(noir.get());
    const int h1 = Img(&catalogue_, Im::Coper1)->height;
    for (int k = 0; k < depart[1]; ++k) {
        const int dessous = std::max(2 * k + h1, h4);
        for (int y = dessous; y < 177; y += 5) {
            ASSERT_EQ(hauts[k][y * 250 + 125], Pixel(noir.get(), 125, y))
                << "frame " << k << " row " << y;
        }
        if (2 * k >= h4) {
            EXPECT_NE(hauts[k][(2 * k + h1 / 2) * 250 + 125],
                      Pixel(noir.get(), 125, 2 * k + h1 / 2))
                << "bar 1 shows at frame " << k;
        }
    }
}

TEST_F(SceneTeleTest, KeysShortenTheWaitTheSnowAndTheProgrammes) {
    ConfigMachine config;
    config.evenements.push_back({100, ToucheEnfoncee()});   // first set's wait
    config.evenements.push_back({2000, ToucheEnfoncee()});  // snow
    config.evenements.push_back({4000, ToucheEnfoncee()});  // programmes
    Lance(config);
    EXPECT_LT(vues_[1].ms - vues_[0].ms, 117.0) << "the first wait ends on the key";
    EXPECT_GE(vues_[2].ms - vues_[1].ms, 500.0) << "the next wait is whole";
    EXPECT_GE(vues_[premierProgramme_].ms, 2000.0);
    EXPECT_LT(vues_[premierProgramme_].ms, 2034.0) << "the snow ends on the key";
    const double finProgrammes = vues_[vues_.size() - 2].ms;
    EXPECT_GE(finProgrammes, 3983.0);
    EXPECT_LT(finProgrammes, 4034.0) << "the programmes end on the key";
    EXPECT_LT(NombreProgrammes(), 130u);
    EXPECT_LT(vues_.back().ms - finProgrammes, 17.0) << "the close follows at once";
}

TEST_F(SceneTeleTest, FramesToLookAt) {
    int programmes = 0;
    Lance(ConfigMachine(), true, [&](size_t numero, const Uint16* pixels) {
        if (numero == 3) SauvePixelsPNG(DossierTrames() + "/tele_postes.png", pixels, 640, 480);
        if (numero == 60) SauvePixelsPNG(DossierTrames() + "/tele_neige.png", pixels, 640, 480);
        if (vues_[numero].alphaActif && ++programmes == 300) {
            SauvePixelsPNG(DossierTrames() + "/tele_programmes.png", pixels, 640, 480);
        }
    });
    EXPECT_GT(programmes, 300);
    EXPECT_TRUE(SauveTrameTest("tele_fin"));
}

}  // namespace
