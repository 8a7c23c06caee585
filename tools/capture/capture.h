// The capture tool's routines: its options, the cadence of sound against
// pictures, the module rendered offline, the files it writes (PNG frames, WAV,
// the video through ffmpeg) and the storyboard sheet.
#ifndef KAZZMOT_CAPTURE_H
#define KAZZMOT_CAPTURE_H

#include <SDL.h>
#include <sys/types.h>

#include <csignal>
#include <cstdint>
#include <string>
#include <vector>

// ---------------------------------------------------------------------------
// Options.

// One end of the captured range: nothing, a time in seconds (kept as an exact
// fraction), or a scene of the timeline (0 is the start-up pause before the
// first scene, 1 to 9 the scenes).
struct Borne {
    enum class Genre { Aucune, Secondes, Scene };
    Genre genre = Genre::Aucune;
    std::uint64_t num = 0;  // seconds = num / den
    std::uint64_t den = 1;
    int scene = 0;
};

enum class Qualite { Livraison, SansPerte };

struct OptionsCapture {
    std::string sortie;  // the video file; empty: only the side outputs
    std::uint32_t fpsNum = 60;
    std::uint32_t fpsDen = 1;
    int echelle = 1;  // integer nearest-neighbour upscaling
    Qualite qualite = Qualite::Livraison;
    Borne debut;
    Borne fin;
    std::string planche;           // storyboard sheet (PNG)
    double intervallePlanche = 5;  // seconds between storyboard thumbnails
    std::string journalHash;       // one line per frame: index and hash
    std::string dossierPng;        // numbered PNG frames and a WAV instead of a video
    std::string ffmpeg = "ffmpeg";
    bool sansMusique = false;
    int progression = -1;  // -1: when the error stream is a terminal
    bool aide = false;
};

// Reads the command line. False with a message in *erreur on bad input.
bool LitOptions(int argc, char** argv, OptionsCapture* options, std::string* erreur);
// A time in seconds ("12", "12.5", "0.016") or a scene ("scene:3").
bool LitBorne(const std::string& texte, Borne* borne);
// A frame rate: "60", "59.94" is refused, "60000/1001" accepted.
bool LitCadence(const std::string& texte, std::uint32_t* num, std::uint32_t* den);
extern const char* const kAideCapture;

// ---------------------------------------------------------------------------
// Cadence: frames and samples.

constexpr std::uint32_t kFrequenceAudio = 44100;

// Stereo samples before frame k at num/den frames per second:
// floor(k × 44100 × den / num). Frame k gets EchantillonsAvant(k + 1) −
// EchantillonsAvant(k) samples, so sound never drifts from the pictures.
std::uint64_t EchantillonsAvant(std::uint64_t trame, std::uint32_t num, std::uint32_t den);
// The first frame shown at or after `secondes` (num/den seconds).
std::uint64_t TrameALInstant(std::uint64_t secNum, std::uint64_t secDen, std::uint32_t fpsNum,
                             std::uint32_t fpsDen);
// Milliseconds at the start of frame k, rounded down.
std::uint64_t MsDeTrame(std::uint64_t trame, std::uint32_t fpsNum, std::uint32_t fpsDen);

// The production always runs on a 60 Hz display; the video has its own rate.
constexpr std::uint32_t kRafraichissement = 60;
// The video's frames before the one that shows refresh r: the first frame
// shown at or after the refresh's start, ceil(r × fpsNum / (60 × fpsDen)).
// Refresh r gives the video TramesAvant(r + 1) − TramesAvant(r) frames (none
// when the video's rate is lower and its frames fall on other refreshes).
std::uint64_t TramesAvant(std::uint64_t rafraichissement, std::uint32_t fpsNum,
                          std::uint32_t fpsDen);

// ---------------------------------------------------------------------------
// Pictures.

// Nearest-neighbour upscaling of a 16-bit picture by an integer factor.
void AgranditTrame(const Uint16* source, int largeur, int hauteur, int facteur,
                   std::vector<Uint16>* cible);

// A 16-bit frame as planar 4:2:0 (the Y plane, then Cb and Cr at half width
// and height, odd sizes rounded up): BT.709 video range, each chroma sample
// the average of the 2 x 2 pixels it covers. `sortie` holds TailleYuv420 bytes.
size_t TailleYuv420(int largeur, int hauteur);
void ConvertitYuv420(const Uint16* pixels, int largeur, int hauteur, Uint8* sortie);

// ---------------------------------------------------------------------------
// The module, rendered offline with the mixer settings SDL_mixer gives
// libmikmod: 44100 Hz, stereo, 16-bit, high-quality software mixer with
// surround, full volume.

struct LecteurModule {
    void* module = nullptr;  // libmikmod's MODULE
    bool fini = false;
    std::vector<Sint16> bloc;  // the mixer's last block, served in pieces
    size_t lu = 0;             // samples (stereo pairs) of `bloc` already served
};

// Loads the module. False with a message naming the file when it cannot be.
bool OuvreModule(const std::string& chemin, LecteurModule* lecteur, std::string* erreur);
// Appends the next `paires` stereo samples of the module to *sortie. The
// module is mixed in blocks of 4096 samples, as SDL_mixer's callback asks for
// them, and once it has ended the rest is silence.
void RendModule(LecteurModule* lecteur, std::uint64_t paires, std::vector<Sint16>* sortie);
void FermeModule(LecteurModule* lecteur);
// The sound under frames [debut, debut + trames) of a run at fpsNum/fpsDen:
// silence until the production starts its music at msMusique (never when
// musiqueLancee is false), then the module from its first sample.
std::vector<Sint16> SonDesTrames(LecteurModule* lecteur, std::uint64_t debut, std::uint64_t trames,
                                 std::uint32_t fpsNum, std::uint32_t fpsDen, bool musiqueLancee,
                                 std::uint64_t msMusique);
// The same for the samples [s0, s1) of the run.
std::vector<Sint16> SonEntre(LecteurModule* lecteur, std::uint64_t s0, std::uint64_t s1,
                             bool musiqueLancee, std::uint64_t msMusique);

// Writes interleaved stereo 16-bit samples at 44100 Hz as a WAV file.
bool EcritWav(const std::string& chemin, const std::vector<Sint16>& echantillons);
// Reads such a WAV file back (for checks); false when it is not one.
bool LitWav(const std::string& chemin, std::vector<Sint16>* echantillons);

// ---------------------------------------------------------------------------
// ffmpeg.

// The program's path when it can be run, else an empty string.
std::string TrouveProgramme(const std::string& nom);

struct Chapitre {
    std::string titre;
    std::uint64_t trame;  // first frame, counted from the first captured frame
};

// A running ffmpeg that encodes raw frames from a pipe into a video-only
// intermediate file. It runs in its own process group, so the terminal's
// Ctrl-C reaches only the capture, which then ends the file properly.
//
// Frames are handed to a sending thread of the capture through a few buffers,
// so that the production draws the next frames while that thread converts
// the last ones (to 4:2:0 for the delivery preset; the lossless presets send
// the 5-6-5 words as they are) and ffmpeg encodes them, on the other core.
struct FileEnvoi;
struct Encodeur {
    pid_t pid = -1;
    int tube = -1;
    std::string fichier;
    FileEnvoi* file = nullptr;
    // Processor time in seconds, once TermineEncodeur has returned: the
    // sending thread's conversion and its writes into the pipe, and ffmpeg's.
    double secondesConversion = 0;
    double secondesEnvoi = 0;
    double secondesFfmpeg = 0;
};

bool LanceEncodeur(const OptionsCapture& options, int largeur, int hauteur,
                   const std::string& intermediaire, Encodeur* encodeur, std::string* erreur);
// Queues one frame of largeur x hauteur words (waits while every buffer is in
// use). False once ffmpeg has stopped reading.
bool EnvoieTrame(Encodeur* encodeur, const Uint16* pixels, size_t mots);
// Sends what is queued, closes the pipe and waits for ffmpeg; true when it
// ended well.
bool TermineEncodeur(Encodeur* encodeur);
// Puts the intermediate video, the sound and the chapters into the final file.
bool AssembleFilm(const OptionsCapture& options, const std::string& video, const std::string& wav,
                  const std::vector<Chapitre>& chapitres, std::uint64_t trames,
                  std::string* erreur);
// Runs a program and waits for it; its exit status, or -1.
int ExecuteProgramme(const std::vector<std::string>& arguments, bool groupePropre, int entree);
// The status ExecuteProgramme and TermineEncodeur give for an ffmpeg they
// ended on the user's word.
constexpr int kFfmpegArrete = -2;

// Ctrl-C and termination requests noted since the capture began; the signal
// handler counts them. While the end of a capture waits for an ffmpeg, a
// signal that comes a few seconds after the wait began, or after the
// previous signal, ends that ffmpeg: it is hung, and the user has waited.
extern volatile sig_atomic_t g_signaux;

// ---------------------------------------------------------------------------
// Storyboard.

struct Vignette {
    std::vector<std::uint32_t> pixels;  // xRGB, kLargeurVignette × kHauteurVignette
    std::string legende;
    bool changementScene = false;
};
constexpr int kLargeurVignette = 160;
constexpr int kHauteurVignette = 120;

// A thumbnail of a 16-bit frame: the average of each block of source pixels.
Vignette FaitVignette(const Uint16* pixels, int largeur, int hauteur, const std::string& legende,
                      bool changementScene);
// Lays the thumbnails out on one sheet under a title and writes it as PNG.
bool EcritPlanche(const std::string& chemin, const std::string& titre,
                  const std::vector<Vignette>& vignettes);
constexpr int kColonnesPlanche = 6;

// "m:ss.cc" for a time in milliseconds.
std::string FormateDuree(std::uint64_t ms);
// The scene's name as the storyboard and the chapters show it.
std::string NomScene(const std::string& routine);

#endif
