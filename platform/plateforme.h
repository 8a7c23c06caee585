// Platform layer of the production: the screen, the pictures, the sound, the
// keyboard and the passing of time. Everything above this layer (effects and
// scenes) reaches SDL's clock, display and input only through the routines
// declared here, so that the same code runs on a real display and on the
// virtual machine of the tests and the capture tool.
#ifndef KAZZMOT_PLATEFORME_H
#define KAZZMOT_PLATEFORME_H

#include <SDL.h>
#include <SDL_mixer.h>

#include <cstdint>
#include <string>

// ---------------------------------------------------------------------------
// Records. The screen and a picture share one field list and one type, so
// every routine that takes a picture also takes the screen (several scenes
// pass the screen as the picture of an effect).

// A loaded picture in the display's pixel format, or the display itself.
// depth holds bytes per pixel in a picture and bits per pixel in the screen.
// rect starts as (0, 0, width, height); blits through it write the clipped
// rectangle back, so it follows the last picture blitted through it.
struct StructImage_t {
    Uint16 width;
    Uint16 height;
    Uint8 depth;
    SDL_Surface* surface;
    SDL_Rect rect;
};
using Ecran = StructImage_t;

// Audio settings (made by InitAudio) and the music record (made by
// ChargeMusique) share this record.
struct StructAudio_t {
    Sint32 frequency;
    Sint32 channels;
    Sint32 chunksize;
    Sint32 loops;
    Uint16 format;
    Mix_Music* music;
};

// ---------------------------------------------------------------------------
// Screen.
Ecran* InitEcran(Uint16 width, Uint16 height, Uint8 depth, Sint16 fullscreen);
void LibereEcran(Ecran* screen);
// The user's choice of a window instead of full screen, made before InitEcran:
// full screen (fullscreen 1) then opens a resizable window.
void ChoisitFenetre(bool fenetre);
// The flags InitEcran asks SDL_SetVideoMode for.
Uint32 DrapeauxEcran(Sint16 fullscreen);
// Sets the library's display settings the production wants (nearest-neighbour
// scaling) where the user has not set them; InitEcran calls it before SDL_Init.
void RegleAffichage();

// The program's command line: --window (or -w), --help (or -h). An unknown
// word leaves `erreur` set to the message that names it.
struct OptionsLigne {
    bool fenetre = false;
    bool aide = false;
    std::string erreur;
};
OptionsLigne LitOptions(int argc, const char* const* argv);
// What --help prints.
const char* TexteAide();

// Pictures: "Datas\Images\" + name. keyflag 1 keys out colour (r, g, b).
StructImage_t* ChargeImage(const char* name, int keyflag, Uint8 r, Uint8 g, Uint8 b);
// The pictures about to be loaded, in the order ChargeImage will ask for them:
// they may be decoded ahead, on other threads. Only these files are read
// ahead, and only regular files. A new announcement drops the last one.
void AnnonceImages(const char* const* names, int count);
void LibereImage(StructImage_t* image);

// Sound.
StructAudio_t* InitAudio();
StructAudio_t* ChargeMusique(StructAudio_t* settings, const char* name);
void JoueMusique(StructAudio_t* music);
void LibereMusique(StructAudio_t* music);
void FermeAudio(StructAudio_t* settings);
// How much sound the device has played since it was opened, in nanoseconds,
// or -1 without a sound device.
std::int64_t SonJoueNs();

// Keyboard and waits.
int TestClavier();
void Attente(Uint16 ms);
void FlipEcran(Ecran* screen);
void InitDemo();

// Direct pixel access and image placement.
void CopieLigneZoom(int x0, int y0, int x1, int y1, StructImage_t* source, int dstX, int dstY,
                    int count, StructImage_t* target);
void PutPixelRVB(StructImage_t* image, Uint16 x, Uint16 y, Uint8 r, Uint8 g, Uint8 b);
void PutPixel16(StructImage_t* image, Uint16 x, Uint16 y, Uint16 colour);
Uint16 GetPixel16(StructImage_t* image, Uint16 x, Uint16 y);
void AfficheImage(StructImage_t* source, StructImage_t* target, Sint16 x, Sint16 y);

// ---------------------------------------------------------------------------
// The one seam to time, presentation and input. Two implementations exist,
// chosen at link time: the real one (SDL's clock, display and keyboard, with
// presents paced to 60 per second) in the production, the virtual 60 Hz
// machine of harness/ in tests, benchmarks and the capture tool. Scenes and
// effects call these instead of SDL_GetTicks, SDL_Flip, SDL_UpdateRect,
// SDL_PollEvent and SDL_GetKeyState.

// Milliseconds since start, as SDL_GetTicks gives them.
Uint32 Horloge();
// Shows the whole surface (SDL_Flip).
int AfficheTrame(SDL_Surface* surface);
// Shows one rectangle of the surface (SDL_UpdateRect); all zeros means the whole surface.
void AfficheZone(SDL_Surface* surface, Sint32 x, Sint32 y, Uint32 w, Uint32 h);
// Takes at most one event from the queue (SDL_PollEvent).
int LitEvenement(SDL_Event* event);
// Whether Escape is held now.
bool EchapTenue();
// Called once the video mode is set (the real seam starts its pacing there).
void DebutAffichage(SDL_Surface* surface);

// ---------------------------------------------------------------------------
// Failure reporting and file locations.

// Prints the message to the standard error stream, shuts SDL down and ends the
// process with status 1. Used for every failure that stops the production.
[[noreturn]] void ArretFatal(const char* format, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 1, 2)))
#endif
    ;

// Shows a text to the user: on standard output (a notice) or standard error
// (an error). On Windows, where a GUI program's streams are seen by nobody
// unless redirected, in the console it was started from, else a message box.
void MontreTexte(const std::string& texte, bool erreur);

// The path of a data file as the production names it ("Datas\Images\" and a
// name joined by a backslash), turned into a path of this system: on POSIX
// the backslashes become '/', and Datas is looked for in the working
// directory, then beside the executable, then in the installed data folder.
std::string CheminDonnees(const char* folder, const char* name);
// The installed data folder (with a trailing '/') of a program in
// `dossierProgramme` (with a trailing '/'), installed in `bindir` under its
// prefix, its data in `datadir`: relative to that prefix, or absolute. Empty
// when it cannot be told.
std::string DossierInstalle(const std::string& dossierProgramme, const std::string& bindir,
                            const std::string& datadir);

// Optional observer of the platform's calls, set by the test harness to record
// the order of start-up and shutdown. Null in the production.
extern void (*g_observeAppel)(const char* routine);

// Optional check made before each picture is loaded, set by the real seam: the
// start-up loads its pictures without presenting anything, and a signal asked
// for meanwhile ends the program there. Null elsewhere.
extern void (*g_verifieArret)();

#endif
