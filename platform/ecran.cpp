// The display: opens the 640 x 480 16-bit screen and shuts SDL down at the end.
//
// The production draws on a 640 x 480 surface whatever the monitor. Full
// screen (the default) never switches the monitor's mode: the library shows
// the picture at the desktop's own resolution, scaled with its 4:3 shape kept,
// centred on black, with nearest-neighbour scaling so that the pixels stay
// crisp. Asked for a window (kazzmot --window), it plays in a 640 x 480
// window that can be resized, the picture scaled the same way.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "plateforme.h"

#if defined(__linux__) && !defined(__EMSCRIPTEN__)
#include <dlfcn.h>
#endif

namespace {

bool g_fenetre = false;

// Sets a variable of the environment unless the user set it.
void Regle(const char* nom, const char* valeur) {
    if (std::getenv(nom)) return;
#ifdef _WIN32
    _putenv_s(nom, valeur);
#else
    setenv(nom, valeur, 0);
#endif
}

#if defined(__linux__) && !defined(__EMSCRIPTEN__)
// Whether an X11 window manager runs (one of the EWMH kind, as every desktop
// has). Full screen on X11 asks the window manager for it; without one (a
// kiosk, a bare X session) the window would keep its first size while SDL
// draws as if it had the whole screen. libX11 is opened at run time: it is
// there wherever an X display is, and the program needs it nowhere else.
bool GestionnaireFenetres() {
    using Display = void;
    using Xid = unsigned long;
    void* x11 = dlopen("libX11.so.6", RTLD_NOW | RTLD_LOCAL);
    if (!x11) return true;  // no Xlib: not an X display, nothing to work around
    auto ouvre = reinterpret_cast<Display* (*)(const char*)>(dlsym(x11, "XOpenDisplay"));
    auto ferme = reinterpret_cast<int (*)(Display*)>(dlsym(x11, "XCloseDisplay"));
    auto racine = reinterpret_cast<Xid (*)(Display*)>(dlsym(x11, "XDefaultRootWindow"));
    auto atome = reinterpret_cast<Xid (*)(Display*, const char*, int)>(dlsym(x11, "XInternAtom"));
    auto libere = reinterpret_cast<int (*)(void*)>(dlsym(x11, "XFree"));
    auto synchro = reinterpret_cast<int (*)(Display*, int)>(dlsym(x11, "XSync"));
    using Gestion = int (*)(Display*, void*);
    auto gestion = reinterpret_cast<Gestion (*)(Gestion)>(dlsym(x11, "XSetErrorHandler"));
    auto propriete = reinterpret_cast<int (*)(Display*, Xid, Xid, long, long, int, Xid, Xid*, int*,
                                              unsigned long*, unsigned long*, unsigned char**)>(
        dlsym(x11, "XGetWindowProperty"));
    bool present = true;
    Display* d = (ouvre && ferme && racine && atome && libere && synchro && gestion && propriete)
                     ? ouvre(nullptr)
                     : nullptr;
    if (d) {
        // The window manager names a window of its own on the root window, and
        // names it again on that window: a name left by a window manager that
        // has gone is not one that runs (reading a window that no longer
        // exists is an X error, caught here rather than ending the program).
        const Xid verif = atome(d, "_NET_SUPPORTING_WM_CHECK", 1);
        auto fenetreNommee = [&](Xid sur) -> Xid {
            Xid type = 0, fenetre = 0;
            int format = 0;
            unsigned long n = 0, reste = 0;
            unsigned char* donnees = nullptr;
            if (propriete(d, sur, verif, 0, 1, 0, 33 /* XA_WINDOW */, &type, &format, &n, &reste,
                          &donnees) == 0 &&
                donnees && n == 1 && format == 32)
                fenetre = *reinterpret_cast<Xid*>(donnees);
            if (donnees) libere(donnees);
            return fenetre;
        };
        present = false;
        if (verif != 0) {
            const Gestion avant = gestion([](Display*, void*) { return 0; });
            const Xid gestionnaire = fenetreNommee(racine(d));
            present = gestionnaire != 0 && fenetreNommee(gestionnaire) == gestionnaire;
            synchro(d, 0);
            gestion(avant);
        }
        ferme(d);
    }
    dlclose(x11);
    return present;
}

bool SurX11() {
    const char* pilote = std::getenv("SDL_VIDEODRIVER");
    const char* affichage = std::getenv("DISPLAY");
    return affichage && *affichage && (!pilote || std::strcmp(pilote, "x11") == 0);
}
#endif

}  // namespace

OptionsLigne LitOptions(int argc, const char* const* argv) {
    OptionsLigne options;
    for (int i = 1; i < argc; ++i) {
        const char* a = argv[i];
        if (std::strcmp(a, "--window") == 0 || std::strcmp(a, "-w") == 0) {
            options.fenetre = true;
        } else if (std::strcmp(a, "--help") == 0 || std::strcmp(a, "-h") == 0) {
            options.aide = true;
        } else {
            options.erreur =
                std::string("kazzmot: unknown option '") + a + "' (expected --window or --help)\n";
            return options;
        }
    }
    return options;
}

const char* TexteAide() {
    return "Usage: kazzmot [--window]\n"
           "Plays Orbo's real-time demo: nine scenes on a tracker tune, about 2 min 45 s.\n"
           "\n"
           "  -w, --window  play in a 640x480 window that can be resized, instead of\n"
           "                full screen at the desktop's own resolution (the default)\n"
           "  -h, --help    show this help and exit\n"
           "\n"
           "Any key cuts short the step that is playing; Escape ends the program.\n";
}

void ChoisitFenetre(bool fenetre) {
    g_fenetre = fenetre;
}

Uint32 DrapeauxEcran(Sint16 fullscreen) {
    // Full screen asks for a plain software surface; a window asks for a
    // double-buffered hardware one, resizable when the user chose a window.
    if (fullscreen == 1 && !g_fenetre) return SDL_FULLSCREEN;
    return SDL_HWSURFACE | SDL_DOUBLEBUF | (g_fenetre ? SDL_RESIZABLE : 0);
}

void RegleAffichage() {
    // sdl12-compat: nearest-neighbour scaling (sharp pixels), read at SDL_Init.
    // Its full screen already keeps the desktop's mode and the picture's shape.
    Regle("SDL12COMPAT_SCALE_METHOD", "nearest");
    Regle("SDL_RENDER_SCALE_QUALITY", "nearest");
}

Ecran* InitEcran(Uint16 width, Uint16 height, Uint8 depth, Sint16 fullscreen) {
    if (g_observeAppel) g_observeAppel("InitEcran");
    Ecran* screen = static_cast<Ecran*>(std::malloc(sizeof(Ecran)));
    if (!screen) {
        std::perror("Erreur dans l'allocation de la structure Ecran\n");
        ArretFatal("%s", "");
    }
    screen->width = width;
    screen->height = height;
    screen->depth = depth;
    screen->surface = nullptr;
    screen->rect = SDL_Rect{0, 0, width, height};

    RegleAffichage();
    if (SDL_Init(SDL_INIT_VIDEO) < 0) {
        ArretFatal("Erreur d'initialisation SDL: %s\n", SDL_GetError());
    }
    Uint32 flags = DrapeauxEcran(fullscreen);
#if defined(__linux__) && !defined(__EMSCRIPTEN__)
    // Full screen without a window manager: a borderless window as large as
    // the picture can be on the screen, centred, that nobody moves or resizes.
    if ((flags & SDL_FULLSCREEN) && SurX11() && !GestionnaireFenetres()) {
        const SDL_VideoInfo* info = SDL_GetVideoInfo();
        if (info && info->current_w > 0 && info->current_h > 0) {
            const double echelle = std::min(static_cast<double>(info->current_w) / width,
                                            static_cast<double>(info->current_h) / height);
            char texte[32];
            std::snprintf(texte, sizeof texte, "%.6f", echelle);
            Regle("SDL12COMPAT_WINDOW_SCALING", texte);
            Regle("SDL_VIDEO_CENTERED", "1");
            flags = SDL_SWSURFACE | SDL_NOFRAME;
        }
    }
#endif
    screen->surface = SDL_SetVideoMode(width, height, depth, flags);
    if (!screen->surface) {
        ArretFatal("Impossible d'allouer une surface SDL : %s\n", SDL_GetError());
    }
    SDL_WM_SetCaption("Kazzmot", "Kazzmot");
    SDL_ShowCursor(0);
    DebutAffichage(screen->surface);
    return screen;
}

void LibereEcran(Ecran* screen) {
    if (g_observeAppel) g_observeAppel("LibereEcran");
    if (screen) {
        SDL_FreeSurface(screen->surface);
        std::free(screen);
    }
    SDL_Quit();
}
