// The part of SDL_image's interface the production uses, served by the PNG
// reader of charge_png.h (builds made without SDL_image).
#ifndef KAZZMOT_SDL_IMAGE_H
#define KAZZMOT_SDL_IMAGE_H

#include "charge_png.h"

inline SDL_Surface* IMG_Load(const char* file) {
    return ChargePNG(file);
}
#define IMG_GetError SDL_GetError

#endif
