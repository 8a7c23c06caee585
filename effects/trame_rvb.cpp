// RGB scanlines: a faint red, green and blue tint laid over every third row of
// a picture, like the phosphor rows of a tube. The tint is drawn into a
// scratch surface of the picture's size and blended over it with a
// per-surface alpha of 40.
#include <cstdio>
#include <memory>

#include "effets.h"

namespace {

struct LibereSurface {
    void operator()(SDL_Surface* surface) const { SDL_FreeSurface(surface); }
};
using Surface = std::unique_ptr<SDL_Surface, LibereSurface>;

constexpr Uint8 kAlphaTrame = 40;

}  // namespace

void TrameRVB(StructImage_t* target) {
    const int largeur = target->width;
    const int hauteur = target->height;
    // Bits per pixel come from the surface itself: a picture record's depth
    // field holds bytes per pixel.
    Surface trame(SDL_CreateRGBSurface(SDL_HWSURFACE, largeur, hauteur,
                                       target->surface->format->BitsPerPixel, 0, 0, 0, 0));
    if (!trame) {
        std::fprintf(stderr, "Impossible de creer la surface de la trame : %s\n", SDL_GetError());
        return;
    }
    const bool verrou = SDL_MUSTLOCK(trame.get());
    if (verrou && SDL_LockSurface(trame.get()) < 0) {
        std::fprintf(stderr, "Impossible de locker l'ecran\n");
        return;
    }
    // The three row colours are constants: mapped once per call.
    const Uint16 couleurs[3] = {
        static_cast<Uint16>(SDL_MapRGB(trame->format, 255, 0, 0)),
        static_cast<Uint16>(SDL_MapRGB(trame->format, 0, 255, 0)),
        static_cast<Uint16>(SDL_MapRGB(trame->format, 0, 0, 255)),
    };
    // Rows run as `largeur` words each from the start of the pixels, filled in
    // groups of three while the group's first row lies inside the picture.
    Uint16* pixels = static_cast<Uint16*>(trame->pixels);
    for (int groupe = 0; groupe < hauteur; groupe += 3) {
        for (int k = 0; k < 3 && groupe + k < hauteur; ++k) {
            Uint16* ligne = pixels + static_cast<size_t>(groupe + k) * largeur;
            for (int x = 0; x < largeur; ++x) ligne[x] = couleurs[k];
        }
    }
    if (verrou) SDL_UnlockSurface(trame.get());

    SDL_SetAlpha(trame.get(), SDL_SRCALPHA, kAlphaTrame);
    SDL_BlitSurface(trame.get(), &target->rect, target->surface, &target->rect);
}
