// kazzmot-mesure-musique [--wav FOLDER]: composes the soundtrack, plays it
// through libmikmod as the production does and prints what a listener's
// review measures, section by section: each layer's loudness and the lead
// against the rest of the mix, the stretches without a line in front, the
// drums' attack and tail, the lead's rhythm and its riff, the tempos, the
// layers of the television section, the low end, the ending, the headroom,
// the drop, the breakdown's dip, the width and every downbeat against its
// scene. A layer is heard alone by keeping the other channels' notes at
// volume 0, so that every tempo command is still obeyed. With --wav, the mix
// and each layer alone are written to FOLDER as WAVE files.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <map>
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

// The frames of a render between two times.
std::vector<int16_t> Tranche(const std::vector<int16_t>& stereo, double debut, double fin) {
    const size_t a = std::min(stereo.size(), size_t(std::max(0.0, debut) * 44100) * 2);
    const size_t b = std::min(stereo.size(), size_t(std::max(0.0, fin) * 44100) * 2);
    return std::vector<int16_t>(stereo.begin() + a, stereo.begin() + std::max(a, b));
}

// A module of one note of one instrument, rendered.
bool UneNote(NumeroInstrument instrument, RenduMikmod* rendu) {
    ModuleXM m;
    m.nom = "note";
    m.canaux = 2;
    MotifXM motif;
    motif.lignes = 64;
    motif.cases.resize(128);
    motif.cases[0] = {kNoteDo4, static_cast<uint8_t>(instrument), VolumeColonne(64), 0, 0};
    m.motifs = {motif};
    m.ordre = {0};
    std::string erreur;
    if (!SynthetiseInstruments(&m.instruments, &erreur)) {
        std::fprintf(stderr, "kazzmot-mesure-musique: %s\n", erreur.c_str());
        return false;
    }
    return Rend(m, rendu);
}

// The share of a band in a short stretch, centred in silence so the analysis
// window does not fade it.
double PartCourte(const std::vector<int16_t>& stereo, double debut, double duree, double fMin,
                  double fMax) {
    const std::vector<int16_t> t = Tranche(stereo, debut, debut + duree);
    std::vector<int16_t> centre(std::max<size_t>(8192 * 2, t.size()), 0);
    std::copy(t.begin(), t.end(), centre.begin() + (centre.size() - t.size()) / 4 * 2);
    return EnergieBande(centre, fMin, fMax);
}

std::string Lu(double v) {
    char texte[32];
    if (v < -100)
        std::snprintf(texte, sizeof texte, "%6s", "-");
    else
        std::snprintf(texte, sizeof texte, "%6.1f", v);
    return texte;
}

}  // namespace

int main(int argc, char** argv) {
    const char* dossierWav = nullptr;
    if (argc == 3 && std::strcmp(argv[1], "--wav") == 0) {
        dossierWav = argv[2];
    } else if (argc != 1) {
        std::fprintf(stderr, "usage: %s [--wav FOLDER]\n", argv[0]);
        return 1;
    }
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
    auto debut = [&](const std::string& scene) {
        for (const SectionPlacee& s : sections)
            if (s.scene == scene) return temps(s.premiereLigne);
        return 0.0;
    };
    auto fin = [&](const SectionPlacee& s) { return temps(s.premiereLigne + s.lignes); };
    const auto& reperes = ReperesProduction();

    // Every layer alone, and the mix without the lead.
    const std::vector<Couche>& couches = Couches();
    std::vector<RenduMikmod> seules(couches.size());
    for (size_t c = 0; c < couches.size(); ++c)
        if (!Rend(CanauxSeuls(m, couches[c].canaux), &seules[c])) return 1;
    const size_t solo = kCoucheSolo;
    RenduMikmod reste;
    if (!Rend(CanauxSeuls(m, couches[solo].canaux, true), &reste)) return 1;
    if (dossierWav) {
        EcritWav(std::string(dossierWav) + "/mix.wav", r.stereo);
        EcritWav(std::string(dossierWav) + "/sans-lead.wav", reste.stereo);
        for (size_t c = 0; c < couches.size(); ++c)
            EcritWav(std::string(dossierWav) + "/" + couches[c].nom + ".wav", seules[c].stereo);
    }

    std::printf("length %.2f s (score %.2f s), peak %.2f dBFS in libmikmod\n", r.secondes,
                DureeModule(m), CreteDbfs(r.stereo));

    // --- each layer's loudness per section, the lead against the rest ---------
    std::printf(
        "\nloudness per section (LUFS) of each layer alone, and the lead against the rest "
        "of the mix (LU):\n  %-10s",
        "section");
    for (const Couche& c : couches) std::printf(" %8s", c.nom);
    std::printf(" %8s %9s  loudest\n", "mix", "lead-rest");
    for (size_t s = 1; s + 1 < sections.size(); ++s) {
        const double a = temps(sections[s].premiereLigne), b = fin(sections[s]);
        std::printf("  %-10s", sections[s].scene.c_str());
        size_t plusFort = 0;
        std::vector<double> l(couches.size());
        for (size_t c = 0; c < couches.size(); ++c) {
            l[c] = Lufs(seules[c].stereo, a, b);
            if (l[c] > l[plusFort]) plusFort = c;
            std::printf("   %s", Lu(l[c]).c_str());
        }
        std::printf("   %s", Lu(Lufs(r.stereo, a, b)).c_str());
        const double ecart = l[solo] - Lufs(reste.stereo, a, b);
        std::printf("    %s  %s\n", Lu(l[solo] < -100 ? -200 : ecart).c_str(),
                    couches[plusFort].nom);
    }

    // --- stretches without a line in front -------------------------------------
    // Bars in playing order: each pattern is one bar.
    std::vector<int> debutsMesures;
    {
        int ligne = 0;
        for (uint8_t o : m.ordre) debutsMesures.push_back(ligne), ligne += m.motifs[o].lignes;
        debutsMesures.push_back(ligne);
    }
    {
        // A bar has a line in front when the lead's layer is within 6 dB of
        // the rest of the mix there.
        const double depuis = debut("logo"), jusqua = temps(sections.back().premiereLigne);
        double pire = 0, pireDebut = 0, courant = 0, courantDebut = 0;
        int mesures = 0, pireMesures = 0;
        for (size_t b = 0; b + 1 < debutsMesures.size(); ++b) {
            const double a = temps(debutsMesures[b]), z = temps(debutsMesures[b + 1]);
            if (a < depuis - 1e-6 || a >= jusqua - 1e-6) continue;
            const bool devant =
                RmsEntre(seules[solo].stereo, a, z) >= RmsEntre(reste.stereo, a, z) - 6;
            if (devant) {
                courant = 0, mesures = 0;
                continue;
            }
            if (courant == 0) courantDebut = a;
            courant += z - a, ++mesures;
            if (courant > pire) pire = courant, pireDebut = courantDebut, pireMesures = mesures;
        }
        std::printf(
            "\nlongest stretch from the logo on without a line in front (lead within 6 dB "
            "of the rest): %d bars, %.2f s from %.2f s\n",
            pireMesures, pire, pireDebut);
        const double t0 = debut("title"), t1 = debut("bubbles");
        std::printf("title's hook: %.1f LUFS, bass %.1f LUFS, rest of the mix %.1f LUFS\n",
                    Lufs(seules[solo].stereo, t0, t1), Lufs(seules[4].stereo, t0, t1),
                    Lufs(reste.stereo, t0, t1));
    }

    // --- the drums --------------------------------------------------------------
    {
        RenduMikmod caisse, grosse;
        if (!UneNote(kCaisseClaire, &caisse) || !UneNote(kGrosseCaisse, &grosse)) return 1;
        const InstrumentXM& cc = m.instruments[kCaisseClaire - 1];
        // The snare's tail: its last 10 ms against its loudest 10 ms.
        std::vector<int16_t> echantillon;
        for (int16_t v : cc.echantillon) echantillon.push_back(v), echantillon.push_back(v);
        const double duree = cc.echantillon.size() / 44100.0;
        std::printf(
            "\nsnare: above 10 kHz in its first 100 ms %+.1f dB of its total; sample %.3f "
            "s, its last 10 ms %+.1f dB under its loudest 10 ms\n",
            PartCourte(caisse.stereo, 0, 0.1, 10000, 22050), duree,
            RmsEntre(echantillon, duree - 0.01, duree) - CreteCourte(echantillon, 0.01));
        std::printf(
            "kick: above 1 kHz in its first 5 ms %+.1f dB of its total, 30-200 Hz in its "
            "body %+.1f dB\n",
            PartCourte(grosse.stereo, 0, 0.005, 1000, 22050),
            PartCourte(grosse.stereo, 0.01, 0.2, 30, 200));
        std::printf("drum layers per section (LUFS):\n");
        for (size_t s = 1; s + 1 < sections.size(); ++s) {
            const double a = temps(sections[s].premiereLigne), b = fin(sections[s]);
            std::printf(
                "  %-10s kick %s  snare %s  hats %s  (hats %s LU against the snare)\n",
                sections[s].scene.c_str(), Lu(Lufs(seules[0].stereo, a, b)).c_str(),
                Lu(Lufs(seules[1].stereo, a, b)).c_str(), Lu(Lufs(seules[2].stereo, a, b)).c_str(),
                Lu(std::max(Lufs(seules[2].stereo, a, b), Lufs(seules[1].stereo, a, b)) < -100 ||
                           std::min(Lufs(seules[2].stereo, a, b), Lufs(seules[1].stereo, a, b)) <
                               -100
                       ? -200
                       : Lufs(seules[2].stereo, a, b) - Lufs(seules[1].stereo, a, b))
                    .c_str());
        }
    }

    // --- the song row by row ------------------------------------------------------
    std::vector<const CaseXM*> lignes;
    for (uint8_t o : m.ordre)
        for (size_t l = 0; l < m.motifs[o].lignes; ++l)
            lignes.push_back(&m.motifs[o].cases[l * m.canaux]);

    // --- the lead's rhythm and its riff -------------------------------------------
    {
        int notes = 0, impaires = 0;
        // Each bar of the line in front (the lead, or the hook where the lead
        // rests), as the notes it strikes and where.
        std::map<std::string, int> figures, doubles;
        std::string precedente;
        for (size_t b = 0; b + 1 < debutsMesures.size(); ++b) {
            std::string figure;
            for (int canal : {kCanalSolo, kCanalDoublure}) {
                for (int l = debutsMesures[b]; l < debutsMesures[b + 1]; ++l) {
                    const CaseXM& c = lignes[size_t(l)][canal];
                    if (!c.note || c.note == kNoteRelache) continue;
                    figure +=
                        std::to_string(l - debutsMesures[b]) + ":" + std::to_string(c.note) + " ";
                    if (canal == kCanalSolo) {
                        ++notes;
                        impaires += (l - debutsMesures[b]) % 2;
                    }
                }
                if (!figure.empty()) break;
            }
            if (std::count(figure.begin(), figure.end(), ':') >= 3) ++figures[figure];
            if (!figure.empty() && !precedente.empty()) ++doubles[precedente + "| " + figure];
            precedente = figure;
        }
        int plus = 0, plusDouble = 0;
        for (const auto& [f, n] : figures) plus = std::max(plus, n);
        for (const auto& [f, n] : doubles) plusDouble = std::max(plusDouble, n);
        std::printf(
            "\nlead: %d onsets, %d on an odd sixteenth (%.1f %% off the eighth-note grid)\n", notes,
            impaires, notes ? 100.0 * impaires / notes : 0.0);
        std::printf("riff: the most heard one-bar figure %d times, two-bar figure %d times\n", plus,
                    plusDouble);
        // The same heard in the lead's stem: where its notes start (a tick
        // after their row, the envelope's first step), against the rows.
        int entendues = 0, entenduesImpaires = 0;
        const double tick = kSecondesParLigne / kTicksParLigne;
        size_t b = 0;
        for (double t : Attaques(seules[solo].stereo, debut("logo"), debut("finale"))) {
            // The row that starts nearest to a tick before the onset.
            size_t l = size_t(std::upper_bound(instants.begin(), instants.end(), t - tick) -
                              instants.begin());
            l = l > 0 ? l - 1 : 0;
            if (l + 1 < instants.size() && instants[l + 1] - (t - tick) < (t - tick) - instants[l])
                ++l;
            while (b + 1 < debutsMesures.size() && debutsMesures[b + 1] <= int(l)) ++b;
            ++entendues;
            entenduesImpaires += (int(l) - debutsMesures[b]) % 2;
        }
        std::printf("lead's stem: %d onsets heard, %d on an odd sixteenth (%.1f %%)\n", entendues,
                    entenduesImpaires, entendues ? 100.0 * entenduesImpaires / entendues : 0.0);
    }

    // --- tempos -----------------------------------------------------------------
    {
        std::set<int> tempos;
        for (const CaseXM* ligne : lignes)
            for (int k = 0; k < m.canaux; ++k)
                if (ligne[k].effet == kEffetVitesse && ligne[k].parametre >= 32)
                    tempos.insert(ligne[k].parametre);
        tempos.insert(m.bpm);
        std::printf("\ntempos: %zu distinct (", tempos.size());
        for (int t : tempos) std::printf(" %d", t);
        std::printf(
            " )\nbeats per minute of each section, as played (rows of a quarter of a "
            "beat):\n");
        double bas = 1e9, haut = 0;
        for (size_t s = 0; s + 1 < sections.size(); ++s) {
            const double bpm = 60.0 * sections[s].lignes / kLignesParTemps /
                               (fin(sections[s]) - temps(sections[s].premiereLigne));
            std::printf("  %-10s %7.2f\n", sections[s].scene.c_str(), bpm);
            if (sections[s].scene != "pause" && sections[s].scene != "countdown" &&
                sections[s].scene != "credits" && sections[s].scene != "finale")
                bas = std::min(bas, bpm), haut = std::max(haut, bpm);
        }
        std::printf(
            "grooved sections (logo to crawl, the breakdown aside): %.2f to %.2f BPM, "
            "spread %.2f\n",
            bas, haut, haut - bas);
        std::printf("heard in the kick's stem (median of the beats between its strokes):");
        for (size_t s = 2; s + 1 < sections.size(); ++s) {
            const std::vector<double> coups =
                Attaques(seules[0].stereo, temps(sections[s].premiereLigne), fin(sections[s]));
            std::vector<double> battues;
            for (size_t i = 1; i < coups.size(); ++i)
                if (coups[i] - coups[i - 1] > 0.4 && coups[i] - coups[i - 1] < 0.6)
                    battues.push_back(coups[i] - coups[i - 1]);
            if (battues.size() < 4) continue;
            std::nth_element(battues.begin(), battues.begin() + battues.size() / 2, battues.end());
            std::printf(" %s %.2f", sections[s].scene.c_str(), 60.0 / battues[battues.size() / 2]);
        }
        std::printf("\n");
    }

    // --- the television section's layers -----------------------------------------
    {
        std::set<std::string> combinaisons;
        const double a = debut("television"), z = debut("credits");
        int mesures = 0;
        std::printf("\ntelevision section, layers heard in each bar (within 30 dB of the mix):\n");
        for (size_t b = 0; b + 1 < debutsMesures.size(); ++b) {
            const double t0 = temps(debutsMesures[b]), t1 = temps(debutsMesures[b + 1]);
            if (t0 < a - 1e-6 || t0 >= z - 1e-6) continue;
            std::string jeu;
            const double mix = RmsEntre(r.stereo, t0, t1);
            for (size_t c = 0; c < couches.size(); ++c)
                if (RmsEntre(seules[c].stereo, t0, t1) >= mix - 30)
                    jeu += std::string(jeu.empty() ? "" : " ") + couches[c].nom;
            combinaisons.insert(jeu);
            std::printf("  %6.2f s  %s\n", t0, jeu.c_str());
            ++mesures;
        }
        std::printf("  %d bars, %zu combinations of layers\n", mesures, combinaisons.size());
    }

    // --- the low end --------------------------------------------------------------
    {
        std::printf("\nenergy under 300 Hz: %.1f %% of the whole piece\n",
                    100.0 * std::pow(10.0, EnergieBande(r.stereo, 0, 300) / 10.0));
        std::printf(
            "kick's body at %.0f Hz, bass at %.0f Hz (median of their energy from 20 to "
            "250 Hz)\n",
            FrequenceMediane(seules[0].stereo, 20, 250),
            FrequenceMediane(seules[4].stereo, 20, 250));
        std::printf("kick and bass alone, share of their own energy per band:\n");
        const double bandes[] = {20, 40, 60, 80, 100, 130, 170, 250};
        std::printf("  %-6s", "");
        for (int i = 0; i + 1 < 8; ++i) std::printf(" %4.0f-%-4.0f", bandes[i], bandes[i + 1]);
        std::printf("\n");
        for (size_t c : {size_t(0), size_t(4)}) {
            std::printf("  %-6s", couches[c].nom);
            for (int i = 0; i + 1 < 8; ++i)
                std::printf(" %8.1f%%",
                            100.0 * std::pow(10.0, EnergieBande(seules[c].stereo, bandes[i],
                                                                bandes[i + 1]) /
                                                       10.0));
            std::printf("\n");
        }
    }

    // --- the ending -----------------------------------------------------------------
    {
        const double accord = debut("finale"), relache = reperes.back().debut;
        const double crete = CreteCourte(Tranche(r.stereo, accord, accord + 0.3), 0.05);
        double chute = -1;
        for (double t = accord; t + 0.05 <= r.secondes; t += 0.01)
            if (RmsEntre(r.stereo, t, t + 0.05) < crete - 40) {
                chute = t;
                break;
            }
        size_t zeros = r.stereo.size();
        while (zeros >= 2 && std::abs(r.stereo[zeros - 1]) <= 1 &&
               std::abs(r.stereo[zeros - 2]) <= 1)
            zeros -= 2;
        std::printf(
            "\nending: final chord struck at %.2f s; the production lets the music go at "
            "%.2f s, where the mix is %+.1f dB under the chord's loudest 50 ms;\n"
            "  the music falls 40 dB under it at %.2f s; the module ends at %.2f s "
            "(%.2f s after the release), %.2f s of digital silence at its end\n",
            accord, relache, RmsEntre(r.stereo, relache - 0.05, relache) - crete, chute, r.secondes,
            r.secondes - relache, r.secondes - zeros / 2 / 44100.0);
    }

    // --- what the earlier rounds kept ---------------------------------------------
    const double bulles = debut("bubbles");
    std::printf("\ndrop into the bubbles at %.2f s: %+.2f dB (10 s after against 10 s before)\n",
                bulles,
                RmsEntre(r.stereo, bulles, bulles + 10) - RmsEntre(r.stereo, bulles - 10, bulles));
    const double pont = debut("credits"), apresPont = debut("greetings");
    std::printf("breakdown %.2f-%.2f s: %+.2f dB against the 10 s before\n", pont, apresPont,
                RmsEntre(r.stereo, pont, apresPont) - RmsEntre(r.stereo, pont - 10, pont));
    std::printf("side to mid: %.2f dB\n", CoteSurMilieu(r.stereo));
    {
        const std::vector<double> fenetres = RmsParFenetres(r.stereo, 10.0);
        size_t bas = 1, haut = 1;
        for (size_t i = 1; i < fenetres.size(); ++i) {
            if (fenetres[i] < fenetres[bas]) bas = i;
            if (fenetres[i] > fenetres[haut]) haut = i;
        }
        std::printf(
            "10 s windows after the first: quietest %.2f dBFS at %zu s, loudest %.2f "
            "dBFS at %zu s\n",
            fenetres[bas], bas * 10, fenetres[haut], haut * 10);
    }
    const double finProduction = temps(sections.back().premiereLigne);
    std::printf("longest digital silence (< -70 dBFS) before %.2f s: %.2f s\n", finProduction,
                PlusLongSilence(r.stereo, -70.0, finProduction - 0.05));
    std::printf(
        "downbeat of each section against its scene (+ after the scene), and where "
        "libmikmod strikes the kick:\n");
    double pireEcart = 0;
    for (size_t s = 1; s + 1 < sections.size(); ++s) {
        const double t = temps(sections[s].premiereLigne);
        const double ecart = (t - reperes[s].debut) * 1000;
        pireEcart = std::max(pireEcart, std::fabs(ecart));
        // The millisecond whose level rises most over the one 2 ms before,
        // from 30 ms before the row to 50 ms after.
        double entendu = -1, saut = 10;
        const CaseXM& coup = lignes[size_t(sections[s].premiereLigne)][kCanalGrosseCaisse];
        for (double u = t - 0.03; coup.note && coup.note != kNoteRelache && u < t + 0.05;
             u += 0.001) {
            const double monte = RmsEntre(seules[0].stereo, u, u + 0.001) -
                                 RmsEntre(seules[0].stereo, u - 0.002, u - 0.001);
            if (monte > saut) saut = monte, entendu = u;
        }
        std::printf("  %-10s scene %7.3f s, downbeat %7.3f s: %+4.0f ms", sections[s].scene.c_str(),
                    reperes[s].debut, t, ecart);
        if (entendu >= 0)
            std::printf("; kick heard %+4.0f ms", (entendu - reperes[s].debut) * 1000);
        std::printf("\n");
    }
    std::printf("worst downbeat offset: %.0f ms\n", pireEcart);
    return 0;
}
