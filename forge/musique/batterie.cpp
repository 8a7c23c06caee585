// The drums: the grooves of each section, the strokes' varied weights and the
// fills and transitions that lead into each scene change.
#include <algorithm>

#include "partition_interne.h"

namespace {

// Rows before a section's end from which the ride plays.
constexpr int kFenetreRide = 5 * kLignesParMesure;

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

// Open hi-hats: where one opens, the closed hi-hat does not strike (one
// drummer's foot, and two bright strokes would add up to a peak).
void Ouvre(Grille* g, const Mesure& m, const char* motif, int volumeBase) {
    PoseRythme(g, m, kCanalOuvert, kCharlestonOuvert, motif, volumeBase);
    for (int pas = 0; pas < m.lignes && motif[pas]; ++pas)
        if (motif[pas] != '.') *g->Case(m.premiereLigne + pas, kCanalCharleston) = CaseXM{};
}

// The downbeat that opens a loud section: a second crash on the open
// hi-hat's channel, a few cents off the first, doubles it into a wash.
void Eclate(Grille* g, const Mesure& m) {
    Pose(g, m.premiereLigne, kCanalOuvert, kNoteDo4 - 1, kCymbale, 52);
}

// The last beat of a phrase inside a full section, each time another way
// (the long rolls are kept for the section changes): a tom run, a flammed
// clap, an open hi-hat into a crash, or a beat where the drums drop out.
void Relance(Grille* g, const Mesure& m) {
    const int temps = m.premiereLigne + 3 * kLignesParTemps;
    for (int l = temps; l < temps + kLignesParTemps; ++l)
        for (int canal : {kCanalGrosseCaisse, kCanalCaisseClaire, kCanalCharleston, kCanalOuvert})
            *g->Case(l, canal) = CaseXM{};
    switch ((m.numero / 4 + int(m.arrangement->scene.size())) % 4) {
        case 0: {
            static const int hauteurs[] = {7, 2, -3};
            Pose(g, temps, kCanalGrosseCaisse, kNoteDo4, kGrosseCaisse, 60);
            Pose(g, temps, kCanalCaisseClaire, kNoteDo4, kCaisseClaire, 52);
            for (int k = 0; k < 3; ++k)
                Pose(g, temps + 1 + k, kCanalGrosseCaisse, kNoteDo4 + hauteurs[k], kTom,
                     44 + 4 * k);
            return;
        }
        case 1:
            Pose(g, temps, kCanalGrosseCaisse, kNoteDo4, kGrosseCaisse, 60);
            Pose(g, temps, kCanalCaisseClaire, kNoteDo4, kCaisseClaire, 44);
            Pose(g, temps + 2, kCanalClap, kNoteDo4, kClap, 18);
            Pose(g, temps + 2, kCanalCaisseClaire, kNoteDo4, kClap, 36);
            PoseEffet(g, temps + 2, kCanalCaisseClaire, kEffetEtendu, kEtenduRetard + 2);
            return;
        case 2:
            Pose(g, temps, kCanalGrosseCaisse, kNoteDo4, kGrosseCaisse, 60);
            Pose(g, temps, kCanalCaisseClaire, kNoteDo4, kCaisseClaire, 52);
            Pose(g, temps + 2, kCanalOuvert, kNoteDo4, kCharlestonOuvert, 50);
            Pose(g, m.premiereLigne + kLignesParMesure, kCanalCymbale, kNoteDo4, kCymbale, 44);
            return;
        default:
            // The drums hold their breath for a beat.
            return;
    }
}

// A noise riser that swells up to row `sommet`, where its sample ends.
void Monte(Grille* g, int sommet) {
    Pose(g, sommet - kLignesMontee, kCanalEffets, kNoteDo4, kMontee, 64);
    Pose(g, sommet, kCanalEffets, kNoteRelache, 0, 0);
}

// The bar that leads into a cut, on the drums: each kind of transition plays
// its own way over the bar's last beats (the bar may be of 2 to 4 beats).
// `riser`: whether a roll swells a riser up to the bar's end (not in the
// bar before a held shorter bar, whose own riser runs on to the cut).
void ComposeTransition(Grille* g, const Mesure& m, bool riser = true) {
    const int lignes = m.lignes, deuxTemps = std::max(0, m.lignes - 8);
    const int debut = m.premiereLigne;
    // A held shorter bar: the fill of the bar before lands on its downbeat,
    // kick and crash, then only the riser swells under the ringing chord, no
    // stroke to count by until the cut.
    // Out of the kickless logo the toms land on the crash alone.
    const bool sansGrosse = m.arrangement->batterie == Batterie::kMontee;
    if (Tenue(m)) {
        if (!sansGrosse) Pose(g, debut, kCanalGrosseCaisse, kNoteDo4, kGrosseCaisse, 60);
        Pose(g, debut, kCanalCymbale, kNoteDo4, kCymbale, 52);
        Monte(g, debut + lignes);
        return;
    }
    // A shorter bar is a break: the drums and the bass stop on its downbeat
    // (the silence resets the count, so the early downbeat is heard as a
    // stop, not a stumble), a riser under the held chord, and the fill after
    // at least a beat of it.
    const bool breve = Breve(m);
    const int reprise = breve ? std::max(deuxTemps, kLignesParTemps) : deuxTemps;
    if (breve && m.arrangement->fin != Fin::kRoulement) Monte(g, debut + lignes);
    switch (m.arrangement->fin) {
        case Fin::kSuite:
            return;
        case Fin::kMontee:
            // Crash strokes every two rows, each swelling within its row, from
            // a whisper up to the cut.
            PoseRythme(g, m, kCanalCharleston, kCharleston, "o.x.o.x.o.x.o.x.", 44);
            for (int pas = 0; pas < lignes; pas += 2) {
                Pose(g, debut + pas, kCanalCymbale, kNoteDo4, kCymbale, 4 + 14 * pas / lignes);
                PoseEffet(g, debut + pas, kCanalCymbale, kEffetGlisseVolume, 0x20);
            }
            return;
        case Fin::kToms: {
            // The groove for the first beats, then the tom, tuned high to
            // low, falling over the last two, strokes of varied weight.
            if (!breve) {
                if (!sansGrosse)
                    PoseRythme(g, m, kCanalGrosseCaisse, kGrosseCaisse, "X.......x.......", 56);
                PoseRythme(g, m, kCanalCharleston, kCharleston, "x.X.x.X.", 56);
            }
            static const int hauteurs[] = {7, 0, 7, 4, 0, 4, 0, -5};
            static const int volumes[] = {50, 0, 36, 52, 0, 40, 48, 52};
            for (int pas = reprise - deuxTemps; pas < 8 && deuxTemps + pas < lignes; ++pas)
                if (volumes[pas])
                    Pose(g, debut + deuxTemps + pas, kCanalGrosseCaisse, kNoteDo4 + hauteurs[pas],
                         kTom, volumes[pas]);
            return;
        }
        case Fin::kArret: {
            // A roll up to the stab two beats before the cut (none in a bar
            // of two beats: the stab on its downbeat), quickening from
            // eighths to sixteenths to thirty-seconds (the second stroke of
            // each row on the clap's channel, three ticks in) and growing to
            // full strength; then the drums are silent and the stab's chord rings.
            // Out of the title's build the kick is already out: the roll runs
            // on from the bar before in sixteenths, then thirty-seconds over
            // the last beat, pitched up a little, and the stab has no kick:
            // the kick comes back on the drop's downbeat.
            const bool titre = m.arrangement->batterie == Batterie::kMarche;
            for (int pas = 0; pas < deuxTemps && !titre; pas += kLignesParTemps)
                Pose(g, debut + pas, kCanalGrosseCaisse, kNoteDo4, kGrosseCaisse, pas ? 50 : 60);
            for (int pas = 0; pas < deuxTemps; ++pas) {
                const int reste = deuxTemps - pas;
                if (reste > 4 && pas % 2 && !titre) continue;
                const int volume = titre ? 38 + 24 * (pas + 1) / std::max(1, deuxTemps)
                                         : 34 + 30 * (pas + 1) / std::max(1, deuxTemps);
                Pose(g, debut + pas, kCanalCaisseClaire, kNoteDo4 + (titre ? pas / 3 : 0),
                     kCaisseClaire, volume);
                if (reste > (titre ? 4 : 2)) continue;
                Pose(g, debut + pas, kCanalClap, kNoteDo4, kCaisseClaire, volume - 6);
                PoseEffet(g, debut + pas, kCanalClap, kEffetEtendu, kEtenduRetard + 3);
            }
            if (!titre) Pose(g, debut + deuxTemps, kCanalGrosseCaisse, kNoteDo4, kGrosseCaisse, 64);
            Pose(g, debut + deuxTemps, kCanalCaisseClaire, kNoteDo4, kCaisseClaire, 64);
            Pose(g, debut + deuxTemps, kCanalClap, kNoteDo4, kClap, 60);
            Pose(g, debut + deuxTemps, kCanalCymbale, kNoteDo4, kCymbale, 48);
            Monte(g, debut + deuxTemps);
            return;
        }
        case Fin::kRoulement:
            // The groove, then a snare roll rising to the cut: sixteenths over
            // the last two beats, thirty-seconds over the last (a second
            // stroke on the crash's channel, three ticks into the row). The
            // strokes are written one by one: libmikmod starts a retrigger
            // command's strokes a tick early, which would double the first.
            if (!breve) {
                PoseRythme(g, m, kCanalGrosseCaisse, kGrosseCaisse, "X...x...o...o...", 50);
                PoseRythme(g, m, kCanalCharleston, kCharleston, "x.X.x.X.", 64);
                PoseRythme(g, m, kCanalCaisseClaire, kCaisseClaire, "....X..o", 48);
            }
            if (riser) Monte(g, debut + lignes);
            for (int pas = reprise; pas < lignes; ++pas) {
                const int volume = 24 + 24 * (pas - reprise + 1) / (lignes - reprise);
                Pose(g, debut + pas, kCanalCaisseClaire, kNoteDo4, kCaisseClaire, volume);
                if (pas < lignes - kLignesParTemps) continue;
                Pose(g, debut + pas, kCanalCymbale, kNoteDo4, kCaisseClaire, volume - 8);
                PoseEffet(g, debut + pas, kCanalCymbale, kEffetEtendu, kEtenduRetard + 3);
            }
            return;
        case Fin::kFla: {
            // The kick's off-beats, then flams: a soft grace stroke, and the
            // stroke itself two ticks later, louder each time.
            if (!breve) PoseRythme(g, m, kCanalGrosseCaisse, kGrosseCaisse, "X.....x.X...X...", 58);
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
        case Fin::kOuvert: {
            // The last fill of the piece: the groove, the snare in sixteenths
            // over the third beat, the toms falling over the fourth, and an
            // open hi-hat on the last off-beat that rings into the downbeat.
            PoseRythme(g, m, kCanalGrosseCaisse, kGrosseCaisse, "X...x...X..o", 56);
            PoseRythme(g, m, kCanalCaisseClaire, kCaisseClaire, "....X..o.xxX", 56);
            PoseRythme(g, m, kCanalCharleston, kCharleston, "o.x.o.x.", 48);
            static const int hauteurs[] = {9, 5, 2, -3};
            for (int k = 0; k < 4 && lignes - 4 + k >= 0; ++k)
                Pose(g, debut + lignes - 4 + k, kCanalGrosseCaisse, kNoteDo4 + hauteurs[k], kTom,
                     44 + 4 * k);
            Pose(g, debut + lignes - 2, kCanalOuvert, kNoteDo4, kCharlestonOuvert, 52);
            return;
        }
    }
}

}  // namespace

namespace {

void ComposeBatterieMesure(Grille* g, const Mesure& m);

}  // namespace

void ComposeBatterie(Grille* g, const Mesure& m) {
    ComposeBatterieMesure(g, m);
    // A clap doubles the backbeat's accented strokes where the band is at
    // its fullest: the drop's second half, the television's answer phrase,
    // the whole reprise.
    const Arrangement& a = *m.arrangement;
    const char variante = Variante(a, m.numero);
    const bool claque = (a.batterie == Batterie::kPleine && m.numero >= 8) ||
                        (a.batterie == Batterie::kPleineDoubles && variante == 'k') ||
                        a.batterie == Batterie::kApogee;
    if (claque && !m.coupe)
        for (int pas : {4, 12}) {
            const CaseXM* c = g->Case(m.premiereLigne + pas, kCanalCaisseClaire);
            if (pas < m.lignes && c->note && c->note != kNoteRelache && c->volume >= 0x10 + 30) {
                Pose(g, m.premiereLigne + pas, kCanalClap, kNoteDo4, kClap, 56);
                // Under the clap the kick and the snare give way a little
                // where the band is loudest: the three strokes together
                // would be the mix's loudest peak.
                if (a.batterie == Batterie::kPleineDoubles) continue;
                for (int canal : {kCanalGrosseCaisse, kCanalCaisseClaire}) {
                    CaseXM* frappe = g->Case(m.premiereLigne + pas, canal);
                    if (frappe->volume > 0x10)
                        frappe->volume = uint8_t(0x10 + (frappe->volume - 0x10) * 3 / 4);
                }
            }
        }
    // A ride on the effects' channel: on every beat where the band is at
    // its fullest (the drop, the reprise), so the top opens with the kick;
    // in sixteenths over the last bars before a section change, swelling
    // toward the change and stopping a bar and a half before the cut, where
    // the riser may come in.
    const bool pleine = a.batterie == Batterie::kPleine || a.batterie == Batterie::kApogee;
    const bool roule = pleine || a.batterie == Batterie::kPleineDoubles;
    if (roule && !m.coupe && variante != 'x' && variante != 'd' && variante != 't')
        for (int pas = 0; pas < m.lignes; ++pas) {
            const int ligne = m.premiereLigne + pas, reste = m.finSection - ligne;
            if (reste <= kLignesParMesure + kLignesParTemps * 2) continue;
            const int poids = pas % kLignesParTemps == 0 ? 40 : pas % 2 == 0 ? 30 : 22;
            if (reste <= kFenetreRide)
                Pose(g, ligne, kCanalEffets, kNoteDo4 + m.ton, kRide,
                     poids * (kFenetreRide * 2 - reste) / kFenetreRide / 2 + 6);
            else if (pleine && pas % kLignesParTemps == 0)
                Pose(g, ligne, kCanalEffets, kNoteDo4 + m.ton, kRide, 44);
            // A tone up, the ride on the off-beats too.
            else if (pleine && m.ton && pas % 2 == 0)
                Pose(g, ligne, kCanalEffets, kNoteDo4 + m.ton, kRide, 34);
        }
    // The sets switch on: a burst of static (the projector's rattle two
    // octaves up) over the bar's first beat and a half, the bass out.
    if (variante == 't') {
        Pose(g, m.premiereLigne, kCanalEffets, kNoteDo4 + 24, kProjecteur, 40);
        Coupe(g, m.premiereLigne + 6, kCanalEffets);
    }
    // Where the kick and the snare strike together, the drummer's hands are
    // on the snare: the hi-hat there is left out (the three strokes would
    // add up to the mix's loudest peaks).
    for (int pas = 0; pas < m.lignes; ++pas) {
        const int ligne = m.premiereLigne + pas;
        auto frappe = [&](int canal) {
            const uint8_t n = g->Case(ligne, canal)->note;
            return n && n != kNoteRelache;
        };
        if (frappe(kCanalGrosseCaisse) && frappe(kCanalCaisseClaire))
            *g->Case(ligne, kCanalCharleston) = CaseXM{};
    }
}

namespace {

void ComposeBatterieMesure(Grille* g, const Mesure& m) {
    const Batterie b = m.arrangement->batterie;
    const bool premiere = m.numero == 0;
    const Fin fin = FinJouee(m);
    if (m.coupe && fin != Fin::kSuite) return ComposeTransition(g, m);
    if (AnnonceTenue(m)) {
        // The fill of the held shorter bar after this one, over its last two beats.
        Mesure remplie = m;
        remplie.coupe = true;
        return ComposeTransition(g, remplie, false);
    }
    // A fill closes the last full bar; a phrase inside the section gets one every four bars.
    const bool remplissage = m.finPhrase || m.derniere;
    // The bars that change the layers: half time (kick on the first beat
    // and the third's last sixteenth, snare on the third, no hi-hats), or the
    // snare out under the kick and the hi-hats.
    const char variante = Variante(*m.arrangement, m.numero);
    if (variante == 'd') {
        PoseRythme(g, m, kCanalGrosseCaisse, kGrosseCaisse, "X.........x.....", 60);
        PoseRythme(g, m, kCanalCaisseClaire, kCaisseClaire, "........X......o", 60);
        if (premiere || m.numero % 4 == 0) PoseRythme(g, m, kCanalCymbale, kCymbale, "X", 44);
        return;
    }
    if (variante == 'x') return;
    if (variante == 'r') {
        // The band builds up again: the kick on every beat, the hi-hats
        // quickening, a snare roll over the last beat into the theme.
        PoseRythme(g, m, kCanalGrosseCaisse, kGrosseCaisse, "X...X...X...X...", 60);
        PoseRythme(g, m, kCanalCharleston, kCharleston, "x.x.x.x.xoxoxxxx", 56);
        PoseRythme(g, m, kCanalCaisseClaire, kCaisseClaire, "........o.x.xxXX", 56);
        return;
    }
    switch (b) {
        case Batterie::kAucune:
            return;
        case Batterie::kTictac:
            // The clock of the countdown and of the breakdown: quarter strokes
            // with soft sixteenths between them.
            PoseRythme(g, m, kCanalCharleston, kCharleston, "X.xxX.xxX.xxX.xx", 64);
            return;
        case Batterie::kMontee: {
            // No kick yet: the kick is kept for the title. A soft snare on the
            // third beat, and a closed hi-hat rising bar by bar, eighths then
            // sixteenths from the second phrase, toward the title's beat.
            const int monte = std::min(m.numero, 6);
            PoseRythme(g, m, kCanalCharleston, kCharleston,
                       m.numero >= 4 ? "xoXoxoXoxoXoxoXo" : "x.X.x.X.x.X.x.X.", 44 + 3 * monte);
            if (remplissage)
                PoseRythme(g, m, kCanalCaisseClaire, kCaisseClaire, "........X...o.xX", 40);
            else
                PoseRythme(g, m, kCanalCaisseClaire, kCaisseClaire,
                           m.numero >= 2 ? "........X.....o." : "........X.......", 36);
            if (premiere) PoseRythme(g, m, kCanalCymbale, kCymbale, "X", 60);
            return;
        }
        case Batterie::kMarche: {
            // The backbeat on two and four from the first bar; a layer every
            // four bars: the hi-hats double to sixteenths, an open hi-hat on
            // the last off-beat, then on two off-beats,
            // and over the last three bars the snare and the kick thicken and
            // a crash swells up toward the section's stop.
            const int avantFin = m.completes - m.numero;  // 1 on the last full bar
            const bool seconde = m.numero >= 4;
            const char* grosse = remplissage ? "X.....x.X...X.x." : "X.....x.X.......";
            const char* caisse = remplissage ? "....X.......XoxX" : "....X.......X...";
            if (avantFin == 3) caisse = "....X.......X.o.";
            if (avantFin == 2) grosse = "X.....x.X.x...x.", caisse = "....X...o...X.xo";
            // The last full bar: the kick drops out, so that it comes back
            // with the drop, and the roll starts, eighths then sixteenths,
            // swelling into the stop bar's thirty-seconds.
            if (avantFin == 1) grosse = "", caisse = "";
            // From the third phrase (the lead's entry) the kick and the
            // hi-hats come up a step every bar toward the stop.
            const int marche = std::max(0, m.numero - 7);
            PoseRythme(g, m, kCanalGrosseCaisse, kGrosseCaisse, grosse, 56 + marche);
            PoseRythme(g, m, kCanalCaisseClaire, kCaisseClaire, caisse, 60);
            if (avantFin == 1)
                for (int pas = 0; pas < m.lignes; pas += pas < 8 ? 2 : 1)
                    Pose(g, m.premiereLigne + pas, kCanalCaisseClaire, kNoteDo4, kCaisseClaire,
                         22 + 16 * pas / m.lignes);
            // From the second phrase the hi-hats also come up a step.
            const double bande = g->accompagnement;
            if (seconde) g->accompagnement = std::min(1.0, bande * (1.2 + 0.03 * marche));
            PoseRythme(g, m, kCanalCharleston, kCharleston,
                       seconde ? "XoxxXoxxXoxxXoxX" : "X.X.X.X.X.X.X.Xo", 64);
            if (m.numero >= 4 && avantFin > 1)
                Ouvre(g, m, m.numero >= 8 ? "......X.......X." : "..............X.", 44);
            g->accompagnement = bande;
            if (premiere || m.numero == 8) PoseRythme(g, m, kCanalCymbale, kCymbale, "X", 56);
            if (avantFin == 1)
                for (int pas = 0; pas < m.lignes; pas += 2) {
                    Pose(g, m.premiereLigne + pas, kCanalCymbale, kNoteDo4, kCymbale,
                         4 + 20 * pas / m.lignes);
                    PoseEffet(g, m.premiereLigne + pas, kCanalCymbale, kEffetGlisseVolume, 0x20);
                }
            return;
        }
        case Batterie::kPleine:
        case Batterie::kPleineDoubles: {
            // Inside the section a phrase ends on a short varied fill, the last
            // full bar on the long one.
            // The grid moves from bar to bar: the kick pushes a sixteenth
            // before the third beat on the third bar of each phrase, the
            // hi-hats' accents shift, ghost strokes on the snare from the
            // second bar; the kick on the backbeat is a little softer, the
            // snare and the clap carry it.
            const bool relance = remplissage && !m.derniere;
            static const char* const grosses[] = {"X...x...X...x...", "X...x...X...x...",
                                                  "X...x..oX...x...", "X...x...X...x..."};
            PoseRythme(g, m, kCanalGrosseCaisse, kGrosseCaisse,
                       remplissage && !relance ? "X...X...X.X.X..." : grosses[m.numero % 4], 64);
            const bool doubles = b == Batterie::kPleineDoubles && (m.numero / 4) % 2 == 1;
            static const char* const charlestons[] = {"o.X.o.X.o.X.o.X.", "o.X.o.X.o.X.oxX.",
                                                      "o.X.oxX.o.X.o.X.", "o.X.o.X.o.Xxo.X."};
            // The drop's hi-hats run in sixteenths, as the television's
            // doubled phrases do.
            static const char* const doublees[] = {"oxoXoxoXoxoXoxoX", "oxoXoxoXoxoXoXxX",
                                                   "oxoXoXoXoxoXoxoX", "oxoXoxoXoXoXoxoX"};
            PoseRythme(g, m, kCanalCharleston, kCharleston,
                       doubles || b == Batterie::kPleine ? doublees[m.numero % 4]
                                                         : charlestons[m.numero % 4],
                       60);
            // A section lands on kick, snare and crash together.
            const char* caisse = premiere       ? "X...X.......X..."
                                 : m.numero % 2 ? "....X..o....X.o."
                                                : "....X.......X..o";
            if (remplissage && !relance)
                caisse = (m.numero / 4) % 2 ? "....X...x.x.XXXX" : "....X.......XxXX";
            PoseRythme(g, m, kCanalCaisseClaire, kCaisseClaire, caisse, 64);
            if (premiere || (m.numero % 8 == 0))
                PoseRythme(g, m, kCanalCymbale, kCymbale, "X", premiere ? 64 : 40);
            if (premiere) Eclate(g, m);
            if (m.arrangement->ouverts && m.numero >= 4) Ouvre(g, m, "......X.......X.", 56);
            // In the drop an open hi-hat on the last off-beat from the second
            // phrase, on every off-beat with the claps.
            else if (b == Batterie::kPleine && m.numero >= 4 && !remplissage)
                Ouvre(g, m, m.numero >= 8 ? "..X...X...X...X." : "..............X.", 44);
            if (relance) Relance(g, m);
            return;
        }
        case Batterie::kApogee: {
            // The peak of the piece: the hi-hats in sixteenths from the second phrase,
            // ghost strokes on the snare, the kick pushing every other bar,
            // open hi-hats on the off-beats and a crash on every phrase.
            const bool relance = remplissage && !m.derniere;
            PoseRythme(g, m, kCanalGrosseCaisse, kGrosseCaisse,
                       remplissage && !relance ? "X...X...X.X.X..."
                       : m.numero % 2          ? "X...x...X...x.x."
                                               : "X...x...X...x...",
                       64);
            PoseRythme(g, m, kCanalCharleston, kCharleston,
                       m.numero < 4 ? "o.X.o.X.o.X.o.X." : "oxoXoxoXoxoXoxoX", 44);
            const char* caisse = premiere ? "X...X..o....X..o" : "....X..o....X..o";
            if (remplissage && !relance)
                caisse = (m.numero / 4) % 2 ? "....X...x.x.XXXX" : "....X..o....XxXX";
            PoseRythme(g, m, kCanalCaisseClaire, kCaisseClaire, caisse, 52);
            // From the key change on, a crash every two bars.
            // The key change lands on a crash on each of its first two bars,
            // and the open hi-hats open wider from there.
            const int modulation = m.arrangement->modulation;
            const bool change = modulation >= 0 && m.numero >= modulation;
            const bool eclat = change && m.numero < modulation + 2;
            if (m.numero % 4 == 0 || (change && m.numero % 2 == 1) || eclat)
                PoseRythme(g, m, kCanalCymbale, kCymbale, "X", premiere ? 64 : eclat ? 52 : 36);
            Ouvre(g, m, remplissage && !relance ? "......X......." : "..X...X...X...X.",
                  change ? 48 : 44);
            if (premiere) Eclate(g, m);
            if (relance) Relance(g, m);
            return;
        }
        case Batterie::kRoulement: {
            static const char* roulement[] = {"....X.......X...", "....X...X...X...",
                                              "..x.X.x.X.x.X.xX", "xxxxXxxxXxxxXXXX"};
            PoseRythme(g, m, kCanalGrosseCaisse, kGrosseCaisse, "X...x...X...x...", 60);
            PoseRythme(g, m, kCanalCharleston, kCharleston, "x.X.x.X.x.X.x.X.", 64);
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

}  // namespace
