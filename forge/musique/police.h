// Recorded drum sounds read from a General MIDI sound font (SoundFont 2):
// the sample a drum kit plays for one key, as the font stores it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Where the forge finds the sound font (Debian's fluid-soundfont-gm).
#ifndef KAZZMOT_POLICE_SONORE
#define KAZZMOT_POLICE_SONORE "/usr/share/sounds/sf2/FluidR3_GM.sf2"
#endif

struct SonEnregistre {
    std::string nom;            // the sample's name in the font
    std::vector<int16_t> mono;  // the left and right samples of the key averaged
    int frequence = 0;          // frames per second of the recording
};

// Reads the sample(s) that preset `programme` of bank `banque` (128: the drum
// kits) plays for `touche` at `velocite`. Returns false with the reason in
// *erreur, naming the file, when the font cannot be read, is not a sound
// font, or has no such sound.
bool LitSonDePolice(const std::string& chemin, int banque, int programme, int touche, int velocite,
                    SonEnregistre* son, std::string* erreur);
