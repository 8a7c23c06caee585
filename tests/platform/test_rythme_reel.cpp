// The real seam's pacing against displays of every common refresh rate. The
// seam's clock, sleep and present are handed to a model of a display that
// makes a present wait for its next refresh (a display with vertical sync, at
// a given rate and phase), in virtual time. A loop built like the
// production's (counted loops of presents, whole frames and rectangles, the
// drawing's cost, waits on the clock between scenes) runs on it, and every
// step must begin within one 60 Hz frame of the time it begins on a display
// that never makes a present wait, while the display shows as many of the
// pictures as it can.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <vector>

#include "plateforme.h"
#include "seam_reel.h"

namespace {

using Ns = std::int64_t;
constexpr Ns kTrame60 = 1000000000 / 60;

// The display: its virtual clock, its refresh and the picture it shows.
struct Afficheur {
    bool synchro = false;  // a present waits for the next refresh
    Ns periode = kTrame60;
    Ns phase = 0;        // time of the refresh at index 0
    Ns coutPresent = 0;  // what a present costs before it waits
    Ns temps = 0;
    int presents = 0;
    std::vector<Uint16> montre;
};
Afficheur g_aff;

Ns Maintenant() {
    return g_aff.temps;
}
void Dort(Ns t) {
    g_aff.temps = std::max(g_aff.temps, t);
}
void Presente(SDL_Surface* s, const SDL_Rect* zone) {
    const SDL_Rect tout{0, 0, static_cast<Uint16>(s->w), static_cast<Uint16>(s->h)};
    const SDL_Rect z = zone ? *zone : tout;
    for (int y = z.y; y < z.y + z.h; ++y) {
        const Uint16* ligne =
            reinterpret_cast<const Uint16*>(static_cast<Uint8*>(s->pixels) + y * s->pitch);
        std::memcpy(&g_aff.montre[static_cast<size_t>(y) * s->w + z.x], ligne + z.x,
                    static_cast<size_t>(z.w) * 2);
    }
    ++g_aff.presents;
    g_aff.temps += g_aff.coutPresent;
    if (g_aff.synchro) {
        // The run starts seconds after the first refresh: always after it.
        g_aff.temps =
            g_aff.phase + ((g_aff.temps - g_aff.phase) / g_aff.periode + 1) * g_aff.periode;
    }
}

struct Parcours {
    std::vector<Ns> pas;  // the time each step of the loops begins
    int presents = 0;
    bool imageJuste = false;  // the display shows the surface at the end
};

// Scenes like the production's: a loop of whole frames, a wait, a loop that
// moves a square and shows only the rectangles it changed (some presents of
// which the seam may skip), a short wait as between two presents, a long one.
Parcours Joue(bool synchro, double frequence, double phase, Ns cout, Ns coutPresent = 0) {
    g_aff = Afficheur();
    g_aff.synchro = synchro;
    g_aff.coutPresent = coutPresent;
    g_aff.periode = static_cast<Ns>(1e9 / frequence + 0.5);
    g_aff.temps = 5000000000;  // the run starts five seconds into the clock
    SDL_Surface* s = SDL_CreateRGBSurface(SDL_SWSURFACE, 64, 48, 16, 0xF800, 0x07E0, 0x1F, 0);
    g_aff.montre.assign(64 * 48, 0);
    const AccesAffichage acces = {Maintenant, Dort, Presente};
    BrancheAffichage(&acces);
    DebutAffichage(s);
    // The start-up's work puts the first step anywhere between two refreshes.
    g_aff.temps += static_cast<Ns>(phase * g_aff.periode);
    Parcours p;
    auto attends = [](Uint32 ms) {
        const Uint32 debut = Horloge();
        while (Horloge() - debut < ms) {
        }
    };
    auto pas = [&](int i, const SDL_Rect* zone) {
        p.pas.push_back(g_aff.temps);
        g_aff.temps += cout;
        if (zone) {
            SDL_Rect r = *zone;
            SDL_FillRect(s, &r, static_cast<Uint32>(0x1234 + i * 77));
            AfficheZone(s, r.x, r.y, r.w, r.h);
        } else {
            SDL_FillRect(s, nullptr, static_cast<Uint32>(i * 131));
            AfficheTrame(s);
        }
    };
    for (int i = 0; i < 90; ++i) pas(i, nullptr);
    attends(500);
    for (int i = 0; i < 120; ++i) {
        const SDL_Rect r{static_cast<Sint16>(i % 56), static_cast<Sint16>((i * 3) % 40), 8, 8};
        pas(i, &r);
    }
    attends(10);
    for (int i = 0; i < 60; ++i) pas(i, nullptr);
    for (int i = 0; i < 45; ++i) {
        const SDL_Rect r{static_cast<Sint16>((i * 5) % 56), 20, 8, 8};
        pas(i, &r);
    }
    attends(300);
    p.pas.push_back(g_aff.temps);
    p.presents = g_aff.presents;
    p.imageJuste = std::memcmp(g_aff.montre.data(), s->pixels, 64 * 48 * 2) == 0;
    BrancheAffichage(nullptr);
    SDL_FreeSurface(s);
    return p;
}

struct CasAffichage {
    double frequence;
    double phase;  // of the first step after a refresh, in refresh periods
    Ns cout;       // the drawing of one step
    bool synchro = true;
    Ns coutPresent = 0;
};

TEST(RythmeReel, ChaqueAffichageGardeLeTempsDuPasA60Hz) {
    std::vector<CasAffichage> cas;
    for (double f : {30.0, 50.0, 60000.0 / 1001, 60.0, 75.0, 144.0}) {
        for (double ph : {0.0, 0.3, 0.6, 0.9}) cas.push_back({f, ph, 3000000});
    }
    cas.push_back({60.0, 0.1, 12000000});
    cas.push_back({30.0, 0.6, 12000000});
    cas.push_back({50.0, 0.95, 9000000});
    // A display that does not wait, behind a present that costs time (a
    // renderer drawing in software): every step still shown.
    cas.push_back({60.0, 0.0, 3000000, false, 4000000});
    cas.push_back({60.0, 0.0, 9000000, false, 6000000});
    // Presents that cost most of a step (an emulator's software present):
    // made back to back at start-up they look like a display's refresh.
    cas.push_back({60.0, 0.0, 2000000, false, 12000000});
    cas.push_back({60.0, 0.5, 1000000, false, 14000000});
    for (const CasAffichage& c : cas) {
        const Parcours ref = Joue(false, 60, 0, c.cout);
        const Parcours p = Joue(c.synchro, c.frequence, c.phase, c.cout, c.coutPresent);
        ASSERT_EQ(p.pas.size(), ref.pas.size());
        // A display that never waits shows every step (and the four
        // presents of the start-up).
        EXPECT_EQ(ref.presents, static_cast<int>(ref.pas.size()) + 3);
        Ns pire = 0;
        // Times from the first step (the start-up's presents take a display's
        // refreshes before the timeline starts).
        for (size_t i = 0; i < p.pas.size(); ++i) {
            const Ns ecart = (p.pas[i] - p.pas[0]) - (ref.pas[i] - ref.pas[0]);
            pire = std::max(pire, ecart < 0 ? -ecart : ecart);
        }
        std::printf(
            "%7.3f Hz phase %.2f drawing %2lld ms: largest distance %6.2f ms, "
            "%d presents of %d\n",
            c.frequence, c.phase, static_cast<long long>(c.cout / 1000000), pire / 1e6, p.presents,
            ref.presents);
        SCOPED_TRACE(testing::Message() << c.frequence << " Hz, phase " << c.phase);
        // The production's clock counts whole milliseconds: a wait may end a
        // millisecond apart, on either side of a grid time.
        EXPECT_LE(pire, kTrame60 + 1000000);
        EXPECT_TRUE(p.imageJuste) << "a skipped rectangle left stale pixels";
        // Every step is shown where the display can show it: all of them at
        // 60 Hz or more, nearly one per refresh below.
        const double vus = std::min(c.frequence, 60.0) / 60.0;
        EXPECT_GE(p.presents, static_cast<int>(ref.presents * vus * 0.97) - 2);
    }
}

}  // namespace
