// libmikmod set up exactly as SDL_mixer 1.2 sets it up to play a module, so
// that every player of the production's music (the capture tool's offline
// render, the browser's sound) mixes the very samples SDL_mixer plays.
#ifndef KAZZMOT_REGLAGE_MIKMOD_H
#define KAZZMOT_REGLAGE_MIKMOD_H

#include <mikmod.h>

#include <string>

// SDL_mixer asks its music for one block per audio callback: the production
// opens the device with blocks of 4096 samples.
constexpr unsigned kPairesParBlocMikmod = 4096;

// Registers the nosound driver and every loader (once, as SDL_mixer does,
// whoever of the two comes first), sets the mixer as SDL_mixer does for a
// device opened at `frequence` Hz, stereo, signed 16-bit, and starts
// libmikmod. False with a message in *erreur when it cannot start.
bool DemarreMikmod(unsigned frequence, std::string* erreur);

// Starts a loaded module as SDL_mixer loads and starts it: implicit looping
// allowed, no fade-out, full initial volume, then full player volume and the
// first position.
void LanceModule(MODULE* module);

#endif
