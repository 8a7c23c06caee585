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

struct Arrangement {
    std::string scene;
    std::vector<std::string> accords;  // one chord a bar, round and round
    std::string cadence;               // chord of the section's last bar ("" keeps the round)
    std::vector<std::string> solo;     // lead line, one bar of 16 steps a string, round and round
    std::string soloCadence;           // lead of the section's last bar ("" keeps the round)
    Batterie batterie;
    Ligne basse;
    Arpege arpege;
    int volumeNappe;  // 0: the pad rests
    bool doublure;    // the lead doubled an octave lower
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
// chord of the last bar; lead; lead of the last bar; drums; bass; arpeggio;
// pad level; lead doubled an octave lower.
const std::vector<Arrangement>& Arrangements() {
    using B = Batterie;
    using L = Ligne;
    using A = Arpege;
    // clang-format off
    static const std::vector<Arrangement> arrangements = {
        // The start-up pause: the pad alone swells on the tonic.
        {"pause", {"Am"}, "", {}, "",
         B::kAucune, L::kAucune, A::kAucun, 44, false},
        // The film countdown: a ticking hi-hat and a held bass under the pad.
        {"countdown", {"Am", "F"}, "E", {}, "",
         B::kTictac, L::kTenue, A::kAucun, 48, false},
        // The group logo: the build starts, kick on the half bar, a slow arpeggio.
        {"logo", {"Am", "F", "C", "G"}, "", {}, "",
         B::kMontee, L::kTenue, A::kLent, 44, false},
        // The title: the bass gets moving, the arpeggio runs.
        {"title", {"Am", "F", "C", "G"}, "E", {}, "",
         B::kMontee, L::kSyncopee, A::kMontant, 40, false},
        // The bubbles: the main theme, first statement.
        {"bubbles", {"Am", "F", "C", "G"}, "E",
         Enchaine({&kThemeA, &kThemeA2, &kThemeA}), "g#4 . . . b4 . d5 . . . . . . . . .",
         B::kPleine, L::kCroches, A::kOndulant, 36, false},
        // The television sets: the theme with its second half and variations.
        {"television", {"Am", "F", "C", "G", "Dm", "Am", "F", "E"}, "",
         Enchaine({&kThemeA, &kThemeB, &kThemeA2, &kThemeB2, &kThemeAHaut, &kThemeB}), "",
         B::kPleineDoubles, L::kCroches, A::kMontant, 34, false},
        // The credits: the breakdown, drums out, long lead notes over the pad.
        {"credits", {"F", "G", "Em", "Am"}, "", kPont, "",
         B::kTictac, L::kTenue, A::kLent, 50, false},
        // The greetings: everything climbs back, snare roll to the reprise.
        {"greetings", {"Dm", "Em", "F", "G"}, "E", kRemontee, "g#5 . . . . . . . . . . . . . . .",
         B::kRoulement, L::kPulsee, A::kMontant, 40, false},
        // The text crawl: the reprise, the lead doubled an octave lower.
        {"crawl", {"Am", "F", "C", "G", "Dm", "Am", "F", "E"}, "",
         Enchaine({&kThemeA2, &kThemeB, &kThemeAHaut, &kThemeB2}), "",
         B::kPleineDoubles, L::kSyncopee, A::kOndulant, 34, true},
        // The television switch-off: the dominant, a roll into the last chord.
        {"finale", {"G"}, "", {"d5 . . . b4 . . . d5 . e5 . g5 . g#5 ."}, "",
         B::kFinale, L::kPulsee, A::kMontant, 40, true},
        // After the end: the tonic struck once and left to ring out.
        {"coda", {"Am"}, "", {"a5 . . . . . . . . . . . . . . .", "- . . . . . . . . . . . . . . ."}, "",
         B::kCoda, L::kCoda, A::kCoda, 44, true},
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
    std::vector<int> niveaux;  // each instrument's own volume (0..64), by instrument number
    CaseXM* Case(int ligne, int canal) { return &cases[size_t(ligne) * kNombreCanaux + canal]; }
};

void Pose(Grille* g, int ligne, int canal, int note, int instrument, int volume) {
    if (ligne < 0 || ligne >= g->lignes) return;
    CaseXM* c = g->Case(ligne, canal);
    c->note = static_cast<uint8_t>(note);
    c->instrument = static_cast<uint8_t>(note == kNoteRelache ? 0 : instrument);
    // The volume column replaces the instrument's volume: it is scaled by it,
    // so the instruments keep their balance in the mix.
    const int niveau =
        instrument > 0 && instrument < int(g->niveaux.size()) ? g->niveaux[instrument] : 64;
    const int mixe = static_cast<int>(std::lround(volume * niveau / 64.0));
    c->volume = volume > 0 && note != kNoteRelache ? VolumeColonne(std::max(1, mixe)) : 0;
}

// Where in the song a bar is being written.
struct Mesure {
    const Arrangement* arrangement;
    int numero;         // bar of the section, from 0
    int nombre;         // bars of the section (the last may be short)
    int premiereLigne;  // first row of the bar in the song
    int finSection;     // first row after the section
    Accord accord;
    bool finPhrase;  // last bar of a four-bar phrase or of the section
};

// Writes a drum line: 'X' accent, 'x' normal, 'o' soft, '.' nothing.
void PoseRythme(Grille* g, const Mesure& m, int canal, int instrument, const char* motif,
                int volumeBase) {
    for (int pas = 0; pas < kLignesParMesure && motif[pas]; ++pas) {
        const int ligne = m.premiereLigne + pas;
        if (ligne >= m.finSection) return;
        int volume = 0;
        if (motif[pas] == 'X') volume = volumeBase;
        if (motif[pas] == 'x') volume = volumeBase * 3 / 4;
        if (motif[pas] == 'o') volume = volumeBase / 2;
        if (volume) Pose(g, ligne, canal, kNoteDo4, instrument, volume);
    }
}

void ComposeBatterie(Grille* g, const Mesure& m) {
    const Batterie b = m.arrangement->batterie;
    const bool premiere = m.numero == 0;
    switch (b) {
        case Batterie::kAucune:
            return;
        case Batterie::kTictac:
            PoseRythme(g, m, kCanalCharleston, kCharleston, "x...o...x...o...", 56);
            return;
        case Batterie::kMontee:
            PoseRythme(g, m, kCanalGrosseCaisse, kGrosseCaisse,
                       m.finPhrase ? "X.......X...X.X." : "X.......X.......", 56);
            PoseRythme(g, m, kCanalCharleston, kCharleston, "o.x.o.x.o.x.o.x.", 56);
            if (m.finPhrase)
                PoseRythme(g, m, kCanalCaisseClaire, kCaisseClaire, "............x.xX", 56);
            if (premiere) PoseRythme(g, m, kCanalCymbale, kCymbale, "X", 40);
            return;
        case Batterie::kPleine:
        case Batterie::kPleineDoubles: {
            PoseRythme(g, m, kCanalGrosseCaisse, kGrosseCaisse,
                       m.finPhrase ? "X...X...X.X.X..." : "X...X...X...X...", 64);
            const bool doubles = b == Batterie::kPleineDoubles && (m.numero / 4) % 2 == 1;
            PoseRythme(g, m, kCanalCharleston, kCharleston,
                       doubles ? "oxoXoxoXoxoXoxoX" : "o.X.o.X.o.X.o.X.", 60);
            const char* caisse = "....X.......X...";
            if (m.finPhrase) caisse = (m.numero / 4) % 2 ? "....X...x.x.XXXX" : "....X.......XxXX";
            PoseRythme(g, m, kCanalCaisseClaire, kCaisseClaire, caisse, 60);
            if (premiere || (m.numero % 8 == 0)) PoseRythme(g, m, kCanalCymbale, kCymbale, "X", 48);
            return;
        }
        case Batterie::kRoulement: {
            static const char* roulement[] = {"....X.......X...", "....X...X...X...",
                                              "..x.X.x.X.x.X.xX", "xxxxXxxxXxxxXXXX"};
            PoseRythme(g, m, kCanalGrosseCaisse, kGrosseCaisse, "X...X...X...X...", 60);
            PoseRythme(g, m, kCanalCharleston, kCharleston, "o.x.o.x.o.x.o.x.", 56);
            const int rang = m.numero == m.nombre - 1 ? 3 : std::min(m.numero, 3);
            // The roll grows louder toward the reprise.
            PoseRythme(g, m, kCanalCaisseClaire, kCaisseClaire, roulement[rang], 36 + 8 * rang);
            if (premiere) PoseRythme(g, m, kCanalCymbale, kCymbale, "X", 40);
            return;
        }
        case Batterie::kFinale:
            PoseRythme(g, m, kCanalGrosseCaisse, kGrosseCaisse, "X...X...X...X.X.", 64);
            PoseRythme(g, m, kCanalCaisseClaire, kCaisseClaire, "....X...xxxxXXXX", 60);
            PoseRythme(g, m, kCanalCharleston, kCharleston, "oxoXoxoXoxoXoxoX", 60);
            PoseRythme(g, m, kCanalCymbale, kCymbale, "X", 44);
            return;
        case Batterie::kCoda:
            if (premiere) {
                PoseRythme(g, m, kCanalGrosseCaisse, kGrosseCaisse, "X", 64);
                PoseRythme(g, m, kCanalCymbale, kCymbale, "X", 64);
            }
            return;
    }
}

void ComposeBasse(Grille* g, const Mesure& m) {
    const char* motif = nullptr;
    switch (m.arrangement->basse) {
        case Ligne::kAucune:
            return;
        case Ligne::kTenue:
            motif = "R...............";
            break;
        case Ligne::kCroches:
            motif = m.finPhrase ? "R.-.O.-.Q.-.O.Q." : "R.-.O.-.R.-.O.-R";
            break;
        case Ligne::kSyncopee:
            motif = m.finPhrase ? "R..R..R.Q.-.O.Q." : "R..R..R.-.R.O.-.";
            break;
        case Ligne::kPulsee:
            motif = "R-R-R-R-R-R-O-R-";
            break;
        case Ligne::kCoda:
            motif = m.numero == 0 ? "R.......-......." : "";
            break;
    }
    // The root sits between E-1 and D#2.
    const int fondamentale = NoteAuDessus(m.accord.fondamentale, 1 + 12 * 1 + 4);
    for (int pas = 0; pas < kLignesParMesure && motif[pas]; ++pas) {
        const int ligne = m.premiereLigne + pas;
        if (ligne >= m.finSection) return;
        switch (motif[pas]) {
            case 'R':
                Pose(g, ligne, kCanalBasse, fondamentale, kBasse, pas % 4 ? 48 : 60);
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
    for (int pas = 0; pas < kLignesParMesure && motif[pas]; ++pas) {
        const int ligne = m.premiereLigne + pas;
        if (ligne >= m.finSection) return;
        if (motif[pas] < '0' || motif[pas] > '9') continue;
        const int note = fondamentale + Intervalle(m.accord, motif[pas] - '0');
        Pose(g, ligne, kCanalArpege, note, kArpege, pas % 4 == 0 ? 64 : pas % 2 ? 40 : 52);
    }
}

// The pad holds the chord in three voices between F-3 and E-4, striking again
// only when the chord changes.
void ComposeNappe(Grille* g, const Mesure& m, const Accord* precedent) {
    const int canaux[] = {kCanalNappe1, kCanalNappe2, kCanalNappe3};
    if (m.arrangement->volumeNappe == 0) return;
    const bool coda = m.arrangement->batterie == Batterie::kCoda;
    if (coda && m.numero > 0) return;
    if (precedent && precedent->fondamentale == m.accord.fondamentale &&
        precedent->mineur == m.accord.mineur) {
        // The same chord goes on: striking it again would restart the slow
        // attack. A new section only sets its own pad level.
        if (m.numero == 0)
            for (int canal : canaux) {
                CaseXM* c = g->Case(m.premiereLigne, canal);
                c->volume = VolumeColonne(static_cast<int>(
                    std::lround(m.arrangement->volumeNappe * g->niveaux[kNappe] / 64.0)));
            }
        return;
    }
    for (int voix = 0; voix < 3; ++voix) {
        const int classe = (m.accord.fondamentale + Intervalle(m.accord, voix)) % 12;
        Pose(g, m.premiereLigne, canaux[voix], NoteAuDessus(classe, kNoteDo4 - 7), kNappe,
             m.arrangement->volumeNappe);
        // The last chord is let go after two beats: its fade-out carries it to
        // silence before the module ends.
        if (coda) Pose(g, m.premiereLigne + 2 * kLignesParTemps, canaux[voix], kNoteRelache, 0, 0);
    }
}

bool ComposeSolo(Grille* g, const Mesure& m, std::string* erreur) {
    const Arrangement& a = *m.arrangement;
    if (a.solo.empty()) return true;
    const bool derniere = m.numero == m.nombre - 1;
    const std::string& texte =
        derniere && !a.soloCadence.empty() ? a.soloCadence : a.solo[m.numero % a.solo.size()];
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
            *erreur = a.scene + ": a lead bar has more than 16 steps: " + texte;
            return false;
        }
        const int ligne = m.premiereLigne + pas++;
        if (jeton == ".") continue;
        int note = jeton == "-" ? kNoteRelache : NoteNommee(jeton);
        if (note == 0) {
            *erreur = a.scene + ": '" + jeton + "' is not a note in lead bar: " + texte;
            return false;
        }
        const int volume = (pas - 1) % 4 == 0 ? 60 : 50;
        if (ligne >= m.finSection) continue;
        Pose(g, ligne, kCanalSolo, note, kSolo, volume);
        if (a.doublure)
            Pose(g, ligne, kCanalDoublure, note == kNoteRelache ? note : note - 12, kEcho, 56);
    }
    if (pas != kLignesParMesure) {
        *erreur =
            a.scene + ": a lead bar has " + std::to_string(pas) + " steps, expected 16: " + texte;
        return false;
    }
    return true;
}

// A part that stops at a section change lets its last note go.
void RelacheAuChangement(Grille* g, int ligne, const Arrangement& avant, const Arrangement& apres) {
    if (!avant.solo.empty() && apres.solo.empty()) Pose(g, ligne, kCanalSolo, kNoteRelache, 0, 0);
    if (avant.doublure && !apres.doublure) Pose(g, ligne, kCanalDoublure, kNoteRelache, 0, 0);
    if (avant.basse != Ligne::kAucune && apres.basse == Ligne::kAucune)
        Pose(g, ligne, kCanalBasse, kNoteRelache, 0, 0);
}

// The lead's echo: every note of the lead again a dotted eighth later, quieter,
// on the other side of the stereo picture.
void ComposeEcho(Grille* g) {
    constexpr int retard = 3;
    for (int ligne = g->lignes - 1 - retard; ligne >= 0; --ligne) {
        const CaseXM source = *g->Case(ligne, kCanalSolo);
        if (!source.note) continue;
        CaseXM* cible = g->Case(ligne + retard, kCanalEcho);
        cible->note = source.note;
        cible->instrument = source.note == kNoteRelache ? 0 : kEcho;
        cible->volume = source.note == kNoteRelache
                            ? 0
                            : VolumeColonne(std::lround(48 * g->niveaux[kEcho] / 64.0));
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

    // Bars of every section, cut at its end: the patterns follow these cuts.
    std::vector<int> coupures;
    Accord precedent;
    bool dejaJoue = false;
    for (size_t s = 0; s < sections.size(); ++s) {
        const Arrangement& a = arrangements[s];
        const SectionPlacee& place = sections[s];
        if (s > 0) RelacheAuChangement(&g, place.premiereLigne, arrangements[s - 1], a);
        const int nombre = (place.lignes + kLignesParMesure - 1) / kLignesParMesure;
        for (int n = 0; n < nombre; ++n) {
            Mesure m;
            m.arrangement = &a;
            m.numero = n;
            m.nombre = nombre;
            m.premiereLigne = place.premiereLigne + n * kLignesParMesure;
            m.finSection = place.premiereLigne + place.lignes;
            const std::string& nom =
                n == nombre - 1 && !a.cadence.empty() ? a.cadence : a.accords[n % a.accords.size()];
            if (!LitAccord(nom, &m.accord)) {
                *erreur = a.scene + ": '" + nom + "' is not a chord";
                return false;
            }
            m.finPhrase = n % 4 == 3 || n == nombre - 1;
            coupures.push_back(m.premiereLigne);
            ComposeBatterie(&g, m);
            ComposeBasse(&g, m);
            ComposeArpege(&g, m);
            ComposeNappe(&g, m, dejaJoue ? &precedent : nullptr);
            if (!ComposeSolo(&g, m, erreur)) return false;
            precedent = m.accord;
            dejaJoue = true;
        }
    }
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

double DureeModule(const ModuleXM& module) {
    long lignes = 0;
    for (uint8_t o : module.ordre) lignes += module.motifs[o].lignes;
    return lignes * module.vitesse * 2.5 / module.bpm;
}
