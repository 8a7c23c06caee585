// The GNU C library's rand(), reproduced: the countdown and the drain draw
// their random places from rand() unseeded, and a C library with another
// generator (the browser build's) would draw other places. The browser build
// makes rand() and srand() these; natively they only serve to check them.
#ifndef KAZZMOT_HASARD_H
#define KAZZMOT_HASARD_H

// As srand(graine): the additive feedback generator of degree 31, seeded with
// the Park-Miller sequence and run 310 draws in.
void GraineHasard(unsigned graine);
// As rand(): the next value, 0 to RAND_MAX (2^31 - 1). An unseeded generator
// starts as srand(1).
int TirageHasard();

#endif
