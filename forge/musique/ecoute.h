// Offline playback of a module through libmikmod, the engine SDL_mixer plays
// the production's music with, set up as SDL_mixer sets it up. Used to check
// the soundtrack without a sound card: its length, its pitch, its loudness.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct RenduMikmod {
    std::vector<int16_t> stereo;  // interleaved left, right at 44100 Hz
    double secondes = 0.0;        // playing time until the player stopped by itself
    bool termine = false;         // the module ended before the time limit
};

// Plays the module bytes to the end (or for `limiteSecondes`), once, without
// looping. Returns false with libmikmod's reason when the module does not load.
bool RendAvecMikmod(const std::vector<uint8_t>& module, double limiteSecondes, RenduMikmod* rendu,
                    std::string* erreur);
