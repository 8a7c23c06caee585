// The real seam: SDL's clock, display and keyboard.
//
// The production's timeline advances one step per present, and keeps 60 steps
// a second on every display. The seam paces on its own clock: every present
// has a time on a 60 Hz grid, the call returns at that time, and the display's
// own wait is off (sdl12-compat's vertical sync, unless the user asks for it):
// a desktop's compositor shows whole frames, so nothing tears there, and a
// present costs no wait that depends on the display's rate and phase. A
// present that would end after the next step's time on a display that still
// makes the present wait for its refresh is skipped, and so is a present that
// costs time (a slow software present, a remote display, a loaded machine)
// while the timeline is a step late: the timeline never waits, and the steps
// whose present is skipped catch its time up. The seam learns the refreshes of
// a display that makes it wait from the times its presents return, and shows
// a skipped rectangle with the next present (the union of what is waiting),
// so a skipped present leaves nothing stale on the screen. A stall of the
// whole process (Ctrl-Z, a debugger, a suspended machine) is not counted:
// the timeline goes on from where it stood, as the music does.
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
#include <cstring>
#include <thread>

#include "plateforme.h"
#include "seam_reel.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace {

using Horloge_t = std::chrono::steady_clock;  // CLOCK_MONOTONIC
using Ns = std::int64_t;
constexpr Ns kNsParSeconde = 1000000000;
constexpr Ns kPeriode = kNsParSeconde / 60;
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
// A present that took this long waited for the display (or costs time).
constexpr Ns kAttenteMin = 1000000;
// No drawing, present or sleep takes this long past its due time: a read of
// the clock that comes later than that, while the music did not go on, found
// the whole process stopped (Ctrl-Z then fg, a debugger, a virtual machine
// suspended), and the timeline does not count the time it was stopped. When
// the music went on (a present held by a hidden window), the timeline goes on
// with it.
constexpr Ns kArret = 250000000;
// The timeline is held back by what presents cost at most this much.
constexpr Ns kRetardMax = 60 * kNsParSeconde;

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

const AccesAffichage kAccesSdl = {MaintenantStd, DortStd, PresenteSdl, SonJoueNs};
AccesAffichage g_acces = kAccesSdl;
bool g_accesSdl = true;  // SDL's own clock and display, not a model's

// Two times live here. The clock's time: nanoseconds of the monotonic clock,
// on which sleeps end and presents return. The timeline's time: the clock's
// less every stall the process went through, so that after a stall the show
// goes on from where it stood, as the music does (its thread was stopped too),
// instead of racing to catch the clock up. The grid of steps is kept in the
// timeline's time; a sleep until a timeline time ends at that time plus the
// stalls so far.
struct Temps_t {
    bool lu = false;  // the clock was read since the timeline started
    Ns lecture = 0;   // the clock's time of the last read
    Ns son = -1;      // the sound played by then, or -1 without sound
    Ns reveil = 0;    // the clock's time the last sleep was to end
    Ns arrets = 0;    // the clock's time lost to stalls
    Ns ligne = 0;     // the timeline's time of the last read
    Ns origine = 0;   // the timeline's time when the display started
};
Temps_t g_temps;

struct Rythme_t {
    bool demarre = false;
    Ns cible = 0;  // the timeline's time of the last step, on the 60 Hz grid
    // What waits to be shown: nothing, a rectangle, or the whole surface.
    bool attente = false;
    bool entiere = false;
    int x0 = 0, y0 = 0, x1 = 0, y1 = 0;
    SDL_Surface* surface = nullptr;
    // The returns of the presents (the clock's time), and the display's
    // refresh learnt from them.
    Ns retour = 0;
    int sauts = 0;       // steps in a row whose present was skipped
    Ns cout = 0;         // how long the last present took
    bool sonde = false;  // the start-up's presents, which measure the refresh
    Ns rafraichi = 0;    // the refresh, or 0 when the display does not wait
    // How late the last step ended past its present's release, bounded: the
    // program reads the timeline's time less this, so that a wait that
    // follows a present held by the display ends when it would have ended
    // without that hold, and the next step's drawing is measured from its
    // release.
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

// Reads the clock. A read that comes more than kArret after the previous one,
// or after the end of the sleep between them, while the sound played less
// than half that time, found the process stopped: that time joins the stalls.
Ns LitHorloge() {
    Temps_t& t = g_temps;
    const Ns maintenant = g_acces.maintenantNs();
    const Ns son = g_acces.sonNs ? g_acces.sonNs() : -1;
    if (t.lu) {
        const Ns perdu = maintenant - std::max(t.lecture, t.reveil);
        const bool musique = son >= 0 && t.son >= 0 && son - t.son >= perdu / 2;
        if (perdu > kArret && !musique) t.arrets += perdu;
    }
    t.lu = true;
    t.lecture = maintenant;
    t.son = son;
    return maintenant;
}

// The timeline's time.
Ns LitLigne() {
    const Ns horloge = LitHorloge();
    g_temps.ligne = horloge - g_temps.arrets;
    return g_temps.ligne;
}

// Sleeps until the timeline's time given; a signal is checked after.
void DortJusquaLigne(Ns ligne) {
    const Ns fin = ligne + g_temps.arrets;
    if (LitHorloge() < fin) {
        g_temps.reveil = fin;
        g_acces.dortJusquaNs(fin);
    }
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
    const Ns avant = LitHorloge();
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
    const Ns arrets = g_temps.arrets;
    const Ns apres = LitHorloge();
    // A stall inside the present is not its cost.
    r.cout = apres - avant - (g_temps.arrets - arrets);
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

// One step of the timeline: the step's time on the grid, a sleep until its
// present's release, the present or its skip, and the lateness to carry.
void Pas(SDL_Surface* surface, const SDL_Rect* zone) {
    VerifieSignal();
    Rythme_t& r = g_rythme;
    AjouteZone(surface, zone);
    // Where the timeline stands, less the last step's lateness: what the step
    // took to draw, from its release.
    const Ns ligne = LitLigne() - r.retard;
    const Ns depuis = ligne - kAvance - r.cible;
    if (!r.demarre) {
        // The first step sets the grid.
        r.demarre = true;
        r.cible = ligne;
    } else if (depuis >= (g_attendait ? kPeriode : 2 * kPeriode)) {
        // After a wait (as a present that waits for a 60 Hz display), or when
        // the drawing lost two whole steps: the first grid time still to come.
        r.cible += (depuis / kPeriode + 1) * kPeriode;
    } else {
        // Drawing in time: the next grid time. A step that ends within the
        // present's head start of a grid time still belongs to it.
        r.cible += kPeriode;
    }
    g_attendait = false;
    g_heureLue = false;
    const Ns lacher = r.cible - kAvance;
    DortJusquaLigne(lacher);
    bool montre;
    if (r.sauts >= kSautsMax) {
        // Too many steps unseen in a row: this one is shown, whatever it costs.
        montre = true;
    } else if (r.rafraichi > 0) {
        // A display that holds a present until its refresh: shown when that
        // refresh comes before the next step's release.
        montre = RetourPrevu(LitHorloge()) < lacher + kPeriode + g_temps.arrets;
    } else {
        // A display that takes a present at once: shown unless the timeline
        // is already a whole step late and presents cost time (a present
        // slower than a step, a loaded machine); the steps whose present is
        // skipped catch the time up, so each present is shown as soon as the
        // timeline can afford it.
        montre = LitLigne() - lacher < kPeriode || r.cout < kAttenteMin;
    }
    Ns coutPas = 0;
    if (montre) {
        PresenteAttente();
        coutPas = r.cout;
        r.sauts = 0;
    } else {
        ++r.sauts;
    }
    // A present taken early still ends at its release.
    DortJusquaLigne(lacher);
    // The timeline is held back by what presents cost it and it has not
    // caught up yet, never by the drawing: a machine that draws slower than
    // the grid moves the grid on instead.
    r.retard = std::clamp<Ns>(std::min(LitLigne() - lacher, r.retard + coutPas), 0, kRetardMax);
    g_heureLue = false;
}

// Whether presents reach a display that may make them wait. SDL's drivers
// without a display (the tests' and the measures' "dummy", "offscreen") never
// do: probing them would only cost the start-up their presents.
bool AfficheurReel() {
    if (!g_accesSdl) return true;
    char nom[32] = "";
    if (!SDL_VideoDriverName(nom, sizeof nom)) return true;
    return std::strcmp(nom, "dummy") != 0 && std::strcmp(nom, "offscreen") != 0;
}

}  // namespace

Uint32 Horloge() {
    VerifieSignal();
    if (g_heureLue) {
        // A read that follows a read: the program is waiting. A skipped
        // present is shown once its step is over and the timeline is less
        // than a step behind, and the read sleeps first, so that a wait polls
        // about once a millisecond.
        g_attendait = true;
        Rythme_t& r = g_rythme;
        const Ns avant = LitLigne();
        Ns cout = 0;
        if (r.attente && avant >= r.cible + kPeriode && r.retard < kPeriode) {
            PresenteAttente();
            cout = r.cout;
        }
        DortJusquaLigne(LitLigne() + kSommeAttente);
        // The wait began at the timeline's time, what presents cost it not
        // counted: the time it spends beyond its own present repays that
        // cost, so that it ends when it would have ended had presents cost
        // nothing.
        r.retard = std::clamp<Ns>(r.retard + 2 * cout - (LitLigne() - avant), 0, kRetardMax);
    }
    g_heureLue = true;
    // The timeline's milliseconds since the display started, less the last
    // step's lateness; never earlier than a time already given.
    const Ns ligne = LitLigne() - g_rythme.retard - g_temps.origine;
    const Uint32 ms = static_cast<Uint32>(static_cast<std::uint64_t>(ligne / 1000000));
    if (ligne >= 0 && ms - g_derniereHeure < 0x80000000u) g_derniereHeure = ms;
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
    g_temps = Temps_t();
    g_heureLue = false;
    g_attendait = false;
    g_derniereHeure = 0;
    if (surface && AfficheurReel()) {
        // Four presents of the new (black) screen, back to back, before the
        // timeline starts: a display that makes a present wait returns them
        // a refresh apart, which gives the refresh.
        g_rythme.sonde = true;
        for (int i = 0; i < kSondes; ++i) {
            AjouteZone(surface, nullptr);
            PresenteAttente();
        }
        g_rythme.sonde = false;
        if (g_rythme.rafraichi > 0) {
            // Presents that merely cost time (a slow software present, under
            // an emulator) look like a display's refresh when made back to
            // back. Four more, each after a pause shorter than the refresh,
            // tell them apart: a display that waits absorbs the pause, a
            // present that costs time adds it to its spacing.
            Ns precedent = LitHorloge();
            Ns ecart = INT64_MAX;
            for (int i = 0; i < kSondes; ++i) {
                g_acces.dortJusquaNs(LitHorloge() + kPauseSonde);
                AjouteZone(surface, nullptr);
                PresenteAttente();
                const Ns retour = LitHorloge();
                ecart = std::min(ecart, retour - precedent);
                precedent = retour;
            }
            if (ecart >= g_rythme.rafraichi + kPauseSonde / 2) g_rythme.rafraichi = 0;
        }
        // Otherwise the presents returned at once, or each after its own
        // cost: the display does not wait, and the pacing alone keeps time.
    }
    // The timeline counts from here; loading the pictures, which follows, is
    // not a stall.
    g_temps.origine = g_acces.maintenantNs();
    g_temps.lu = false;
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
