// The real seam: SDL's clock, display and keyboard.
//
// The production's timeline advances one step per present, and keeps 60 steps
// a second on every display. The seam paces on its own clock: every present
// has a time on a 60 Hz grid, the call returns at that time, and the display's
// own wait is off (sdl12-compat's vertical sync, unless the user asks for it):
// a desktop's compositor shows whole frames, so nothing tears there, and a
// present costs no wait that depends on the display's rate and phase. A
// present that would end after the next step's time (a slow machine, or a
// display that still makes the present wait for its refresh) is skipped: the
// timeline never waits. The seam learns the refreshes of a display that makes
// it wait from the times its presents return, and shows a skipped rectangle
// with the next present (the union of what is waiting), so a skipped present
// leaves nothing stale on the screen.
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
//   before then ends it at once. On Windows the console's Ctrl-C, Ctrl-Break
//   and closing play that part, when the program was started from a console.
#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <thread>

#include "plateforme.h"
#include "seam_reel.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace {

using Horloge_t = std::chrono::steady_clock;  // CLOCK_MONOTONIC
using Ns = std::int64_t;
constexpr Ns kPeriode = 1000000000 / 60;
// A present is released this early, so that a present's own cost does not
// push the step past its time.
constexpr Ns kAvance = 1500000;
// How long a clock read that follows a clock read sleeps first.
constexpr Ns kSommeAttente = 1000000;
// Never more steps than this in a row without showing what was drawn,
// whatever the estimates say.
constexpr int kSautsMax = 6;
// The display's refresh is measured once, at start-up, as the shortest
// spacing between the returns of a few presents made back to back, ignoring
// those closer than this (a display that does not wait). Learnt from the
// production's own presents it could mistake presents skipped by the pacing
// for a slow display, and skip more.
constexpr Ns kEcartMin = 2000000;
constexpr int kSondes = 4;
// The pause that tells a display that waits from a present that costs time.
constexpr Ns kPauseSonde = 5000000;
// A present that took this long waited for the display.
constexpr Ns kAttenteMin = 1000000;

Ns MaintenantStd() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(Horloge_t::now().time_since_epoch())
        .count();
}

void DortStd(Ns t) {
    // Portable: a relative sleep, the same call on every system (an absolute
    // one on the monotonic clock fails at once with mingw-w64's threads), and
    // again while a timer of coarser grain woke it early. A signal is checked
    // after.
    const Horloge_t::time_point fin{std::chrono::nanoseconds(t)};
    while (Horloge_t::now() < fin) std::this_thread::sleep_until(fin);
}

void PresenteSdl(SDL_Surface* surface, const SDL_Rect* zone) {
    if (!zone) {
        SDL_Flip(surface);
    } else {
        SDL_UpdateRect(surface, zone->x, zone->y, zone->w, zone->h);
    }
}

const AccesAffichage kAccesSdl = {MaintenantStd, DortStd, PresenteSdl};
AccesAffichage g_acces = kAccesSdl;
bool g_accesSdl = true;

struct Rythme_t {
    bool demarre = false;
    Ns cible = 0;  // the time of the last present's step, on the 60 Hz grid
    // What waits to be shown: nothing, a rectangle, or the whole surface.
    bool attente = false;
    bool entiere = false;
    int x0 = 0, y0 = 0, x1 = 0, y1 = 0;
    SDL_Surface* surface = nullptr;
    // The returns of the presents, and the display's refresh learnt from them.
    Ns retour = 0;
    int sauts = 0;       // steps in a row whose present was skipped
    Ns cout = 0;         // how long the last present took
    bool sonde = false;  // the start-up's presents, which measure the refresh
    Ns rafraichi = 0;    // the refresh, or 0 when the display does not wait
    // How late the last step returned: the timeline's clock is the wall
    // clock less this, so that a wait that follows a present that waited
    // for the display ends when it would have ended without that wait.
    Ns retard = 0;
};
Rythme_t g_rythme;

// The last call that counts was a clock read, with no present since.
bool g_heureLue = false;
// The program read the clock twice in a row since the last present: it was
// waiting, not drawing.
bool g_attendait = false;
// The last time Horloge gave.
Uint32 g_derniereHeure = 0;

// Optional journal of presents: with KAZZMOT_JOURNAL_PRESENTS=FILE, the time at
// which every present made returned (a skipped one has no line), in
// microseconds of the steady clock, one a line (scripts/mesure-processeur
// reads it). Null otherwise.
std::FILE* g_journal = nullptr;

void VerifieSignal();

// The signal asked for, 0 while none was. Any thread may take the signal (the
// pictures are decoded on several), so the flag is an atomic that needs no
// lock, safe to write from a handler.
std::atomic<int> g_signalRecu{0};
static_assert(std::atomic<int>::is_always_lock_free, "the signal flag must be lock-free");

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
        // Loading the pictures makes no present: it checks here between two.
        g_verifieArret = VerifieSignal;
    }
} g_installeSignaux;
#else
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
#endif

// The display's own wait is off unless the user asks for it: the pacing keeps
// the time, and a compositor keeps the frames whole. Set before main, hence
// before SDL reads it.
struct ReglageSynchro {
    ReglageSynchro() {
#ifdef _WIN32
        if (!std::getenv("SDL12COMPAT_SYNC_TO_VBLANK"))
            _putenv_s("SDL12COMPAT_SYNC_TO_VBLANK", "0");
#else
        setenv("SDL12COMPAT_SYNC_TO_VBLANK", "0", 0);
#endif
    }
} g_reglageSynchro;

void VerifieSignal() {
    const int sig = g_signalRecu.load();
    if (sig == 0) return;
    if (g_journal) std::fclose(g_journal);
    SDL_Quit();
#ifdef _WIN32
    // No signal to end with: the shell's status for one.
    std::_Exit(128 + sig);
#else
    struct sigaction defaut {};
    defaut.sa_handler = SIG_DFL;
    sigemptyset(&defaut.sa_mask);
    sigaction(sig, &defaut, nullptr);
#endif
    std::raise(sig);
    std::_Exit(128 + sig);  // not reached
}

void DortJusqua(Ns t) {
    if (g_acces.maintenantNs() < t) g_acces.dortJusquaNs(t);
    VerifieSignal();
}

void AjouteZone(SDL_Surface* surface, const SDL_Rect* zone) {
    Rythme_t& r = g_rythme;
    r.surface = surface;
    if (!zone) {
        r.entiere = true;
    } else if (!r.attente) {
        r.x0 = zone->x;
        r.y0 = zone->y;
        r.x1 = zone->x + zone->w;
        r.y1 = zone->y + zone->h;
    } else {
        r.x0 = std::min<int>(r.x0, zone->x);
        r.y0 = std::min<int>(r.y0, zone->y);
        r.x1 = std::max<int>(r.x1, zone->x + zone->w);
        r.y1 = std::max<int>(r.y1, zone->y + zone->h);
    }
    r.attente = true;
}

// When a present started at t would return: at the display's next refresh
// once one is known, else after the last present's cost.
Ns RetourPrevu(Ns t) {
    const Rythme_t& r = g_rythme;
    if (r.rafraichi <= 0 || r.retour <= 0) return t + r.cout;
    if (t < r.retour) return r.retour;
    return r.retour + ((t - r.retour) / r.rafraichi + 1) * r.rafraichi;
}

// Shows what waits, and learns from the time the present took.
void PresenteAttente() {
    Rythme_t& r = g_rythme;
    if (!r.attente) return;
    const Ns avant = g_acces.maintenantNs();
    if (r.entiere) {
        g_acces.presente(r.surface, nullptr);
    } else {
        const int x0 = std::max(r.x0, 0), y0 = std::max(r.y0, 0);
        const int x1 = std::min(r.x1, r.surface->w), y1 = std::min(r.y1, r.surface->h);
        if (x1 > x0 && y1 > y0) {
            SDL_Rect zone{static_cast<Sint16>(x0), static_cast<Sint16>(y0),
                          static_cast<Uint16>(x1 - x0), static_cast<Uint16>(y1 - y0)};
            g_acces.presente(r.surface, &zone);
        }
    }
    r.attente = false;
    r.entiere = false;
    const Ns apres = g_acces.maintenantNs();
    r.cout = apres - avant;
    if (g_journal) {
        std::fprintf(g_journal, "%lld\n", static_cast<long long>(apres / 1000));
    }
    // Only a present that waited tells when the display refreshes.
    if (r.cout < kAttenteMin) return;
    const Ns ecart = apres - r.retour;
    if (r.sonde && r.retour > 0 && ecart >= kEcartMin &&
        (r.rafraichi == 0 || ecart < r.rafraichi)) {
        r.rafraichi = ecart;
    }
    r.retour = apres;
}

// One step of the timeline: the present's time is the next one on the grid,
// or, after a wait or when far behind, the first grid time still to come.
void Pas(SDL_Surface* surface, const SDL_Rect* zone) {
    VerifieSignal();
    Rythme_t& r = g_rythme;
    AjouteZone(surface, zone);
    const Ns maintenant = g_acces.maintenantNs() - r.retard;
    if (!r.demarre) {
        r.demarre = true;
        r.cible = maintenant;
    } else {
        // After a wait, the first grid time still to come (as a present that
        // waits for a 60 Hz display); while drawing, the next one, unless a
        // whole step has been lost. A step that ends within the present's
        // head start of a grid time still belongs to it.
        const Ns suivante = r.cible + kPeriode;
        const Ns depuis = maintenant - kAvance - r.cible;
        const bool enRetard = depuis >= (g_attendait ? kPeriode : 2 * kPeriode);
        r.cible = enRetard ? r.cible + (depuis / kPeriode + 1) * kPeriode : suivante;
    }
    g_attendait = false;
    g_heureLue = false;
    DortJusqua(r.cible - kAvance);
    const Ns depart = g_acces.maintenantNs();
    if (RetourPrevu(depart) < r.cible + kPeriode - kAvance || r.sauts >= kSautsMax) {
        PresenteAttente();
        r.sauts = 0;
    } else {
        ++r.sauts;
    }
    DortJusqua(r.cible - kAvance);
    r.retard = std::max<Ns>(0, g_acces.maintenantNs() - (r.cible - kAvance));
    g_heureLue = false;
}

}  // namespace

Uint32 Horloge() {
    VerifieSignal();
    if (g_heureLue) {
        g_attendait = true;
        // Waiting: a skipped present is shown once its step is over.
        if (g_rythme.attente && g_acces.maintenantNs() >= g_rythme.cible + kPeriode) {
            PresenteAttente();
        }
        DortJusqua(g_acces.maintenantNs() + kSommeAttente);
    }
    g_heureLue = true;
    const Uint32 retard = static_cast<Uint32>(g_rythme.retard / 1000000);
    const Uint32 ms =
        g_accesSdl ? SDL_GetTicks() : static_cast<Uint32>(g_acces.maintenantNs() / 1000000);
    // The timeline's clock; never earlier than a time already given.
    if (ms - retard - g_derniereHeure < 0x80000000u) g_derniereHeure = ms - retard;
    return g_derniereHeure;
}

int AfficheTrame(SDL_Surface* surface) {
    Pas(surface, nullptr);
    return 0;
}

void AfficheZone(SDL_Surface* surface, Sint32 x, Sint32 y, Uint32 w, Uint32 h) {
    if (x == 0 && y == 0 && w == 0 && h == 0) {
        Pas(surface, nullptr);
        return;
    }
    const SDL_Rect zone{static_cast<Sint16>(x), static_cast<Sint16>(y), static_cast<Uint16>(w),
                        static_cast<Uint16>(h)};
    Pas(surface, &zone);
}

int LitEvenement(SDL_Event* event) {
    VerifieSignal();
    return SDL_PollEvent(event);
}

bool EchapTenue() {
    const Uint8* keys = SDL_GetKeyState(nullptr);
    return keys && keys[SDLK_ESCAPE] != 0;
}

void DebutAffichage(SDL_Surface* surface) {
    g_rythme = Rythme_t();
    g_heureLue = false;
    g_attendait = false;
    g_derniereHeure = 0;
    // A few presents of the new (black) screen before the timeline starts
    // show whether the display makes a present wait, and for how long.
    if (surface) {
        g_rythme.sonde = true;
        for (int i = 0; i < kSondes; ++i) {
            AjouteZone(surface, nullptr);
            PresenteAttente();
        }
        g_rythme.sonde = false;
        // Presents that merely cost time (a slow software present, under an
        // emulator) look like a display's refresh when made back to back. A
        // display that waits absorbs a pause shorter than its refresh; a
        // present that costs time adds the pause to its spacing.
        if (g_rythme.rafraichi > 0) {
            Ns precedent = g_acces.maintenantNs();
            Ns ecart = INT64_MAX;
            for (int i = 0; i < kSondes; ++i) {
                g_acces.dortJusquaNs(g_acces.maintenantNs() + kPauseSonde);
                AjouteZone(surface, nullptr);
                PresenteAttente();
                const Ns retour = g_acces.maintenantNs();
                ecart = std::min(ecart, retour - precedent);
                precedent = retour;
            }
            if (ecart >= g_rythme.rafraichi + kPauseSonde / 2) g_rythme.rafraichi = 0;
        }
    }
    const char* journal = std::getenv("KAZZMOT_JOURNAL_PRESENTS");
    if (journal && *journal && !g_journal) {
        g_journal = std::fopen(journal, "w");
        // Line-buffered, so the journal is complete however the run ends.
        if (g_journal) std::setvbuf(g_journal, nullptr, _IOLBF, 0);
    }
}

void BrancheAffichage(const AccesAffichage* acces) {
    g_accesSdl = acces == nullptr;
    g_acces = acces ? *acces : kAccesSdl;
    DebutAffichage(nullptr);
}
