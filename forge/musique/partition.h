// The score of the soundtrack: its key, its chords, its sections and their
// arrangements, laid out as XM patterns.
#pragma once

#include <string>
#include <vector>

#include "xm.h"

// Tempo: 6 ticks a row, 4 rows a beat, 16 a bar. The groove is 124 beats per
// minute (a tick of about 20 ms, a row of 121 ms, a bar of 1.94 s); each
// grooved section sets its tempo within a beat or two of it, and its number
// of rows, so that its bars end exactly on the next scene change.
constexpr int kBpm = 124;
constexpr int kTicksParLigne = 6;
constexpr int kLignesParTemps = 4;
constexpr int kLignesParMesure = 16;
constexpr int kTempoMin = 100, kTempoMax = 160;  // the tempos a section may take
// The row at the groove's tempo, the score's nominal pace.
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
    kCanalClap,      // the clap on the snare; the projector's rattle in the countdown
    kCanalEffets,    // the risers and the countdown's blips
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

// Rows the music goes on for after the production's last scene has ended:
// the switch-off's gesture is over by then, the module ends.
constexpr int kLignesCoda = 2;

// One section of the score as laid out in rows and played in time.
struct SectionPlacee {
    std::string scene;      // the scene it accompanies ("coda" for the ending after the end)
    int premiereLigne = 0;  // first row, on a beat
    int lignes = 0;         // whole bars of 4 beats, the last one possibly of 2 to 3½
    int tempo = kBpm;       // beats per minute of the section's first rows...
    int lignesTempo = 0;    // ...for this many rows, then one beat per minute faster
    double debut = 0.0;     // when its downbeat plays, in seconds
};

// Gives every section a number of rows and a tempo so that its downbeat falls
// on its scene change within a millisecond or two: the grooved sections near
// 124 beats per minute, whole bars where the groove allows it, otherwise a
// last bar of 2 to 3½ beats; the sections of free tempo in whole bars. Fails (empty
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

// The layers of the mix, as a listener names them, and their channels: the
// lead's layer holds the line that carries the tune (the lead, the title's
// hook, the reprise's doubling).
struct Couche {
    const char* nom;
    std::vector<int> canaux;
};
const std::vector<Couche>& Couches();
constexpr size_t kCoucheSolo = 6;  // the lead's layer in Couches()

// The module with only `canaux` heard (or, with `sauf`, every channel but
// them): the other channels keep their notes at volume 0 and their tempo
// commands and lose every other command, so that the player keeps the song's
// time (with their cells emptied, libmikmod was seen to play the rest at the
// module's first tempo throughout).
ModuleXM CanauxSeuls(ModuleXM module, const std::vector<int>& canaux, bool sauf = false);
