// The browser's seam. The production runs inside the page's one thread and
// gives it back control at every present (the page holds it until that
// present's 60 Hz step has come, and shows the picture at its next animation
// frame) and in every wait that spins on the clock (a yield through a message
// to itself, a few hundredths of a millisecond). The production reads the
// page's clock, which stands still while the page is hidden; the timeline's
// 60 Hz steps, on which presents fall due, are kept by the page alone. Keys
// come from the page's key and touch events.
//
// With the page's test mode the same program runs on the virtual 60 Hz
// machine of the tests instead (its seam is compiled in under VM_ names): no
// pacing, a hash of every refresh, and the frames the page asks for.
#include <emscripten.h>

#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <string>
#include <vector>

#include "demo.h"
#include "machine_virtuelle.h"
#include "navigateur.h"
#include "plateforme.h"

// The virtual machine's seam, under the names this build gives it.
Uint32 VM_Horloge();
int VM_AfficheTrame(SDL_Surface* surface);
void VM_AfficheZone(SDL_Surface* surface, Sint32 x, Sint32 y, Uint32 w, Uint32 h);
int VM_LitEvenement(SDL_Event* event);
bool VM_EchapTenue();
void VM_DebutAffichage(SDL_Surface* surface);

// The page's side (kazzmot-page.js): the yields wait for it.
EM_JS(void, kazz_cede, (),
      { Asyncify.handleSleep(function(reprise) { Module.kazzCede(reprise); }); });
EM_JS(void, kazz_presente, (const void* rgba, int largeur, int hauteur, int x, int y, int l, int h),
      {
          Asyncify.handleSleep(function(reprise) {
              Module.kazzPresente(rgba, largeur, hauteur, x, y, l, h, reprise);
          });
      });
// The production's clock: the page's, in ms from the production's first read,
// standing still while the page is hidden.
EM_JS(double, kazz_horloge, (), { return Module.kazzHorloge(); });
EM_JS(void, kazz_scene, (int numero, const char* nom, double rafraichissement), {
    if (Module.kazzScene) Module.kazzScene(numero, UTF8ToString(nom), rafraichissement);
});
// Every routine the production reports (scenes, waits...), with the virtual
// machine's refresh in test mode: the page checks the real run's timeline.
EM_JS(void, kazz_repere, (const char* nom, double rafraichissement), {
    if (Module.kazzRepere) Module.kazzRepere(UTF8ToString(nom), rafraichissement);
});
EM_JS(void, kazz_trame, (double index, const void* pixels, int largeur, int hauteur), {
    if (Module.kazzTrame) Module.kazzTrame(index, pixels, largeur, hauteur);
});
EM_JS(void, kazz_journal, (const char* texte, int longueur, double rafraichissements), {
    if (Module.kazzJournal) Module.kazzJournal(UTF8ToString(texte, longueur), rafraichissements);
});

namespace {

bool g_virtuel = false;

// Real mode.
bool g_horlogeLue = false;  // the last seam call was a clock read
std::deque<SDL_Event> g_evenements;
bool g_echap = false;        // Escape is down
bool g_echapFrappe = false;  // Escape went down since the production last looked
std::vector<Uint32> g_rgba;  // the canvas's picture, 8-bit RGBA
Uint32 g_table[65536];       // 5-6-5 word -> RGBA, as the page's canvas takes it

// Virtual mode.
std::string g_journal;
std::uint64_t g_pasTrames = 0;  // every how many refreshes the page wants a frame (0: none)
int g_scene = 0;

void PrepareTable() {
    for (Uint32 p = 0; p < 65536; ++p) {
        const Uint32 r = (p >> 11) & 31, g = (p >> 5) & 63, b = p & 31;
        g_table[p] = ((r << 3) | (r >> 2)) | (((g << 2) | (g >> 4)) << 8) |
                     (((b << 3) | (b >> 2)) << 16) | 0xFF000000u;
    }
}

// Copies a rectangle of the surface into the canvas's picture and shows it at
// the next paced animation frame.
void Presente(SDL_Surface* surface, int x, int y, int w, int h) {
    const int largeur = surface->w, hauteur = surface->h;
    if (g_rgba.size() != static_cast<size_t>(largeur) * hauteur) {
        g_rgba.assign(static_cast<size_t>(largeur) * hauteur, 0xFF000000u);
        x = 0;
        y = 0;
        w = largeur;
        h = hauteur;
    }
    if (x < 0) w += x, x = 0;
    if (y < 0) h += y, y = 0;
    if (x + w > largeur) w = largeur - x;
    if (y + h > hauteur) h = hauteur - y;
    if (w > 0 && h > 0) {
        const bool verrou = SDL_MUSTLOCK(surface);
        if (!verrou || SDL_LockSurface(surface) == 0) {
            const int octets = surface->format->BytesPerPixel;
            for (int ligne = y; ligne < y + h; ++ligne) {
                const Uint8* src =
                    static_cast<const Uint8*>(surface->pixels) + ligne * surface->pitch;
                Uint32* dst = g_rgba.data() + static_cast<size_t>(ligne) * largeur;
                if (octets == 2) {
                    const Uint16* mots = reinterpret_cast<const Uint16*>(src);
                    for (int col = x; col < x + w; ++col) dst[col] = g_table[mots[col]];
                } else {
                    for (int col = x; col < x + w; ++col) {
                        Uint32 p = 0;
                        std::memcpy(&p, src + col * octets, static_cast<size_t>(octets));
                        Uint8 r, g, b;
                        SDL_GetRGB(p, surface->format, &r, &g, &b);
                        dst[col] = r | (g << 8) | (b << 16) | 0xFF000000u;
                    }
                }
            }
            if (verrou) SDL_UnlockSurface(surface);
        }
    } else {
        w = h = 0;
    }
    AlimenteSon();
    kazz_presente(g_rgba.data(), largeur, hauteur, x, y, w, h);
    g_horlogeLue = false;
}

void ObserveRafraichissement(std::uint64_t index, const Uint16* pixels, int largeur, int hauteur) {
    char ligne[64];
    std::snprintf(ligne, sizeof ligne, "%" PRIu64 " %016" PRIx64 "\n", index,
                  HashTrame(pixels, largeur, hauteur));
    g_journal += ligne;
    if (g_pasTrames && index % g_pasTrames == 0) {
        kazz_trame(static_cast<double>(index), pixels, largeur, hauteur);
    }
    // Give the page a moment now and then: a whole run takes a while.
    if (index % 120 == 0) kazz_cede();
}

void ObserveAppel(const char* routine) {
    kazz_repere(routine, g_virtuel ? static_cast<double>(NombreRafraichissements()) : 0.0);
    if (std::strncmp(routine, "Scene", 5) == 0) {
        ++g_scene;
        kazz_scene(g_scene, routine,
                   g_virtuel ? static_cast<double>(NombreRafraichissements()) : 0.0);
    }
}

void FinVirtuelle() {
    TermineMachine();
    kazz_journal(g_journal.data(), static_cast<int>(g_journal.size()),
                 static_cast<double>(NombreRafraichissements()));
}

}  // namespace

bool ModeVirtuel() {
    return g_virtuel;
}

// ---------------------------------------------------------------------------
// What the page calls.

extern "C" {

// Before the production starts: `virtuel` chooses the virtual machine, and
// there `pasTrames` (when not 0) the refreshes whose pictures the page gets.
EMSCRIPTEN_KEEPALIVE void KazzPrepare(int virtuel, int pasTrames) {
    g_virtuel = virtuel != 0;
    g_pasTrames = static_cast<std::uint64_t>(pasTrames > 0 ? pasTrames : 0);
    if (g_virtuel) {
        ReinitMachine(ConfigMachine());
        ObserveTrames(ObserveRafraichissement);
        std::atexit(FinVirtuelle);
    }
}

// A key of the page, as SDL's key symbol; Escape is also held while down.
EMSCRIPTEN_KEEPALIVE void KazzTouche(int enfoncee, int symbole) {
    SDL_Event e;
    std::memset(&e, 0, sizeof e);
    e.type = enfoncee ? SDL_KEYDOWN : SDL_KEYUP;
    e.key.type = e.type;
    e.key.state = enfoncee ? SDL_PRESSED : SDL_RELEASED;
    e.key.keysym.sym = static_cast<SDLKey>(symbole);
    if (symbole == SDLK_ESCAPE) {
        g_echap = enfoncee != 0;
        g_echapFrappe = g_echapFrappe || g_echap;
    }
    if (g_evenements.size() < 256) g_evenements.push_back(e);
}

}  // extern "C"

int main() {
    // SDL 1.2 starts its headless display only when asked for by name.
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    PrepareTable();
    g_observeAppel = ObserveAppel;
    std::exit(LanceDemo());
}

// ---------------------------------------------------------------------------
// The seam.

Uint32 Horloge() {
    // The test mode: the virtual machine's clock.
    if (g_virtuel) return VM_Horloge();
    // A second read with no present in between: the production is waiting on
    // the clock, so the page gets its turn (and the music its blocks) first.
    if (g_horlogeLue) {
        AlimenteSon();
        kazz_cede();
    }
    g_horlogeLue = true;
    // The page's clock; the 60 Hz steps of the timeline are the page's
    // business, at each present.
    return static_cast<Uint32>(static_cast<std::uint64_t>(kazz_horloge()));
}

int AfficheTrame(SDL_Surface* surface) {
    if (g_virtuel) return VM_AfficheTrame(surface);
    Presente(surface, 0, 0, surface->w, surface->h);
    return 0;
}

void AfficheZone(SDL_Surface* surface, Sint32 x, Sint32 y, Uint32 w, Uint32 h) {
    if (g_virtuel) return VM_AfficheZone(surface, x, y, w, h);
    if (x == 0 && y == 0 && w == 0 && h == 0) {
        w = static_cast<Uint32>(surface->w);
        h = static_cast<Uint32>(surface->h);
    }
    Presente(surface, x, y, static_cast<int>(w), static_cast<int>(h));
}

int LitEvenement(SDL_Event* event) {
    if (g_virtuel) return VM_LitEvenement(event);
    if (g_evenements.empty()) return 0;
    if (event) *event = g_evenements.front();
    g_evenements.pop_front();
    return 1;
}

bool EchapTenue() {
    if (g_virtuel) return VM_EchapTenue();
    // A press released before the production looked still counts as held once.
    const bool tenue = g_echap || g_echapFrappe;
    g_echapFrappe = false;
    return tenue;
}

void DebutAffichage(SDL_Surface* surface) {
    if (g_virtuel) VM_DebutAffichage(surface);
}
