// Builds without SDL_mixer (the browser and its native reference): the
// production's records only name the music type; the sound goes through
// libmikmod.
#ifndef KAZZMOT_SDL_MIXER_H
#define KAZZMOT_SDL_MIXER_H

typedef struct _Mix_Music Mix_Music;

#endif
