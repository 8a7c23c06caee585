// The keyboard and the waits: the production's only way of spending time.
#include <cstdlib>

#include "plateforme.h"

int TestClavier() {
    SDL_Event event;
    const int polled = LitEvenement(&event);
    const bool touche = polled && event.type == SDL_KEYDOWN;
    // Escape ends the program whether it is still held or was only tapped: a
    // press and release that both fall between two polls leave the key state
    // released, and only the key-down event in the queue tells of it. The key
    // state is read after the poll, so a press the poll has just brought in
    // counts in this same call either way.
    if (EchapTenue() || (touche && event.key.keysym.sym == SDLK_ESCAPE)) {
        SDL_Quit();
        std::exit(0);
    }
    return touche ? 1 : 0;
}

void Attente(Uint16 ms) {
    if (g_observeAppel) g_observeAppel("Attente");
    const Uint32 start = Horloge();
    for (;;) {
        const Uint32 now = Horloge();
        if (now - start >= ms) return;
        if (TestClavier() == 1) return;
    }
}

void FlipEcran(Ecran* screen) {
    const Uint32 start = Horloge();
    Uint32 now = Horloge();
    while (now - start <= 8) {
        if (TestClavier() != 0) break;
        now = Horloge();
    }
    AfficheTrame(screen->surface);
}

void InitDemo() {
    if (g_observeAppel) g_observeAppel("InitDemo");
}
