// The production's random generator: the GNU C library's rand() sequence,
// reproduced with a state of its own. The countdown and the drain draw their
// random places from it unseeded, so every build (native, browser, Windows)
// draws the same places whatever its C library's rand() is, and the music
// player's draws from the C library on the sound thread never shift them.
#ifndef KAZZMOT_HASARD_H
#define KAZZMOT_HASARD_H

// As srand(graine): the additive feedback generator of degree 31, seeded with
// the Park-Miller sequence and run 310 draws in.
void GraineHasard(unsigned graine);
// As rand(): the next value, 0 to RAND_MAX (2^31 - 1). An unseeded generator
// starts as srand(1).
int TirageHasard();

#endif
