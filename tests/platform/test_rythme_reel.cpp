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
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <vector>

#include "plateforme.h"
#include "seam_reel.h"

namespace {

using Ns = std::int64_t;
constexpr Ns kTrame60 = 1000000000 / 60;

// Where the whole process stops once (SIGSTOP then SIGCONT, a debugger, a
// suspended machine): inside a sleep, a present or the drawing; or a present
// held for long while the music goes on (a hidden window's).
enum class Arret { aucun, sommeil, present, dessin, presentMusique };

// The display: its virtual clock, its refresh and the picture it shows.
struct Afficheur {
    bool synchro = false;  // a present waits for the next refresh
    Ns periode = kTrame60;
    Ns phase = 0;        // time of the refresh at index 0
    Ns coutPresent = 0;  // what a present costs before it waits
    Ns surSommeil = 0;   // how late every sleep ends (a timer of coarse grain)
    Arret arret = Arret::aucun;
    Ns arretA = 0;        // the stall comes at the first such moment after this
    Ns arretDuree = 0;    // and lasts this long
    size_t arretPas = 0;  // the steps begun when it came
    Ns silence = 0;       // how long the music was stopped with the process
    Ns temps = 0;
    int presents = 0;
    size_t pas = 0;
    std::vector<Uint16> montre;
};
Afficheur g_aff;

void Arrete(Arret ou) {
    if (g_aff.arret == ou && g_aff.temps >= g_aff.arretA) {
        g_aff.temps += g_aff.arretDuree;
        if (ou != Arret::presentMusique) g_aff.silence += g_aff.arretDuree;
        g_aff.arret = Arret::aucun;
        g_aff.arretPas = g_aff.pas;
    }
}
Ns Maintenant() {
    return g_aff.temps;
}
Ns Son() {
    return g_aff.temps - g_aff.silence;
}
void Dort(Ns t) {
    g_aff.temps = std::max(g_aff.temps, t) + g_aff.surSommeil;
    Arrete(Arret::sommeil);
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
    Arrete(Arret::present);
    Arrete(Arret::presentMusique);
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
    size_t arretPas = 0;      // the steps begun before the stall
};

struct Perturbation {
    Ns surSommeil = 0;
    Arret arret = Arret::aucun;
    Ns arretA = 0;  // from the start of the run
    Ns arretDuree = 0;
};

// Scenes like the production's: a loop of whole frames, a wait, a loop that
// moves a square and shows only the rectangles it changed (some presents of
// which the seam may skip), a short wait as between two presents, a long one.
Parcours Joue(bool synchro, double frequence, double phase, Ns cout, Ns coutPresent = 0,
              const Perturbation& perturbation = Perturbation()) {
    g_aff = Afficheur();
    g_aff.synchro = synchro;
    g_aff.coutPresent = coutPresent;
    g_aff.surSommeil = perturbation.surSommeil;
    g_aff.arret = perturbation.arret;
    g_aff.arretDuree = perturbation.arretDuree;
    g_aff.periode = static_cast<Ns>(1e9 / frequence + 0.5);
    g_aff.temps = 5000000000;  // the run starts five seconds into the clock
    g_aff.arretA = g_aff.temps + perturbation.arretA;
    SDL_Surface* s = SDL_CreateRGBSurface(SDL_SWSURFACE, 64, 48, 16, 0xF800, 0x07E0, 0x1F, 0);
    g_aff.montre.assign(64 * 48, 0);
    const AccesAffichage acces = {Maintenant, Dort, Presente, Son};
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
        g_aff.pas = p.pas.size();
        g_aff.temps += cout;
        Arrete(Arret::dessin);
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
    p.arretPas = g_aff.arret == Arret::aucun ? g_aff.arretPas : p.pas.size();
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
    Perturbation perturbation = Perturbation();
};

TEST(RythmeReel, ChaqueAffichageGardeLeTempsDuPasA60Hz) {
    constexpr Ns kMs = 1000000;
    std::vector<CasAffichage> cas;
    for (double f : {30.0, 50.0, 60000.0 / 1001, 60.0, 75.0, 144.0}) {
        for (double ph : {0.0, 0.3, 0.6, 0.9}) cas.push_back({f, ph, 3 * kMs});
    }
    cas.push_back({60.0, 0.1, 12 * kMs});
    cas.push_back({30.0, 0.6, 12 * kMs});
    cas.push_back({50.0, 0.95, 9 * kMs});
    // A display that does not wait, behind a present that costs time (a
    // renderer drawing in software): every step still shown.
    cas.push_back({60.0, 0.0, 3 * kMs, false, 4 * kMs});
    cas.push_back({60.0, 0.0, 9 * kMs, false, 6 * kMs});
    // Presents that cost most of a step (an emulator's software present):
    // made back to back at start-up they look like a display's refresh.
    cas.push_back({60.0, 0.0, 2 * kMs, false, 12 * kMs});
    cas.push_back({60.0, 0.5, 1 * kMs, false, 14 * kMs});
    // Presents that cost a step or more (a software present scaling to a big
    // screen, a remote display, a loaded machine): as many pictures as they
    // allow, the timeline unchanged.
    for (Ns c : {17, 20, 25, 33, 45, 60}) cas.push_back({60.0, 0.0, 2 * kMs, false, c * kMs});
    cas.push_back({60.0, 0.4, 2 * kMs, true, 20 * kMs});
    // Sleeps that end late (timers of coarse grain).
    cas.push_back({60.0, 0.0, 3 * kMs, false, 0, {2 * kMs}});
    cas.push_back({60.0, 0.3, 3 * kMs, true, 0, {4 * kMs}});
    // The whole process stopped for 30 s, inside the pacing's sleep, a wait's
    // sleep, a present or the drawing, on displays that wait or not.
    for (bool synchro : {false, true}) {
        cas.push_back(
            {60.0, 0.2, 3 * kMs, synchro, 0, {0, Arret::sommeil, 1000 * kMs, 30000 * kMs}});
        cas.push_back(
            {60.0, 0.2, 3 * kMs, synchro, 0, {0, Arret::sommeil, 1700 * kMs, 30000 * kMs}});
        cas.push_back(
            {60.0, 0.2, 3 * kMs, synchro, 0, {0, Arret::present, 3000 * kMs, 30000 * kMs}});
        cas.push_back(
            {60.0, 0.2, 3 * kMs, synchro, 0, {0, Arret::dessin, 4000 * kMs, 30000 * kMs}});
    }
    cas.push_back(
        {60.0, 0.0, 2 * kMs, false, 20 * kMs, {0, Arret::sommeil, 800 * kMs, 10000 * kMs}});
    // A present held two seconds while the music went on: the timeline goes
    // on with the music, its steps catching the time up by skipping presents.
    cas.push_back(
        {60.0, 0.2, 3 * kMs, false, 0, {0, Arret::presentMusique, 1000 * kMs, 2000 * kMs}});
    for (const CasAffichage& c : cas) {
        const Parcours ref = Joue(false, 60, 0, c.cout);
        const Parcours p =
            Joue(c.synchro, c.frequence, c.phase, c.cout, c.coutPresent, c.perturbation);
        ASSERT_EQ(p.pas.size(), ref.pas.size());
        // A display that never waits shows every step (and the four
        // presents of the start-up).
        EXPECT_EQ(ref.presents, static_cast<int>(ref.pas.size()) + 3);
        SCOPED_TRACE(testing::Message() << c.frequence << " Hz, phase " << c.phase << ", present "
                                        << c.coutPresent / kMs << " ms, stall "
                                        << static_cast<int>(c.perturbation.arret));
        if (c.perturbation.arret != Arret::aucun) {
            EXPECT_LT(p.arretPas, p.pas.size()) << "the stall never came";
        }
        if (c.perturbation.arret == Arret::presentMusique) {
            // Every step late from the hold until the time is caught up, and
            // the timeline on the music's time by the end.
            const Ns fin = (p.pas.back() - p.pas[0]) - (ref.pas.back() - ref.pas[0]);
            EXPECT_LE(std::abs(fin), kTrame60 + kMs) << "the timeline did not catch the music up";
            EXPECT_LT(p.presents, ref.presents);
            continue;
        }
        Ns pire = 0;
        // Times from the first step (the start-up's presents take a display's
        // refreshes before the timeline starts); the steps after a stall go
        // on from where the timeline stood, its length later.
        for (size_t i = 0; i < p.pas.size(); ++i) {
            const Ns arret = i >= p.arretPas ? c.perturbation.arretDuree : 0;
            const Ns ecart = (p.pas[i] - p.pas[0]) - (ref.pas[i] - ref.pas[0]) - arret;
            pire = std::max(pire, ecart < 0 ? -ecart : ecart);
        }
        std::printf(
            "%7.3f Hz phase %.2f drawing %2lld ms present %2lld ms: largest distance %6.2f ms, "
            "%d presents of %d\n",
            c.frequence, c.phase, static_cast<long long>(c.cout / kMs),
            static_cast<long long>(c.coutPresent / kMs), pire / 1e6, p.presents, ref.presents);
        // The production's clock counts whole milliseconds: a wait may end a
        // millisecond apart, on either side of a grid time. A sleep that ends
        // late, and a present that costs more than a step, make the step
        // that follows that much later, never more.
        const bool couteux = c.coutPresent > kTrame60 - 3 * kMs;
        EXPECT_LE(pire, kTrame60 + kMs + c.perturbation.surSommeil + (couteux ? c.coutPresent : 0));
        EXPECT_TRUE(p.imageJuste) << "a skipped rectangle left stale pixels";
        // Every step is shown where the display can show it: all of them at
        // 60 Hz or more, nearly one per refresh below; with presents that
        // cost more than a step, at least 70 % of the pictures a second they
        // allow.
        double vus = std::min(c.frequence, 60.0) / 60.0 * 0.97;
        if (couteux) {
            // A present that waits for the display after its cost takes
            // whole refreshes.
            const double duree = c.synchro
                                     ? std::ceil(c.coutPresent * c.frequence / 1e9) / c.frequence
                                     : c.coutPresent / 1e9;
            vus = std::min(1.0, 1.0 / (60.0 * duree)) * 0.7;
        }
        EXPECT_GE(p.presents, static_cast<int>(ref.presents * vus) - 2);
    }
}

}  // namespace
