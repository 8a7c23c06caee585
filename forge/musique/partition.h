// The score of the soundtrack: its key, its chords, its sections and their
// arrangements, laid out as XM patterns.
#pragma once

#include <string>
#include <vector>

#include "xm.h"

// Tempo: 125 beats per minute at 6 ticks a row, so a tick lasts exactly 20 ms
// (882 frames at 44100 Hz), a row 120 ms, a beat (4 rows) 480 ms and a bar
// (16 rows) 1.92 s.
constexpr int kBpm = 125;
constexpr int kTicksParLigne = 6;
constexpr int kLignesParTemps = 4;
constexpr int kLignesParMesure = 16;
constexpr double kSecondesParLigne = kTicksParLigne * 2.5 / kBpm;

// Channels of the arrangement.
enum Canal {
    kCanalGrosseCaisse,
    kCanalCaisseClaire,
    kCanalCharleston,
    kCanalCymbale,
    kCanalBasse,
    kCanalNappe1,
    kCanalNappe2,
    kCanalNappe3,
    kCanalSolo,
    kCanalEcho,
    kCanalArpege,
    kCanalDoublure,  // the lead an octave lower in the reprise; the hook in the title
    kCanalContre,    // the counter-melody of the reprise
    kCanalOuvert,    // open hi-hat
    kNombreCanaux
};

// A scene change of the production: the scene that starts and when, in seconds
// from the moment the music starts.
struct RepereScene {
    std::string scene;
    double debut;
};

// The production's scene changes as the score follows them. The last entry is
// the end of the production; the ending rings on after it.
const std::vector<RepereScene>& ReperesProduction();

// How long the music goes on after the production's last scene has ended.
constexpr int kMesuresCoda = 2;

// One section of the score as laid out in rows.
struct SectionPlacee {
    std::string scene;      // the scene it accompanies ("coda" for the ending after the end)
    int premiereLigne = 0;  // first row, on a beat
    int lignes = 0;
};

// Places every section on the beat nearest to its scene change. Fails (empty
// result, reason in *erreur) when the scene table is out of order, misses a
// scene the score has music for, or leaves a section without a beat.
std::vector<SectionPlacee> PlaceSections(const std::vector<RepereScene>& reperes,
                                         std::string* erreur);

// Composes the whole module for a scene table: instruments, patterns (one per
// bar, identical bars shared) and the order list. Returns false with the reason
// in *erreur when the table cannot be followed.
bool ComposeModule(const std::vector<RepereScene>& reperes, ModuleXM* module, std::string* erreur);

// Playing time of a module over its order list, following its tempo and speed
// commands as the production's player does: a tick lasts a whole number of
// frames at 44100 Hz (2.5 / bpm seconds, rounded down).
double DureeModule(const ModuleXM& module);

// When each row of the song starts, in seconds, over the order list, followed
// by the time the last row ends.
std::vector<double> InstantsDesLignes(const ModuleXM& module);

// Frames of one tick at a tempo, as the player counts them at 44100 Hz.
int TramesParTick(int bpm);
