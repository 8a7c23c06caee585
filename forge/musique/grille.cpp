// Notes, chords and the grid of the whole song the parts write into.
#include <algorithm>
#include <cmath>

#include "partition_interne.h"

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

bool LitAccord(const std::string& nom, Accord* accord) {
    size_t i = 0;
    const int classe = ClasseHauteur(nom, &i);
    if (classe < 0) return false;
    accord->fondamentale = classe;
    const std::string suite = nom.substr(i);
    accord->mineur = suite.rfind("m", 0) == 0 && suite.rfind("maj", 0) != 0;
    const std::string couleur = suite.substr(accord->mineur ? 1 : 0);
    accord->couleur = couleur == "7" ? 10 : couleur == "maj7" ? 11 : couleur == "add9" ? 14 : 0;
    return couleur.empty() || accord->couleur != 0;
}

// Semitones above the root of the chord's tones: root, third, fifth (or the
// chord's colour in its place), octave, tenth.
int Intervalle(const Accord& a, int rang) {
    const int tierce = a.mineur ? 3 : 4;
    const int tons[] = {0, tierce, a.couleur ? a.couleur : 7, 12, 12 + tierce};
    return tons[rang % 5] + 12 * (rang / 5);
}

// The lowest note of pitch class `classe` at or above `plancher`.
int NoteAuDessus(int classe, int plancher) {
    int note = plancher;
    while ((note - 1) % 12 != classe) ++note;
    return note;
}

// --- the grid of the whole song ---------------------------------------------

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
    for (int canal :
         {kCanalEffets, kCanalClap, kCanalCymbale, kCanalOuvert, kCanalCharleston,
          kCanalGrosseCaisse, kCanalCaisseClaire, kCanalBasse, kCanalArpege, kCanalNappe1,
          kCanalNappe2, kCanalNappe3, kCanalContre, kCanalDoublure, kCanalEcho, kCanalSolo}) {
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

// The way the section ends, as the bar being written plays it.
Fin FinJouee(const Mesure& m) {
    return m.coupe ? m.arrangement->fin : Fin::kSuite;
}

bool Breve(const Mesure& m) {
    const Fin fin = FinJouee(m);
    return m.queue && (fin == Fin::kToms || fin == Fin::kFla || fin == Fin::kRoulement);
}

bool Tenue(const Mesure& m) {
    const Fin fin = FinJouee(m);
    return m.queue && (fin == Fin::kToms || fin == Fin::kRoulement);
}

bool AnnonceTenue(const Mesure& m) {
    const Fin fin = m.arrangement->fin;
    return m.derniere && m.reste > 0 && (fin == Fin::kToms || fin == Fin::kRoulement);
}

// The row of a stop's stab, two beats before the cut.
int LigneCoup(const Mesure& m) {
    return m.premiereLigne + std::max(0, m.lignes - 8);
}
