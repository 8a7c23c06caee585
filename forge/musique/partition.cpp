// The score. Key: A minor. Each scene of the production has a section of its
// own, with its chords, its lead line and the way drums, bass, pad and arpeggio
// play under it; each section's tempo puts its downbeat on its scene change.
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

// How a section's last bar leads into the cut to the next scene (the bar is
// of 4 beats, or of 3 or 2 when the scene's length asks for a shorter one).
enum class Fin {
    kSuite,      // the music runs on (the pause's swell, the final chord)
    kMontee,     // a riser: crash strokes swelling from a whisper up to the cut
    kToms,       // a fill down the toms over the last two beats
    kArret,      // a roll, then the band stops on a stab whose pad and echo ring to the cut
    kRoulement,  // a snare roll whose strokes retrigger ever faster
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
    std::string accordQueue;           // chord of a last bar of 3 or 2 beats ("" keeps the last)
    std::vector<std::string> solo;     // lead line, one bar of 16 steps a string, round and round
    std::string soloCadence;           // lead of the last full bar ("" keeps the round)
    std::string soloQueue;             // lead of a last bar of 3 or 2 beats (its first steps)
    Batterie batterie;
    Ligne basse;
    Arpege arpege;
    int volumeNappe;  // 0: the pad rests
    bool doublure;    // the lead doubled an octave lower
    Fin fin;
    bool gonfle;     // the pad swells up from soft on every chord
    Voix accroche;   // the theme's hook on the echo voice, before the lead has come in
    Voix contre;     // a counter-melody on the pad's voice, round and round once begun
    bool ouverts;    // open hi-hats on the off-beats
    int niveau;      // level of the drums, bass, pad and arpeggio, percent
    int modulation;  // from this bar to the one before the last, everything a tone up; -1 never
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
// The television scene's middle eight, over a progression of its own.
const std::vector<std::string> kThemeC = {
    "d5 . . . f5 . a5 . . . g5 . f5 . e5 .",  // Dm
    "d5 . . . . . b4 . g4 . . . b4 . d5 .",   // G
    "e5 . . . . . . . c5 . . . e5 . g5 .",    // C
    "a5 . . . g5 . f5 . . . . . c5 . . .",    // F
};
const std::vector<std::string> kThemeC2 = {
    "d5 . . . . . f5 . a5 . . . f5 . d5 .",  // Dm
    "e5 . . . . . . . g#5 . . . b5 . . .",   // E
    "c6 . . . b5 . a5 . . . . . e5 . . .",   // Am
    "g#5 . . . . . . . e5 . . . b4 . - .",   // E
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
// chord of the last full bar; chord of a shorter last bar; lead; lead of the
// last full bar; lead of a shorter last bar; drums; bass; arpeggio; pad
// level; lead doubled an octave lower; transition into the next scene; pad
// swells; hook; counter-melody; open hi-hats; level of the accompaniment;
// bar from which the section moves a tone up.
const std::vector<Arrangement>& Arrangements() {
    using B = Batterie;
    using L = Ligne;
    using A = Arpege;
    using F = Fin;
    const std::vector<std::string> kFinRemontee = {kRemontee[0], kRemontee[3]};
    // clang-format off
    static const std::vector<Arrangement> arrangements = {
        // The start-up pause: the pad alone swells on the tonic.
        {"pause", {"Am"}, "", "", {}, "", "",
         B::kAucune, L::kAucune, A::kAucun, 44, false, F::kSuite, true, {}, {}, false, 100, -1},
        // The film countdown: a ticking hi-hat and a held bass under the pad,
        // a crash riser into the logo.
        {"countdown", {"Am", "F"}, "E", "", {}, "", "",
         B::kTictac, L::kTenue, A::kAucun, 48, false, F::kMontee, false, {}, {}, false, 100, -1},
        // The group logo: the build starts on i-VI-iv-V, kick on the half bar,
        // a slow arpeggio, a tom fill into the title.
        {"logo", {"Am", "F", "Dm", "E"}, "G", "", {}, "", "",
         B::kMontee, L::kTenue, A::kLent, 48, false, F::kToms, false, {}, {}, false, 80, -1},
        // The title: the bass gets moving, the arpeggio runs, and the echo voice
        // lets the theme's first bars be heard; a roll, then the band stops for
        // the drop.
        {"title", {"Am", "F", "C", "G", "Am", "F", "C", "G", "F", "G", "Em", "Am", "Dm"}, "E", "",
         {}, "", "",
         B::kMontee, L::kSyncopee, A::kMontant, 40, false, F::kArret, false,
         {4, Enchaine({&kThemeA, &kPont})}, {}, false, 82, -1},
        // The bubbles: the drop, full band and crash, the main theme, first
        // statement with its second half.
        {"bubbles", {"Am", "F", "C", "G", "Am", "F", "C", "G", "Dm", "Am", "F", "E"}, "F", "",
         Enchaine({&kThemeA, &kThemeA2, &kThemeB}), "a4 . . . c5 . e5 . . . . . . . . .", "",
         B::kPleine, L::kCroches, A::kOndulant, 60, false, F::kRoulement, false, {}, {}, true, 112, -1},
        // The television sets: the theme and its variations, a middle eight on
        // chords of its own, a stop into the breakdown.
        {"television", {"Am", "F", "C", "G", "Dm", "Am", "F", "E", "Dm", "G", "C", "F", "Dm", "E", "Am", "E"}, "Dm", "",
         Enchaine({&kThemeA2, &kThemeB2, &kThemeC, &kThemeC2, &kThemeA, &kThemeB2}),
         "d5 . . . . . . . a4 . . . f4 . . .", "",
         B::kPleineDoubles, L::kCroches, A::kMontant, 34, false, F::kArret, false, {}, {}, false, 100, -1},
        // The credits: the breakdown, drums and bass out, the pad swells under
        // long lead notes; flams bring the band back.
        {"credits", {"F", "G", "Em", "Am"}, "", "", kPont, "", "",
         B::kTictac, L::kAucune, A::kLent, 38, false, F::kFla, true, {}, {}, false, 66, -1},
        // The greetings: everything climbs back, a snare roll to the reprise on
        // the leading tone.
        {"greetings", {"Dm", "G"}, "", "E", kFinRemontee, "", "g#5 . . . . . . . . . . . . . . .",
         B::kRoulement, L::kPulsee, A::kMontant, 46, false, F::kRoulement, false, {}, {}, false, 100, -1},
        // The text crawl: the reprise, the lead doubled an octave lower, open
        // hi-hats, its second half a tone up (from the new key's dominant) with
        // a counter-melody, back home on the dominant, and an open hi-hat into
        // the switch-off.
        {"crawl", {"Am", "F", "C", "G", "Dm", "Am", "F", "E"}, "E", "",
         Enchaine({&kThemeA2, &kThemeB, &kThemeAHaut, &kThemeB2}),
         "b4 . d5 . e5 . . . g#5 . . . . . . .", "",
         B::kPleineDoubles, L::kSyncopee, A::kOndulant, 34, true, F::kOuvert, false,
         {}, {8, kContre}, true, 100, 7},
        // The television switch-off: the leading tone resolves, the tonic chord
        // is struck with a crash, the pad glides into it.
        {"finale", {"Am"}, "", "", {"a5 . . . . . . . . . . . . . . ."}, "", "",
         B::kFinale, L::kTenue, A::kCoda, 44, true, F::kSuite, false, {}, {}, false, 100, -1},
        // After the end: the last chord is let go and rings out.
        {"coda", {"Am"}, "", "", {". . . . . . . . - . . . . . . .", ". . . . . . . . . . . . . . . ."}, "", "",
         B::kCoda, L::kCoda, A::kAucun, 44, true, F::kSuite, false, {}, {}, false, 100, -1},
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

// A tempo command on a channel whose effect column is free on the row, drums
// first (they carry fewest effects).
bool PoseTempo(Grille* g, int ligne, int bpm) {
    for (int canal : {kCanalCymbale, kCanalOuvert, kCanalCharleston, kCanalGrosseCaisse,
                      kCanalCaisseClaire, kCanalBasse, kCanalArpege, kCanalNappe1, kCanalNappe2,
                      kCanalNappe3, kCanalContre, kCanalDoublure, kCanalEcho, kCanalSolo}) {
        CaseXM* c = g->Case(ligne, canal);
        if (c->effet || c->parametre) continue;
        c->effet = kEffetVitesse;
        c->parametre = static_cast<uint8_t>(bpm);
        return true;
    }
    return false;
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
    int lignes;         // rows of the bar: 16, or 12 or 8 for a shorter last bar
    int finSection;     // first row after the section
    Accord accord;
    bool finPhrase;  // last bar of a four-bar phrase, unless the section ends a bar later
    bool derniere;   // last full bar of the section
    bool queue;      // a last bar of 3 or 2 beats
    bool coupe;      // the bar that leads into the cut (the section's last)
    int ton;         // semitones everything is moved up
};

// The way the section ends, as the bar being written plays it.
Fin FinJouee(const Mesure& m) {
    return m.coupe ? m.arrangement->fin : Fin::kSuite;
}

// The row of a stop's stab, two beats before the cut.
int LigneCoup(const Mesure& m) {
    return m.premiereLigne + std::max(0, m.lignes - 8);
}

// How much a drummer's stroke on a row strays from the written level: a
// fixed scatter from the row's number, -4..+3 out of 64, the same every build.
int Ecart(int ligne) {
    const uint32_t h = (static_cast<uint32_t>(ligne) * 2654435761u) >> 28;
    return (static_cast<int>(h) - 8) / 2;
}

// Writes a drum line: 'X' accent, 'x' normal, 'o' soft (a ghost stroke), '.'
// nothing; every stroke strays a little from its written level.
void PoseRythme(Grille* g, const Mesure& m, int canal, int instrument, const char* motif,
                int volumeBase) {
    for (int pas = 0; pas < m.lignes && motif[pas]; ++pas) {
        const int ligne = m.premiereLigne + pas;
        int volume = 0;
        if (motif[pas] == 'X') volume = volumeBase;
        if (motif[pas] == 'x') volume = volumeBase * 3 / 4;
        if (motif[pas] == 'o') volume = volumeBase * 3 / 8;
        if (volume)
            Pose(g, ligne, canal, kNoteDo4, instrument, std::clamp(volume + Ecart(ligne), 1, 64));
    }
}

// The bar that leads into a cut, on the drums: each kind of transition plays
// its own way over the bar's last beats (the bar may be of 4, 3 or 2 beats).
void ComposeTransition(Grille* g, const Mesure& m) {
    const int lignes = m.lignes, deuxTemps = std::max(0, m.lignes - 8);
    const int debut = m.premiereLigne;
    switch (m.arrangement->fin) {
        case Fin::kSuite:
            return;
        case Fin::kMontee:
            // Crash strokes every two rows, each swelling within its row, from
            // a whisper up to the cut.
            PoseRythme(g, m, kCanalGrosseCaisse, kGrosseCaisse, "X...x...X...x...", 48);
            PoseRythme(g, m, kCanalCharleston, kCharleston, "o.x.o.x.o.x.o.x.", 44);
            for (int pas = 0; pas < lignes; pas += 2) {
                Pose(g, debut + pas, kCanalCymbale, kNoteDo4, kCymbale, 4 + 14 * pas / lignes);
                PoseEffet(g, debut + pas, kCanalCymbale, kEffetGlisseVolume, 0x20);
            }
            return;
        case Fin::kToms: {
            // The groove for the first beats, then the toms (the kick's drum
            // tuned up) falling over the last two, strokes of varied weight.
            PoseRythme(g, m, kCanalGrosseCaisse, kGrosseCaisse, "X.......x.......", 56);
            PoseRythme(g, m, kCanalCharleston, kCharleston, "o.x.o.x.", 48);
            static const int hauteurs[] = {19, 0, 19, 16, 0, 16, 12, 7};
            static const int volumes[] = {52, 0, 38, 56, 0, 42, 58, 64};
            for (int pas = 0; pas < 8 && deuxTemps + pas < lignes; ++pas)
                if (volumes[pas])
                    Pose(g, debut + deuxTemps + pas, kCanalGrosseCaisse, kNoteDo4 + hauteurs[pas],
                         kGrosseCaisse, volumes[pas]);
            return;
        }
        case Fin::kArret:
            // A roll up to the stab two beats before the cut; then the drums
            // are silent and the stab's chord rings.
            PoseRythme(g, m, kCanalGrosseCaisse, kGrosseCaisse, "X...x...", 60);
            for (int pas = 0; pas < deuxTemps; ++pas)
                Pose(g, debut + pas, kCanalCaisseClaire, kNoteDo4, kCaisseClaire,
                     16 + 32 * (pas + 1) / std::max(1, deuxTemps));
            Pose(g, debut + deuxTemps, kCanalGrosseCaisse, kNoteDo4, kGrosseCaisse, 64);
            Pose(g, debut + deuxTemps, kCanalCaisseClaire, kNoteDo4, kCaisseClaire, 60);
            Pose(g, debut + deuxTemps, kCanalCymbale, kNoteDo4, kCymbale, 44);
            return;
        case Fin::kRoulement:
            // The groove, then strokes that retrigger twice, then three times a row.
            PoseRythme(g, m, kCanalGrosseCaisse, kGrosseCaisse, "X...x...X...x...", 50);
            PoseRythme(g, m, kCanalCharleston, kCharleston, "o.x.o.x.", 46);
            PoseRythme(g, m, kCanalCaisseClaire, kCaisseClaire, "....X..o", 48);
            for (int pas = deuxTemps; pas < lignes; ++pas) {
                const bool serre = pas >= lignes - kLignesParTemps;
                if (!serre && (pas - deuxTemps) % 2) continue;
                Pose(g, debut + pas, kCanalCaisseClaire, kNoteDo4, kCaisseClaire,
                     14 + 18 * (pas - deuxTemps + 1) / (lignes - deuxTemps));
                PoseEffet(g, debut + pas, kCanalCaisseClaire, kEffetEtendu,
                          serre ? kEtenduRedeclenche + 2 : kEtenduRedeclenche + 3);
            }
            return;
        case Fin::kFla: {
            // The kick's off-beats, then flams: a soft grace stroke, and the
            // stroke itself two ticks later, louder each time.
            PoseRythme(g, m, kCanalGrosseCaisse, kGrosseCaisse, "X.....x.X...X...", 58);
            static const int pasFla[] = {0, 3, 4, 6, 7};
            for (int i = 0; i < 5; ++i) {
                const int pas = deuxTemps + pasFla[i];
                if (pas >= lignes) break;
                Pose(g, debut + pas, kCanalCymbale, kNoteDo4, kCaisseClaire, 14);
                Pose(g, debut + pas, kCanalCaisseClaire, kNoteDo4, kCaisseClaire, 34 + 5 * i);
                PoseEffet(g, debut + pas, kCanalCaisseClaire, kEffetEtendu, kEtenduRetard + 2);
            }
            return;
        }
        case Fin::kOuvert:
            // The groove, thinned, and an open hi-hat on the last off-beat that
            // rings into the downbeat.
            PoseRythme(g, m, kCanalGrosseCaisse, kGrosseCaisse, "X...x...X..oX.x.", 52);
            PoseRythme(g, m, kCanalCaisseClaire, kCaisseClaire, "....X..o....x...", 50);
            PoseRythme(g, m, kCanalCharleston, kCharleston, "o.x.o.x.o.x.", 48);
            Pose(g, debut + lignes - 2, kCanalOuvert, kNoteDo4, kCharlestonOuvert, 52);
            return;
    }
}

void ComposeBatterie(Grille* g, const Mesure& m) {
    const Batterie b = m.arrangement->batterie;
    const bool premiere = m.numero == 0;
    const Fin fin = FinJouee(m);
    if (m.coupe && fin != Fin::kSuite) return ComposeTransition(g, m);
    // A fill closes the last full bar; a phrase inside the section gets one every four bars.
    const bool remplissage = m.finPhrase || m.derniere;
    switch (b) {
        case Batterie::kAucune:
            return;
        case Batterie::kTictac:
            PoseRythme(g, m, kCanalCharleston, kCharleston, "x...o...x...o...", 56);
            return;
        case Batterie::kMontee:
            PoseRythme(g, m, kCanalGrosseCaisse, kGrosseCaisse,
                       remplissage ? "X.......x...X.x." : "X.......x.......", 52);
            PoseRythme(g, m, kCanalCharleston, kCharleston, "o.x.o.x.o.x.o.x.", 52);
            if (remplissage)
                PoseRythme(g, m, kCanalCaisseClaire, kCaisseClaire, "............o.xX", 52);
            else if (premiere)
                PoseRythme(g, m, kCanalCaisseClaire, kCaisseClaire, "X", 60);
            if (premiere) PoseRythme(g, m, kCanalCymbale, kCymbale, "X", 60);
            return;
        case Batterie::kPleine:
        case Batterie::kPleineDoubles: {
            PoseRythme(g, m, kCanalGrosseCaisse, kGrosseCaisse,
                       remplissage ? "X...X...X.X.X..." : "X...X...X...X...", 64);
            const bool doubles = b == Batterie::kPleineDoubles && (m.numero / 4) % 2 == 1;
            PoseRythme(g, m, kCanalCharleston, kCharleston,
                       doubles ? "oxoXoxoXoxoXoxoX" : "o.X.o.X.o.X.o.X.", 60);
            // A section lands on kick, snare and crash together.
            const char* caisse = premiere ? "X...X.......X..." : "....X.......X...";
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
            PoseRythme(g, m, kCanalGrosseCaisse, kGrosseCaisse, "X...x...X...x...", 60);
            PoseRythme(g, m, kCanalCharleston, kCharleston, "o.x.o.x.o.x.o.x.", 56);
            const int rang = std::min(m.numero, 3);
            // The roll grows louder toward the reprise.
            PoseRythme(g, m, kCanalCaisseClaire, kCaisseClaire, roulement[rang], 40 + 8 * rang);
            if (premiere) PoseRythme(g, m, kCanalCymbale, kCymbale, "X", 40);
            return;
        }
        case Batterie::kFinale:
            PoseRythme(g, m, kCanalGrosseCaisse, kGrosseCaisse, "X", 64);
            PoseRythme(g, m, kCanalCaisseClaire, kCaisseClaire, "X", 64);
            PoseRythme(g, m, kCanalCymbale, kCymbale, "X", 64);
            return;
        case Batterie::kCoda:
            return;
    }
}

void ComposeBasse(Grille* g, const Mesure& m) {
    const char* motif = nullptr;
    const Fin fin = FinJouee(m);
    if (fin == Fin::kArret) {
        // Under the roll before a stop the bass holds back, and comes in again
        // with the stab, cut short.
        motif = m.lignes > 8 ? "-......." : "";
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
    if (fin == Fin::kArret) {
        Pose(g, LigneCoup(m), kCanalBasse, fondamentale, kBasse, 60);
        PoseEffet(g, LigneCoup(m), kCanalBasse, kEffetEtendu, kEtenduCoupe + 4);
    }
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
    // Before a stop the arpeggio plays up to the stab.
    const int jusqua = FinJouee(m) == Fin::kArret ? LigneCoup(m) - m.premiereLigne : m.lignes;
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
    // Under the lead the arpeggio steps back, and on the last bar of each
    // phrase it rests from its sixteenths: one stroke a beat, the chord rippled
    // by the tracker's arpeggio command.
    const bool sousSolo = !m.arrangement->solo.empty();
    const int niveau = sousSolo ? 30 : 56;
    if (sousSolo && m.numero % 4 == 3 && !m.coupe && m.arrangement->arpege != Arpege::kCoda) {
        const uint8_t accord = static_cast<uint8_t>((m.accord.mineur ? 0x37 : 0x47));
        for (int pas = 0; pas < jusqua; pas += kLignesParTemps) {
            Pose(g, m.premiereLigne + pas, kCanalArpege, fondamentale, kArpege, niveau * 3 / 4);
            PoseEffet(g, m.premiereLigne + pas, kCanalArpege, kEffetArpege, accord);
        }
        return;
    }
    for (int pas = 0; pas < jusqua && motif[pas]; ++pas) {
        if (motif[pas] < '0' || motif[pas] > '9') continue;
        const int note = fondamentale + Intervalle(m.accord, motif[pas] - '0');
        const int volume = pas % 4 == 0 ? niveau : pas % 2 ? niveau * 5 / 7 : niveau * 6 / 7;
        Pose(g, m.premiereLigne + pas, kCanalArpege, note, kArpege, volume);
    }
}

// The pad holds the chord in three voices between F-3 and E-4, spread across
// the stereo picture, striking again only when the chord changes. Returns
// whether the pad is sounding after the bar.
bool ComposeNappe(Grille* g, const Mesure& m, const Accord* precedent) {
    const int canaux[] = {kCanalNappe1, kCanalNappe2, kCanalNappe3};
    // Each voice's own instrument carries its place in the stereo picture.
    const int instruments[] = {kNappeGauche, kNappe, kNappeDroite};
    const Arrangement& a = *m.arrangement;
    if (a.volumeNappe == 0) return false;
    if (FinJouee(m) == Fin::kArret)
        // After a stop's stab the chord rings on, fading a little.
        for (int l = LigneCoup(m) + 1; l < m.premiereLigne + m.lignes; l += 2)
            for (int canal : canaux) PoseColonne(g, l, canal, kColonneGlisseBas + 1);
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
        Pose(g, m.premiereLigne, canaux[voix], note, instruments[voix],
             a.gonfle ? a.volumeNappe / 4 : a.volumeNappe);
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
        !PoseMelodie(g, m, a.accroche.mesures[rangAccroche], kCanalDoublure, kEcho, 2 * 64, m.ton,
                     m.lignes, erreur))
        return false;
    // The counter-melody, on the pad's voice, left of centre.
    const int rangContre = m.numero - a.contre.debut;
    if (a.contre.debut >= 0 && rangContre >= 0 && !m.queue) {
        if (!PoseMelodie(g, m, a.contre.mesures[rangContre % a.contre.mesures.size()], kCanalContre,
                         kNappe, 60, m.ton, m.lignes, erreur))
            return false;
    }
    // Before a stop the melodies end with the stab; its chord rings on the pad.
    const bool arret = FinJouee(m) == Fin::kArret;
    if (arret)
        for (int canal : {kCanalSolo, kCanalDoublure, kCanalContre})
            Coupe(g, LigneCoup(m) + 1, canal);
    if (a.solo.empty()) return true;
    std::string texte = a.solo[m.numero % a.solo.size()];
    if (m.derniere && !a.soloCadence.empty()) texte = a.soloCadence;
    if (m.queue) {
        if (a.soloQueue.empty()) return true;
        texte = a.soloQueue;
    }
    const int joues = arret ? LigneCoup(m) + 1 - m.premiereLigne : m.lignes;
    if (!PoseMelodie(g, m, texte, kCanalSolo, kSolo, 64, m.ton, joues, erreur)) return false;
    if (a.doublure &&
        !PoseMelodie(g, m, texte, kCanalDoublure, kEcho, 56, m.ton - 12, joues, erreur))
        return false;
    return true;
}

// Gives the melodic voices what a player's hands give them: a slide of a row
// and a half up into the notes a leap above, vibrato chosen by the note's
// length (wider and later on the longest, none on the short ones), and long
// notes let fade.
void Anime(Grille* g, int canal) {
    int precedente = 0, debut = -1, rang = 0;
    for (int ligne = 0; ligne <= g->lignes; ++ligne) {
        const CaseXM* c = ligne < g->lignes ? g->Case(ligne, canal) : nullptr;
        if (ligne < g->lignes && !c->note) continue;
        // The note that started at `debut` lasts until this row.
        if (debut >= 0) {
            const int duree = ligne - debut;
            const int note = g->Case(debut, canal)->note;
            ++rang;
            if (duree >= 12) {
                // The longest notes: vibrato comes in at half the note, slow,
                // and widens over its last third.
                for (int l = debut + duree / 2; l < ligne; ++l)
                    PoseEffet(g, l, canal, kEffetVibrato, l < ligne - duree / 3 ? 0x42 : 0x44);
            } else if (duree >= 8) {
                // Notes of two beats: from the second beat, faster on high notes.
                for (int l = debut + 4; l < ligne; ++l)
                    PoseEffet(g, l, canal, kEffetVibrato, note >= NoteNommee("c5") ? 0x53 : 0x52);
            } else if (duree >= 6 && rang % 3 == 0) {
                // Now and then a short shake on a dotted quarter.
                for (int l = debut + 3; l < ligne; ++l) PoseEffet(g, l, canal, kEffetVibrato, 0x61);
            }
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
        // The next note or release, to know how long this one lasts.
        int suivante = ligne + 1;
        while (suivante < g->lignes && !g->Case(suivante, canal)->note) ++suivante;
        const int ecart = std::abs(n->note - precedente);
        const bool monte = n->note > precedente;
        if (precedente && ecart >= 4 && ligne - debut <= 8 && !n->effet &&
            suivante - ligne >= (monte ? 3 : 6)) {
            // The pitch slides from the held note over eight ticks instead of
            // striking again, up into a leap or down onto a long note: the
            // command on the note's row and the next.
            n->instrument = 0;
            n->effet = kEffetPortamentoNote;
            n->parametre = static_cast<uint8_t>((16 * ecart + 7) / 8);
            CaseXM* apres = g->Case(ligne + 1, canal);
            if (!apres->note && !apres->effet) apres->effet = kEffetPortamentoNote;
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
        if (source.effet == kEffetVibrato || source.effet == kEffetPortamentoNote) {
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
        SectionPlacee s;
        s.scene = i + 1 < reperes.size() ? reperes[i].scene : "coda";
        sections.push_back(s);
        if (i > 0 && reperes[i].debut <= reperes[i - 1].debut) {
            *erreur = "scene '" + reperes[i].scene + "' starts before the scene before it ends";
            return {};
        }
    }
    if (reperes[0].debut != 0.0) {
        *erreur = "the first scene must start with the music, at 0 s";
        return {};
    }
    // Each section in turn, from where the previous one really ended, so that
    // rounding never adds up from one section to the next.
    int ligne = 0;
    long trames = 0;
    for (size_t i = 0; i + 1 < sections.size(); ++i) {
        SectionPlacee& s = sections[i];
        const double duree = reperes[i + 1].debut - trames / 44100.0;
        // The number of beats whose tempo is nearest to 125; a last bar of 3 or
        // 2 beats costs as much as 5 beats per minute away.
        int meilleurs = 0;
        double cout = 1e9;
        for (int temps = 2; temps <= 4 * 128; ++temps) {
            if (temps % 4 == 1) continue;
            const double bpm = 60.0 * temps / duree;
            const double c = std::fabs(bpm - kBpm) + (temps % 4 ? 5.0 : 0.0);
            if (bpm >= kTempoMin && bpm < kTempoMax && c < cout) cout = c, meilleurs = temps;
        }
        if (meilleurs == 0) {
            *erreur = "scene '" + s.scene + "' lasts " + std::to_string(duree) +
                      " s: too short for two beats of music";
            return {};
        }
        s.premiereLigne = ligne;
        s.lignes = meilleurs * kLignesParTemps;
        s.debut = trames / 44100.0;
        // The first rows at the tempo just under the ideal one, the rest one beat
        // per minute faster, as many of each as lands nearest to the scene change.
        s.tempo = static_cast<int>(std::floor(60.0 * meilleurs / duree));
        const long voulu = std::lround(reperes[i + 1].debut * 44100.0) - trames;
        const long lent = kTicksParLigne * TramesParTick(s.tempo),
                   vif = kTicksParLigne * TramesParTick(s.tempo + 1);
        long ecart = -1;
        for (int k = 0; k <= s.lignes; ++k) {
            const long e = std::labs(k * lent + (s.lignes - k) * vif - voulu);
            if (ecart < 0 || e < ecart) ecart = e, s.lignesTempo = k;
        }
        ligne += s.lignes;
        trames += s.lignesTempo * lent + (s.lignes - s.lignesTempo) * vif;
    }
    // The ending after the production keeps the finale's tempo.
    SectionPlacee& coda = sections.back();
    coda.premiereLigne = ligne;
    coda.lignes = kMesuresCoda * kLignesParMesure;
    coda.tempo = sections[sections.size() - 2].tempo + 1;
    coda.lignesTempo = coda.lignes;
    coda.debut = trames / 44100.0;
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
            // A section of a single short bar plays it as its own bar.
            m.queue = n == completes && completes > 0;
            m.coupe = n == nombre - 1;
            m.ton = a.modulation >= 0 && n >= a.modulation && !m.coupe ? 2 : 0;
            m.finPhrase = n % 4 == 3 && n < completes - 2;
            std::string nom = a.accords[n % a.accords.size()];
            if (m.derniere && !a.cadence.empty()) nom = a.cadence;
            if (m.queue) nom = !a.accordQueue.empty() ? a.accordQueue : "";
            if (nom.empty()) {
                m.accord = precedent;
            } else if (!LitAccord(nom, &m.accord)) {
                *erreur = a.scene + ": '" + nom + "' is not a chord";
                return false;
            } else {
                m.accord.fondamentale = (m.accord.fondamentale + m.ton) % 12;
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
    // Each section's tempo, sent where it changes.
    mod.bpm =
        static_cast<uint16_t>(sections[0].lignesTempo ? sections[0].tempo : sections[0].tempo + 1);
    int tempo = mod.bpm;
    for (const SectionPlacee& s : sections)
        for (int partie = 0; partie < 2; ++partie) {
            const int ligne = s.premiereLigne + (partie ? s.lignesTempo : 0);
            const int voulu = s.tempo + partie;
            if ((partie ? s.lignes - s.lignesTempo : s.lignesTempo) == 0 || voulu == tempo)
                continue;
            if (!PoseTempo(&g, ligne, voulu)) {
                *erreur = s.scene + ": no free effect column for the tempo at row " +
                          std::to_string(ligne);
                return false;
            }
            tempo = voulu;
        }
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
