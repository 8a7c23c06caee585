// The line table: one entry per unit step along a line's longer axis, each
// holding the line's first coordinate after that step (an error-accumulating
// integer line walk). The text crawl takes its row insets from it.
#include <cstdlib>

#include "effets.h"

void TableDroite(Sint16* table, Sint16 a0, Sint16 b0, Sint16 a1, Sint16 b1) {
    const int dA = std::abs(a1 - a0);
    const int dB = std::abs(b1 - b0);
    const int sa = a0 < a1 ? 1 : -1;
    const int sb = b0 < b1 ? 1 : -1;
    int a = a0;
    int b = b0;
    if (dA > dB) {
        int err = dA / 2;
        for (int i = 0; i < dA; ++i) {
            a += sa;
            err += dB;
            if (err > dA) {
                err -= dA;
                b += sb;
            }
            table[i] = static_cast<Sint16>(a);
        }
    } else {
        // The b axis is the longer one (or the two are equal).
        int err = dB / 2;
        for (int i = 0; i < dB; ++i) {
            b += sb;
            err += dA;
            if (err > dB) {
                err -= dB;
                a += sa;
            }
            table[i] = static_cast<Sint16>(a);
        }
    }
}
