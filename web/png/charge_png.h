// PNG pictures read with libpng into the very surfaces SDL_image 1.2's
// IMG_Load gives: same bits per pixel, masks, pitch, flags, palette and
// colour key. The browser build and its native reference have no SDL_image.
#ifndef KAZZMOT_CHARGE_PNG_H
#define KAZZMOT_CHARGE_PNG_H

#include <SDL.h>

// Reads a PNG from src (closed afterwards when libere is non-zero). Returns
// a new surface, or nullptr with SDL_GetError() saying what went wrong.
SDL_Surface* ChargePNG_RW(SDL_RWops* src, int libere);

// Reads the PNG file at path.
SDL_Surface* ChargePNG(const char* path);

#endif
