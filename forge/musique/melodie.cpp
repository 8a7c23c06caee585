// The melodic voices: the lead and its phrases, the hook, the counter-melody,
// the doubling, and what a player's hands give them (slides, vibrato, fades),
// then the lead's echo.
#include <algorithm>
#include <cmath>

#include "partition_interne.h"

namespace {

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

}  // namespace

bool ComposeSolo(Grille* g, const Mesure& m, std::string* erreur) {
    const Arrangement& a = *m.arrangement;
    // The hook: the theme on the lead's voice on its own channel, before the
    // lead has come in, in front of the band.
    // Its first two phrases are struck on the bell, the rest on the lead's
    // reed, which the drop then takes over.
    const int rangAccroche = m.numero - a.accroche.debut;
    const bool clochette = rangAccroche < 8 || a.volumeAccroche > 0;
    const int volumeAccroche = a.volumeAccroche > 0 ? a.volumeAccroche : clochette ? 64 : 44;
    if (a.accroche.debut >= 0 && !m.queue && rangAccroche >= 0 &&
        rangAccroche < int(a.accroche.mesures.size()) &&
        !PoseMelodie(g, m, a.accroche.mesures[rangAccroche], kCanalDoublure,
                     clochette ? kCloche : kSolo, volumeAccroche, m.ton, m.lignes, erreur))
        return false;
    // The counter-melody, on the pad's voice, left of centre; in a section
    // whose bars change their layers, only in the bars that call for it, let
    // go when they end.
    const int rangContre = m.numero - a.contre.debut;
    const char variante = Variante(a, m.numero);
    auto appelle = [](char v) { return v == 'd' || v == 'c' || v == 'k' || v == 'm'; };
    const bool appele = a.variantes.empty() || appelle(variante);
    if (!a.variantes.empty() && !appele && m.numero > 0 && appelle(Variante(a, m.numero - 1)))
        Pose(g, m.premiereLigne, kCanalContre, kNoteRelache, 0, 0);
    // From the key change on it leaves the pad for the echo's brighter voice
    // and comes forward, so the summit stands over the drop on its tunes.
    const bool sommet = m.ton > 0;
    if (a.contre.debut >= 0 && rangContre >= 0 && !m.queue && appele) {
        if (!PoseMelodie(g, m, a.contre.mesures[rangContre % a.contre.mesures.size()], kCanalContre,
                         sommet ? kEcho : kNappe, sommet ? 64 : 60, m.ton, m.lignes, erreur))
            return false;
    }
    // Before a stop the melodies end with the stab; its chord rings on the pad.
    const bool arret = FinJouee(m) == Fin::kArret;
    if (arret)
        for (int canal : {kCanalSolo, kCanalDoublure, kCanalContre})
            Coupe(g, LigneCoup(m) + 1, canal);
    if (m.queue && !a.levee.empty() &&
        !PoseMelodie(g, m, a.levee, kCanalDoublure, kCloche, 58, m.ton, m.lignes, erreur))
        return false;
    if (a.solo.empty()) return true;
    std::string texte = a.solo[m.numero % a.solo.size()];
    if (m.derniere && !a.soloCadence.empty()) texte = a.soloCadence;
    if (m.queue) {
        if (a.soloQueue.empty()) return true;
        texte = a.soloQueue;
    }
    const int joues = arret ? LigneCoup(m) + 1 - m.premiereLigne : m.lignes;
    // The middle eight changes colour: its tune on the bell.
    const bool cloche = variante == 'd' || variante == 'c';
    if (!PoseMelodie(g, m, texte, kCanalSolo, cloche ? kCloche : kSolo, a.volumeSolo, m.ton, joues,
                     erreur))
        return false;
    // The doubling sits an octave under the lead; from the key change on it
    // rings an octave over it on the bell, a new top line for the summit.
    const bool dessus = m.ton > 0;
    if (a.doublure && !PoseMelodie(g, m, texte, kCanalDoublure, dessus ? kCloche : kEcho,
                                   dessus ? 46 : 64, m.ton + (dessus ? 12 : -12), joues, erreur))
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
// going from one side of the stereo picture to the other note by note, with
// the lead's slides and vibrato (the bell's notes echoed on the bell).
// The echo follows the harmony: a note that would sound over the next chord
// without belonging to it is not echoed, and one that rings on into such a
// chord is let go where the chord changes.
void ComposeEcho(Grille* g) {
    constexpr int retard = 3;
    auto accordA = [g](int ligne) {
        Accord a;
        for (const auto& [debut, accord] : g->accords)
            if (debut <= ligne) a = accord;
        return a;
    };
    auto dansLAccord = [](const Accord& a, int note) {
        for (int rang = 0; rang < 3; ++rang)
            if ((note - 1) % 12 == (a.fondamentale + Intervalle(a, rang)) % 12) return true;
        return false;
    };
    bool lache = true;  // the echo is silent: a slide has nothing to slide from
    bool gauche = false;
    for (int ligne = 0; ligne + retard < g->lignes; ++ligne) {
        const CaseXM source = *g->Case(ligne, kCanalSolo);
        CaseXM* cible = g->Case(ligne + retard, kCanalEcho);
        if (source.effet == kEffetVibrato || source.effet == kEffetPortamentoNote) {
            cible->effet = source.effet;
            cible->parametre = source.parametre;
        }
        // On a bar that starts on the song's grid of sixteen rows the echo
        // starts again from the same side, so its sides do not hang on how
        // many echoes came long before it.
        if (ligne % kLignesParMesure == 0 &&
            std::any_of(g->accords.begin(), g->accords.end(),
                        [ligne](const std::pair<int, Accord>& a) { return a.first == ligne; }))
            gauche = false;
        if (!source.note) continue;
        const Accord avant = accordA(ligne), apres = accordA(ligne + retard);
        const bool change = !MemeAccord(avant, apres);
        if (change && source.note != kNoteRelache && !dansLAccord(apres, source.note)) {
            *cible = CaseXM{};
            cible->note = kNoteRelache;
            lache = true;
            continue;
        }
        const bool glisse = source.instrument == 0 && !lache;
        lache = source.note == kNoteRelache;
        const bool cloche = source.instrument == kCloche;
        const int instrument = cloche ? kCloche : gauche ? kEchoGauche : kEcho;
        if (!lache && !glisse) gauche = !gauche;
        cible->note = source.note;
        cible->instrument = lache || glisse ? 0 : static_cast<uint8_t>(instrument);
        cible->volume = lache ? 0 : VolumeMixe(g, instrument, cloche ? 18 : 48);
        cible->effet = glisse || source.effet != kEffetPortamentoNote ? source.effet : 0;
        cible->parametre = cible->effet ? source.parametre : 0;
    }
    // What still rings at a change of chord outside the new chord is let go.
    for (size_t i = 1; i < g->accords.size(); ++i) {
        const int changement = g->accords[i].first;
        if (changement >= g->lignes || g->Case(changement, kCanalEcho)->note) continue;
        int tenue = 0;
        for (int l = changement - 1; l >= 0 && !tenue; --l) tenue = g->Case(l, kCanalEcho)->note;
        if (tenue && tenue != kNoteRelache && !dansLAccord(g->accords[i].second, tenue))
            Coupe(g, changement, kCanalEcho);
    }
}
