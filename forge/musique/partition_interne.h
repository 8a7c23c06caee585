// What the parts of the score share: how a section is arranged, the chords,
// the grid of the whole song the parts write into, and the bar being written.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "partition.h"
#include "synthese.h"
#include "xm.h"

// How each part plays in a section.
enum class Batterie {
    kAucune,
    kTictac,
    kMontee,  // half time: the kick on the first beat, the snare on the third
    kMarche,  // the backbeat, growing bar by bar toward the section's end
    kPleine,
    kPleineDoubles,
    kApogee,  // the reprise: sixteenth hi-hats, ghost strokes, a crash on every phrase
    kRoulement,
    kFinale,
    kCoda
};
enum class Ligne { kAucune, kTenue, kCroches, kSyncopee, kPulsee, kCoda };
enum class Arpege { kAucun, kLent, kMontant, kOndulant, kCoda };

// How a section's last bar leads into the cut to the next scene (the bar is
// of 4 beats, or of 2 to 3½ when the scene's length asks for a shorter one).
enum class Fin {
    kSuite,      // the music runs on (the pause's swell, the final chord)
    kMontee,     // a riser: crash strokes swelling from a whisper up to the cut
    kToms,       // a fill down the toms over the last two beats
    kArret,      // a roll, then the band stops on a stab whose pad and echo ring to the cut
    kRoulement,  // a snare roll, sixteenths then thirty-seconds, rising to the cut
    kFla,        // flams: each stroke of the fill led by a grace note
    kOuvert,     // an open hi-hat on the last off-beat rings into the cut
};

// A line on a voice of its own that starts some bars into the section.
struct Voix {
    int debut = -1;                    // first bar, -1 for none
    std::vector<std::string> mesures;  // one bar of 16 steps a string
};

struct Arrangement {
    std::string scene;
    std::vector<std::string> accords;  // one chord a bar, round and round
    std::string cadence;               // chord of the last full bar ("" keeps the round)
    std::string accordQueue;           // chord of a shorter last bar ("" keeps the last)
    std::vector<std::string> solo;     // lead line, one bar of 16 steps a string, round and round
    std::string soloCadence;           // lead of the last full bar ("" keeps the round)
    std::string soloQueue;             // lead of a shorter last bar (its first steps)
    Batterie batterie;
    Ligne basse;
    Arpege arpege;
    int volumeNappe;  // 0: the pad rests
    bool doublure;    // the lead doubled an octave lower
    Fin fin;
    bool gonfle;      // the pad swells up from soft on every chord
    Voix accroche;    // the theme's hook on its own channel, before the lead has come in
    Voix contre;      // a counter-melody on the pad's voice, round and round once begun
    bool ouverts;     // open hi-hats on the off-beats
    int niveau;       // level of the drums, bass, pad and arpeggio, percent
    int modulation;   // from this bar to the one before the last, everything a tone up; -1 never
    bool tempoLibre;  // the tempo may leave the groove (the pause, the countdown, the ending)
    // How each bar changes the layers, a letter a bar ('.' or past the end:
    // as written): 's' the arpeggio muffled, 'd' half time with the
    // counter-line and without hi-hats or arpeggio, 'c' the counter-line
    // instead of the arpeggio, 'k' the counter-line over the whole band,
    // 'm' the counter-line over the band with the arpeggio muffled,
    // 'x' stripped to the pad and the lead, 'r' the band building up again
    // (kick, hi-hats and bass, a snare roll into the next bar), 't' a burst
    // of static with the bass out (the television sets switching on).
    // With such letters the counter-line plays only where they call it.
    std::string variantes;
    int volumeSolo = 64;  // the lead's level, 0..64
    // A pickup over a shorter last bar, on the bell and the hook's channel,
    // leading into the next section's first note (its first steps are played).
    std::string levee = "";
    // The hook's voice at its own level, always on the bell (a counter-line,
    // a motif, pings); 0: the title's hook, on the bell then on the reed.
    int volumeAccroche = 0;
    // The arpeggio in front: an octave higher and at its full level whatever
    // the band's.
    bool arpegeDevant = false;
};

// The letter of `variantes` for a bar.
inline char Variante(const Arrangement& a, int numero) {
    return numero >= 0 && numero < int(a.variantes.size()) ? a.variantes[size_t(numero)] : '.';
}

// The sections in playing order, one for each scene, then the ending after
// the production's end.
const std::vector<Arrangement>& Arrangements();

// --- notes and chords ------------------------------------------------------

// Pitch class (0 = C) of a note letter with its sharp or flat; -1 when not a note.
int ClasseHauteur(const std::string& nom, size_t* suite);
// XM note of a name like "a4" or "g#5" (C-4 = 49); 0 when malformed.
int NoteNommee(const std::string& nom);

struct Accord {
    int fondamentale = 0;  // pitch class
    bool mineur = false;
    // The colour the pad voices in place of the fifth, in semitones above the
    // root: 10 the seventh ("E7"), 11 the major seventh ("Fmaj7"), 14 the
    // ninth ("Cadd9"); 0 a plain triad.
    int couleur = 0;
};
// Whether two chords are the same, colour included.
inline bool MemeAccord(const Accord& a, const Accord& b) {
    return a.fondamentale == b.fondamentale && a.mineur == b.mineur && a.couleur == b.couleur;
}

bool LitAccord(const std::string& nom, Accord* accord);
// Semitones above the root of the chord's tones: root, third, fifth (or the
// chord's colour in its place), octave, tenth.
int Intervalle(const Accord& a, int rang);
// The lowest note of pitch class `classe` at or above `plancher`.
int NoteAuDessus(int classe, int plancher);

// --- the grid of the whole song ---------------------------------------------

struct Grille {
    int lignes = 0;
    std::vector<CaseXM> cases;
    std::vector<int> niveaux;     // each instrument's own volume (0..64), by instrument number
    double accompagnement = 1.0;  // level of the current section's drums, bass, pad and arpeggio
    std::vector<std::pair<int, Accord>> accords;  // each bar's first row and its chord
    CaseXM* Case(int ligne, int canal) { return &cases[size_t(ligne) * kNombreCanaux + canal]; }
};

// The volume column for `volume` (0..64) of an instrument: it replaces the
// instrument's own volume, so it is scaled by it and the instruments keep

// The volume column for `volume` (0..64) of an instrument: it replaces the
// instrument's own volume, so it is scaled by it and the instruments keep
// their balance in the mix.
uint8_t VolumeMixe(const Grille* g, int instrument, int volume);
void Pose(Grille* g, int ligne, int canal, int note, int instrument, int volume);
// An effect command on a cell whose effect column is still free.
void PoseEffet(Grille* g, int ligne, int canal, uint8_t effet, uint8_t parametre);
// A volume-column command on a cell whose volume column is still free.
void PoseColonne(Grille* g, int ligne, int canal, uint8_t commande);
// A tempo command on a channel whose effect column is free on the row, drums
// first (they carry fewest effects).
bool PoseTempo(Grille* g, int ligne, int bpm);
// Lets a voice go and fades what rings on within a row or two.
void Coupe(Grille* g, int ligne, int canal);

// Where in the song a bar is being written.
struct Mesure {
    const Arrangement* arrangement;
    int numero;         // bar of the section, from 0
    int completes;      // full bars of the section
    int reste;          // rows left over after them
    int premiereLigne;  // first row of the bar in the song
    int lignes;         // rows of the bar: 16, or 12 or 8 for a shorter last bar
    int finSection;     // first row after the section
    Accord accord;
    Accord suivant;  // the next bar's chord (this one's on the section's last bar)
    bool finPhrase;  // last bar of a four-bar phrase, unless the section ends a bar later
    bool derniere;   // last full bar of the section
    bool queue;      // a shorter last bar, of 2 to 3½ beats
    bool coupe;      // the bar that leads into the cut (the section's last)
    int ton;         // semitones everything is moved up
};

// The way the section ends, as the bar being written plays it.
Fin FinJouee(const Mesure& m);
// Whether the bar is a shorter last bar that leads into the cut with a fill:
// the band stops on a stab on its downbeat, the chord rings, and the fill
// alone takes up the rest, so the shorter bar is heard as a break.
bool Breve(const Mesure& m);
// Whether the bar is a shorter last bar held as a chord: the fill (toms, a
// roll) runs over the bar before and lands on its downbeat, then the drums
// are silent and the chord rings to the cut, so the count stops there and
// the next section's downbeat is not heard half a beat early.
bool Tenue(const Mesure& m);
// Whether the bar is the full one before such a held bar, which plays its fill.
bool AnnonceTenue(const Mesure& m);
// The row of a stop's stab, two beats before the cut.
int LigneCoup(const Mesure& m);

// Each part, bar by bar.
void ComposeBatterie(Grille* g, const Mesure& m);
void ComposeBasse(Grille* g, const Mesure& m);
void ComposeArpege(Grille* g, const Mesure& m);
// Returns whether the pad is sounding after the bar.
bool ComposeNappe(Grille* g, const Mesure& m, const Accord* precedent);
bool ComposeSolo(Grille* g, const Mesure& m, std::string* erreur);
// The pad and the arpeggio duck under the kick where the band plays in full.
void Pompe(Grille* g, const Mesure& m);
// After every bar: the melodic voices' slides and vibrato, the lead's echo.
void Anime(Grille* g, int canal);
void ComposeEcho(Grille* g);
// A part that stops at a section change lets its last note go.
void RelacheAuChangement(Grille* g, int ligne, const Arrangement& avant, const Arrangement& apres);
