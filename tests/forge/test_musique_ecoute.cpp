// The soundtrack heard through three engines: libmikmod (as SDL_mixer plays
// it), xmp and openmpt123. Pitch of single notes, agreement on the length,
// and the loudness of the whole mix, all measured without listening.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <unistd.h>

#include "ecoute.h"
#include "partition.h"
#include "synthese.h"
#include "xm.h"

namespace {

constexpr double kPi = 3.14159265358979323846;

std::vector<uint8_t> Octets(const ModuleXM& m) {
    std::vector<uint8_t> f;
    std::string erreur;
    EXPECT_TRUE(EcritModuleXM(&m, &f, &erreur)) << erreur;
    return f;
}

// The production's module, composed once for the whole program.
const std::vector<uint8_t>& ModuleProduction() {
    static const std::vector<uint8_t> octets = [] {
        ModuleXM m;
        std::string erreur;
        EXPECT_TRUE(ComposeModule(ReperesProduction(), &m, &erreur)) << erreur;
        return Octets(m);
    }();
    return octets;
}

const RenduMikmod& RenduProduction() {
    static const RenduMikmod rendu = [] {
        RenduMikmod r;
        std::string erreur;
        EXPECT_TRUE(RendAvecMikmod(ModuleProduction(), 600.0, &r, &erreur)) << erreur;
        return r;
    }();
    return rendu;
}

double DureeAttendue() {
    ModuleXM m;
    std::string erreur;
    EXPECT_TRUE(ComposeModule(ReperesProduction(), &m, &erreur)) << erreur;
    return DureeModule(m);
}

// A module of one note held on one channel, with every instrument of the score.
std::vector<uint8_t> UneNote(NumeroInstrument instrument, int note) {
    ModuleXM m;
    m.nom = "note";
    m.canaux = 2;
    MotifXM motif;
    motif.lignes = 64;
    motif.cases.resize(128);
    motif.cases[0] = {static_cast<uint8_t>(note), static_cast<uint8_t>(instrument),
                      VolumeColonne(64), 0, 0};
    m.motifs = {motif};
    m.ordre = {0};
    m.instruments = SynthetiseInstruments();
    return Octets(m);
}

double FrequenceNote(int note) {
    return 440.0 * std::pow(2.0, (note - 58) / 12.0);
}

double Cents(double mesure, double attendu) {
    return 1200.0 * std::log2(mesure / attendu);
}

bool Outil(const char* nom) {
    const std::string commande = std::string("command -v ") + nom + " >/dev/null 2>&1";
    return std::system(commande.c_str()) == 0;
}

struct Temporaire {
    std::string chemin;
    explicit Temporaire(const std::string& suffixe) {
        char modele[] = "/tmp/kazz_musique_XXXXXX";
        const int fd = mkstemp(modele);
        if (fd >= 0) close(fd);
        std::remove(modele);
        chemin = std::string(modele) + suffixe;
    }
    ~Temporaire() { std::remove(chemin.c_str()); }
};

void Ecrit(const std::string& chemin, const std::vector<uint8_t>& octets) {
    std::ofstream f(chemin, std::ios::binary);
    f.write(reinterpret_cast<const char*>(octets.data()),
            static_cast<std::streamsize>(octets.size()));
}

std::string Sortie(const std::string& commande) {
    std::string texte;
    FILE* p = popen(commande.c_str(), "r");
    if (!p) return texte;
    char tampon[512];
    while (fgets(tampon, sizeof tampon, p)) texte += tampon;
    pclose(p);
    return texte;
}

// Frames of 16-bit stereo in a RIFF WAVE file, read from its data chunk.
std::vector<int16_t> LitWav(const std::string& chemin) {
    std::ifstream f(chemin, std::ios::binary);
    std::vector<uint8_t> o((std::istreambuf_iterator<char>(f)), {});
    size_t p = 12;
    while (p + 8 <= o.size()) {
        const uint32_t taille =
            o[p + 4] | (o[p + 5] << 8) | (o[p + 6] << 16) | (uint32_t(o[p + 7]) << 24);
        if (std::equal(o.begin() + p, o.begin() + p + 4, "data")) {
            const size_t fin = std::min(o.size(), p + 8 + size_t(taille));
            std::vector<int16_t> s((fin - p - 8) / 2);
            for (size_t i = 0; i < s.size(); ++i)
                s[i] = int16_t(o[p + 8 + 2 * i] | (o[p + 9 + 2 * i] << 8));
            return s;
        }
        p += 8 + taille + (taille & 1);
    }
    return {};
}

void VerifieNiveaux(const std::vector<int16_t>& stereo, double duree, const char* moteur) {
    ASSERT_GT(stereo.size(), 44100u * 2 * 20) << moteur;
    EXPECT_LT(CreteDbfs(stereo), -1.0) << moteur;
    const std::vector<double> fenetres = RmsParFenetres(stereo, 10.0);
    for (size_t i = 1; i < fenetres.size(); ++i) {
        EXPECT_GE(fenetres[i], -24.0) << moteur << " window " << i * 10 << " s";
        EXPECT_LE(fenetres[i], -12.0) << moteur << " window " << i * 10 << " s";
    }
    // Silence is allowed only in the ring-out of the last chord.
    EXPECT_LE(PlusLongSilence(stereo, -60.0, duree - 2.0), 2.0) << moteur;
}

}  // namespace

// --- the measuring tools on signals of known content ------------------------

TEST(MusiqueMesures, PitchOfASynthesisedToneIsFound) {
    for (double f : {55.0, 110.0, 261.63, 440.0, 987.77}) {
        std::vector<int16_t> stereo(44100 * 2);
        for (size_t i = 0; i < 44100; ++i) {
            // A rich tone: fundamental plus strong harmonics.
            const double t = i / 44100.0;
            const double v = std::sin(2 * kPi * f * t) + 0.7 * std::sin(4 * kPi * f * t) +
                             0.5 * std::sin(6 * kPi * f * t + 1.0);
            stereo[2 * i] = stereo[2 * i + 1] = int16_t(v * 9000);
        }
        EXPECT_NEAR(Cents(HauteurMesuree(stereo, 0.2, 0.3, f * 1.05), f), 0.0, 1.0) << f;
    }
    std::vector<int16_t> muet(44100 * 2, 0);
    EXPECT_EQ(0.0, HauteurMesuree(muet, 0.2, 0.3, 440.0));
}

TEST(MusiqueMesures, LevelsAndSilencesOfKnownSignals) {
    // 3 s of a full-scale-half sine, 3 s of silence, 1 s of sine.
    std::vector<int16_t> s(44100 * 7 * 2, 0);
    for (size_t i = 0; i < 44100 * 7; ++i) {
        if (i >= 44100 * 3 && i < 44100 * 6) continue;
        const int16_t v = int16_t(16384 * std::sin(2 * kPi * 1000.0 * i / 44100.0));
        s[2 * i] = s[2 * i + 1] = v;
    }
    EXPECT_NEAR(CreteDbfs(s), -6.02, 0.05);
    const std::vector<double> fenetres = RmsParFenetres(s, 1.0);
    ASSERT_EQ(7u, fenetres.size());
    EXPECT_NEAR(fenetres[0], -9.03, 0.05);  // a sine's RMS is 3 dB under its peak
    EXPECT_LT(fenetres[4], -100.0);
    EXPECT_NEAR(PlusLongSilence(s, -60.0, 7.0), 3.0, 0.06);
    EXPECT_EQ(0.0, PlusLongSilence(s, -60.0, 2.9));
    EXPECT_NEAR(RmsEntre(s, 0.0, 3.0), -9.03, 0.05);
    EXPECT_LT(RmsEntre(s, 3.0, 6.0), -100.0);
    EXPECT_NEAR(CreteCourte(s, 0.05), -9.03, 0.05);
    // Both channels equal: no side at all; one channel alone: side as loud as mid.
    EXPECT_LT(CoteSurMilieu(s), -100.0);
    std::vector<int16_t> gauche = s;
    for (size_t i = 1; i < gauche.size(); i += 2) gauche[i] = 0;
    EXPECT_NEAR(CoteSurMilieu(gauche), 0.0, 0.01);
    // The 1 kHz tone is all in its own band and nothing in the hi-hat's.
    EXPECT_GT(EnergieBande(s, 900.0, 1100.0), -0.1);
    EXPECT_LT(EnergieBande(s, 4000.0, 8000.0), -60.0);
}

// --- the instruments play at their pitch ------------------------------------

TEST(MusiqueEcoute, EveryTonalInstrumentPlaysItsNoteAtItsPitch) {
    struct Cas {
        NumeroInstrument instrument;
        int note;
        double debut;
    };
    // E-4, A-4, C-5 and G-5 across the voices that carry pitch.
    const Cas cas[] = {{kBasse, 22, 0.3},   {kBasse, 34, 0.3},  {kNappe, 46, 1.0},
                       {kNappe, 53, 1.0},   {kSolo, 58, 0.4},   {kEcho, 61, 0.4},
                       {kArpege, 58, 0.02}, {kArpege, 68, 0.02}};
    for (const Cas& c : cas) {
        RenduMikmod r;
        std::string erreur;
        ASSERT_TRUE(RendAvecMikmod(UneNote(c.instrument, c.note), 2.0, &r, &erreur)) << erreur;
        const double attendue = FrequenceNote(c.note);
        const double mesuree = HauteurMesuree(r.stereo, c.debut, 0.25, attendue);
        ASSERT_GT(mesuree, 0.0) << "instrument " << c.instrument << " note " << c.note;
        EXPECT_NEAR(Cents(mesuree, attendue), 0.0, 2.0)
            << "instrument " << c.instrument << " note " << c.note << ": " << mesuree << " Hz";
    }
}

TEST(MusiqueEcoute, EveryVoiceHasItsAttackAndItsBodyAndJoinsItsLoop) {
    // The share of a band in a stretch of one note; a stretch shorter than the
    // analysis window is set in the middle of silence so that it is not faded.
    auto part = [](const std::vector<int16_t>& stereo, double debut, double duree, double fMin,
                   double fMax) {
        const size_t n = size_t(duree * 44100),
                     a = std::min(stereo.size() / 2, size_t(debut * 44100));
        const size_t b = std::min(stereo.size() / 2, a + n);
        std::vector<int16_t> tranche(stereo.begin() + a * 2, stereo.begin() + b * 2);
        if (tranche.size() / 2 >= 8192) return EnergieBande(tranche, fMin, fMax);
        std::vector<int16_t> centre(8192 * 2, 0);
        std::copy(tranche.begin(), tranche.end(), centre.begin() + (4096 - tranche.size() / 4) * 2);
        return EnergieBande(centre, fMin, fMax);
    };
    struct Cas {
        const char* quoi;
        NumeroInstrument instrument;
        int note;
        double debut, duree, fMin, fMax;
        double minimum;  // the band's least share, dB
    };
    const Cas cas[] = {
        {"kick's click", kGrosseCaisse, kNoteDo4, 0.0, 0.005, 1500, 8000, -16},
        {"kick's body", kGrosseCaisse, kNoteDo4, 0.01, 0.2, 30, 200, -1},
        {"kick's knock", kGrosseCaisse, kNoteDo4, 0.0, 0.03, 200, 500, -16},
        {"snare's shell", kCaisseClaire, kNoteDo4, 0.0, 0.04, 150, 400, -6},
        {"snare's wires", kCaisseClaire, kNoteDo4, 0.06, 0.15, 1000, 8000, -5},
        // A-4 held on the lead: bright in its formant.
        {"lead's formant", kSolo, 58, 0.4, 0.4, 2000, 4500, -10},
    };
    for (const Cas& c : cas) {
        RenduMikmod r;
        std::string erreur;
        ASSERT_TRUE(RendAvecMikmod(UneNote(c.instrument, c.note), 2.0, &r, &erreur)) << erreur;
        EXPECT_GE(part(r.stereo, c.debut, c.duree, c.fMin, c.fMax), c.minimum) << c.quoi;
    }
    // Every looped voice, its pulse widths included, joins its loop and its
    // attack to its loop without a click: no step there is larger than the
    // largest inside the loop.
    for (const InstrumentXM& in : SynthetiseInstruments()) {
        if (!in.boucleLongueur) continue;
        const std::vector<int16_t>& e = in.echantillon;
        const size_t debut = in.boucleDebut, fin = debut + in.boucleLongueur;
        int pas = 0;
        for (size_t i = debut + 1; i < fin; ++i) pas = std::max(pas, std::abs(e[i] - e[i - 1]));
        EXPECT_LE(std::abs(e[debut] - e[fin - 1]), pas) << in.nom << " loop";
        if (debut) {
            EXPECT_LE(std::abs(e[debut] - e[debut - 1]), pas) << in.nom << " attack";
        }
    }
}

TEST(MusiqueEcoute, DrumsPlayAtTheirRecordedRateOnMiddleC) {
    // The kick's swept sine ends near 46 Hz: played on C-4 the body keeps that
    // pitch; a semitone of mistuning would move it by 6 %.
    RenduMikmod r;
    std::string erreur;
    ASSERT_TRUE(RendAvecMikmod(UneNote(kGrosseCaisse, kNoteDo4), 1.0, &r, &erreur)) << erreur;
    const double mesuree = HauteurMesuree(r.stereo, 0.15, 0.12, 46.5);
    EXPECT_NEAR(Cents(mesuree, 46.0), 0.0, 40.0) << mesuree;
}

// --- the whole soundtrack in three engines ----------------------------------

TEST(MusiqueEcoute, LibmikmodPlaysTheWholeModuleToItsEnd) {
    const RenduMikmod& r = RenduProduction();
    EXPECT_TRUE(r.termine);
    EXPECT_NEAR(r.secondes, DureeAttendue(), 0.2);
    const double fin = ReperesProduction().back().debut;
    EXPECT_GT(r.secondes, fin + 2.0);
}

TEST(MusiqueEcoute, XmpAndOpenmptAgreeOnTheLength) {
    const double mikmod = RenduProduction().secondes;
    Temporaire module(".xm");
    Ecrit(module.chemin, ModuleProduction());
    int moteurs = 0;
    if (Outil("openmpt123")) {
        const std::string info = Sortie("openmpt123 --info '" + module.chemin + "' 2>&1");
        const size_t p = info.find("Duration...: ");
        ASSERT_NE(std::string::npos, p) << info;
        int minutes = 0;
        double secondes = 0;
        ASSERT_EQ(2, std::sscanf(info.c_str() + p + 13, "%d:%lf", &minutes, &secondes)) << info;
        EXPECT_NEAR(minutes * 60 + secondes, mikmod, 0.2) << "openmpt123";
        EXPECT_NEAR(minutes * 60 + secondes, DureeAttendue(), 0.2) << "openmpt123";
        ++moteurs;
    }
    if (Outil("xmp")) {
        Temporaire wav(".wav");
        Sortie("xmp -q -o '" + wav.chemin + "' '" + module.chemin + "' 2>&1");
        const double secondes = LitWav(wav.chemin).size() / 2 / 44100.0;
        EXPECT_NEAR(secondes, mikmod, 0.2) << "xmp";
        EXPECT_NEAR(secondes, DureeAttendue(), 0.2) << "xmp";
        ++moteurs;
    }
    if (moteurs == 0) GTEST_SKIP() << "neither xmp nor openmpt123 is installed";
}

TEST(MusiqueEcoute, MixIsNeitherClippedNorTooQuietNorSilent) {
    VerifieNiveaux(RenduProduction().stereo, RenduProduction().secondes, "libmikmod");
}

TEST(MusiqueEcoute, TheBandDropsDipsSpreadsAndPunches) {
    const RenduMikmod& r = RenduProduction();
    std::string erreur;
    const std::vector<SectionPlacee> sections = PlaceSections(ReperesProduction(), &erreur);
    auto debut = [&](const char* scene) {
        for (const SectionPlacee& s : sections)
            if (s.scene == scene) return s.debut;
        ADD_FAILURE() << scene;
        return 0.0;
    };
    // The full band comes in on the bubbles at least 5 dB above the ten seconds before.
    const double bulles = debut("bubbles");
    EXPECT_GE(RmsEntre(r.stereo, bulles, bulles + 10) - RmsEntre(r.stereo, bulles - 10, bulles),
              5.0);
    // The breakdown falls well under the band before it.
    const double pont = debut("credits");
    EXPECT_LE(RmsEntre(r.stereo, pont, debut("greetings")) - RmsEntre(r.stereo, pont - 10, pont),
              -5.0);
    // Every cut but the breakdown's lands at least as loud as the beat that
    // leads into it (50 ms peaks), and the title lifts from the logo.
    auto tranche = [&](double a, double b) {
        return std::vector<int16_t>(r.stereo.begin() + size_t(a * 44100) * 2,
                                    r.stereo.begin() + size_t(b * 44100) * 2);
    };
    for (size_t i = 2; i + 1 < sections.size(); ++i) {
        if (sections[i].scene == "credits") continue;
        const double t = sections[i].debut;
        const double avant = 4.0 * kTicksParLigne * TramesParTick(sections[i - 1].tempo) / 44100,
                     apres = 4.0 * kTicksParLigne * TramesParTick(sections[i].tempo) / 44100;
        EXPECT_GE(CreteCourte(tranche(t, t + apres), 0.05),
                  CreteCourte(tranche(t - avant, t), 0.05))
            << "into " << sections[i].scene;
    }
    EXPECT_GT(RmsEntre(r.stereo, debut("title"), debut("bubbles")),
              RmsEntre(r.stereo, debut("logo"), debut("title")));
    // A stereo picture, not a mono one; a hi-hat that says "tss", not fizz.
    EXPECT_GE(CoteSurMilieu(r.stereo), -14.0);
    EXPECT_LT(EnergieBande(r.stereo, 12000, 20000), EnergieBande(r.stereo, 4000, 8000));
    // Soloed over the first minute (the other channels play at volume 0, so
    // that every tempo command is still obeyed), the snare hits within 3 dB
    // of the kick...
    ModuleXM m;
    ASSERT_TRUE(ComposeModule(ReperesProduction(), &m, &erreur)) << erreur;
    double crete[2];
    RenduMikmod grosse;
    for (int k = 0; k < 2; ++k) {
        const int canal = k ? kCanalCaisseClaire : kCanalGrosseCaisse;
        ModuleXM seul = m;
        for (MotifXM& motif : seul.motifs)
            for (size_t i = 0; i < motif.cases.size(); ++i) {
                CaseXM& c = motif.cases[i];
                if (int(i % seul.canaux) == canal) continue;
                if (c.effet != kEffetVitesse) c.effet = c.parametre = 0;
                c.volume = c.note && c.note != kNoteRelache ? VolumeColonne(0) : 0;
            }
        RenduMikmod rendu;
        ASSERT_TRUE(RendAvecMikmod(Octets(seul), 60.0, &rendu, &erreur)) << erreur;
        crete[k] = CreteCourte(rendu.stereo, 0.05);
        if (!k) grosse = rendu;
    }
    EXPECT_NEAR(crete[1], crete[0], 3.0) << "kick " << crete[0] << ", snare " << crete[1];
    // ...and libmikmod strikes the kick of the logo's, the title's and the
    // bubbles' downbeats within 20 ms of their scenes: the millisecond whose
    // level rises most over the one before it.
    for (const char* scene : {"logo", "title", "bubbles"}) {
        const double t = debut(scene);
        double entendu = -1, saut = 10;
        for (double u = t - 0.04; u < t + 0.04; u += 0.001) {
            const double monte = RmsEntre(grosse.stereo, u, u + 0.001) -
                                 RmsEntre(grosse.stereo, u - 0.002, u - 0.001);
            if (monte > saut) saut = monte, entendu = u;
        }
        double repere = 0;
        for (const RepereScene& r : ReperesProduction())
            if (r.scene == scene) repere = r.debut;
        EXPECT_NEAR(repere, entendu, 0.020) << scene;
    }
}

TEST(MusiqueEcoute, TheLastChordRingsOutInsteadOfBeingCut) {
    const RenduMikmod& r = RenduProduction();
    const double fin = ReperesProduction().back().debut;
    auto niveau = [&](double debut, double duree) {
        const size_t a = size_t(debut * 44100) * 2,
                     b = std::min(r.stereo.size(), size_t((debut + duree) * 44100) * 2);
        std::vector<int16_t> morceau(r.stereo.begin() + a, r.stereo.begin() + b);
        return RmsParFenetres(morceau, duree + 1.0).at(0);
    };
    // The final chord is struck with the television's switch-off and still
    // sounds on the production's last beat...
    EXPECT_GT(niveau(fin, 0.5), -24.0);
    // ...then only fades, half a second after another...
    double avant = niveau(fin, 0.5);
    for (double t = fin + 0.5; t + 0.5 <= r.secondes; t += 0.5) {
        const double maintenant = niveau(t, 0.5);
        EXPECT_LE(maintenant, avant + 1.0) << t << " s";
        avant = maintenant;
    }
    // ...and has died away when the module stops.
    EXPECT_LT(niveau(r.secondes - 0.5, 0.5), -60.0);
}

TEST(MusiqueEcoute, OpenmptRenderingKeepsTheSameLevels) {
    if (!Outil("openmpt123")) GTEST_SKIP() << "openmpt123 is not installed";
    Temporaire module(".xm"), wav(".wav");
    Ecrit(module.chemin, ModuleProduction());
    Sortie("openmpt123 --quiet --batch --force --samplerate 44100 --no-float -o '" + wav.chemin +
           "' '" + module.chemin + "' 2>&1");
    const std::vector<int16_t> stereo = LitWav(wav.chemin);
    VerifieNiveaux(stereo, stereo.size() / 2 / 44100.0, "openmpt123");
}
