// The effects library. Blocking effects run their own frame loop, show every
// frame and return when their movement is over or a key is pressed; one-pass
// effects change a surface or a table once and leave the showing to the scene.
#ifndef KAZZMOT_EFFETS_H
#define KAZZMOT_EFFETS_H

#include "plateforme.h"

// Blocking effects.
void ZoomCentre(StructImage_t* image, Ecran* screen, Sint8 step);
void FonduNoir(Ecran* screen, float factor);
void GlisseHorizontal(StructImage_t* image, Ecran* screen, Sint16 xFrom, Sint16 xTo, Sint16 y,
                      Uint8 step);
void GlisseVertical(StructImage_t* image, Ecran* screen, Sint16 yFrom, Sint16 yTo, Sint16 x,
                    Uint8 step);
// Height table of a ramp mask: width + 1 entries, allocated with malloc (the
// caller frees it); none when the mask cannot be locked.
Uint16* ProfilRampe(StructImage_t* mask);
void GlisseRampe(StructImage_t* logo, Ecran* screen, StructImage_t* mask, Uint8 step);
void FlashCouleur(Ecran* screen, Uint8 count, Uint16 period, Uint8 r, Uint8 g, Uint8 b);
void Ecoule(Ecran* screen, StructImage_t* background, Uint8 speed);
void Dissolution(StructImage_t* mask, Ecran* screen, StructImage_t* background, Uint8 step);
void DeplaceImage(StructImage_t* image, Ecran* screen, Sint16 x0, Sint16 y0, Sint16 x1, Sint16 y1,
                  Uint8 step);

// The television snow generator's state: a 31-bit shift register, 0x12345 at
// start, carried from call to call.
extern Uint32 GraineNeige;

// One-pass effects.
void DessineBulle(Sint16 x, Sint16 y, StructImage_t* bubble, Ecran* screen);
void Neige(SDL_Surface* surface, SDL_Rect rect);
void TrameRVB(StructImage_t* target);
int Flou(Ecran* screen, Uint16 x, Uint16 y, Uint16 w, Uint16 h, Uint8 passes);
void TableDroite(Sint16* table, Sint16 a0, Sint16 b0, Sint16 a1, Sint16 b1);
void TraceImage(StructImage_t* image, Ecran* screen, Sint16 x0, Sint16 y0, Sint16 x1, Sint16 y1);

#endif
