// Pictures: each PNG is loaded once, converted to the display's format and
// copied into a surface of its own, with its colour key when asked for.
#include <cstdio>
#include <cstdlib>
#include <string>

#include <SDL_image.h>

#include "plateforme.h"

StructImage_t* ChargeImage(const char* name, int keyflag, Uint8 r, Uint8 g, Uint8 b) {
    if (g_observeAppel) g_observeAppel("ChargeImage");
    const std::string path = CheminDonnees("Datas\\Images\\", name);

    StructImage_t* image = static_cast<StructImage_t*>(std::malloc(sizeof(StructImage_t)));
    if (!image) {
        ArretFatal("Impossible d'allouer de la memoire pour la structure 'StructImage_t' \n");
    }
    SDL_Surface* loaded = IMG_Load(path.c_str());
    if (!loaded) {
        ArretFatal("Impossible de charger l'image %s: %s\n", path.c_str(), SDL_GetError());
    }
    SDL_Rect rect{0, 0, static_cast<Uint16>(loaded->w), static_cast<Uint16>(loaded->h)};

    SDL_Surface* converted = SDL_DisplayFormat(loaded);
    SDL_FreeSurface(loaded);
    if (!converted) {
        ArretFatal("Impossible de convertir l'ancien l'ancien buffer Image : %s\n", SDL_GetError());
    }
    SDL_Surface* surface = SDL_CreateRGBSurface(SDL_HWSURFACE, converted->w, converted->h,
                                                converted->format->BitsPerPixel, 0, 0, 0, 0);
    if (!surface) {
        ArretFatal("Impossible de creer la surface de l'image %s : %s\n", path.c_str(),
                   SDL_GetError());
    }
    // The key is set before the copy: the converted surface has none, so
    // every pixel is copied, keyed colour included.
    if (keyflag == 1) {
        SDL_SetColorKey(surface, SDL_SRCCOLORKEY, SDL_MapRGB(surface->format, r, g, b));
    }
    SDL_Rect dst = rect;
    SDL_BlitSurface(converted, &rect, surface, &dst);
    SDL_FreeSurface(converted);

    image->width = static_cast<Uint16>(surface->w);
    image->height = static_cast<Uint16>(surface->h);
    image->depth = surface->format->BytesPerPixel;
    image->surface = surface;
    image->rect = SDL_Rect{0, 0, image->width, image->height};
    return image;
}

void LibereImage(StructImage_t* image) {
    if (g_observeAppel) g_observeAppel("LibereImage");
    SDL_FreeSurface(image->surface);
}
