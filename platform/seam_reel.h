// What the real seam reaches of the machine for its pacing: the monotonic
// clock, a sleep until a given time, and the display's present. SDL and the
// standard clock are used unless a model of a display is put in their place
// (the tests do, to see the pacing against displays of any refresh rate).
#ifndef KAZZMOT_SEAM_REEL_H
#define KAZZMOT_SEAM_REEL_H

#include <SDL.h>

#include <cstdint>

struct AccesAffichage {
    // Nanoseconds of a monotonic clock.
    std::int64_t (*maintenantNs)();
    // Returns at or after the given time of that clock.
    void (*dortJusquaNs)(std::int64_t ns);
    // Shows a rectangle of the surface; a null rectangle shows all of it.
    void (*presente)(SDL_Surface* surface, const SDL_Rect* zone);
    // The sound played so far in nanoseconds, or -1 without sound.
    std::int64_t (*sonNs)();
};

// Puts another clock and display behind the seam; null goes back to SDL's.
// Also starts the pacing afresh, as DebutAffichage does.
void BrancheAffichage(const AccesAffichage* acces);

#endif
