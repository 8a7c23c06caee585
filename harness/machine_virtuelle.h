// The virtual machine of tests, benchmarks and capture: a display refreshed at
// a fixed rate (60 Hz by default) on an infinitely fast machine.
//  - A present waits for the next refresh: time jumps to the next refresh,
//    and what was presented is shown from that refresh on. The display keeps
//    its own copy of the shown picture; a present of a rectangle copies only
//    that rectangle.
//  - A time query that follows another with no present in between advances
//    time by 1 ms (the program is spinning in a wait).
//  - A refresh that passes without a present shows the previous picture again.
//  - The keyboard is a script: events delivered at given virtual times, and
//    Escape held from a given time.
// With rand() never seeded, a whole run is reproducible bit for bit.
#ifndef KAZZMOT_MACHINE_VIRTUELLE_H
#define KAZZMOT_MACHINE_VIRTUELLE_H

#include <SDL.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// One scripted event: delivered by the first poll at or after `ms`.
struct EvenementScripte {
    Uint32 ms;
    SDL_Event event;
};

struct ConfigMachine {
    // Refresh rate as a fraction: 60/1 by default, 60000/1001 accepted.
    std::uint32_t frequenceNum = 60;
    std::uint32_t frequenceDen = 1;
    std::vector<EvenementScripte> evenements;
    // Escape is held from this virtual time on (never by default).
    Uint32 echapDes = UINT32_MAX;
    // The display's size until the first present sets it; it starts black.
    int largeur = 640;
    int hauteur = 480;
};

// Called once per refresh with its index (0 at time 0) and the picture the
// display shows during it, as raw 16-bit pixels, row after row.
using ObservateurTrame =
    std::function<void(std::uint64_t index, const Uint16* pixels, int width, int height)>;

// Starts the machine afresh: time 0, a black display, the given script.
void ReinitMachine(const ConfigMachine& config = ConfigMachine());
// Emits every refresh up to the present time (the end of a run).
void TermineMachine();
void ObserveTrames(ObservateurTrame observateur);

// Script helpers.
SDL_Event ToucheEnfoncee(SDLKey key = SDLK_SPACE);
SDL_Event ToucheRelachee(SDLKey key = SDLK_SPACE);
SDL_Event MouvementSouris();

// State, for tests.
std::uint64_t TempsVirtuelMs();           // the virtual time in whole milliseconds
std::uint64_t NombrePresentations();      // presents so far (frames and rectangles)
std::uint64_t NombreRafraichissements();  // refreshes emitted so far
std::uint64_t NombreScrutations();        // event polls so far
int LargeurAffichage();
int HauteurAffichage();
// The picture the display shows now (width × height words).
const std::vector<Uint16>& ImageAffichee();
// Saves the shown picture as an 8-bit RGB PNG; false when it cannot be written.
bool SauveTramePNG(const std::string& path);
// Saves any 16-bit 5-6-5 picture as an 8-bit RGB PNG.
bool SauvePixelsPNG(const std::string& path, const Uint16* pixels, int width, int height);
// FNV-1a hash of a picture, for comparing runs.
std::uint64_t HashTrame(const Uint16* pixels, int width, int height);

#endif
