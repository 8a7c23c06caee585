// Fade to black: every channel of every screen pixel above the factor is
// divided by it, once per frame, until a frame finds nothing left to divide.
#include <cstdio>
#include <vector>

#include "effets.h"

namespace {

// What one frame does to one pixel value: the pixel it becomes, and whether
// all three of its channels were already at or below the factor (nothing to
// divide). Built once per call from SDL's own split and join of the screen's
// format, so the frame loop gives the same pixels as converting each one.
struct Passage {
    Uint16 suivant;
    bool fini;
};

Uint8 Divise(Uint8 canal, float factor, bool* fini) {
    // The quotient is taken in double precision from the single-precision
    // factor, so 24 / 1.2f gives 19.99999... and truncates to 19.
    if (canal > factor) return static_cast<Uint8>(canal / static_cast<double>(factor));
    *fini = true;
    return canal;
}

std::vector<Passage> TablePassages(const SDL_PixelFormat* format, float factor) {
    std::vector<Passage> table(65536);
    for (Uint32 p = 0; p < 65536; ++p) {
        Uint8 r, g, b;
        SDL_GetRGB(p, const_cast<SDL_PixelFormat*>(format), &r, &g, &b);
        bool finiR = false, finiV = false, finiB = false;
        r = Divise(r, factor, &finiR);
        g = Divise(g, factor, &finiV);
        b = Divise(b, factor, &finiB);
        const Uint32 joint = SDL_MapRGB(const_cast<SDL_PixelFormat*>(format), r, g, b);
        table[p] = Passage{static_cast<Uint16>(joint), finiR && finiV && finiB};
    }
    return table;
}

}  // namespace

void FonduNoir(Ecran* screen, float factor) {
    const Uint32 n = static_cast<Uint32>(screen->width) * screen->height;
    std::vector<Passage> passages;

    for (;;) {
        if (TestClavier() == 1) return;
        SDL_Surface* surface = screen->surface;
        const bool verrou = SDL_MUSTLOCK(surface);
        if (verrou && SDL_LockSurface(surface) < 0) {
            std::fprintf(stderr, "Impossible de locker l'ecran\n");
            return;
        }
        if (passages.empty()) passages = TablePassages(surface->format, factor);

        // Pixels whose three channels were all at or below the factor; the
        // fade is over when that is every pixel.
        Uint32 finis = 0;
        Uint16* pixel = static_cast<Uint16*>(surface->pixels);
        for (Uint32 i = 0; i < n; ++i) {
            const Passage& p = passages[pixel[i]];
            pixel[i] = p.suivant;
            finis += p.fini;
        }

        if (verrou) SDL_UnlockSurface(surface);
        AfficheTrame(surface);
        if (finis == n) return;
    }
}
