// The real seam: SDL's clock, display and keyboard. Presents are paced to 60
// per second so that every movement of the production keeps its speed on any
// machine; with sdl12-compat's vertical sync the present also waits for the
// display, and the pacing then only keeps a faster display at 60.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>

#include "plateforme.h"

namespace {

using Horloge_t = std::chrono::steady_clock;
constexpr auto kPeriode = std::chrono::nanoseconds(1000000000 / 60);
// The pacing releases a present this early and lets a synchronised display
// absorb the rest, so that a 60 Hz display is never missed by a hair.
constexpr auto kAvance = std::chrono::microseconds(1500);

Horloge_t::time_point g_echeance;
bool g_rythmeDemarre = false;

// Optional journal of presents: with KAZZMOT_JOURNAL_PRESENTS=FILE, the time at
// which every present returned, in microseconds of the steady clock, one a
// line (scripts/mesure-processeur reads it). Null otherwise.
std::FILE* g_journal = nullptr;

void AttendJusqua(Horloge_t::time_point t) {
    // Sleep most of the way, then spin for the last two milliseconds.
    for (;;) {
        const auto now = Horloge_t::now();
        if (now >= t) return;
        if (t - now > std::chrono::milliseconds(2)) {
            std::this_thread::sleep_for(t - now - std::chrono::milliseconds(2));
        }
    }
}

void Rythme() {
    if (!g_rythmeDemarre) {
        g_rythmeDemarre = true;
        g_echeance = Horloge_t::now();
    }
    AttendJusqua(g_echeance - kAvance);
}

void ApresPresentation() {
    const auto now = Horloge_t::now();
    if (g_journal) {
        const auto us =
            std::chrono::duration_cast<std::chrono::microseconds>(now.time_since_epoch());
        std::fprintf(g_journal, "%lld\n", static_cast<long long>(us.count()));
    }
    g_echeance += kPeriode;
    // Behind by more than a frame (a slow machine, a suspended process):
    // start again from now rather than rushing to catch up.
    if (now > g_echeance) g_echeance = now + kPeriode - kAvance;
}

}  // namespace

Uint32 Horloge() {
    return SDL_GetTicks();
}

int AfficheTrame(SDL_Surface* surface) {
    Rythme();
    const int result = SDL_Flip(surface);
    ApresPresentation();
    return result;
}

void AfficheZone(SDL_Surface* surface, Sint32 x, Sint32 y, Uint32 w, Uint32 h) {
    Rythme();
    SDL_UpdateRect(surface, x, y, w, h);
    ApresPresentation();
}

int LitEvenement(SDL_Event* event) {
    return SDL_PollEvent(event);
}

bool EchapTenue() {
    const Uint8* keys = SDL_GetKeyState(nullptr);
    return keys && keys[SDLK_ESCAPE] != 0;
}

void DebutAffichage(SDL_Surface* /*surface*/) {
    g_rythmeDemarre = false;
    const char* journal = std::getenv("KAZZMOT_JOURNAL_PRESENTS");
    if (journal && *journal && !g_journal) {
        g_journal = std::fopen(journal, "w");
        // Line-buffered, so the journal is complete however the run ends.
        if (g_journal) std::setvbuf(g_journal, nullptr, _IOLBF, 0);
    }
}
