// The keyboard and the waits: the production's only way of spending time.
#include <cstdlib>

#include "plateforme.h"

int TestClavier() {
    SDL_Event event;
    const int polled = LitEvenement(&event);
    // The key state is read after the poll, so an Escape press the poll has
    // just brought in ends the program in this same call.
    if (EchapTenue()) {
        SDL_Quit();
        std::exit(0);
    }
    return polled && event.type == SDL_KEYDOWN ? 1 : 0;
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
