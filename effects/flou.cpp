// Smearing blur of a horizontal band: every pixel becomes the truncated
// average of its left neighbour (already blurred in this pass), itself and its
// right neighbour (not yet blurred). Repeated passes drag the band to the
// right and darken it until it is black.
#include <cstddef>
#include <cstdio>

#include "effets.h"

namespace {

// Splitting and joining the screen's 16-bit pixels. A channel is read as its
// bits at the top of an 8-bit value (red 31 reads 248), not widened to the
// full byte as SDL_GetRGB does (31 to 255): with widening, the truncated
// average of three equal values keeps its value, bright areas stay bright for
// ever and the band never reaches black. Read this way, in a band that starts
// at column 0 (black on its left), each pass lowers the largest value of every
// channel by at least one step, so the band is black after at most 63 passes
// (and the next pass reports it).
// Joining goes through SDL_MapRGB, read once per call into one table per
// channel.
struct Couleurs {
    // The format's fields, copied so that the pixel stores, which could alias
    // the format's bytes, do not force them to be read again for every term.
    Uint32 masqueR, masqueV, masqueB;
    Uint32 decalageR, decalageV, decalageB;
    Uint32 perteR, perteV, perteB;
    Uint16 mapR[256], mapV[256], mapB[256];       // 8-bit value -> pixel bits
    Uint8 relitR[256], relitV[256], relitB[256];  // 8-bit value -> as read back once stored

    explicit Couleurs(const SDL_PixelFormat* f)
        : masqueR(f->Rmask),
          masqueV(f->Gmask),
          masqueB(f->Bmask),
          decalageR(f->Rshift),
          decalageV(f->Gshift),
          decalageB(f->Bshift),
          perteR(f->Rloss),
          perteV(f->Gloss),
          perteB(f->Bloss) {
        for (int v = 0; v < 256; ++v) {
            const Uint8 c = static_cast<Uint8>(v);
            mapR[v] = static_cast<Uint16>(SDL_MapRGB(f, c, 0, 0));
            mapV[v] = static_cast<Uint16>(SDL_MapRGB(f, 0, c, 0));
            mapB[v] = static_cast<Uint16>(SDL_MapRGB(f, 0, 0, c));
            unsigned r, g, b;
            Decompose(static_cast<Uint16>(mapR[v] | mapV[v] | mapB[v]), &r, &g, &b);
            relitR[v] = static_cast<Uint8>(r);
            relitV[v] = static_cast<Uint8>(g);
            relitB[v] = static_cast<Uint8>(b);
        }
    }
    void Decompose(Uint16 p, unsigned* r, unsigned* g, unsigned* b) const {
        *r = ((p & masqueR) >> decalageR) << perteR;
        *g = ((p & masqueV) >> decalageV) << perteV;
        *b = ((p & masqueB) >> decalageB) << perteB;
    }
    Uint16 Compose(unsigned r, unsigned g, unsigned b) const {
        return static_cast<Uint16>(mapR[r] | mapV[g] | mapB[b]);
    }
};

}  // namespace

int Flou(Ecran* screen, Uint16 x, Uint16 y, Uint16 w, Uint16 h, Uint8 passes) {
    SDL_Surface* surface = screen->surface;
    const bool verrou = SDL_MUSTLOCK(surface);
    if (verrou && SDL_LockSurface(surface) < 0) {
        std::fprintf(stderr, "Impossible de locker l'ecran\n");
        return 1;
    }
    const Couleurs tables(surface->format);
    Uint16* pixels = static_cast<Uint16*>(surface->pixels);

    // Rows are `w` words long. A band that would reach past the end of the
    // screen's pixels is cut at its last whole row inside them.
    const size_t capacite = static_cast<size_t>(surface->pitch / 2) * surface->h;
    const size_t depasse = x == 0 ? 0 : 1;  // the right neighbour of the last column
    Uint32 lignes = 0;
    while (lignes < h && static_cast<size_t>(y + lignes) * w + x + w + depasse <= capacite) {
        ++lignes;
    }

    Uint32 noirs = 0;
    for (int passe = 0; passe < passes; ++passe) {
        const bool derniere = passe == passes - 1;
        for (Uint32 ligne = 0; ligne < lignes; ++ligne) {
            Uint16* rangee = pixels + static_cast<size_t>(y + ligne) * w;
            // Each pixel is read once, before anything there is replaced, when
            // the pixel before it is averaged: that reading is the right term
            // of the pixel before (black instead when that one is the last of
            // a row, c = w - 1, which lies inside a band that starts at x > 0)
            // and always the pixel's own centre term. The left term is the
            // pixel just stored, as it reads back.
            unsigned rg = 0, vg = 0, bg = 0, rc = 0, vc = 0, bc = 0;
            if (w > 0) tables.Decompose(rangee[x], &rc, &vc, &bc);
            if (x != 0 && w > 0) tables.Decompose(rangee[x - 1], &rg, &vg, &bg);
            for (Uint32 col = 0; col < w; ++col) {
                const Uint32 c = x + col;
                // The next pixel's own colour (the band's last column reads the
                // pixel just past it, which the rows count above keeps inside).
                unsigned rs = 0, vs = 0, bs = 0;
                if (x != 0 || col + 1 < w) tables.Decompose(rangee[c + 1], &rs, &vs, &bs);
                const bool bord = c == static_cast<Uint32>(w) - 1;
                const unsigned r = (rg + rc + (bord ? 0 : rs)) / 3;
                const unsigned v = (vg + vc + (bord ? 0 : vs)) / 3;
                const unsigned b = (bg + bc + (bord ? 0 : bs)) / 3;
                rangee[c] = tables.Compose(r, v, b);
                if (derniere && r == 0 && v == 0 && b == 0) ++noirs;
                rg = tables.relitR[r];
                vg = tables.relitV[v];
                bg = tables.relitB[b];
                rc = rs;
                vc = vs;
                bc = bs;
            }
        }
    }
    if (verrou) SDL_UnlockSurface(surface);
    return noirs == lignes * static_cast<Uint32>(w) ? 0 : 1;
}
