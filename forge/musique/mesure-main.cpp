// kazzmot-mesure-musique: composes the soundtrack, plays it through libmikmod
// as the production does and prints what a listener's review measures: the
// drop into the bubbles scene, the breakdown's dip, the width of the mix, the
// hi-hat's band, the snare against the kick, the effect commands the score
// uses, when the lead's theme is first heard, the bar at each scene change,
// each section's downbeat against its scene, the lead against the arpeggio,
// the transitions and their landings, the drums' strokes, the lead's vibrato
// and slides, and the progressions.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <set>
#include <string>
#include <vector>

#include "ecoute.h"
#include "partition.h"
#include "synthese.h"
#include "xm.h"

namespace {

bool Rend(const ModuleXM& m, RenduMikmod* rendu) {
    std::vector<uint8_t> octets;
    std::string erreur;
    if (!EcritModuleXM(&m, &octets, &erreur) || !RendAvecMikmod(octets, 600.0, rendu, &erreur)) {
        std::fprintf(stderr, "kazzmot-mesure-musique: %s\n", erreur.c_str());
        return false;
    }
    return true;
}

// The module with every channel silent but one. The others keep their notes
// at volume 0 and their tempo commands, and lose every other command (with
// every other cell emptied, libmikmod was seen to play the part at the
// module's first tempo throughout).
ModuleXM Seul(ModuleXM m, int canal) {
    for (MotifXM& motif : m.motifs)
        for (size_t i = 0; i < motif.cases.size(); ++i) {
            CaseXM& c = motif.cases[i];
            if (int(i % m.canaux) == canal) continue;
            if (c.effet != kEffetVitesse) c.effet = c.parametre = 0;
            c.volume = c.note && c.note != kNoteRelache ? VolumeColonne(0) : 0;
        }
    return m;
}

const char* NomCanal(int canal) {
    static const char* noms[] = {"kick",           "snare",      "hi-hat",   "cymbal",
                                 "bass",           "pad 1",      "pad 2",    "pad 3",
                                 "lead",           "echo",       "arpeggio", "hook and doubling",
                                 "counter-melody", "open hi-hat"};
    return canal >= 0 && canal < int(sizeof noms / sizeof *noms) ? noms[canal] : "?";
}

// The frames of a render between two times.
std::vector<int16_t> Tranche(const std::vector<int16_t>& stereo, double debut, double fin) {
    const size_t a = std::min(stereo.size(), size_t(std::max(0.0, debut) * 44100) * 2);
    const size_t b = std::min(stereo.size(), size_t(std::max(0.0, fin) * 44100) * 2);
    return std::vector<int16_t>(stereo.begin() + a, stereo.begin() + std::max(a, b));
}

// Energy of a render between two times in a band, in dB on a scale shared by
// every render (band share plus overall level).
double BandeAbsolue(const std::vector<int16_t>& stereo, double debut, double fin, double fMin,
                    double fMax) {
    const std::vector<int16_t> t = Tranche(stereo, debut, fin);
    return EnergieBande(t, fMin, fMax) + RmsEntre(t, 0, fin - debut);
}

// Highest absolute sample between two times, in dBFS.
double CreteEntre(const std::vector<int16_t>& stereo, double debut, double fin) {
    return CreteDbfs(Tranche(stereo, debut, fin));
}

}  // namespace

int main() {
    std::string erreur;
    ModuleXM m;
    const std::vector<SectionPlacee> sections = PlaceSections(ReperesProduction(), &erreur);
    if (sections.empty() || !ComposeModule(ReperesProduction(), &m, &erreur)) {
        std::fprintf(stderr, "kazzmot-mesure-musique: the score cannot be composed: %s\n",
                     erreur.c_str());
        return 1;
    }
    RenduMikmod r;
    if (!Rend(m, &r)) return 1;
    const std::vector<double> instants = InstantsDesLignes(m);
    auto temps = [&](int ligne) {
        return instants[std::min<size_t>(size_t(std::max(0, ligne)), instants.size() - 1)];
    };
    auto debut = [&](const char* scene) {
        for (const SectionPlacee& s : sections)
            if (s.scene == scene) return temps(s.premiereLigne);
        return 0.0;
    };

    std::printf("length %.2f s (score %.2f s), peak %.2f dBFS\n", r.secondes, DureeModule(m),
                CreteDbfs(r.stereo));
    {
        // The 10 s windows the checks hold between -24 and -12 dBFS (the first is the swell).
        const std::vector<double> fenetres = RmsParFenetres(r.stereo, 10.0);
        size_t bas = 1, haut = 1;
        for (size_t i = 1; i < fenetres.size(); ++i) {
            if (fenetres[i] < fenetres[bas]) bas = i;
            if (fenetres[i] > fenetres[haut]) haut = i;
        }
        std::printf(
            "10 s windows after the first: quietest %.2f dBFS at %zu s, loudest %.2f dBFS at %zu "
            "s\n",
            fenetres[bas], bas * 10, fenetres[haut], haut * 10);
    }
    const double bulles = debut("bubbles");
    std::printf("bubbles entry at %.2f s: 10 s after %.2f dBFS, 10 s before %.2f dBFS: %+.2f dB\n",
                bulles, RmsEntre(r.stereo, bulles, bulles + 10),
                RmsEntre(r.stereo, bulles - 10, bulles),
                RmsEntre(r.stereo, bulles, bulles + 10) - RmsEntre(r.stereo, bulles - 10, bulles));
    const double pont = debut("credits"), apresPont = debut("greetings");
    std::printf("breakdown %.2f-%.2f s: %.2f dBFS against %.2f dBFS in the 10 s before: %+.2f dB\n",
                pont, apresPont, RmsEntre(r.stereo, pont, apresPont),
                RmsEntre(r.stereo, pont - 10, pont),
                RmsEntre(r.stereo, pont, apresPont) - RmsEntre(r.stereo, pont - 10, pont));
    std::printf("side to mid: %.2f dB\n", CoteSurMilieu(r.stereo));
    const double medium = EnergieBande(r.stereo, 4000, 8000),
                 aigu = EnergieBande(r.stereo, 12000, 20000);
    std::printf(
        "bands: 4-8 kHz %.2f dB, 12-20 kHz %.2f dB of the whole (12-20 minus 4-8: %+.2f dB)\n",
        medium, aigu, aigu - medium);

    RenduMikmod grosse, claire, charleston;
    if (!Rend(Seul(m, kCanalGrosseCaisse), &grosse) ||
        !Rend(Seul(m, kCanalCaisseClaire), &claire) ||
        !Rend(Seul(m, kCanalCharleston), &charleston))
        return 1;
    const double g = CreteCourte(grosse.stereo, 0.05), c = CreteCourte(claire.stereo, 0.05);
    std::printf("50 ms peaks: kick %.2f dBFS, snare %.2f dBFS: snare %+.2f dB against the kick\n",
                g, c, c - g);
    std::printf(
        "hi-hat alone: %.2f dBFS over the song; 6-11 kHz %.2f dB, 12-20 kHz %.2f dB, under 4 kHz "
        "%.2f dB\n",
        RmsEntre(charleston.stereo, 0, charleston.secondes),
        EnergieBande(charleston.stereo, 6000, 11000), EnergieBande(charleston.stereo, 12000, 20000),
        EnergieBande(charleston.stereo, 0, 4000));

    // The song row by row, over the order list.
    std::vector<const CaseXM*> lignes;
    std::vector<int> longueurs;
    for (uint8_t o : m.ordre) {
        longueurs.push_back(m.motifs[o].lignes);
        for (size_t l = 0; l < m.motifs[o].lignes; ++l)
            lignes.push_back(&m.motifs[o].cases[l * m.canaux]);
    }
    int commandes = 0, colonne = 0;
    int parEffet[36] = {};
    for (const CaseXM* ligne : lignes)
        for (int k = 0; k < m.canaux; ++k) {
            if (ligne[k].effet || ligne[k].parametre) ++commandes, ++parEffet[ligne[k].effet % 36];
            if (ligne[k].volume >= 0x60) ++colonne;
        }
    std::printf("effect commands played: %d in the effect column (", commandes);
    for (int e = 0; e < 36; ++e)
        if (parEffet[e]) std::printf(" %c:%d", e < 10 ? '0' + e : 'A' + e - 10, parEffet[e]);
    std::printf(" ), %d in the volume column\n", colonne);

    // The theme's head, A C E D C, on any melodic channel.
    const int tete[] = {9, 0, 4, 2, 0};
    double premiere = -1, entreeSolo = -1;
    int canalTete = -1;
    for (int k = kCanalSolo; k < m.canaux; ++k) {
        std::vector<std::pair<size_t, int>> notes;
        for (size_t l = 0; l < lignes.size(); ++l)
            if (lignes[l][k].note && lignes[l][k].note != kNoteRelache)
                notes.push_back({l, (lignes[l][k].note - 1) % 12});
        if (k == kCanalSolo && !notes.empty()) entreeSolo = temps(int(notes[0].first));
        for (size_t i = 0; i + 5 <= notes.size(); ++i) {
            bool egal = true;
            for (int j = 0; j < 5; ++j) egal = egal && notes[i + j].second == tete[j];
            if (egal && (premiere < 0 || temps(int(notes[i].first)) < premiere)) {
                premiere = temps(int(notes[i].first));
                canalTete = k;
            }
            if (egal) break;
        }
    }
    std::printf("theme first heard at %.2f s (%s); lead channel enters at %.2f s\n", premiere,
                NomCanal(canalTete), entreeSolo);

    // The chord of every bar, read from the pad's three voices (root, third,
    // fifth), and the longest stretch of the Am-F-C-G round.
    {
        static const char* noms[] = {"C",  "C#", "D",  "D#", "E",  "F",
                                     "F#", "G",  "G#", "A",  "A#", "B"};
        int voix[3] = {0, 0, 0};
        std::vector<std::string> accords;
        std::vector<int> debuts;
        int ligne = 0;
        for (uint8_t o : m.ordre) {
            for (int v = 0; v < 3; ++v) {
                const uint8_t note = m.motifs[o].cases[kCanalNappe1 + v].note;
                if (note && note != kNoteRelache) voix[v] = note;
            }
            const int tierce = ((voix[1] - voix[0]) % 12 + 12) % 12;
            accords.push_back(std::string(noms[(voix[0] + 11) % 12]) + (tierce == 3 ? "m" : ""));
            debuts.push_back(ligne);
            ligne += m.motifs[o].lignes;
        }
        debuts.push_back(ligne);
        const std::string ronde[] = {"Am", "F", "C", "G"};
        size_t meilleurDebut = 0, meilleurLong = 0;
        for (size_t i = 0; i < accords.size(); ++i) {
            size_t k = 0;
            while (k < 4 && accords[i] != ronde[k]) ++k;
            if (k == 4) continue;
            size_t n = 0;
            while (i + n < accords.size() && accords[i + n] == ronde[(k + n) % 4]) ++n;
            if (n > meilleurLong) meilleurLong = n, meilleurDebut = i;
        }
        std::printf("longest unbroken Am-F-C-G round: %zu bars, %.2f to %.2f s\n", meilleurLong,
                    temps(debuts[meilleurDebut]), temps(debuts[meilleurDebut + meilleurLong]));
    }

    std::printf("bar before each scene change (rows; 16 is a full bar):\n");
    size_t o = 0;
    int ligne = 0;
    for (size_t s = 1; s < sections.size(); ++s) {
        while (o < longueurs.size() && ligne + longueurs[o] < sections[s].premiereLigne)
            ligne += longueurs[o++];
        std::printf("  %-10s at %7.2f s: %2d rows\n", sections[s].scene.c_str(),
                    temps(sections[s].premiereLigne), o < longueurs.size() ? longueurs[o] : 0);
    }

    // --- figures per section, on the times the player really plays ---------
    const auto& reperes = ReperesProduction();
    std::printf("downbeat of each section against its scene (ms late, + after the scene):\n");
    double pireEcart = 0;
    for (size_t s = 1; s + 1 < sections.size(); ++s) {
        const double ecart = (temps(sections[s].premiereLigne) - reperes[s].debut) * 1000;
        pireEcart = std::max(pireEcart, std::fabs(ecart));
        // Where the kick's downbeat is heard in libmikmod's render: the
        // millisecond whose level rises most over the one 2 ms before, from
        // 30 ms before the row to 50 ms after.
        double entendu = -1, saut = 10;
        const CaseXM& coup = lignes[size_t(sections[s].premiereLigne)][kCanalGrosseCaisse];
        for (double t = temps(sections[s].premiereLigne) - 0.03;
             coup.note && coup.note != kNoteRelache && t < temps(sections[s].premiereLigne) + 0.05;
             t += 0.001) {
            const double monte = RmsEntre(grosse.stereo, t, t + 0.001) -
                                 RmsEntre(grosse.stereo, t - 0.002, t - 0.001);
            if (monte > saut) saut = monte, entendu = t;
        }
        std::printf("  %-10s scene %7.3f s, downbeat %7.3f s: %+6.0f ms", sections[s].scene.c_str(),
                    reperes[s].debut, temps(sections[s].premiereLigne), ecart);
        if (entendu >= 0)
            std::printf("; kick heard at %7.3f s: %+4.0f ms", entendu,
                        (entendu - reperes[s].debut) * 1000);
        std::printf("\n");
    }
    std::printf("worst downbeat offset: %.0f ms\n", pireEcart);
    const double finProduction = temps(sections.back().premiereLigne);
    std::printf("longest digital silence (< -70 dBFS) before the ring-out at %.2f s: %.2f s\n",
                finProduction, PlusLongSilence(r.stereo, -70.0, finProduction - 0.05));
    {
        std::set<int> tempos;
        for (const MotifXM& motif : m.motifs)
            for (const CaseXM& c : motif.cases)
                if (c.effet == kEffetVitesse && c.parametre >= 32) tempos.insert(c.parametre);
        std::printf("tempo commands: %zu distinct tempos (", tempos.size());
        for (int t : tempos) std::printf(" %d", t);
        std::printf(" ), initial %d bpm\n", m.bpm);
    }

    // The lead against the arpeggio, soloed, in the lead's band.
    RenduMikmod solo, arpege;
    if (!Rend(Seul(m, kCanalSolo), &solo) || !Rend(Seul(m, kCanalArpege), &arpege)) return 1;
    std::printf("lead's share of the mix: %+.2f dB; energy under 300 Hz: %.1f %%\n",
                RmsEntre(solo.stereo, 0, r.secondes) - RmsEntre(r.stereo, 0, r.secondes),
                100.0 * std::pow(10.0, EnergieBande(r.stereo, 0, 300) / 10.0));
    // Where the low end comes from: each channel soloed, its level against
    // the mix and its own energy under 300 Hz against the mix's.
    std::printf(
        "each channel soloed: level against the mix, its energy under 300 Hz against the "
        "mix's:\n");
    for (int k = 0; k < m.canaux; ++k) {
        RenduMikmod seul;
        if (!Rend(Seul(m, k), &seul)) return 1;
        const double niveau =
            RmsEntre(seul.stereo, 0, r.secondes) - RmsEntre(r.stereo, 0, r.secondes);
        if (niveau < -60) continue;
        std::printf("  %-17s %+6.2f dB, under 300 Hz %+6.2f dB\n", NomCanal(k), niveau,
                    BandeAbsolue(seul.stereo, 0, r.secondes, 0, 300) -
                        BandeAbsolue(r.stereo, 0, r.secondes, 0, 300));
    }
    std::printf("lead over arpeggio in 300-2000 Hz, sections where both play:\n");
    for (size_t s = 0; s + 1 < sections.size(); ++s) {
        const double a = temps(sections[s].premiereLigne),
                     b = temps(sections[s].premiereLigne + sections[s].lignes);
        if (RmsEntre(solo.stereo, a, b) < -60 || RmsEntre(arpege.stereo, a, b) < -60) continue;
        std::printf("  %-10s %+.2f dB\n", sections[s].scene.c_str(),
                    BandeAbsolue(solo.stereo, a, b, 300, 2000) -
                        BandeAbsolue(arpege.stereo, a, b, 300, 2000));
    }

    // Every cut: what leads into it and whether the landing is as loud.
    std::printf("cuts: kind of transition; 50 ms peak of the beat after minus the beat before\n");
    for (size_t s = 2; s + 1 < sections.size(); ++s) {
        const int coupe = sections[s].premiereLigne;
        bool roulement = false, fla = false, toms = false, ouvert = false, montee = false,
             frappe = false;
        for (int l = coupe - 2 * kLignesParTemps; l < coupe; ++l) {
            const CaseXM* c = lignes[size_t(l)];
            const bool dernierTemps = l >= coupe - kLignesParTemps;
            for (int k = 0; k < m.canaux; ++k) {
                if (c[k].effet == 0x0E && (c[k].parametre >> 4) == 0x9) roulement = true;
                if (c[k].effet == 0x0E && (c[k].parametre >> 4) == 0xD) fla = true;
                if (c[k].effet == kEffetGlisseVolume && (c[k].parametre >> 4) && k <= kCanalCymbale)
                    montee = true;
                if (dernierTemps && c[k].note && c[k].note != kNoteRelache) frappe = true;
            }
            if (c[kCanalGrosseCaisse].note && c[kCanalGrosseCaisse].note != kNoteRelache &&
                c[kCanalGrosseCaisse].note != kNoteDo4)
                toms = true;
            if (dernierTemps && c[kCanalOuvert].note && c[kCanalOuvert].note != kNoteRelache)
                ouvert = true;
        }
        const char* genre = !frappe     ? "stop with a tail"
                            : toms      ? "toms"
                            : fla       ? "flams"
                            : roulement ? "retriggered roll"
                            : montee    ? "riser"
                            : ouvert    ? "open hat"
                                        : "snare crescendo";
        const double t = temps(coupe), avant = temps(coupe - kLignesParTemps),
                     apres = temps(coupe + kLignesParTemps);
        const double pAvant = CreteCourte(Tranche(r.stereo, avant, t), 0.05),
                     pApres = CreteCourte(Tranche(r.stereo, t, apres), 0.05);
        std::printf("  into %-10s %-17s before %6.2f dBFS, after %6.2f dBFS: %+.2f dB\n",
                    sections[s].scene.c_str(), genre, pAvant, pApres, pApres - pAvant);
    }
    auto rmsSection = [&](const char* scene) {
        for (const SectionPlacee& s : sections)
            if (s.scene == scene)
                return RmsEntre(r.stereo, temps(s.premiereLigne),
                                temps(s.premiereLigne + s.lignes));
        return 0.0;
    };
    std::printf("title against logo: %+.2f dB\n", rmsSection("title") - rmsSection("logo"));

    // Drum velocities: the spread of the hits' peaks in each groove section.
    std::printf("hit peaks spread (max - min of each hit's peak, dB), per section:\n");
    for (size_t s = 0; s + 1 < sections.size(); ++s) {
        double ecarts[2] = {0, 0};
        int coups[2] = {0, 0};
        for (int tambour = 0; tambour < 2; ++tambour) {
            const int canal = tambour ? kCanalCaisseClaire : kCanalGrosseCaisse;
            const std::vector<int16_t>& rendu = tambour ? claire.stereo : grosse.stereo;
            double bas = 0, haut = -200;
            for (int l = sections[s].premiereLigne;
                 l < sections[s].premiereLigne + sections[s].lignes; ++l) {
                const CaseXM& c = lignes[size_t(l)][canal];
                if (!c.note || c.note == kNoteRelache) continue;
                const double p = CreteEntre(rendu, temps(l), temps(l) + 0.05);
                if (!coups[tambour]++) bas = p;
                bas = std::min(bas, p), haut = std::max(haut, p);
            }
            ecarts[tambour] = coups[tambour] ? haut - bas : 0;
        }
        if (coups[0] + coups[1] >= 16)
            std::printf("  %-10s kick %3d hits %.1f dB, snare %3d hits %.1f dB\n",
                        sections[s].scene.c_str(), coups[0], ecarts[0], coups[1], ecarts[1]);
    }

    // The performance: vibrato, slides, effect types and values, pan commands.
    {
        std::set<int> vibratos, types, valeurs;
        int notesLongues = 0, avecVibrato = 0, glisses = 0, panoramiques = 0, redites = 0;
        double glisseMin = 1e9, glisseMax = 0;
        std::vector<int> pan(m.canaux, -1);
        int debutNote = -1, precedente = 0;
        bool vibre = false;
        for (size_t l = 0; l <= lignes.size(); ++l) {
            for (int k = 0; l < lignes.size() && k < m.canaux; ++k) {
                const CaseXM& c = lignes[l][k];
                if (c.effet || c.parametre) {
                    types.insert(c.effet == 0x0E ? 0xE0 + (c.parametre >> 4) : c.effet);
                    valeurs.insert(c.effet * 256 + c.parametre);
                }
                if (c.effet == kEffetPanoramique) {
                    ++panoramiques;
                    if (pan[k] == c.parametre) ++redites;
                    pan[k] = c.parametre;
                }
            }
            const CaseXM c = l < lignes.size() ? lignes[l][kCanalSolo] : CaseXM{kNoteRelache};
            if (c.effet == kEffetVibrato) vibratos.insert(c.parametre), vibre = true;
            if (!c.note) continue;
            if (debutNote >= 0 && l - debutNote >= 6) {
                ++notesLongues;
                avecVibrato += vibre;
            }
            if (c.effet == kEffetPortamentoNote && precedente && c.parametre) {
                ++glisses;
                // Linear slides move a sixteenth of a semitone per unit per tick,
                // on every tick but the first of the rows that carry the command.
                const double besoin = std::ceil(std::abs(c.note - precedente) * 16.0 / c.parametre);
                int rangs = 1;
                while (l + rangs < lignes.size() &&
                       lignes[l + rangs][kCanalSolo].effet == kEffetPortamentoNote &&
                       !lignes[l + rangs][kCanalSolo].note)
                    ++rangs;
                const double ms =
                    std::min(besoin, double(rangs * (m.vitesse - 1))) * 2500.0 / m.bpm;
                glisseMin = std::min(glisseMin, ms), glisseMax = std::max(glisseMax, ms);
            }
            vibre = false;
            precedente = c.note == kNoteRelache ? 0 : c.note;
            debutNote = c.note == kNoteRelache ? -1 : int(l);
        }
        std::printf(
            "lead: %d of %d notes held 6 rows or more have vibrato, %zu distinct vibratos\n",
            avecVibrato, notesLongues, vibratos.size());
        std::printf("lead: %d slides lasting %.0f to %.0f ms\n", glisses, glisses ? glisseMin : 0.0,
                    glisseMax);
        std::printf("effect types: %zu (", types.size());
        for (int t : types) std::printf(t >= 0xE0 ? " E%X" : " %X", t >= 0xE0 ? t - 0xE0 : t);
        std::printf(" ), %zu distinct commands; pan: %d sent, %d repeating the channel's own\n",
                    valeurs.size(), panoramiques, redites);
    }

    // Progressions: the eight-bar round and the sixteenth arpeggio.
    {
        static const char* noms[] = {"C",  "C#", "D",  "D#", "E",  "F",
                                     "F#", "G",  "G#", "A",  "A#", "B"};
        int voix[3] = {0, 0, 0};
        std::vector<std::string> accords;
        std::vector<double> debuts;
        int ligne = 0, seizes = 0;
        for (uint8_t o : m.ordre) {
            const MotifXM& motif = m.motifs[o];
            for (int v = 0; v < 3; ++v) {
                const uint8_t note = motif.cases[kCanalNappe1 + v].note;
                if (note && note != kNoteRelache) voix[v] = note;
            }
            const int tierce = ((voix[1] - voix[0]) % 12 + 12) % 12;
            accords.push_back(std::string(noms[(voix[0] + 11) % 12]) + (tierce == 3 ? "m" : ""));
            debuts.push_back(temps(ligne));
            // A run of four sixteenths in a row on the arpeggio.
            int suite = 0, plus = 0;
            for (size_t l = 0; l < motif.lignes; ++l) {
                const uint8_t n = motif.cases[l * m.canaux + kCanalArpege].note;
                suite = n && n != kNoteRelache ? suite + 1 : 0;
                plus = std::max(plus, suite);
            }
            seizes += plus >= 4;
            ligne += motif.lignes;
        }
        debuts.push_back(temps(ligne));
        const std::string ronde[] = {"Am", "F", "C", "G", "Dm", "Am", "F", "E"};
        size_t meilleurDebut = 0, meilleurLong = 0;
        for (size_t i = 0; i < accords.size(); ++i)
            for (size_t k = 0; k < 8; ++k) {
                size_t n = 0;
                while (i + n < accords.size() && accords[i + n] == ronde[(k + n) % 8]) ++n;
                if (n > meilleurLong) meilleurLong = n, meilleurDebut = i;
            }
        std::printf("longest unbroken 8-chord round: %zu bars, %.2f to %.2f s\n", meilleurLong,
                    debuts[meilleurDebut], debuts[meilleurDebut + meilleurLong]);
        std::printf("sixteenth arpeggio in %d of %zu bars: rests in %.0f %%\n", seizes,
                    accords.size(), 100.0 * (accords.size() - seizes) / accords.size());
        std::printf("chords per section:\n");
        for (size_t s = 0; s + 1 < sections.size(); ++s) {
            std::printf("  %-10s", sections[s].scene.c_str());
            for (size_t i = 0; i < accords.size(); ++i)
                if (debuts[i] >= temps(sections[s].premiereLigne) - 1e-6 &&
                    debuts[i] < temps(sections[s].premiereLigne + sections[s].lignes) - 1e-6)
                    std::printf(" %s", accords[i].c_str());
            std::printf("\n");
        }
    }
    return 0;
}
