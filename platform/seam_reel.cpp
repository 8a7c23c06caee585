// The real seam: SDL's clock, display and keyboard. Presents are paced to 60
// per second so that every movement of the production keeps its speed on any
// machine; with sdl12-compat's vertical sync the present also waits for the
// display, and the pacing then only keeps a faster display at 60.
//
// The seam is also a good citizen of the desktop:
// - a wait that reads the clock again without having presented anything
//   sleeps a millisecond before the read, as the virtual machine advances its
//   clock by a millisecond there; the waits then poll the keyboard about once
//   a millisecond instead of thousands of times;
// - the pacing sleeps until its deadline rather than spinning;
// - Ctrl-C (SIGINT) and a termination request (SIGTERM) end the program: the
//   signal is noted, and the next call of any routine here, which every loop
//   of the production makes, shuts SDL down and ends the process with that
//   signal; loading the pictures checks between two of them. A second signal
//   before then ends it at once.
#include <atomic>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <ctime>

#include "plateforme.h"

namespace {

using Horloge_t = std::chrono::steady_clock;  // CLOCK_MONOTONIC
constexpr auto kPeriode = std::chrono::nanoseconds(1000000000 / 60);
// The pacing releases a present this early and lets a synchronised display
// absorb the rest, so that a 60 Hz display is never missed by a hair.
constexpr auto kAvance = std::chrono::microseconds(1500);
// How long a clock read that follows a clock read sleeps first.
constexpr auto kSommeAttente = std::chrono::milliseconds(1);

Horloge_t::time_point g_echeance;
bool g_rythmeDemarre = false;
// The last call that counts was a clock read, with no present since.
bool g_heureLue = false;

// Optional journal of presents: with KAZZMOT_JOURNAL_PRESENTS=FILE, the time at
// which every present returned, in microseconds of the steady clock, one a
// line (scripts/mesure-processeur reads it). Null otherwise.
std::FILE* g_journal = nullptr;

void VerifieSignal();

// The signal asked for, 0 while none was. Any thread may take the signal (the
// pictures are decoded on several), so the flag is an atomic that needs no
// lock, safe to write from a handler.
std::atomic<int> g_signalRecu{0};
static_assert(std::atomic<int>::is_always_lock_free, "the signal flag must be lock-free");

// Notes the signal. A second one must end the program at once, in case it is
// not reaching the seam: the handler is installed to reset itself as it runs,
// so the same signal again takes its default action; the other signal, found
// noted already, is raised again here, under its default action likewise.
extern "C" void NoteSignal(int sig) {
    int aucun = 0;
    if (!g_signalRecu.compare_exchange_strong(aucun, sig)) std::raise(sig);
}

// Installed before main, hence before SDL starts: SDL then leaves these two
// signals alone instead of turning them into a quit event that the production
// never reads. A signal the program was started with ignored (a job run with
// nohup) stays ignored.
struct InstalleSignaux {
    InstalleSignaux() {
        for (int sig : {SIGINT, SIGTERM}) {
            struct sigaction avant;
            if (sigaction(sig, nullptr, &avant) == 0 && avant.sa_handler == SIG_IGN) continue;
            struct sigaction action {};
            action.sa_handler = NoteSignal;
            action.sa_flags = SA_RESETHAND;
            sigemptyset(&action.sa_mask);
            sigaction(sig, &action, nullptr);
        }
        // Loading the pictures makes no present: it checks here between two.
        g_verifieArret = VerifieSignal;
    }
} g_installeSignaux;

void VerifieSignal() {
    const int sig = g_signalRecu.load();
    if (sig == 0) return;
    if (g_journal) std::fclose(g_journal);
    SDL_Quit();
    struct sigaction defaut {};
    defaut.sa_handler = SIG_DFL;
    sigemptyset(&defaut.sa_mask);
    sigaction(sig, &defaut, nullptr);
    std::raise(sig);
    std::_Exit(128 + sig);  // not reached
}

// Sleeps until t on the monotonic clock; a signal cuts the sleep short.
void DortJusqua(Horloge_t::time_point t) {
    const auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(t.time_since_epoch());
    timespec ts;
    ts.tv_sec = static_cast<time_t>(ns.count() / 1000000000);
    ts.tv_nsec = static_cast<long>(ns.count() % 1000000000);
    while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &ts, nullptr) == EINTR) {
        VerifieSignal();
    }
}

void Rythme() {
    if (!g_rythmeDemarre) {
        g_rythmeDemarre = true;
        g_echeance = Horloge_t::now();
    }
    DortJusqua(g_echeance - kAvance);
    VerifieSignal();
}

void ApresPresentation() {
    const auto now = Horloge_t::now();
    g_heureLue = false;
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
    VerifieSignal();
    if (g_heureLue) {
        DortJusqua(Horloge_t::now() + kSommeAttente);
        VerifieSignal();
    }
    g_heureLue = true;
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
    VerifieSignal();
    return SDL_PollEvent(event);
}

bool EchapTenue() {
    const Uint8* keys = SDL_GetKeyState(nullptr);
    return keys && keys[SDLK_ESCAPE] != 0;
}

void DebutAffichage(SDL_Surface* /*surface*/) {
    g_rythmeDemarre = false;
    g_heureLue = false;
    const char* journal = std::getenv("KAZZMOT_JOURNAL_PRESENTS");
    if (journal && *journal && !g_journal) {
        g_journal = std::fopen(journal, "w");
        // Line-buffered, so the journal is complete however the run ends.
        if (g_journal) std::setvbuf(g_journal, nullptr, _IOLBF, 0);
    }
}
