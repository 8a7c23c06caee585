// kazzmot-mesure-musique: composes the soundtrack, plays it through libmikmod
// as the production does and prints what a listener's review measures: the
// drop into the bubbles scene, the breakdown's dip, the width of the mix, the
// hi-hat's band, the snare against the kick, the effect commands the score
// uses, when the lead's theme is first heard and the bar cut at each scene.
#include <cstdio>
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

// The module with every channel silent but one.
ModuleXM Seul(ModuleXM m, int canal) {
    for (MotifXM& motif : m.motifs)
        for (size_t i = 0; i < motif.cases.size(); ++i)
            if (int(i % m.canaux) != canal) motif.cases[i] = CaseXM{};
    return m;
}

const char* NomCanal(int canal) {
    static const char* noms[] = {"kick",           "snare",      "hi-hat",   "cymbal",
                                 "bass",           "pad 1",      "pad 2",    "pad 3",
                                 "lead",           "echo",       "arpeggio", "hook and doubling",
                                 "counter-melody", "open hi-hat"};
    return canal >= 0 && canal < int(sizeof noms / sizeof *noms) ? noms[canal] : "?";
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
    auto debut = [&](const char* scene) {
        for (const SectionPlacee& s : sections)
            if (s.scene == scene) return s.premiereLigne * kSecondesParLigne;
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
        if (k == kCanalSolo && !notes.empty()) entreeSolo = notes[0].first * kSecondesParLigne;
        for (size_t i = 0; i + 5 <= notes.size(); ++i) {
            bool egal = true;
            for (int j = 0; j < 5; ++j) egal = egal && notes[i + j].second == tete[j];
            if (egal && (premiere < 0 || notes[i].first * kSecondesParLigne < premiere)) {
                premiere = notes[i].first * kSecondesParLigne;
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
                    debuts[meilleurDebut] * kSecondesParLigne,
                    debuts[meilleurDebut + meilleurLong] * kSecondesParLigne);
    }

    std::printf("bar before each scene change (rows; 16 is a full bar):\n");
    size_t o = 0;
    int ligne = 0;
    for (size_t s = 1; s < sections.size(); ++s) {
        while (o < longueurs.size() && ligne + longueurs[o] < sections[s].premiereLigne)
            ligne += longueurs[o++];
        std::printf("  %-10s at %7.2f s: %2d rows\n", sections[s].scene.c_str(),
                    sections[s].premiereLigne * kSecondesParLigne,
                    o < longueurs.size() ? longueurs[o] : 0);
    }
    return 0;
}
