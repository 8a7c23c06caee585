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
//   signal. A second signal before then ends it at once. On Windows the
//   console's Ctrl-C, Ctrl-Break and closing play that part, when the program
//   was started from a console.
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <ctime>

#include "plateforme.h"

#ifdef _WIN32
#include <thread>

#include <windows.h>
#endif

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

volatile std::sig_atomic_t g_signalRecu = 0;

#ifdef _WIN32
// A GUI program has no console of its own: started from one, it joins its
// parent's, so that the console's Ctrl-C and closing reach it. Closing the
// console ends the process once the handler returns, so the handler waits
// there for the production to shut SDL down and exit.
BOOL WINAPI NoteConsole(DWORD evenement) {
    switch (evenement) {
        case CTRL_C_EVENT:
        case CTRL_BREAK_EVENT:
            if (g_signalRecu != 0) std::_Exit(128 + SIGINT);
            g_signalRecu = SIGINT;
            return TRUE;
        case CTRL_CLOSE_EVENT:
        case CTRL_LOGOFF_EVENT:
        case CTRL_SHUTDOWN_EVENT:
            g_signalRecu = SIGTERM;
            Sleep(4000);  // the system's grace is 5 s
            return TRUE;
        default:
            return FALSE;
    }
}

struct InstalleSignaux {
    InstalleSignaux() {
        if (AttachConsole(ATTACH_PARENT_PROCESS)) SetConsoleCtrlHandler(NoteConsole, TRUE);
    }
} g_installeSignaux;
#else
extern "C" void NoteSignal(int sig) {
    if (g_signalRecu != 0) {
        // Asked twice: the program is not reaching the seam; end it now.
        std::signal(sig, SIG_DFL);
        std::raise(sig);
        return;
    }
    g_signalRecu = sig;
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
            sigemptyset(&action.sa_mask);
            sigaction(sig, &action, nullptr);
        }
    }
} g_installeSignaux;
#endif

void VerifieSignal() {
    const int sig = g_signalRecu;
    if (sig == 0) return;
    if (g_journal) std::fclose(g_journal);
    SDL_Quit();
#ifdef _WIN32
    // No signal to end with: the shell's status for one.
    std::_Exit(128 + sig);
#endif
    std::signal(sig, SIG_DFL);
    std::raise(sig);
    std::_Exit(128 + sig);  // not reached
}

// Sleeps until t on the monotonic clock; a signal cuts the sleep short.
void DortJusqua(Horloge_t::time_point t) {
#ifdef _WIN32
    // An absolute sleep on the monotonic clock fails at once on Windows'
    // threads library: relative sleeps until the deadline has passed.
    for (auto now = Horloge_t::now(); now < t; now = Horloge_t::now()) {
        std::this_thread::sleep_for(t - now);
        VerifieSignal();
    }
#else
    const auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(t.time_since_epoch());
    timespec ts;
    ts.tv_sec = static_cast<time_t>(ns.count() / 1000000000);
    ts.tv_nsec = static_cast<long>(ns.count() % 1000000000);
    while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &ts, nullptr) == EINTR) {
        VerifieSignal();
    }
#endif
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
