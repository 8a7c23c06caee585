// The score of the soundtrack: its key, its chords, its sections and their
// arrangements, laid out as XM patterns.
#pragma once

#include <string>
#include <vector>

#include "xm.h"

// Tempo: 6 ticks a row, 4 rows a beat, 16 a bar. Each section sets its own
// tempo near 125 beats per minute (where a tick lasts 20 ms, a row 120 ms and a
// bar 1.92 s) so that its bars end exactly on the next scene change.
constexpr int kBpm = 125;
constexpr int kTicksParLigne = 6;
constexpr int kLignesParTemps = 4;
constexpr int kLignesParMesure = 16;
constexpr int kTempoMin = 100, kTempoMax = 160;  // the tempos a section may take
// The row at 125 beats per minute, the score's nominal pace.
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

// One section of the score as laid out in rows and played in time.
struct SectionPlacee {
    std::string scene;      // the scene it accompanies ("coda" for the ending after the end)
    int premiereLigne = 0;  // first row, on a beat
    int lignes = 0;         // whole bars of 4 beats, the last one possibly of 2 or 3
    int tempo = kBpm;       // beats per minute of the section's first rows...
    int lignesTempo = 0;    // ...for this many rows, then one beat per minute faster
    double debut = 0.0;     // when its downbeat plays, in seconds
};

// Gives every section a number of beats and a tempo so that its downbeat falls
// on its scene change within a millisecond or two: whole bars where a tempo
// near 125 allows it, otherwise a last bar of 3 or 2 beats. Fails (empty
// result, reason in *erreur) when the scene table is out of order, misses a
// scene the score has music for, or has a scene too short for two beats.
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
