// The display: opens the 640 x 480 16-bit mode and shuts SDL down at the end.
#include <cstdio>
#include <cstdlib>

#include "plateforme.h"

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

    if (SDL_Init(SDL_INIT_VIDEO) < 0) {
        ArretFatal("Erreur d'initialisation SDL: %s\n", SDL_GetError());
    }
    // Full screen asks for a plain software surface; a window asks for a
    // double-buffered hardware one.
    Uint32 flags = fullscreen == 1 ? SDL_FULLSCREEN : (SDL_HWSURFACE | SDL_DOUBLEBUF);
    screen->surface = SDL_SetVideoMode(width, height, depth, flags);
    if (!screen->surface) {
        ArretFatal("Impossible d'allouer une surface SDL : %s\n", SDL_GetError());
    }
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
