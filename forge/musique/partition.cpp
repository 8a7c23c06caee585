// The score. Key: A minor. Each scene of the production has a section of its
// own, with its chords, its lead line and the way drums, bass, pad and arpeggio
// play under it; the sections start on the beat nearest to their scene change.
#include "partition.h"

#include <algorithm>
#include <cmath>

#include "synthese.h"

namespace {

// How each part plays in a section.
enum class Batterie {
    kAucune,
    kTictac,
    kMontee,
    kPleine,
    kPleineDoubles,
    kRoulement,
    kFinale,
    kCoda
};
enum class Ligne { kAucune, kTenue, kCroches, kSyncopee, kPulsee, kCoda };
enum class Arpege { kAucun, kLent, kMontant, kOndulant, kCoda };

// What a section does in its last rows, up to the cut to the next scene. A
// scene rarely lasts a whole number of bars: the beats left over after the
// last full bar are played as a transition of their own, never as a bar cut
// short.
enum class Fin {
    kSuite,      // the music runs on (the pause's swell, the final chord)
    kRelance,    // a drum fill closes the last full bar and fills the beats left over
    kRoulement,  // a snare roll rises to the cut
    kArret,      // a roll, then the band stops dead: one stab and silence until the cut
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
    std::string accordQueue;           // chord of the beats left over ("" keeps the last)
    std::vector<std::string> solo;     // lead line, one bar of 16 steps a string, round and round
    std::string soloCadence;           // lead of the last full bar ("" keeps the round)
    std::string soloQueue;             // lead of the beats left over (its first steps)
    Batterie batterie;
    Ligne basse;
    Arpege arpege;
    int volumeNappe;  // 0: the pad rests
    bool doublure;    // the lead doubled an octave lower
    Fin fin;
    bool gonfle;    // the pad swells up from soft on every chord
    Voix accroche;  // the theme's hook on the echo voice, before the lead has come in
    Voix contre;    // a counter-melody on the pad's voice, round and round once begun
    bool ouverts;   // open hi-hats on the off-beats
    int niveau;     // level of the drums, bass, pad and arpeggio, percent
};

// Lead phrases, four bars each. Steps are sixteenth notes: a note name starts
// a note, "." holds it, "-" releases it.
const std::vector<std::string> kThemeA = {
    "a4 . . . . . c5 . e5 . . . d5 . c5 .",  // Am
    "c5 . . . a4 . . . . . . . g4 . a4 .",   // F
    "g4 . . . e4 . . . g4 . . . c5 . b4 .",  // C
    "b4 . . . . . . . d5 . . . - . . .",     // G
};
const std::vector<std::string> kThemeA2 = {
    "e5 . . . . . d5 . c5 . . . b4 . c5 .",  // Am
    "a4 . . . . . . . c5 . a4 . f4 . a4 .",  // F
    "g4 . . . c5 . . . e5 . . . d5 . c5 .",  // C
    "d5 . . . . . . . b4 . . . g4 . - .",    // G
};
const std::vector<std::string> kThemeB = {
    "f5 . . . e5 . d5 . . . a4 . . . d5 .",  // Dm
    "e5 . . . . . c5 . a4 . . . . . . .",    // Am
    "c5 . . . d5 . . . e5 . . . f5 . e5 .",  // F
    "g#5 . . . . . . . e5 . . . b4 . - .",   // E
};
const std::vector<std::string> kThemeB2 = {
    "a5 . . . f5 . d5 . . . f5 . e5 . d5 .",  // Dm
    "c5 . . . e5 . a5 . . . . . g5 . e5 .",   // Am
    "f5 . . . . . c5 . a4 . c5 . f5 . e5 .",  // F
    "e5 . . . . . . . g#4 . . . b4 . d5 .",   // E
};
const std::vector<std::string> kThemeAHaut = {
    "a5 . . . . . c6 . e6 . . . d6 . c6 .",   // Am
    "c6 . . . a5 . . . . . . . g5 . a5 .",    // F
    "g5 . . . e5 . . . g5 . c6 . e6 . d6 .",  // C
    "d6 . . . . . b5 . . . g5 . d5 . - .",    // G
};
const std::vector<std::string> kPont = {
    "a4 . . . . . . . . . . . c5 . . .",   // F
    "b4 . . . . . . . d5 . . . . . . .",   // G
    "g4 . . . . . . . b4 . . . e5 . . .",  // Em
    "e5 . . . . . . . . . . . - . . .",    // Am
};
// The reprise's counter-melody, on the pad's voice: long notes between the pad
// and the lead, over the eight-bar round.
const std::vector<std::string> kContre = {
    "c5 . . . . . . . . . . . b4 . . .",   // Am
    "a4 . . . . . . . . . . . c5 . . .",   // F
    "g4 . . . . . . . . . . . e5 . . .",   // C
    "d5 . . . . . . . . . . . b4 . . .",   // G
    "f5 . . . . . . . . . . . d5 . . .",   // Dm
    "e5 . . . . . . . . . . . c5 . . .",   // Am
    "c5 . . . . . . . . . . . a4 . . .",   // F
    "b4 . . . . . . . . . . . g#4 . . .",  // E
};
const std::vector<std::string> kRemontee = {
    "d5 . - . f5 . - . a5 . . . . . . .",  // Dm
    "e5 . - . g5 . - . b5 . . . . . . .",  // Em
    "f5 . - . a5 . - . c6 . . . . . . .",  // F
    "g5 . - . b5 . - . d6 . . . . . . .",  // G
};

std::vector<std::string> Enchaine(std::initializer_list<const std::vector<std::string>*> phrases) {
    std::vector<std::string> mesures;
    for (const auto* p : phrases) mesures.insert(mesures.end(), p->begin(), p->end());
    return mesures;
}

// The sections in playing order, one for each scene, then the ending after
// the production's end. Columns: scene; chords (one a bar, round and round);
// chord of the last full bar; chord of the beats left over; lead; lead of the
// last full bar; lead of the beats left over; drums; bass; arpeggio; pad
// level; lead doubled an octave lower; transition into the next scene; pad
// swells; hook; counter-melody; open hi-hats; level of the accompaniment.
const std::vector<Arrangement>& Arrangements() {
    using B = Batterie;
    using L = Ligne;
    using A = Arpege;
    using F = Fin;
    const std::vector<std::string> kFinRemontee = {kRemontee[0], kRemontee[2]};
    // clang-format off
    static const std::vector<Arrangement> arrangements = {
        // The start-up pause: the pad alone swells on the tonic.
        {"pause", {"Am"}, "", "", {}, "", "",
         B::kAucune, L::kAucune, A::kAucun, 44, false, F::kSuite, true, {}, {}, false, 100},
        // The film countdown: a ticking hi-hat and a held bass under the pad,
        // a four-stroke snare pickup into the logo.
        {"countdown", {"Am", "F"}, "E", "", {}, "", "",
         B::kTictac, L::kTenue, A::kAucun, 48, false, F::kRoulement, false, {}, {}, false, 100},
        // The group logo: the build starts on i-VI-iv-V, kick on the half bar,
        // a slow arpeggio, a fill into the title.
        {"logo", {"Am", "F", "Dm", "E"}, "G", "", {}, "", "",
         B::kMontee, L::kTenue, A::kLent, 44, false, F::kRelance, false, {}, {}, false, 100},
        // The title: the bass gets moving, the arpeggio runs, and the echo voice
        // lets the theme's first bars be heard; a roll, then the band stops for
        // the drop.
        {"title", {"Am", "F", "C", "G", "Am", "F", "C", "G", "F", "G", "Em", "Am", "Dm"}, "E", "",
         {}, "", "",
         B::kMontee, L::kSyncopee, A::kMontant, 36, false, F::kArret, false,
         {4, Enchaine({&kThemeA, &kPont})}, {}, false, 78},
        // The bubbles: the drop, full band and crash, the main theme, first
        // statement with its second half.
        {"bubbles", {"Am", "F", "C", "G", "Am", "F", "C", "G", "Dm", "Am", "F", "E"}, "E", "",
         Enchaine({&kThemeA, &kThemeA2, &kThemeB}), "g#4 . . . b4 . d5 . . . . . . . . .", "",
         B::kPleine, L::kCroches, A::kOndulant, 60, false, F::kRoulement, false, {}, {}, true, 104},
        // The television sets: the theme and its variations, a stop into the breakdown.
        {"television", {"Am", "F", "C", "G", "Dm", "Am", "F", "E"}, "E", "",
         Enchaine({&kThemeA2, &kThemeB2, &kThemeAHaut, &kThemeB, &kThemeA, &kThemeB2}),
         "e5 . . . . . . . g#4 . . . b4 . . .", "",
         B::kPleineDoubles, L::kCroches, A::kMontant, 34, false, F::kArret, false, {}, {}, false, 100},
        // The credits: the breakdown, drums and bass out, the pad swells under
        // long lead notes; a fill brings the band back.
        {"credits", {"F", "G", "Em", "Am"}, "", "", kPont, "", "",
         B::kTictac, L::kAucune, A::kLent, 50, false, F::kRelance, true, {}, {}, false, 66},
        // The greetings: everything climbs back, a snare roll to the reprise on
        // the leading tone.
        {"greetings", {"Dm", "F"}, "", "E", kFinRemontee, "", "g#5 . . . . . . . . . . . . . . .",
         B::kRoulement, L::kPulsee, A::kMontant, 40, false, F::kRoulement, false, {}, {}, false, 100},
        // The text crawl: the reprise, the lead doubled an octave lower, open
        // hi-hats, a counter-melody in its second half, and a roll up to the
        // leading tone.
        {"crawl", {"Am", "F", "C", "G", "Dm", "Am", "F", "E"}, "E", "",
         Enchaine({&kThemeA2, &kThemeB, &kThemeAHaut, &kThemeB2}),
         "b4 . d5 . e5 . . . g#5 . . . . . . .", "",
         B::kPleineDoubles, L::kSyncopee, A::kOndulant, 34, true, F::kRoulement, false,
         {}, {8, kContre}, true, 100},
        // The television switch-off: the leading tone resolves, the tonic chord
        // is struck with a crash, the pad glides into it.
        {"finale", {"Am"}, "", "", {"a5 . . . . . . . . . . . . . . ."}, "", "",
         B::kFinale, L::kTenue, A::kCoda, 44, true, F::kSuite, false, {}, {}, false, 100},
        // After the end: the last chord is let go and rings out.
        {"coda", {"Am"}, "", "", {". . . . . . . . - . . . . . . .", ". . . . . . . . . . . . . . . ."}, "", "",
         B::kCoda, L::kCoda, A::kAucun, 44, true, F::kSuite, false, {}, {}, false, 100},
    };
    // clang-format on
    return arrangements;
}

// --- notes and chords ------------------------------------------------------

// Pitch class (0 = C) of a note letter with its sharp or flat; -1 when not a note.
int ClasseHauteur(const std::string& nom, size_t* suite) {
    static const int lettres[] = {9, 11, 0, 2, 4, 5, 7};  // a b c d e f g
    if (nom.empty()) return -1;
    const char lettre = static_cast<char>(nom[0] | 0x20);  // either case
    if (lettre < 'a' || lettre > 'g') return -1;
    int classe = lettres[lettre - 'a'];
    size_t i = 1;
    if (i < nom.size() && nom[i] == '#')
        classe += 1, ++i;
    else if (i < nom.size() && nom[i] == 'b' && nom.size() > 2)
        classe += 11, ++i;
    *suite = i;
    return classe % 12;
}

// XM note of a name like "a4" or "g#5" (C-4 = 49); 0 when malformed.
int NoteNommee(const std::string& nom) {
    size_t i = 0;
    const int classe = ClasseHauteur(nom, &i);
    if (classe < 0 || i + 1 != nom.size() || nom[i] < '0' || nom[i] > '7') return 0;
    return 1 + 12 * (nom[i] - '0') + classe;
}

struct Accord {
    int fondamentale = 0;  // pitch class
    bool mineur = false;
};

bool LitAccord(const std::string& nom, Accord* accord) {
    size_t i = 0;
    const int classe = ClasseHauteur(nom, &i);
    if (classe < 0) return false;
    accord->fondamentale = classe;
    accord->mineur = i < nom.size() && nom[i] == 'm';
    return i + (accord->mineur ? 1 : 0) == nom.size();
}

// Semitones above the root of the chord's tones: root, third, fifth, octave, tenth.
int Intervalle(const Accord& a, int rang) {
    const int tierce = a.mineur ? 3 : 4;
    const int tons[] = {0, tierce, 7, 12, 12 + tierce};
    return tons[rang % 5] + 12 * (rang / 5);
}

// The lowest note of pitch class `classe` at or above `plancher`.
int NoteAuDessus(int classe, int plancher) {
    int note = plancher;
    while ((note - 1) % 12 != classe) ++note;
    return note;
}

// --- the grid of the whole song ---------------------------------------------

struct Grille {
    int lignes = 0;
    std::vector<CaseXM> cases;
    std::vector<int> niveaux;     // each instrument's own volume (0..64), by instrument number
    double accompagnement = 1.0;  // level of the current section's drums, bass, pad and arpeggio
    CaseXM* Case(int ligne, int canal) { return &cases[size_t(ligne) * kNombreCanaux + canal]; }
};

// The volume column for `volume` (0..64) of an instrument: it replaces the
// instrument's own volume, so it is scaled by it and the instruments keep
// their balance in the mix.
uint8_t VolumeMixe(const Grille* g, int instrument, int volume) {
    const int niveau =
        instrument > 0 && instrument < int(g->niveaux.size()) ? g->niveaux[instrument] : 64;
    return VolumeColonne(std::max(1, static_cast<int>(std::lround(volume * niveau / 64.0))));
}

void Pose(Grille* g, int ligne, int canal, int note, int instrument, int volume) {
    if (ligne < 0 || ligne >= g->lignes) return;
    const bool melodie = canal == kCanalSolo || canal == kCanalEcho || canal == kCanalDoublure ||
                         canal == kCanalContre;
    if (!melodie) volume = static_cast<int>(std::lround(volume * g->accompagnement));
    CaseXM* c = g->Case(ligne, canal);
    c->note = static_cast<uint8_t>(note);
    c->instrument = static_cast<uint8_t>(note == kNoteRelache ? 0 : instrument);
    c->volume = volume > 0 && note != kNoteRelache ? VolumeMixe(g, instrument, volume) : 0;
    c->effet = c->parametre = 0;
}

// An effect command on a cell whose effect column is still free.
void PoseEffet(Grille* g, int ligne, int canal, uint8_t effet, uint8_t parametre) {
    if (ligne < 0 || ligne >= g->lignes) return;
    CaseXM* c = g->Case(ligne, canal);
    if (c->effet || c->parametre) return;
    c->effet = effet;
    c->parametre = parametre;
}

// A volume-column command on a cell whose volume column is still free.
void PoseColonne(Grille* g, int ligne, int canal, uint8_t commande) {
    if (ligne < 0 || ligne >= g->lignes) return;
    CaseXM* c = g->Case(ligne, canal);
    if (!c->volume) c->volume = commande;
}

// Lets a voice go and fades what rings on within a row or two.
void Coupe(Grille* g, int ligne, int canal) {
    Pose(g, ligne, canal, kNoteRelache, 0, 0);
    PoseColonne(g, ligne, canal, kColonneGlisseBas + 12);
}

// Where in the song a bar is being written.
struct Mesure {
    const Arrangement* arrangement;
    int numero;         // bar of the section, from 0
    int completes;      // full bars of the section
    int reste;          // rows left over after them
    int premiereLigne;  // first row of the bar in the song
    int lignes;         // rows of the bar: 16, fewer for the beats left over
    int finSection;     // first row after the section
    Accord accord;
    bool finPhrase;  // last bar of a four-bar phrase, unless the section ends a bar later
    bool derniere;   // last full bar of the section
    bool queue;      // the beats left over after the last full bar, played as a transition
};

// The way the section ends, as the bar being written plays it.
Fin FinJouee(const Mesure& m) {
    return m.derniere || m.queue ? m.arrangement->fin : Fin::kSuite;
}

// Writes a drum line: 'X' accent, 'x' normal, 'o' soft, '.' nothing.
void PoseRythme(Grille* g, const Mesure& m, int canal, int instrument, const char* motif,
                int volumeBase) {
    for (int pas = 0; pas < m.lignes && motif[pas]; ++pas) {
        const int ligne = m.premiereLigne + pas;
        int volume = 0;
        if (motif[pas] == 'X') volume = volumeBase;
        if (motif[pas] == 'x') volume = volumeBase * 3 / 4;
        if (motif[pas] == 'o') volume = volumeBase / 2;
        if (volume) Pose(g, ligne, canal, kNoteDo4, instrument, volume);
    }
}

// A snare stroke on every row from `debut` to the bar's end, from soft to loud.
void Crescendo(Grille* g, const Mesure& m, int debut, int volumeDebut, int volumeFin) {
    const int n = m.lignes - debut;
    for (int i = 0; i < n; ++i)
        Pose(g, m.premiereLigne + debut + i, kCanalCaisseClaire, kNoteDo4, kCaisseClaire,
             volumeDebut + (volumeFin - volumeDebut) * (i + 1) / n);
}

// The beats left over at the end of a section.
void ComposeQueueBatterie(Grille* g, const Mesure& m) {
    switch (m.arrangement->fin) {
        case Fin::kSuite:
            return;
        case Fin::kRoulement:
            PoseRythme(g, m, kCanalGrosseCaisse, kGrosseCaisse, "X...X...X...", 60);
            Crescendo(g, m, 0, 28, 64);
            return;
        case Fin::kRelance: {
            // Off-beat strokes, then the last two beats in sixteenths.
            PoseRythme(g, m, kCanalGrosseCaisse, kGrosseCaisse, "X.....X.X...", 60);
            const int serres = std::min(m.lignes, 8);
            for (int pas = 0; pas < m.lignes - serres; pas += 2)
                Pose(g, m.premiereLigne + pas, kCanalCaisseClaire, kNoteDo4, kCaisseClaire, 44);
            Crescendo(g, m, m.lignes - serres, 36, 64);
            return;
        }
        case Fin::kArret:
            PoseRythme(g, m, kCanalGrosseCaisse, kGrosseCaisse, "X", 64);
            PoseRythme(g, m, kCanalCaisseClaire, kCaisseClaire, "X", 64);
            return;
    }
}

void ComposeBatterie(Grille* g, const Mesure& m) {
    const Batterie b = m.arrangement->batterie;
    const bool premiere = m.numero == 0;
    const Fin fin = FinJouee(m);
    if (m.queue) return ComposeQueueBatterie(g, m);
    // The last full bar before a stop is one long roll.
    if (fin == Fin::kArret) {
        PoseRythme(g, m, kCanalGrosseCaisse, kGrosseCaisse, "X...X...X...X...", 60);
        Crescendo(g, m, 0, 12, 52);
        return;
    }
    // The last full bar before the cut, with no beat left over: a roll on its second half.
    if (fin == Fin::kRoulement && m.reste == 0) {
        PoseRythme(g, m, kCanalGrosseCaisse, kGrosseCaisse, "X...X...X...X.X.", 64);
        PoseRythme(g, m, kCanalCaisseClaire, kCaisseClaire, "....X...", 60);
        PoseRythme(g, m, kCanalCharleston, kCharleston, "o.X.o.X.", 60);
        Crescendo(g, m, 8, 36, 64);
        return;
    }
    // A fill closes the last full bar; a phrase inside the section gets one every four bars.
    const bool remplissage = m.finPhrase || m.derniere;
    switch (b) {
        case Batterie::kAucune:
            return;
        case Batterie::kTictac:
            PoseRythme(g, m, kCanalCharleston, kCharleston, "x...o...x...o...", 56);
            if (m.derniere && fin != Fin::kSuite) {
                // The drums come back with a build over the bar's second half.
                PoseRythme(g, m, kCanalGrosseCaisse, kGrosseCaisse, "........X...X.X.", 56);
                Crescendo(g, m, 10, 24, 56);
            }
            return;
        case Batterie::kMontee:
            PoseRythme(g, m, kCanalGrosseCaisse, kGrosseCaisse,
                       remplissage ? "X.......X...X.X." : "X.......X.......", 52);
            PoseRythme(g, m, kCanalCharleston, kCharleston, "o.x.o.x.o.x.o.x.", 52);
            if (remplissage)
                PoseRythme(g, m, kCanalCaisseClaire, kCaisseClaire, "............x.xX", 52);
            if (premiere) PoseRythme(g, m, kCanalCymbale, kCymbale, "X", 40);
            return;
        case Batterie::kPleine:
        case Batterie::kPleineDoubles: {
            PoseRythme(g, m, kCanalGrosseCaisse, kGrosseCaisse,
                       remplissage ? "X...X...X.X.X..." : "X...X...X...X...", 64);
            const bool doubles = b == Batterie::kPleineDoubles && (m.numero / 4) % 2 == 1;
            PoseRythme(g, m, kCanalCharleston, kCharleston,
                       doubles ? "oxoXoxoXoxoXoxoX" : "o.X.o.X.o.X.o.X.", 60);
            const char* caisse = "....X.......X...";
            if (remplissage) caisse = (m.numero / 4) % 2 ? "....X...x.x.XXXX" : "....X.......XxXX";
            PoseRythme(g, m, kCanalCaisseClaire, kCaisseClaire, caisse, 64);
            if (premiere || (m.numero % 8 == 0))
                PoseRythme(g, m, kCanalCymbale, kCymbale, "X", premiere ? 64 : 52);
            if (m.arrangement->ouverts)
                PoseRythme(g, m, kCanalOuvert, kCharlestonOuvert, "..X...X...X...X.", 56);
            return;
        }
        case Batterie::kRoulement: {
            static const char* roulement[] = {"....X.......X...", "....X...X...X...",
                                              "..x.X.x.X.x.X.xX", "xxxxXxxxXxxxXXXX"};
            PoseRythme(g, m, kCanalGrosseCaisse, kGrosseCaisse, "X...X...X...X...", 60);
            PoseRythme(g, m, kCanalCharleston, kCharleston, "o.x.o.x.o.x.o.x.", 56);
            const int rang = std::min(m.numero, 3);
            // The roll grows louder toward the reprise.
            PoseRythme(g, m, kCanalCaisseClaire, kCaisseClaire, roulement[rang], 40 + 8 * rang);
            if (premiere) PoseRythme(g, m, kCanalCymbale, kCymbale, "X", 40);
            return;
        }
        case Batterie::kFinale:
            PoseRythme(g, m, kCanalGrosseCaisse, kGrosseCaisse, "X", 64);
            PoseRythme(g, m, kCanalCymbale, kCymbale, "X", 64);
            return;
        case Batterie::kCoda:
            return;
    }
}

void ComposeBasse(Grille* g, const Mesure& m) {
    const char* motif = nullptr;
    const Fin fin = FinJouee(m);
    if (m.queue && fin == Fin::kArret) {
        motif = "R-";
    } else if (fin == Fin::kArret) {
        // Under the roll before a stop the bass holds back, and comes in again
        // with the stab.
        motif = "-";
    } else if (m.queue) {
        motif = "R...R...R...";
    } else {
        switch (m.arrangement->basse) {
            case Ligne::kAucune:
                return;
            case Ligne::kTenue:
                motif = "R...............";
                break;
            case Ligne::kCroches:
                motif = m.finPhrase || m.derniere ? "R.-.O.-.Q.-.O.Q." : "R.-.O.-.R.-.O.-R";
                break;
            case Ligne::kSyncopee:
                motif = m.finPhrase || m.derniere ? "R..R..R.Q.-.O.Q." : "R..R..R.-.R.O.-.";
                break;
            case Ligne::kPulsee:
                motif = "R-R-R-R-R-R-O-R-";
                break;
            case Ligne::kCoda:
                motif = m.numero == 0 ? "........-......." : "";
                break;
        }
    }
    // The root sits between G-1 and F#2, above the kick's 46 Hz body.
    const int fondamentale = NoteAuDessus(m.accord.fondamentale, 1 + 12 * 1 + 7);
    for (int pas = 0; pas < m.lignes && motif[pas]; ++pas) {
        const int ligne = m.premiereLigne + pas;
        switch (motif[pas]) {
            case 'R':
                Pose(g, ligne, kCanalBasse, fondamentale, kBasse, pas % 4 ? 48 : 56);
                break;
            case 'O':
                Pose(g, ligne, kCanalBasse, fondamentale + 12, kBasse, 48);
                break;
            case 'Q':
                Pose(g, ligne, kCanalBasse, fondamentale + 7, kBasse, 52);
                break;
            case '-':
                Pose(g, ligne, kCanalBasse, kNoteRelache, 0, 0);
                break;
        }
    }
}

void ComposeArpege(Grille* g, const Mesure& m) {
    const char* motif = nullptr;  // chord tone rank per step, '.' rests
    if (m.queue && FinJouee(m) == Fin::kArret) return;
    switch (m.arrangement->arpege) {
        case Arpege::kAucun:
            return;
        case Arpege::kLent:
            motif = "0.2.1.3.0.2.1.3.";
            break;
        case Arpege::kMontant:
            motif = (m.numero / 4) % 2 ? "0123012301230124" : "0123012301230123";
            break;
        case Arpege::kOndulant:
            motif = (m.numero / 4) % 2 ? "0124321001243210" : "0123432101234321";
            break;
        case Arpege::kCoda:
            motif = m.numero == 0 ? "01234..........." : "";
            break;
    }
    const int fondamentale = NoteAuDessus(m.accord.fondamentale, kNoteDo4);
    for (int pas = 0; pas < m.lignes && motif[pas]; ++pas) {
        if (motif[pas] < '0' || motif[pas] > '9') continue;
        const int note = fondamentale + Intervalle(m.accord, motif[pas] - '0');
        const int volume = pas % 4 == 0 ? 56 : pas % 2 ? 40 : 50;
        Pose(g, m.premiereLigne + pas, kCanalArpege, note, kArpege, volume);
    }
}

// The pad holds the chord in three voices between F-3 and E-4, spread across
// the stereo picture, striking again only when the chord changes. Returns
// whether the pad is sounding after the bar.
bool ComposeNappe(Grille* g, const Mesure& m, const Accord* precedent) {
    const int canaux[] = {kCanalNappe1, kCanalNappe2, kCanalNappe3};
    const uint8_t panoramiques[] = {0x30, 0x80, 0xD0};
    const Arrangement& a = *m.arrangement;
    if (a.volumeNappe == 0) return false;
    if (m.queue && FinJouee(m) == Fin::kArret) {
        for (int canal : canaux) Coupe(g, m.premiereLigne + 1, canal);
        return false;
    }
    if (a.batterie == Batterie::kCoda) {
        // The last chord is let go after two beats: its fade-out carries it
        // to silence before the module ends.
        if (m.numero == 0)
            for (int canal : canaux)
                Pose(g, m.premiereLigne + 2 * kLignesParTemps, canal, kNoteRelache, 0, 0);
        return m.numero == 0;
    }
    if (precedent && precedent->fondamentale == m.accord.fondamentale &&
        precedent->mineur == m.accord.mineur) {
        // The same chord goes on: striking it again would restart the slow
        // attack. A new section only sets its own pad level.
        if (m.numero == 0)
            for (int canal : canaux)
                g->Case(m.premiereLigne, canal)->volume = VolumeMixe(
                    g, kNappe, static_cast<int>(std::lround(a.volumeNappe * g->accompagnement)));
        return true;
    }
    for (int voix = 0; voix < 3; ++voix) {
        const int classe = (m.accord.fondamentale + Intervalle(m.accord, voix)) % 12;
        const int note = NoteAuDessus(classe, kNoteDo4 - 7);
        if (a.batterie == Batterie::kFinale && precedent) {
            // Into the final chord the pad glides instead of striking again.
            Pose(g, m.premiereLigne, canaux[voix], note, 0, 0);
            g->Case(m.premiereLigne, canaux[voix])->volume = VolumeMixe(g, kNappe, a.volumeNappe);
            PoseEffet(g, m.premiereLigne, canaux[voix], kEffetPortamentoNote, 0x40);
            continue;
        }
        // A swelling pad starts soft and slides up to its level over the bar.
        Pose(g, m.premiereLigne, canaux[voix], note, kNappe,
             a.gonfle ? a.volumeNappe / 4 : a.volumeNappe);
        PoseEffet(g, m.premiereLigne, canaux[voix], kEffetPanoramique, panoramiques[voix]);
        if (a.gonfle) {
            const int ecart = g->Case(m.premiereLigne, canaux[voix])->volume - 0x10;
            const int visee =
                VolumeMixe(g, kNappe,
                           static_cast<int>(std::lround(a.volumeNappe * g->accompagnement))) -
                0x10;
            for (int pas = 1, monte = ecart; monte < visee && pas < m.lignes; pas += 3, monte += 5)
                PoseColonne(g, m.premiereLigne + pas, canaux[voix], kColonneGlisseHaut + 1);
        }
    }
    return true;
}

// Writes one bar of a melodic line on a channel ("a4" starts a note, "." holds
// it, "-" lets it go), strong beats louder. `pas` steps of the text are used.
bool PoseMelodie(Grille* g, const Mesure& m, const std::string& texte, int canal, int instrument,
                 int volume, int decalage, int pasJoues, std::string* erreur) {
    const std::string& scene = m.arrangement->scene;
    int pas = 0;
    size_t i = 0;
    while (i < texte.size()) {
        while (i < texte.size() && texte[i] == ' ') ++i;
        size_t fin = i;
        while (fin < texte.size() && texte[fin] != ' ') ++fin;
        if (fin == i) break;
        const std::string jeton = texte.substr(i, fin - i);
        i = fin;
        if (pas >= kLignesParMesure) {
            *erreur = scene + ": a melody bar has more than 16 steps: " + texte;
            return false;
        }
        const int ligne = m.premiereLigne + pas++;
        if (jeton == ".") continue;
        const int note = jeton == "-" ? kNoteRelache : NoteNommee(jeton);
        if (note == 0) {
            *erreur = scene + ": '" + jeton + "' is not a note in melody bar: " + texte;
            return false;
        }
        if (pas - 1 >= pasJoues || ligne >= m.finSection) continue;
        const int v = (pas - 1) % 4 == 0 ? volume : volume * 5 / 6;
        Pose(g, ligne, canal, note == kNoteRelache ? note : note + decalage, instrument, v);
    }
    if (pas != kLignesParMesure) {
        *erreur =
            scene + ": a melody bar has " + std::to_string(pas) + " steps, expected 16: " + texte;
        return false;
    }
    return true;
}

bool ComposeSolo(Grille* g, const Mesure& m, std::string* erreur) {
    const Arrangement& a = *m.arrangement;
    // The hook: the theme on the echo voice, before the lead has come in, at
    // twice the echo's own level (it is alone above the band).
    const int rangAccroche = m.numero - a.accroche.debut;
    if (a.accroche.debut >= 0 && !m.queue && rangAccroche >= 0 &&
        rangAccroche < int(a.accroche.mesures.size()) &&
        !PoseMelodie(g, m, a.accroche.mesures[rangAccroche], kCanalDoublure, kEcho, 2 * 64, 0,
                     m.lignes, erreur))
        return false;
    // The counter-melody, on the pad's voice, left of centre.
    const int rangContre = m.numero - a.contre.debut;
    if (a.contre.debut >= 0 && rangContre >= 0 && !m.queue) {
        if (!PoseMelodie(g, m, a.contre.mesures[rangContre % a.contre.mesures.size()], kCanalContre,
                         kNappe, 60, 0, m.lignes, erreur))
            return false;
    }
    if (m.queue && FinJouee(m) == Fin::kArret) {
        for (int canal : {kCanalSolo, kCanalDoublure, kCanalContre})
            Coupe(g, m.premiereLigne + 1, canal);
        return true;
    }
    if (a.solo.empty()) return true;
    std::string texte = a.solo[m.numero % a.solo.size()];
    if (m.derniere && !a.soloCadence.empty()) texte = a.soloCadence;
    if (m.queue) {
        if (a.soloQueue.empty()) return true;
        texte = a.soloQueue;
    }
    if (!PoseMelodie(g, m, texte, kCanalSolo, kSolo, 64, 0, m.lignes, erreur)) return false;
    if (a.doublure && !PoseMelodie(g, m, texte, kCanalDoublure, kEcho, 56, -12, m.lignes, erreur))
        return false;
    return true;
}

// Gives the melodic voices what a player's hands give them: a slide into the
// notes a leap away, vibrato on the long notes, and long notes let fade.
void Anime(Grille* g, int canal) {
    int precedente = 0, debut = -1;
    for (int ligne = 0; ligne <= g->lignes; ++ligne) {
        const CaseXM* c = ligne < g->lignes ? g->Case(ligne, canal) : nullptr;
        if (ligne < g->lignes && !c->note) continue;
        // The note that started at `debut` lasts until this row.
        if (debut >= 0) {
            const int duree = ligne - debut;
            if (duree >= 6)
                for (int l = debut + 3; l < ligne; ++l) PoseEffet(g, l, canal, kEffetVibrato, 0x62);
            if (duree >= 8 && canal != kCanalContre)
                for (int l = ligne - 3; l < ligne; ++l)
                    PoseColonne(g, l, canal, kColonneGlisseBas + 1);
        }
        if (ligne == g->lignes) break;
        if (c->note == kNoteRelache) {
            precedente = 0;
            debut = -1;
            continue;
        }
        CaseXM* n = g->Case(ligne, canal);
        if (precedente && std::abs(n->note - precedente) >= 5 && ligne - debut <= 8 && !n->effet) {
            // The pitch slides from the held note instead of striking again.
            n->instrument = 0;
            n->effet = kEffetPortamentoNote;
            n->parametre = 0x28;
        }
        precedente = n->note;
        debut = ligne;
    }
}

// A part that stops at a section change lets its last note go.
void RelacheAuChangement(Grille* g, int ligne, const Arrangement& avant, const Arrangement& apres) {
    if (!avant.solo.empty() && apres.solo.empty()) Pose(g, ligne, kCanalSolo, kNoteRelache, 0, 0);
    if ((avant.doublure || avant.accroche.debut >= 0) && !apres.doublure)
        Pose(g, ligne, kCanalDoublure, kNoteRelache, 0, 0);
    if (avant.contre.debut >= 0 && apres.contre.debut < 0)
        Pose(g, ligne, kCanalContre, kNoteRelache, 0, 0);
    if (avant.basse != Ligne::kAucune && apres.basse == Ligne::kAucune)
        Pose(g, ligne, kCanalBasse, kNoteRelache, 0, 0);
}

// The lead's echo: every note of the lead again a dotted eighth later, quieter,
// on the other side of the stereo picture, with the lead's slides and vibrato.
void ComposeEcho(Grille* g) {
    constexpr int retard = 3;
    for (int ligne = g->lignes - 1 - retard; ligne >= 0; --ligne) {
        const CaseXM source = *g->Case(ligne, kCanalSolo);
        CaseXM* cible = g->Case(ligne + retard, kCanalEcho);
        if (source.effet == kEffetVibrato) {
            cible->effet = source.effet;
            cible->parametre = source.parametre;
        }
        if (!source.note) continue;
        cible->note = source.note;
        cible->instrument = source.note == kNoteRelache || source.instrument == 0 ? 0 : kEcho;
        cible->volume = source.note == kNoteRelache ? 0 : VolumeMixe(g, kEcho, 48);
        cible->effet = source.effet;
        cible->parametre = source.parametre;
    }
}

}  // namespace

std::vector<SectionPlacee> PlaceSections(const std::vector<RepereScene>& reperes,
                                         std::string* erreur) {
    const auto& arrangements = Arrangements();
    // Every scene the score has music for, then the end of the production.
    if (reperes.size() != arrangements.size()) {
        *erreur = "scene table has " + std::to_string(reperes.size()) + " entries, expected " +
                  std::to_string(arrangements.size());
        return {};
    }
    std::vector<SectionPlacee> sections;
    for (size_t i = 0; i < reperes.size(); ++i) {
        const std::string attendu = i + 1 < arrangements.size() ? arrangements[i].scene : "end";
        if (reperes[i].scene != attendu) {
            *erreur = "scene table entry " + std::to_string(i) + " is '" + reperes[i].scene +
                      "', expected '" + attendu + "'";
            return {};
        }
        if (!std::isfinite(reperes[i].debut) || reperes[i].debut < 0.0 ||
            reperes[i].debut > 1000.0) {
            *erreur = "scene '" + reperes[i].scene + "' starts at an impossible time";
            return {};
        }
        const long temps = std::lround(reperes[i].debut / (kSecondesParLigne * kLignesParTemps));
        SectionPlacee s;
        s.scene = i + 1 < reperes.size() ? reperes[i].scene : "coda";
        s.premiereLigne = static_cast<int>(temps * kLignesParTemps);
        sections.push_back(s);
    }
    if (sections[0].premiereLigne != 0) {
        *erreur = "the first scene must start with the music, at 0 s";
        return {};
    }
    for (size_t i = 0; i + 1 < sections.size(); ++i) {
        sections[i].lignes = sections[i + 1].premiereLigne - sections[i].premiereLigne;
        // A scene shorter than a beat cannot have a section of its own, even
        // when its two ends happen to round to different beats.
        const double duree = reperes[i + 1].debut - reperes[i].debut;
        if (sections[i].lignes <= 0 || duree < kSecondesParLigne * kLignesParTemps) {
            *erreur = "scene '" + sections[i].scene + "' lasts less than a beat (" +
                      std::to_string(reperes[i + 1].debut - reperes[i].debut) + " s)";
            return {};
        }
    }
    sections.back().lignes = kMesuresCoda * kLignesParMesure;
    return sections;
}

bool ComposeModule(const std::vector<RepereScene>& reperes, ModuleXM* module, std::string* erreur) {
    const std::vector<SectionPlacee> sections = PlaceSections(reperes, erreur);
    if (sections.empty()) return false;
    const auto& arrangements = Arrangements();

    Grille g;
    std::vector<InstrumentXM> instruments = SynthetiseInstruments();
    g.niveaux.push_back(0);
    for (const InstrumentXM& in : instruments) g.niveaux.push_back(in.volume);
    g.lignes = sections.back().premiereLigne + sections.back().lignes;
    g.cases.assign(size_t(g.lignes) * kNombreCanaux, CaseXM{});

    // Bars of every section: the patterns follow them.
    std::vector<int> coupures;
    Accord precedent;
    bool nappeTenue = false;
    for (size_t s = 0; s < sections.size(); ++s) {
        const Arrangement& a = arrangements[s];
        const SectionPlacee& place = sections[s];
        if (s > 0) RelacheAuChangement(&g, place.premiereLigne, arrangements[s - 1], a);
        g.accompagnement = a.niveau / 100.0;
        const int completes = place.lignes / kLignesParMesure;
        const int reste = place.lignes % kLignesParMesure;
        const int nombre = completes + (reste ? 1 : 0);
        for (int n = 0; n < nombre; ++n) {
            Mesure m;
            m.arrangement = &a;
            m.numero = n;
            m.completes = completes;
            m.reste = reste;
            m.premiereLigne = place.premiereLigne + n * kLignesParMesure;
            m.lignes = n < completes ? kLignesParMesure : reste;
            m.finSection = place.premiereLigne + place.lignes;
            m.derniere = n == completes - 1;
            m.queue = n == completes && a.fin != Fin::kSuite;
            m.finPhrase = n % 4 == 3 && n < completes - 2;
            std::string nom = a.accords[n % a.accords.size()];
            if (m.derniere && !a.cadence.empty()) nom = a.cadence;
            if (m.queue) nom = !a.accordQueue.empty() ? a.accordQueue : "";
            if (nom.empty()) {
                m.accord = precedent;
            } else if (!LitAccord(nom, &m.accord)) {
                *erreur = a.scene + ": '" + nom + "' is not a chord";
                return false;
            }
            coupures.push_back(m.premiereLigne);
            ComposeBatterie(&g, m);
            ComposeBasse(&g, m);
            ComposeArpege(&g, m);
            nappeTenue = ComposeNappe(&g, m, nappeTenue ? &precedent : nullptr);
            if (!ComposeSolo(&g, m, erreur)) return false;
            precedent = m.accord;
        }
    }
    for (int canal : {kCanalSolo, kCanalDoublure, kCanalContre}) Anime(&g, canal);
    ComposeEcho(&g);
    coupures.push_back(g.lignes);

    ModuleXM mod;
    mod.nom = "Kazzmot";
    mod.canaux = kNombreCanaux;
    mod.vitesse = kTicksParLigne;
    mod.bpm = kBpm;
    mod.instruments = std::move(instruments);
    // One pattern a bar; a bar equal to one already written plays that pattern again.
    for (size_t i = 0; i + 1 < coupures.size(); ++i) {
        MotifXM motif;
        motif.lignes = static_cast<uint16_t>(coupures[i + 1] - coupures[i]);
        motif.cases.assign(g.cases.begin() + size_t(coupures[i]) * kNombreCanaux,
                           g.cases.begin() + size_t(coupures[i + 1]) * kNombreCanaux);
        size_t numero = 0;
        while (numero < mod.motifs.size() && !(mod.motifs[numero].lignes == motif.lignes &&
                                               mod.motifs[numero].cases == motif.cases))
            ++numero;
        if (numero == mod.motifs.size()) mod.motifs.push_back(motif);
        if (numero > 255 || mod.ordre.size() >= 256) {
            *erreur = "the score needs more than 256 patterns or order entries";
            return false;
        }
        mod.ordre.push_back(static_cast<uint8_t>(numero));
    }
    *module = std::move(mod);
    return true;
}

int TramesParTick(int bpm) {
    return bpm > 0 ? 44100 * 5 / (2 * bpm) : 0;
}

std::vector<double> InstantsDesLignes(const ModuleXM& module) {
    std::vector<double> instants;
    int vitesse = module.vitesse, bpm = module.bpm;
    long trames = 0;
    for (uint8_t o : module.ordre) {
        if (o >= module.motifs.size()) break;
        const MotifXM& motif = module.motifs[o];
        for (size_t l = 0; l < motif.lignes; ++l) {
            for (size_t k = 0; k < module.canaux; ++k) {
                const CaseXM& c = motif.cases[l * module.canaux + k];
                if (c.effet != kEffetVitesse || c.parametre == 0) continue;
                if (c.parametre < 32)
                    vitesse = c.parametre;
                else
                    bpm = c.parametre;
            }
            instants.push_back(trames / 44100.0);
            trames += long(vitesse) * TramesParTick(bpm);
        }
    }
    instants.push_back(trames / 44100.0);
    return instants;
}

double DureeModule(const ModuleXM& module) {
    return InstantsDesLignes(module).back();
}
