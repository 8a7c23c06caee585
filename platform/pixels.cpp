// Direct pixel access: the scaled row copy the text crawl draws with, and the
// general routines that plot, read and place pictures.
#include <cstdint>
#include <cstdio>

#include "plateforme.h"

namespace {

// Locks a surface when SDL says it needs it. False (with the lock message)
// when the lock fails; the caller then touches no pixel.
bool Verrouille(SDL_Surface* surface) {
    if (SDL_MUSTLOCK(surface) && SDL_LockSurface(surface) < 0) {
        std::fprintf(stderr, "Impossible de locker l'ecran\n");
        return false;
    }
    return true;
}

void Deverrouille(SDL_Surface* surface) {
    if (SDL_MUSTLOCK(surface)) SDL_UnlockSurface(surface);
}

Uint16* Mots(StructImage_t* image) {
    return static_cast<Uint16*>(image->surface->pixels);
}

}  // namespace

void CopieLigneZoom(int x0, int y0, int x1, int y1, StructImage_t* source, int dstX, int dstY,
                    int count, StructImage_t* target) {
    if (!Verrouille(source->surface)) return;
    if (!Verrouille(target->surface)) {
        Deverrouille(source->surface);
        return;
    }
    if (count != 0 && dstY >= 0 && dstY <= target->height - 1) {
        // 16.16 steps from the requested count: clipping below shortens the
        // run but never changes where each sample falls. The arithmetic is
        // carried in 64 bits so that a long source cannot overflow it.
        const std::int64_t dx = (static_cast<std::int64_t>(x1 - x0) * 65536) / count;
        const std::int64_t dy = (static_cast<std::int64_t>(y1 - y0) * 65536) / count;
        const int largeur = target->width;
        if (dstX + count > largeur) count = largeur - dstX;

        const Uint16* src = Mots(source);
        Uint16* dst = Mots(target);
        const std::int64_t wSource = source->width;
        const std::int64_t nSource = wSource * source->height;
        std::int64_t px = static_cast<std::int64_t>(x0) * 65536;
        std::int64_t py = static_cast<std::int64_t>(y0) * 65536;
        std::int64_t index = dstX + static_cast<std::int64_t>(dstY) * largeur;
        int colonne = dstX;
        for (int i = 0; i < count; ++i) {
            // The position moves before the sample: the start point itself is
            // never read and the last sample lands on the end point.
            px += dx;
            py += dy;
            if (colonne >= 0) {
                // Samples outside the picture's pixels are skipped rather than read.
                const std::int64_t lu = (py >> 16) * wSource + (px >> 16);
                if (lu >= 0 && lu < nSource) {
                    const Uint16 pixel = src[lu];
                    if (pixel != 0) dst[index] = pixel;  // black is transparent
                }
            }
            ++index;
            ++colonne;
        }
    }
    Deverrouille(source->surface);
    Deverrouille(target->surface);
}

void PutPixelRVB(StructImage_t* image, Uint16 x, Uint16 y, Uint8 r, Uint8 g, Uint8 b) {
    SDL_Surface* surface = image->surface;
    const Uint32 couleur = SDL_MapRGB(surface->format, r, g, b);
    // The plotted colour becomes the surface's colour key.
    SDL_SetColorKey(surface, SDL_SRCCOLORKEY, couleur);
    if (!Verrouille(surface)) return;
    const int octets = surface->format->BytesPerPixel;
    // A point outside the surface is not written: its address would lie
    // outside the pixel memory.
    const bool dedans = x < surface->w && y < surface->h;
    Uint8* adresse = static_cast<Uint8*>(surface->pixels);
    if (dedans) adresse += y * surface->pitch + x * octets;
    switch (octets) {
        case 1:
            if (dedans) *adresse = static_cast<Uint8>(couleur);
            break;
        case 2:
            if (dedans) *reinterpret_cast<Uint16*>(adresse) = static_cast<Uint16>(couleur);
            break;
        case 3:
            std::fprintf(stderr, "Pas de PutPixel en 24 Bits car c'est trop lent \n");
            break;
        case 4:
            if (dedans) *reinterpret_cast<Uint32*>(adresse) = couleur;
            break;
        default:
            std::fprintf(stderr,
                         "Couleurs non g\xE9r\xE9"
                         "es pas PutPixelRVB()\n");
            break;
    }
    Deverrouille(surface);
}

void PutPixel16(StructImage_t* image, Uint16 x, Uint16 y, Uint16 colour) {
    if (!Verrouille(image->surface)) return;
    if (x < image->width && y < image->height) Mots(image)[x + y * image->width] = colour;
    Deverrouille(image->surface);
}

Uint16 GetPixel16(StructImage_t* image, Uint16 x, Uint16 y) {
    if (!Verrouille(image->surface)) return 0;
    Uint16 pixel = 0;
    if (x < image->width && y < image->height) pixel = Mots(image)[x + y * image->width];
    Deverrouille(image->surface);
    return pixel;
}

void AfficheImage(StructImage_t* source, StructImage_t* target, Sint16 x, Sint16 y) {
    // SDL_BlitSurface locks both surfaces itself and refuses a surface that is
    // already locked, so the picture is blitted without a lock of our own.
    target->rect = SDL_Rect{x, y, source->width, source->height};
    SDL_BlitSurface(source->surface, &source->rect, target->surface, &target->rect);
}
