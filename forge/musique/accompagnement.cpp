// Under the lead: the bass line, the arpeggio and the pad's held chords.
#include <algorithm>
#include <cmath>

#include "partition_interne.h"

namespace {

constexpr int kNoteDo1 = 1 + 12 * 1;  // C-1, the lowest note a passing note plays

// The passing note a bass plays on the last sixteenth of a bar: a step of the
// key under the next chord's root (or over it), near the bar's root; the
// fifth when the chord does not change.
int Passage(const Mesure& m, int fondamentale) {
    const int suivante = fondamentale + (m.suivant.fondamentale - m.accord.fondamentale + 12) % 12;
    const int proche = suivante - fondamentale > 6 ? suivante - 12 : suivante;
    if (proche == fondamentale) return fondamentale + 7;
    // A minor and its raised seventh, moved up with the bar.
    static const bool gamme[12] = {true,  false, true, false, true,  true,
                                   false, true,  true, true,  false, true};
    for (int ecart : {-1, -2, 1, 2}) {
        const int note = proche + ecart;
        if (note != fondamentale && gamme[(note - 1 - m.ton + 24) % 12]) return note;
    }
    return fondamentale + 7;
}

}  // namespace

void ComposeBasse(Grille* g, const Mesure& m) {
    const char* motif = nullptr;
    const Fin fin = FinJouee(m);
    // From the title's third phrase the drop's off-beat line is heard, softly.
    const bool annonce = m.arrangement->batterie == Batterie::kMarche && m.numero >= 8;
    const int douce = annonce ? 4 : 5;  // fifths of the written level
    if (Variante(*m.arrangement, m.numero) == 'x' || Variante(*m.arrangement, m.numero) == 't') {
        // Stripped to the pad and the lead, or the sets switching on: the
        // bass lets go.
        Pose(g, m.premiereLigne, kCanalBasse, kNoteRelache, 0, 0);
        return;
    }
    if (fin == Fin::kArret) {
        // Under the roll before a stop the bass drives on in eighths up to
        // the stab, which it plays cut short.
        motif = "R.R.R.R.R.R.R.R.";
    } else if (Breve(m)) {
        // A break: the bass stops with the drums on the downbeat.
        Pose(g, m.premiereLigne, kCanalBasse, kNoteRelache, 0, 0);
        return;
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
                // On the off-beats, between the kick's strokes, with a jump to
                // the octave or a slide up to it, and a passing note into the
                // next chord.
                motif = m.finPhrase || m.derniere ? "..R.-.O.-.Q.-.OP"
                        : m.numero % 2            ? "..R..S-...R.-.OP"
                                                  : "..R.-.RO-.R.-.QP";
                break;
            case Ligne::kSyncopee:
                // The title's first phrase holds the root under the hook: the
                // bass gets moving only with the second, a layer at a time.
                if (m.arrangement->batterie == Batterie::kMarche && m.numero < 4) {
                    motif = "R...............";
                    break;
                }
                if (annonce) {
                    motif = m.numero % 2 ? "..R..S-...R.-.OP" : "..R.-.RO-.R.-.QP";
                    break;
                }
                // Pushed: on the third and the seventh sixteenth of the beats.
                motif = m.finPhrase || m.derniere ? "..R..R-.Q.O..R.Q"
                        : m.numero % 2            ? "..R..S-...R..Q-P"
                                                  : "..R..RO...R..O-P";
                break;
            case Ligne::kPulsee:
                motif = "R-R-O-R-R-R-O-RP";
                break;
            case Ligne::kCoda:
                motif = "-";
                break;
        }
    }
    // The drop's downbeat: a long root struck with the kick, held over the
    // first beat, before the line picks up.
    const bool chute = m.arrangement->scene == "bubbles" && m.numero == 0 && m.lignes == 16;
    if (chute) motif = "R....RO...R..O-P";
    // The root sits between F-1 and E-2, under the kick's body (80 to 130 Hz).
    const int fondamentale = NoteAuDessus(m.accord.fondamentale, 1 + 12 * 1 + 5);
    const int jusqua = fin == Fin::kArret ? LigneCoup(m) - m.premiereLigne : m.lignes;
    // The last bar's passing note lets go on the downbeat: the kick has it
    // to itself and the new chord sounds clean until the root comes in.
    if (motif[0] == '.') Pose(g, m.premiereLigne, kCanalBasse, kNoteRelache, 0, 0);
    for (int pas = 0; pas < jusqua && motif[pas]; ++pas) {
        const int ligne = m.premiereLigne + pas;
        switch (motif[pas]) {
            case 'R':
                Pose(g, ligne, kCanalBasse, fondamentale, kBasse,
                     chute && pas == 0 ? 64 : (pas % 4 ? 48 : 56) * douce / 5);
                break;
            case 'O':
                Pose(g, ligne, kCanalBasse, fondamentale + 12, kBasse, 48 * douce / 5);
                break;
            case 'Q':
                Pose(g, ligne, kCanalBasse, fondamentale + 7, kBasse, 52 * douce / 5);
                break;
            case 'S':
                // From the root held, a slide up to the octave within four ticks.
                Pose(g, ligne, kCanalBasse, fondamentale + 12, 0, 0);
                PoseEffet(g, ligne, kCanalBasse, kEffetPortamentoNote, 0x30);
                break;
            case 'P': {
                // Never under C-1, where a small speaker gives nothing back.
                const int passage = Passage(m, fondamentale);
                Pose(g, ligne, kCanalBasse, passage < kNoteDo1 ? passage + 12 : passage, kBasse,
                     44 * douce / 5);
                break;
            }
            case '-':
                Pose(g, ligne, kCanalBasse, kNoteRelache, 0, 0);
                break;
        }
    }
    if (fin == Fin::kArret) {
        Pose(g, LigneCoup(m), kCanalBasse, fondamentale, kBasse, 60);
        PoseEffet(g, LigneCoup(m), kCanalBasse, kEffetEtendu, kEtenduCoupe + 4);
    }
}

void ComposeArpege(Grille* g, const Mesure& m) {
    const char* motif = nullptr;  // chord tone rank per step, '.' rests
    // The bars that change the layers: the arpeggio rests where the
    // counter-line or the drop-out take its place, and is muffled in others.
    const char variante = Variante(*m.arrangement, m.numero);
    if (variante == 'd' || variante == 'c' || variante == 'x' || variante == 'r') return;
    const int instrument = variante == 's' || variante == 'm' ? kArpegeSourd : kArpege;
    // Before a stop the arpeggio plays up to the stab; in a break it rests
    // and leaves the pad's chord alone.
    const int jusqua = FinJouee(m) == Fin::kArret ? LigneCoup(m) - m.premiereLigne
                       : Breve(m)                 ? 0
                                                  : m.lignes;
    switch (m.arrangement->arpege) {
        case Arpege::kAucun:
            return;
        case Arpege::kLent:
            motif = "0.2.1.3.0.2.1.3.";
            break;
        case Arpege::kMontant:
            motif = (m.numero / 4) % 2 ? "0..1..2.3..2..1." : "0..1..3.2..1..3.";
            break;
        case Arpege::kOndulant:
            motif = (m.numero / 4) % 2 ? "0..2..3.4..3..2." : "0..1..3.4..3..1.";
            break;
        case Arpege::kCoda:
            motif = m.numero == 0 ? "01234..........." : "";
            break;
    }
    // Between the pad and the lead, voiced apart from the lead's tune: the
    // root, the fifth, the key's seventh over the chord, the octave and the
    // tenth, in 3-3-2 figures rather than the lead's steps.
    // After a key change, the summit of the piece, an octave higher and louder.
    const bool devant = m.arrangement->arpegeDevant;
    const int fondamentale =
        NoteAuDessus(m.accord.fondamentale, kNoteDo4 + 7) + (m.ton || devant ? 12 : 0);
    static const bool gamme[12] = {true,  false, true, false, true,  true,
                                   false, true,  true, true,  false, true};
    const int septieme = gamme[(m.accord.fondamentale + 10 - m.ton + 12) % 12] ? 10 : 11;
    const int voix[] = {0, 7, septieme, 12, 12 + (m.accord.mineur ? 3 : 4)};
    // Under the lead the arpeggio steps back a little, and on the last bar of
    // each phrase it rests from its figures: one stroke a beat, the chord
    // rippled by the tracker's arpeggio command.
    const bool sousSolo = !m.arrangement->solo.empty() || m.arrangement->accroche.debut >= 0;
    const int niveau =
        devant  ? std::min(64, static_cast<int>(std::lround(64 / std::max(0.1, g->accompagnement))))
        : m.ton ? 56
        : sousSolo ? 44
                   : 48;
    // Over the full band the chord's strokes on the beat are softer (the kick
    // has them); in the drop the arpeggio's sixteenths stand out.
    const Batterie b = m.arrangement->batterie;
    const bool pleine =
        b == Batterie::kPleine || b == Batterie::kPleineDoubles || b == Batterie::kApogee;
    const int porte = m.arrangement->batterie == Batterie::kPleine ? niveau * 3 / 2 : niveau;
    if (sousSolo && m.numero % 4 == 3 && !m.coupe && m.arrangement->arpege != Arpege::kCoda) {
        const uint8_t accord = static_cast<uint8_t>((m.accord.mineur ? 0x37 : 0x47));
        for (int pas = 0; pas < jusqua; pas += kLignesParTemps) {
            Pose(g, m.premiereLigne + pas, kCanalArpege, fondamentale + 12, instrument,
                 pleine ? niveau * 2 / 5 : niveau * 3 / 4);
            PoseEffet(g, m.premiereLigne + pas, kCanalArpege, kEffetArpege, accord);
        }
        return;
    }
    for (int pas = 0; pas < jusqua && motif[pas]; ++pas) {
        if (motif[pas] < '0' || motif[pas] > '9') continue;
        const int note = fondamentale + voix[motif[pas] - '0'];
        // Louder in the drop, its sixteenths more than its beats, which the
        // kick already marks.
        const int volume = pas % 4 == 0 ? std::min(porte, niveau * 6 / 5)
                           : pas % 2    ? porte * 5 / 7
                                        : porte * 6 / 7;
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
    if (a.batterie == Batterie::kCoda) {
        // The pad is let go at the end (the switch-off has already silenced it).
        for (int canal : canaux) Pose(g, m.premiereLigne, canal, kNoteRelache, 0, 0);
        return false;
    }
    if (precedent && MemeAccord(*precedent, m.accord)) {
        // The same chord goes on: striking it again would restart the slow
        // attack. A new section only sets its own pad level.
        if (m.numero == 0)
            for (int canal : canaux)
                g->Case(m.premiereLigne, canal)->volume = VolumeMixe(
                    g, kNappe, static_cast<int>(std::lround(a.volumeNappe * g->accompagnement)));
        return true;
    }
    // The chord's tones between F-3 and E-4.
    int notes[3];
    for (int voix = 0; voix < 3; ++voix)
        notes[voix] =
            NoteAuDessus((m.accord.fondamentale + Intervalle(m.accord, voix)) % 12, kNoteDo4 - 7);
    if (precedent && a.batterie != Batterie::kFinale) {
        // The pad goes on from the chord it holds: each voice moves to the
        // nearest tone of the new chord (a common tone stays), within a tick,
        // without striking again, so nothing is cut and nothing fades in anew.
        int tenues[3];
        for (int voix = 0; voix < 3; ++voix) {
            tenues[voix] = 0;
            for (int l = m.premiereLigne - 1; l >= 0 && !tenues[voix]; --l)
                tenues[voix] = g->Case(l, canaux[voix])->note;
        }
        int ordre[3] = {0, 1, 2}, meilleur[3] = {0, 1, 2}, cout = 1 << 30;
        do {
            int c = 0;
            for (int voix = 0; voix < 3; ++voix) {
                const int d = notes[ordre[voix]] - tenues[voix];
                c += d * d;
            }
            if (c < cout) cout = c, std::copy(ordre, ordre + 3, meilleur);
        } while (std::next_permutation(ordre, ordre + 3));
        // Each voice takes the octave of its tone nearest to where it was,
        // between D-3 and A-4.
        int voisines[3];
        for (int voix = 0; voix < 3; ++voix) {
            int n = notes[meilleur[voix]];
            while (n + 12 <= kNoteDo4 + 9 &&
                   std::abs(n + 12 - tenues[voix]) < std::abs(n - tenues[voix]))
                n += 12;
            while (n - 12 >= kNoteDo4 - 10 &&
                   std::abs(n - 12 - tenues[voix]) < std::abs(n - tenues[voix]))
                n -= 12;
            voisines[voix] = n;
        }
        const int niveau = static_cast<int>(std::lround(a.volumeNappe * g->accompagnement));
        const int visee = VolumeMixe(g, kNappe, niveau) - 0x10;
        for (int voix = 0; voix < 3; ++voix) {
            const int note = voisines[voix];
            if (note == tenues[voix] && !a.gonfle && m.numero != 0) continue;
            Pose(g, m.premiereLigne, canaux[voix], note, 0, 0);
            // A swelling pad breathes on every chord: it dips and swells again.
            g->Case(m.premiereLigne, canaux[voix])->volume =
                VolumeMixe(g, kNappe, a.gonfle ? niveau * 3 / 5 : niveau);
            PoseEffet(g, m.premiereLigne, canaux[voix], kEffetPortamentoNote, 0x60);
            const int depart = g->Case(m.premiereLigne, canaux[voix])->volume - 0x10;
            for (int pas = 2, monte = depart; a.gonfle && monte < visee && pas < m.lignes;
                 pas += 3, monte += 5)
                PoseColonne(g, m.premiereLigne + pas, canaux[voix], kColonneGlisseHaut + 1);
        }
        return true;
    }
    for (int voix = 0; voix < 3; ++voix) {
        const int note = notes[voix];
        if (a.batterie == Batterie::kFinale && precedent) {
            // Into the final chord the pad glides instead of striking again.
            Pose(g, m.premiereLigne, canaux[voix], note, 0, 0);
            g->Case(m.premiereLigne, canaux[voix])->volume = VolumeMixe(g, kNappe, a.volumeNappe);
            PoseEffet(g, m.premiereLigne, canaux[voix], kEffetPortamentoNote, 0x40);
            continue;
        }
        // The pad fades in from a third of its level over half a second; a
        // swelling pad starts softer and slides up over the bar. (The fade is
        // written as volume slides rather than in the envelope: libmikmod
        // starts the envelope again on a slide into a note.)
        Pose(g, m.premiereLigne, canaux[voix], note, instruments[voix],
             a.gonfle ? a.volumeNappe / 4 : a.volumeNappe / 3);
        const int ecart = g->Case(m.premiereLigne, canaux[voix])->volume - 0x10;
        const int visee =
            VolumeMixe(g, kNappe,
                       static_cast<int>(std::lround(a.volumeNappe * g->accompagnement))) -
            0x10;
        for (int pas = 1, monte = ecart; monte < visee && pas < m.lignes;
             pas += a.gonfle ? 3 : 1, monte += 5)
            PoseColonne(g, m.premiereLigne + pas, canaux[voix], kColonneGlisseHaut + 1);
    }
    return true;
}

// Writes one bar of a melodic line on a channel ("a4" starts a note, "." holds

// The pad and the arpeggio duck under the kick where the band plays in full:
// a fine volume step down on the kick's row, back up two rows later, so the
// off-beat bass pumps between them. Only rows free on the channel take it.
void Pompe(Grille* g, const Mesure& m) {
    const Batterie b = m.arrangement->batterie;
    // Volume steps out of 64: deeper in the reprise, the busiest band.
    const int kPompe = b == Batterie::kApogee ? 12 : 6;
    if (b != Batterie::kPleine && b != Batterie::kPleineDoubles && b != Batterie::kApogee) return;
    for (int pas = 0; pas + 2 < m.lignes; ++pas) {
        const int ligne = m.premiereLigne + pas;
        const uint8_t coup = g->Case(ligne, kCanalGrosseCaisse)->note;
        if (!coup || coup == kNoteRelache) continue;
        for (int canal : {kCanalNappe1, kCanalNappe2, kCanalNappe3, kCanalArpege}) {
            bool libre = true;
            for (int k = 0; k <= 2; ++k) {
                const CaseXM* c = g->Case(ligne + k, canal);
                libre = libre && !c->note && !c->volume;
            }
            // In the reprise the pad ducks on the new chord too: it glides
            // into it at its set level on the kick's stroke.
            CaseXM* c = g->Case(ligne, canal);
            const bool glisse = b == Batterie::kApogee && c->note && c->note != kNoteRelache &&
                                c->volume >= VolumeColonne(kPompe + 1) &&
                                c->volume <= VolumeColonne(64);
            if (glisse) {
                libre = true;
                for (int k = 1; k <= 2; ++k) {
                    const CaseXM* d = g->Case(ligne + k, canal);
                    libre = libre && !d->note && !d->volume;
                }
                if (!libre) continue;
                c->volume = static_cast<uint8_t>(c->volume - kPompe);
                g->Case(ligne + 2, canal)->volume = kColonneHausseFine + kPompe;
                continue;
            }
            if (!libre) continue;
            c->volume = kColonneBaisseFine + kPompe;
            g->Case(ligne + 2, canal)->volume = kColonneHausseFine + kPompe;
        }
    }
}
