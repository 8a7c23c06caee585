// The film countdown on the virtual machine: how long it runs, what each
// frame shows (rebuilt from the process's own random sequence), and what a
// key does at the top of a pass and during the judder.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

#include "catalogue.h"
#include "effets.h"
#include "fixtures_scenes.h"
#include "hasard.h"
#include "outils_tests.h"
#include "scenes.h"

namespace {

constexpr Uint16 kGris70 = 0x4228;  // (70, 70, 70) in 5-6-5

using Production = ProductionTest;

// Keeps the frames shown at the given refreshes.
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
};

// The first frame of pass p, rebuilt: background, digit (or none), circle
// and scratch at the places drawn from the pass's three random numbers.
std::vector<Uint16> Attendue(const Production& p, StructImage_t* chiffre, int r1, int r2, int r3) {
    ImageTest image = CreeImageTest(640, 480);
    StructImage_t* cinema = p[Im::Cinema];
    StructImage_t* cercle = p[Im::Cercle];
    StructImage_t* cinq = p[Im::Decompte5];
    SDL_Rect tout{0, 0, 640, 480};
    SDL_BlitSurface(cinema->surface, nullptr, image->surface, &tout);
    if (chiffre) {
        SDL_Rect r{static_cast<Sint16>((640 - cinq->width) / 2),
                   static_cast<Sint16>((480 - cinq->height) / 2), 0, 0};
        SDL_BlitSurface(chiffre->surface, nullptr, image->surface, &r);
    }
    const float fx = static_cast<float>(640 - cercle->width);
    const float fy = static_cast<float>(480 - cercle->height);
    SDL_Rect rc{static_cast<Sint16>(r1 * fx / 32768.0), static_cast<Sint16>(r2 * fy / 32768.0), 0,
                0};
    SDL_BlitSurface(cercle->surface, nullptr, image->surface, &rc);
    const int xRayure = static_cast<int>(r3 * 638.0f / 32768.0);
    for (int y = 0; y < 480; ++y) {
        FixePixel(image.get(), xRayure, y, kGris70);
        FixePixel(image.get(), xRayure + 1, y, kGris70);
    }
    return std::vector<Uint16>(Pixels(image.get()), Pixels(image.get()) + 640 * 480);
}

int Differences(const std::vector<Uint16>& a, const std::vector<Uint16>& b) {
    int n = 0;
    for (size_t i = 0; i < a.size() && i < b.size(); ++i) n += a[i] != b[i];
    return n + static_cast<int>(a.size() != b.size()) * 1000000;
}

}  // namespace

// Each pass shows five frames (the picture, three judder frames and the
// picture again), one refresh each: 83 1/3 ms. Pass p starts at p x 83 1/3
// ms, so passes 12 and 36 start exactly on 1000 and 3000 ms (no digit), and
// pass 72 on 6000 ms.
TEST(SceneDecompte, RunsSixSecondsAndEachFrameShowsItsDigitCircleAndScratch) {
    Production p;
    const std::vector<std::uint64_t> passes{0, 11, 12, 13, 36, 37, 71};
    std::vector<std::uint64_t> refreshes;
    for (std::uint64_t pass : passes) refreshes.push_back(5 * pass + 1);
    refreshes.push_back(5 * 71 + 4);  // the last judder frame of the last pass
    Trames t(refreshes);
    GraineHasard(1);
    SceneDecompte(p.ecran, &p.catalogue);

    // Ends on the first pass at 6000 ms or more: 72 passes, none after.
    EXPECT_EQ(TempsVirtuelMs(), 6000u);
    EXPECT_EQ(NombrePresentations(), 72u * 5);

    // The scene's random places are the generator's first values (as 15
    // bits), three per pass; an unseeded generator is the one seeded with 1.
    GraineHasard(1);
    std::vector<int> hasard(3 * 72);
    for (int& r : hasard) r = TirageHasard() & 0x7FFF;
    const std::map<std::uint64_t, StructImage_t*> chiffre{
        {0, p[Im::Decompte5]},  {11, p[Im::Decompte5]}, {12, nullptr},
        {13, p[Im::Decompte4]}, {36, nullptr},          {37, p[Im::Decompte2]},
        {71, p[Im::Decompte0]}};
    for (std::uint64_t pass : passes) {
        const std::vector<Uint16> attendue = Attendue(p, chiffre.at(pass), hasard[3 * pass],
                                                      hasard[3 * pass + 1], hasard[3 * pass + 2]);
        EXPECT_EQ(Differences(t.trames.at(5 * pass + 1), attendue), 0) << "pass " << pass;
        SauvePixelsPNG(DossierTrames() + "/decompte_passe" + std::to_string(pass) + ".png",
                       t.trames.at(5 * pass + 1).data(), 640, 480);
    }
    // The judder's last frame: the picture moved down by 12 rows over itself.
    const std::vector<Uint16>& image = t.trames.at(5 * 71 + 1);
    const std::vector<Uint16>& secoue = t.trames.at(5 * 71 + 4);
    for (int y = 0; y < 480; ++y) {
        const int source = y < 12 ? y : y - 12;
        for (int x = 0; x < 640; x += 13) {
            ASSERT_EQ(secoue[y * 640 + x], image[source * 640 + x]) << x << "," << y;
        }
    }
    SauvePixelsPNG(DossierTrames() + "/decompte_secousse.png", secoue.data(), 640, 480);
    // Left black for the logo scene, not shown yet.
    EXPECT_EQ(Pixel(p.ecran, 320, 240), 0);
    EXPECT_EQ(Pixel(p.ecran, 639, 479), 0);
    EXPECT_EQ(ImageAffichee()[240 * 640 + 320], t.trames.at(5 * 71 + 4)[240 * 640 + 320]);
}

TEST(SceneDecompte, KeyDuringTheJudderEndsOnlyTheJudder) {
    // Pass 0 polls at 1 and 16 ms, then the judder polls again at 33 ms.
    ConfigMachine config;
    config.evenements.push_back({20, ToucheEnfoncee()});
    Production p(config);
    SceneDecompte(p.ecran, &p.catalogue);
    // One pass lost two judder frames; the countdown still ran its course.
    EXPECT_GE(TempsVirtuelMs(), 6000u);
    EXPECT_EQ(NombrePresentations() % 5, 3u);
}

TEST(SceneDecompte, KeyAtTheTopOfAPassEndsTheCountdownOnBlack) {
    // Pass 12 polls for the last time in its judder at 1050 ms; the key is
    // next seen at the top of pass 13 (1083 ms).
    ConfigMachine config;
    config.evenements.push_back({1070, ToucheEnfoncee()});
    Production p(config);
    SceneDecompte(p.ecran, &p.catalogue);
    EXPECT_EQ(NombrePresentations(), 13u * 5);
    EXPECT_EQ(TempsVirtuelMs(), 1083u);
    // The screen is black, the display still shows the last frame.
    for (int y = 0; y < 480; y += 5) ASSERT_EQ(Pixel(p.ecran, 100, y), 0) << y;
    const std::vector<Uint16>& affiche = ImageAffichee();
    EXPECT_NE(std::count(affiche.begin(), affiche.end(), 0), 640 * 480);
}
