// Under the lead: the bass line, the arpeggio and the pad's held chords.
#include <algorithm>
#include <cmath>

#include "partition_interne.h"

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
                // On the off-beats, between the kick's strokes.
                motif = m.finPhrase || m.derniere ? "..R.-.O.-.Q.-.OQ" : "..R.-.R.-.O.-.R-";
                break;
            case Ligne::kSyncopee:
                // Pushed: on the third and the seventh sixteenth of the beats.
                motif = m.finPhrase || m.derniere ? "..R..R-.Q.O..R.Q" : "..R..R-...R..O-.";
                break;
            case Ligne::kPulsee:
                motif = "R-R-R-R-R-R-O-R-";
                break;
            case Ligne::kCoda:
                motif = "-";
                break;
        }
    }
    // The root sits between F-1 and E-2, under the kick's body (80 to 130 Hz).
    const int fondamentale = NoteAuDessus(m.accord.fondamentale, 1 + 12 * 1 + 5);
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
    // The bars that change the layers: the arpeggio rests where the
    // counter-line or the drop-out take its place, and is muffled in others.
    const char variante = Variante(*m.arrangement, m.numero);
    if (variante == 'd' || variante == 'c' || variante == 'x') return;
    const int instrument = variante == 's' ? kArpegeSourd : kArpege;
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
    const bool sousSolo = !m.arrangement->solo.empty() || m.arrangement->accroche.debut >= 0;
    const int niveau = sousSolo ? 30 : 56;
    if (sousSolo && m.numero % 4 == 3 && !m.coupe && m.arrangement->arpege != Arpege::kCoda) {
        const uint8_t accord = static_cast<uint8_t>((m.accord.mineur ? 0x37 : 0x47));
        for (int pas = 0; pas < jusqua; pas += kLignesParTemps) {
            Pose(g, m.premiereLigne + pas, kCanalArpege, fondamentale, instrument, niveau * 3 / 4);
            PoseEffet(g, m.premiereLigne + pas, kCanalArpege, kEffetArpege, accord);
        }
        return;
    }
    for (int pas = 0; pas < jusqua && motif[pas]; ++pas) {
        if (motif[pas] < '0' || motif[pas] > '9') continue;
        const int note = fondamentale + Intervalle(m.accord, motif[pas] - '0');
        const int volume = pas % 4 == 0 ? niveau : pas % 2 ? niveau * 5 / 7 : niveau * 6 / 7;
        Pose(g, m.premiereLigne + pas, kCanalArpege, note, instrument, volume);
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
    if (a.batterie == Batterie::kCoda || Variante(a, m.numero) == 'x') {
        // The pad rests for a bar of the drop-out, or is let go at the end
        // (the switch-off has already silenced it); it strikes again after.
        for (int canal : canaux) Pose(g, m.premiereLigne, canal, kNoteRelache, 0, 0);
        return false;
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
