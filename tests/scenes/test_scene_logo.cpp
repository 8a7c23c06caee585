// The group logo scene on the virtual machine: the logo held after its zoom,
// the two fades ending black, the caption at rest two columns left of centre,
// and keys that shorten one step only.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "catalogue.h"
#include "effets.h"
#include "fixtures_scenes.h"
#include "outils_tests.h"
#include "scenes.h"

namespace {

struct Production : ProductionTest {
    explicit Production(const ConfigMachine& config = ConfigMachine()) : ProductionTest(config) {
        // As the countdown leaves it: black, not shown.
        SDL_FillRect(ecran->surface, &ecran->rect, 0);
    }
};

// The shown pictures, one entry per run of identical refreshes: its hash,
// how many refreshes it lasted, whether it was black, and the first shown
// refresh's column 0 (enough to recognise the held logo).
struct Plan {
    std::uint64_t hash;
    std::uint64_t debut;
    int duree;
    bool noir;
    std::vector<Uint16> colonne0;
};

struct Montage {
    std::vector<Plan> plans;
    std::vector<std::string> aSauver;
    Montage() {
        ObserveTrames([this](std::uint64_t index, const Uint16* pixels, int w, int h) {
            const std::uint64_t hash = HashTrame(pixels, w, h);
            if (!plans.empty() && plans.back().hash == hash) {
                // Well into a hold: keep a picture of it to look at.
                if (++plans.back().duree == 100 && !plans.back().noir) {
                    SauvePixelsPNG(
                        DossierTrames() + "/logo_tenue_" + std::to_string(index) + ".png", pixels,
                        w, h);
                }
                return;
            }
            Plan p{hash,
                   index,
                   1,
                   std::all_of(pixels, pixels + w * h, [](Uint16 v) { return v == 0; }),
                   {}};
            for (int y = 0; y < h; ++y) p.colonne0.push_back(pixels[y * w]);
            plans.push_back(std::move(p));
            // A few pictures to look at: the zoom under way, the fade under
            // way, and the caption sliding in.
            if (index == 60 || index == 428 || index == 500) {
                SauvePixelsPNG(DossierTrames() + "/logo_" + std::to_string(index) + ".png", pixels,
                               w, h);
            }
        });
    }
    ~Montage() { ObserveTrames(nullptr); }
    // Runs of 3000 ms holds (180 refreshes, a little less on a key).
    std::vector<size_t> Tenues() const {
        std::vector<size_t> t;
        for (size_t i = 0; i < plans.size(); ++i) {
            if (plans[i].duree >= 150) t.push_back(i);
        }
        return t;
    }
};

Uint16 Px(StructImage_t* image, int x, int y) {
    return static_cast<const Uint16*>(image->surface->pixels)[y * image->width + x];
}

// The caption alone at (x, y) on black.
std::uint64_t HashCaption(StructImage_t* caption, int x, int y) {
    std::vector<Uint16> image(640 * 480, 0);
    const Uint16* src = static_cast<const Uint16*>(caption->surface->pixels);
    for (int j = 0; j < caption->height; ++j) {
        for (int i = 0; i < caption->width; ++i) {
            image[(y + j) * 640 + x + i] = src[j * caption->width + i];
        }
    }
    return HashTrame(image.data(), 640, 480);
}

}  // namespace

TEST(SceneLogo, LogoHoldsThenFadesAndTheCaptionRestsLeftOfCentre) {
    Production p;
    Montage m;
    SceneLogo(p.ecran, &p.catalogue);
    TermineMachine();

    const std::vector<size_t> tenues = m.Tenues();
    ASSERT_EQ(tenues.size(), 2u);
    // The logo: 241 zoom frames, then held with its whole height, row for
    // row (screen column 0 shows picture column 0).
    const Plan& logo = m.plans[tenues[0]];
    EXPECT_EQ(logo.debut, 241u);
    StructImage_t* orbo = p[Im::Orbo];
    for (int y = 0; y < 480; ++y) {
        ASSERT_EQ(logo.colonne0[y], static_cast<Uint16*>(orbo->surface->pixels)[y * 640]) << y;
    }
    EXPECT_FALSE(logo.noir);

    // The first fade's last two frames are black, then the scene's own black
    // frame, then the caption's first frames for as long as they show only
    // its black left margin (4 more columns a frame).
    size_t i = tenues[0] + 1;
    while (i < m.plans.size() && !m.plans[i].noir) ++i;
    ASSERT_LT(i, m.plans.size());
    EXPECT_GE(i - tenues[0] - 1, 15u);  // the fade's changing frames
    EXPECT_LE(i - tenues[0] - 1, 18u);
    StructImage_t* caption = p[Im::Presente];
    int marge = 0;
    for (bool noire = true; noire && marge < caption->width; marge += noire) {
        for (int y = 0; y < caption->height; ++y) noire = noire && Px(caption, marge, y) == 0;
    }
    EXPECT_EQ(m.plans[i].duree, 3 + marge / 4);

    // The caption held at c - 2 over black.
    const int c = (640 - caption->width) / 2, y = (480 - caption->height) / 2;
    const Plan& tenue = m.plans[tenues[1]];
    EXPECT_EQ(tenue.hash, HashCaption(caption, c - 2, y));
    // Settling: the last frames of the three slides, then the hold.
    EXPECT_EQ(m.plans[tenues[1] - 1].hash, HashCaption(caption, c + 4, y));
    EXPECT_EQ(m.plans[tenues[1] - 2].hash, HashCaption(caption, c + 14, y));
    EXPECT_EQ(m.plans[tenues[1] - 5].hash, HashCaption(caption, c - 4, y));
    EXPECT_EQ(m.plans[tenues[1] - 6].hash, HashCaption(caption, c - 12, y));

    // The second fade ends on its two black frames, and the screen is black.
    ASSERT_TRUE(m.plans.back().noir);
    EXPECT_EQ(m.plans.back().duree, 2);
    EXPECT_FALSE(m.plans[m.plans.size() - 2].noir);
    for (int yy = 0; yy < 480; yy += 4) ASSERT_EQ(Pixel(p.ecran, 320, yy), 0);
}

TEST(SceneLogo, KeyDuringTheLogoHoldMovesStraightToTheFade) {
    // The zoom's 241 frames end at about 4017 ms; a key at 4500 ms cuts the
    // hold, and nothing else: the scene still shows the caption's hold.
    ConfigMachine config;
    config.evenements.push_back({4500, ToucheEnfoncee()});
    Production p(config);
    Montage m;
    SceneLogo(p.ecran, &p.catalogue);
    TermineMachine();
    // The zoom's first frames all show the black round the logo's centre and
    // make one plan: the hold is the plan that starts on frame 241.
    const auto tenue = std::find_if(m.plans.begin(), m.plans.end(),
                                    [](const Plan& plan) { return plan.debut == 241u; });
    ASSERT_NE(tenue, m.plans.end());
    const Plan& logo = *tenue;
    EXPECT_GE(logo.duree, 28);
    EXPECT_LE(logo.duree, 30);
    const std::vector<size_t> tenues = m.Tenues();
    ASSERT_EQ(tenues.size(), 1u);
    StructImage_t* caption = p[Im::Presente];
    EXPECT_EQ(m.plans[tenues[0]].hash,
              HashCaption(caption, (640 - caption->width) / 2 - 2, (480 - caption->height) / 2));
    EXPECT_TRUE(m.plans.back().noir);
}
