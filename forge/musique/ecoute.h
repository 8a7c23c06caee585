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

// Loudness and pitch measured on interleaved stereo 16-bit frames at 44100 Hz.

// Highest absolute sample, in dB relative to full scale (32768).
double CreteDbfs(const std::vector<int16_t>& stereo);

// RMS level of both channels in consecutive windows of `secondes`, in dBFS;
// a last, shorter window is measured over what it has.
std::vector<double> RmsParFenetres(const std::vector<int16_t>& stereo, double secondes);

// Longest stretch, in seconds, of 50 ms blocks quieter than `seuilDbfs` that
// starts before `jusqua` seconds.
double PlusLongSilence(const std::vector<int16_t>& stereo, double seuilDbfs, double jusqua);

// Fundamental frequency (Hz) of the sound between `debut` and `debut + duree`
// seconds, searched within a fifth either side of `attendue` by normalised
// autocorrelation of the two channels summed; 0 when nothing periodic is there.
double HauteurMesuree(const std::vector<int16_t>& stereo, double debut, double duree,
                      double attendue);

// RMS level of both channels between two times in seconds, in dBFS.
double RmsEntre(const std::vector<int16_t>& stereo, double debut, double fin);

// Loudest RMS level, in dBFS, of any window of `secondes` (stepped by 10 ms):
// the punch of a drum hit rather than its single highest sample.
double CreteCourte(const std::vector<int16_t>& stereo, double secondes);

// Width of the stereo picture: RMS of the side signal (L - R) / 2 against the
// mid signal (L + R) / 2, in dB; 0 dB for full width, very negative for mono.
double CoteSurMilieu(const std::vector<int16_t>& stereo);

// Energy of both channels between `fMin` and `fMax` Hz, in dB relative to the
// energy of the whole spectrum (Hann windows of 8192 frames).
double EnergieBande(const std::vector<int16_t>& stereo, double fMin, double fMax);

// Loudness of both channels between two times, in LUFS: K-weighted (the
// high shelf and high pass of broadcast loudness meters), 400 ms blocks
// overlapping by 75 %, gated at -70 LUFS and 10 LU under the ungated level.
// Very negative when nothing sounds there.
double Lufs(const std::vector<int16_t>& stereo, double debut, double fin);

// Writes interleaved stereo 16-bit frames at 44100 Hz as a WAVE file; false
// when the file cannot be written.
bool EcritWav(const std::string& chemin, const std::vector<int16_t>& stereo);

// Where sounds start between two times, in seconds: the first millisecond
// where the level of the next 5 ms rises by more than `sautDb` over the 5 ms
// ending 5 ms before, to above -60 dBFS, each at least `ecart` seconds after
// the last.
std::vector<double> Attaques(const std::vector<int16_t>& stereo, double debut, double fin,
                             double sautDb = 10.0, double ecart = 0.05);

// The frequency (Hz) under which half of the energy between `fMin` and
// `fMax` lies: where a drum's body or a bass line sits.
double FrequenceMediane(const std::vector<int16_t>& stereo, double fMin, double fMax);
