// The refracting bubble: the bubble picture is not drawn, it is a displacement
// map. Under each of its non-black pixels the screen pixel is replaced by the
// one d rows below and d columns to the right, d being half the blue value of
// the bubble pixel's right-hand neighbour. The picture behind the bubble bends.
#include <array>
#include <cstdio>

#include "effets.h"

namespace {

// Half the blue value of every blue field of the bubble's format, scaled to
// 0..255 as SDL_GetRGB of the SDL the production runs on scales it (the
// classic SDL 1.2 only shifts, which would bend the picture differently):
// one conversion per field value instead of one per pixel.
struct TableDecalage {
    std::array<Uint8, 256> d{};
    Uint32 masque = 0;
    Uint8 decalage = 0;
};

TableDecalage FaitTableDecalage(const SDL_PixelFormat* format) {
    TableDecalage table;
    table.masque = format->Bmask;
    table.decalage = format->Bshift;
    const Uint32 valeurs = format->Bmask >> format->Bshift;
    for (Uint32 v = 0; v <= valeurs && v < table.d.size(); ++v) {
        table.d[v] = static_cast<Uint8>(v * 255 / (valeurs ? valeurs : 1) / 2);
    }
    return table;
}

}  // namespace

void DessineBulle(Sint16 x, Sint16 y, StructImage_t* bubble, Ecran* screen) {
    SDL_Surface* surface = screen->surface;
    if (SDL_MUSTLOCK(surface) && SDL_LockSurface(surface) < 0) {
        std::fprintf(stderr, "Impossible de locker l'ecran\n");
        return;
    }
    const TableDecalage table = FaitTableDecalage(bubble->surface->format);
    const int bw = bubble->width, bh = bubble->height;
    const int largeur = screen->width, hauteur = screen->height;
    const Uint16* carte = static_cast<const Uint16*>(bubble->surface->pixels);
    Uint16* ecran = static_cast<Uint16*>(surface->pixels);
    const long dernier = static_cast<long>(bw) * bh - 1;

    // Rows above the screen are cut off.
    int premierRang = 0;
    int haut = y;
    if (haut < 0) {
        premierRang = -haut;
        haut = 0;
    }
    for (int r = premierRang; r < bh; ++r) {
        const int sy = haut + (r - premierRang);
        if (sy >= hauteur) break;
        for (int c = 0; c < bw; ++c) {
            const long i = static_cast<long>(r) * bw + c;
            if (carte[i] == 0) continue;
            // The neighbour that follows in memory (the next row's first pixel
            // at the right edge); the very last pixel has none and stays put.
            const int d =
                i < dernier ? table.d[(carte[i + 1] & table.masque) >> table.decalage] : 0;
            // Positions off the screen, where the bubble hangs over an edge or
            // the displacement reaches past it, are left alone.
            const int sx = x + c;
            if (sx < 0 || sx >= largeur) continue;
            const int srcX = sx + d, srcY = sy + d;
            if (srcX >= largeur || srcY >= hauteur) continue;
            ecran[static_cast<long>(sy) * largeur + sx] =
                ecran[static_cast<long>(srcY) * largeur + srcX];
        }
    }
    if (SDL_MUSTLOCK(surface)) SDL_UnlockSurface(surface);
}
