// The soundtrack heard through three engines: libmikmod (as SDL_mixer plays
// it), xmp and openmpt123. Pitch of single notes, agreement on the length,
// and the loudness of the whole mix, all measured without listening.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <set>
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
    std::string erreur;
    EXPECT_TRUE(SynthetiseInstruments(&m.instruments, &erreur)) << erreur;
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

void VerifieNiveaux(const std::vector<int16_t>& stereo, const char* moteur) {
    ASSERT_GT(stereo.size(), 44100u * 2 * 20) << moteur;
    // Headroom in every player.
    EXPECT_LE(CreteDbfs(stereo), -1.0) << moteur;
    const std::vector<double> fenetres = RmsParFenetres(stereo, 10.0);
    for (size_t i = 1; i < fenetres.size(); ++i) {
        EXPECT_GE(fenetres[i], -24.0) << moteur << " window " << i * 10 << " s";
        EXPECT_LE(fenetres[i], -12.0) << moteur << " window " << i * 10 << " s";
    }
    // No silence longer than a beat before the switch-off's chord.
    const double finale = ReperesProduction()[ReperesProduction().size() - 2].debut;
    EXPECT_LE(PlusLongSilence(stereo, -60.0, finale), 0.5) << moteur;
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
    EXPECT_NEAR(FrequenceMediane(s, 500.0, 2000.0), 1000.0, 6.0);
    // A 1 kHz tone of half full scale in both channels: -6.0 LUFS (the K
    // weighting lifts 1 kHz by 0.69 dB, which the scale takes back).
    EXPECT_NEAR(Lufs(s, 0.0, 3.0), -6.02, 0.05);
    EXPECT_LT(Lufs(s, 3.5, 5.5), -100.0);
    // The tone starts twice: at 0 s (not searched) and at 6 s.
    const std::vector<double> attaques = Attaques(s, 1.0, 7.0);
    ASSERT_EQ(1u, attaques.size());
    EXPECT_NEAR(6.0, attaques[0], 0.006);
}

// --- the instruments play at their pitch ------------------------------------

TEST(MusiqueEcoute, EveryTonalInstrumentPlaysItsNoteAtItsPitch) {
    struct Cas {
        NumeroInstrument instrument;
        int note;
        double debut;
    };
    // E-4, A-4, C-5 and G-5 across the voices that carry pitch
    // (the bell in its held tone, once its strike has rung out).
    const Cas cas[] = {{kBasse, 22, 0.3},     {kBasse, 34, 0.3},   {kNappe, 46, 1.0},
                       {kNappe, 53, 1.0},     {kSolo, 58, 0.4},    {kEcho, 61, 0.4},
                       {kArpege, 58, 0.02},   {kArpege, 68, 0.02}, {kCloche, 58, 1.2},
                       {kEchoGauche, 61, 0.4}};
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
        double minimum, maximum;  // the band's share, dB
    };
    const Cas cas[] = {
        // The kick clicks: its first 5 ms carry the top.
        {"kick's click", kGrosseCaisse, kNoteDo4, 0.0, 0.005, 1000, 22050, -10, 0},
        {"kick's body", kGrosseCaisse, kNoteDo4, 0.01, 0.2, 30, 200, -1, 0},
        // The snare has a body, and its first 100 ms are no white noise.
        {"snare's shell", kCaisseClaire, kNoteDo4, 0.0, 0.04, 150, 400, -10, 0},
        {"snare's wires", kCaisseClaire, kNoteDo4, 0.06, 0.15, 1000, 8000, -8, 0},
        {"snare's top", kCaisseClaire, kNoteDo4, 0.0, 0.1, 10000, 22050, -200, -15},
        // Its skin, tuned round 190 Hz, booms on just after the stick.
        {"snare's skin", kCaisseClaire, kNoteDo4, 0.03, 0.05, 170, 230, -2, 0},
        {"hi-hat's tss", kCharleston, kNoteDo4, 0.0, 0.05, 5000, 16000, -6, 0},
        // The open hi-hat and the ride shimmer high up: they open the full
        // band's 6-12 kHz.
        {"open hi-hat's shimmer", kCharlestonOuvert, kNoteDo4, 0.0, 0.3, 6000, 12000, -3, 0},
        {"ride's wash", kRide, kNoteDo4, 0.05, 0.5, 6000, 12000, -3, 0},
        // A-4 held on the lead: bright in its formant.
        {"lead's formant", kSolo, 58, 0.4, 0.4, 2000, 4500, -10, 0},
        // Its resonant filter swings with the loop: shut where the loop
        // starts (0.45 s on A-4), open half a loop on.
        {"lead's filter shut", kSolo, 58, 0.43, 0.05, 4000, 8000, -200, -26},
        {"lead's filter open", kSolo, 58, 0.66, 0.05, 4000, 8000, -22, 0},
        // The bass growls over its round body: A-2 reaches past 2 kHz.
        {"bass's edge", kBasse, 34, 0.3, 0.4, 2000, 6000, -33, 0},
        // The pad's brightness sweeps within its loop: closed at its start,
        // open half a loop on (1.3 s on C-4), with air above 6 kHz.
        {"pad's closed filter", kNappe, kNoteDo4, 0.05, 0.2, 3000, 22050, -200, -26},
        {"pad's open filter", kNappe, kNoteDo4, 1.2, 0.2, 3000, 22050, -16, 0},
        {"pad's air", kNappe, kNoteDo4, 1.2, 0.2, 6000, 22050, -24, 0},
    };
    for (const Cas& c : cas) {
        RenduMikmod r;
        std::string erreur;
        ASSERT_TRUE(RendAvecMikmod(UneNote(c.instrument, c.note), 2.0, &r, &erreur)) << erreur;
        const double p = part(r.stereo, c.debut, c.duree, c.fMin, c.fMax);
        EXPECT_GE(p, c.minimum) << c.quoi;
        EXPECT_LE(p, c.maximum) << c.quoi;
    }
    std::vector<InstrumentXM> instruments;
    std::string erreur;
    ASSERT_TRUE(SynthetiseInstruments(&instruments, &erreur)) << erreur;
    // Every recorded drum dies out before its sample ends, 50 dB under its
    // loudest 10 ms: no drum is cut while it rings.
    for (NumeroInstrument tambour :
         {kGrosseCaisse, kCaisseClaire, kCharleston, kCharlestonOuvert, kCymbale, kTom, kRide}) {
        const std::vector<int16_t>& e = instruments[tambour - 1].echantillon;
        std::vector<int16_t> stereo;
        for (int16_t v : e) stereo.push_back(v), stereo.push_back(v);
        const double duree = e.size() / 44100.0;
        EXPECT_LE(RmsEntre(stereo, duree - 0.01, duree) - CreteCourte(stereo, 0.01), -50.0)
            << instruments[tambour - 1].nom;
    }
    // Every looped voice, its pulse widths included, joins its loop and its
    // attack to its loop without a click: no step there is larger than the
    // largest inside the loop.
    for (const InstrumentXM& in : instruments) {
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
    // Played on C-4, a recorded drum lasts as long as its sample: a semitone
    // of mistuning would stretch or shrink it by 6 %. Its length is taken
    // where nine tenths of its energy have sounded.
    std::vector<InstrumentXM> instruments;
    std::string erreur;
    ASSERT_TRUE(SynthetiseInstruments(&instruments, &erreur)) << erreur;
    auto neufDixiemes = [](const std::vector<double>& carres) {
        double total = 0, cumul = 0;
        for (double c : carres) total += c;
        for (size_t i = 0; i < carres.size(); ++i)
            if ((cumul += carres[i]) >= 0.9 * total) return i / 44100.0;
        return carres.size() / 44100.0;
    };
    for (NumeroInstrument tambour : {kGrosseCaisse, kCaisseClaire, kCymbale, kTom}) {
        RenduMikmod r;
        ASSERT_TRUE(RendAvecMikmod(UneNote(tambour, kNoteDo4), 4.0, &r, &erreur)) << erreur;
        std::vector<double> rendu, echantillon;
        for (size_t i = 0; i + 1 < r.stereo.size(); i += 2)
            rendu.push_back(std::pow(double(r.stereo[i]) + r.stereo[i + 1], 2));
        for (int16_t v : instruments[tambour - 1].echantillon) echantillon.push_back(double(v) * v);
        EXPECT_NEAR(neufDixiemes(rendu) / neufDixiemes(echantillon), 1.0, 0.02)
            << instruments[tambour - 1].nom;
    }
}

// --- the whole soundtrack in three engines ----------------------------------

namespace {

// The production's module played by libmikmod as a whole, each layer alone
// and everything but the lead, with where its sections and bars start.
struct Pistes {
    ModuleXM module;
    std::vector<SectionPlacee> sections;
    std::vector<double> instants;     // when each row starts
    std::vector<int> mesures;         // the first row of each bar, then the song's rows
    std::vector<RenduMikmod> seules;  // each layer of Couches() alone
    RenduMikmod sansSolo;             // every layer but the lead's
    double Temps(int ligne) const { return instants[size_t(ligne)]; }
    double Debut(const std::string& scene) const {
        for (const SectionPlacee& s : sections)
            if (s.scene == scene) return Temps(s.premiereLigne);
        ADD_FAILURE() << scene;
        return 0;
    }
    const SectionPlacee& Section(const std::string& scene) const {
        for (const SectionPlacee& s : sections)
            if (s.scene == scene) return s;
        ADD_FAILURE() << scene;
        return sections[0];
    }
    double Fin(const SectionPlacee& s) const { return Temps(s.premiereLigne + s.lignes); }
};

const Pistes& PistesProduction() {
    static const Pistes c = [] {
        Pistes c;
        std::string erreur;
        EXPECT_TRUE(ComposeModule(ReperesProduction(), &c.module, &erreur)) << erreur;
        c.sections = PlaceSections(ReperesProduction(), &erreur);
        c.instants = InstantsDesLignes(c.module);
        int ligne = 0;
        for (uint8_t o : c.module.ordre)
            c.mesures.push_back(ligne), ligne += c.module.motifs[o].lignes;
        c.mesures.push_back(ligne);
        for (const Couche& couche : Couches()) {
            c.seules.emplace_back();
            EXPECT_TRUE(RendAvecMikmod(Octets(CanauxSeuls(c.module, couche.canaux)), 600.0,
                                       &c.seules.back(), &erreur))
                << erreur;
        }
        EXPECT_TRUE(
            RendAvecMikmod(Octets(CanauxSeuls(c.module, Couches()[kCoucheSolo].canaux, true)),
                           600.0, &c.sansSolo, &erreur))
            << erreur;
        return c;
    }();
    return c;
}

size_t NumeroCouche(const char* nom) {
    for (size_t i = 0; i < Couches().size(); ++i)
        if (std::string(Couches()[i].nom) == nom) return i;
    ADD_FAILURE() << nom;
    return 0;
}

}  // namespace

TEST(MusiqueEcoute, TheLeadIsInFrontOfEveryLayerFromTheBubblesOn) {
    const Pistes& c = PistesProduction();
    const auto& couches = Couches();
    // Section by section, each layer alone: the lead's is the loudest and
    // within 3 LU of the rest of the mix.
    for (const char* scene : {"bubbles", "television", "credits", "greetings", "crawl"}) {
        const SectionPlacee& s = c.Section(scene);
        const double a = c.Temps(s.premiereLigne), b = c.Fin(s);
        const double solo = Lufs(c.seules[kCoucheSolo].stereo, a, b);
        for (size_t k = 0; k < couches.size(); ++k)
            if (k != kCoucheSolo) {
                EXPECT_GT(solo, Lufs(c.seules[k].stereo, a, b)) << scene << ": " << couches[k].nom;
            }
        EXPECT_NEAR(solo, Lufs(c.sansSolo.stereo, a, b), 3.0) << scene;
    }
    // The title's hook is at least as loud as the bass.
    const double a = c.Debut("title"), b = c.Debut("bubbles");
    EXPECT_GE(Lufs(c.seules[kCoucheSolo].stereo, a, b),
              Lufs(c.seules[NumeroCouche("bass")].stereo, a, b));
    // From the logo on, never more than 8 bars without a line in front (the
    // lead's layer within 6 dB of the rest of the mix).
    int sans = 0, pire = 0;
    for (size_t m = 0; m + 1 < c.mesures.size(); ++m) {
        const double t0 = c.Temps(c.mesures[m]), t1 = c.Temps(c.mesures[m + 1]);
        if (t0 < c.Debut("logo") - 1e-6 || t0 >= c.Debut("finale") - 1e-6) continue;
        const bool devant = RmsEntre(c.seules[kCoucheSolo].stereo, t0, t1) >=
                            RmsEntre(c.sansSolo.stereo, t0, t1) - 6;
        sans = devant ? 0 : sans + 1;
        pire = std::max(pire, sans);
    }
    EXPECT_LE(pire, 8);
}

TEST(MusiqueEcoute, TheStemsKeepTheGrooveTheSwingAndTheLayersTheScoreAsksFor) {
    const Pistes& c = PistesProduction();
    const size_t grosse = NumeroCouche("kick"), charleston = NumeroCouche("hats"),
                 basse = NumeroCouche("bass");
    // The hi-hats are heard in every grooved section, and the tempo the kick
    // beats (the median of its strokes a beat apart) keeps within 2 BPM from
    // the logo to the crawl; the reprise is not slower than the climb.
    double bas = 1e9, haut = 0, montee = 0, reprise = 0;
    for (const char* scene :
         {"logo", "title", "bubbles", "television", "credits", "greetings", "crawl"}) {
        const SectionPlacee& s = c.Section(scene);
        const double a = c.Temps(s.premiereLigne), b = c.Fin(s);
        EXPECT_GE(Lufs(c.seules[charleston].stereo, a, b), -30.0) << scene;
        // The logo runs without the kick (only the toms of its fill on the
        // kick's channel): the title brings the beat in.
        if (std::string(scene) == "logo") {
            EXPECT_LT(Lufs(c.seules[grosse].stereo, a, b),
                      Lufs(c.seules[charleston].stereo, a, b) - 4);
        }
        const std::vector<double> coups = Attaques(c.seules[grosse].stereo, a, b);
        std::vector<double> battues;
        for (size_t i = 1; i < coups.size(); ++i)
            if (coups[i] - coups[i - 1] > 0.4 && coups[i] - coups[i - 1] < 0.6)
                battues.push_back(coups[i] - coups[i - 1]);
        if (battues.size() < 4) continue;  // the breakdown has no kick
        std::nth_element(battues.begin(), battues.begin() + battues.size() / 2, battues.end());
        const double bpm = 60.0 / battues[battues.size() / 2];
        bas = std::min(bas, bpm), haut = std::max(haut, bpm);
        if (std::string(scene) == "greetings") montee = bpm;
        if (std::string(scene) == "crawl") reprise = bpm;
    }
    EXPECT_LE(haut - bas, 2.0) << bas << " to " << haut << " BPM";
    EXPECT_GE(reprise, montee - 0.3);
    // The lead swings: of the notes its stem strikes (a tick after their
    // row, where its envelope opens), at least 15 % on an odd sixteenth.
    const double tick = kSecondesParLigne / kTicksParLigne;
    int notes = 0, impaires = 0;
    size_t m = 0;
    for (double t : Attaques(c.seules[kCoucheSolo].stereo, c.Debut("logo"), c.Debut("finale"))) {
        size_t l = size_t(std::upper_bound(c.instants.begin(), c.instants.end(), t - tick) -
                          c.instants.begin());
        l = l > 0 ? l - 1 : 0;
        if (l + 1 < c.instants.size() &&
            c.instants[l + 1] - (t - tick) < (t - tick) - c.instants[l])
            ++l;
        while (m + 1 < c.mesures.size() && c.mesures[m + 1] <= int(l)) ++m;
        ++notes, impaires += (int(l) - c.mesures[m]) % 2;
    }
    EXPECT_GT(notes, 150);
    EXPECT_GE(impaires * 100, notes * 15) << impaires << " of " << notes;
    // The television section changes its layers: at least five combinations
    // of the layers heard (within 30 dB of the mix) in its bars.
    const RenduMikmod& r = RenduProduction();
    std::set<std::vector<bool>> combinaisons;
    for (size_t k = 0; k + 1 < c.mesures.size(); ++k) {
        const double t0 = c.Temps(c.mesures[k]), t1 = c.Temps(c.mesures[k + 1]);
        if (t0 < c.Debut("television") - 1e-6 || t0 >= c.Debut("credits") - 1e-6) continue;
        std::vector<bool> jeu;
        for (const RenduMikmod& seule : c.seules)
            jeu.push_back(RmsEntre(seule.stereo, t0, t1) >= RmsEntre(r.stereo, t0, t1) - 30);
        combinaisons.insert(jeu);
    }
    EXPECT_GE(combinaisons.size(), 5u);
    // A lighter low end: at most 60 % of the energy under 300 Hz, the bass
    // under the kick's body rather than on it.
    EXPECT_LE(EnergieBande(r.stereo, 0, 300), 10 * std::log10(0.6));
    EXPECT_GE(FrequenceMediane(c.seules[grosse].stereo, 20, 250),
              1.25 * FrequenceMediane(c.seules[basse].stereo, 20, 250));
}

TEST(MusiqueEcoute, LibmikmodPlaysTheWholeModuleToItsEnd) {
    const RenduMikmod& r = RenduProduction();
    EXPECT_TRUE(r.termine);
    EXPECT_NEAR(r.secondes, DureeAttendue(), 0.2);
    // It ends within a second and a half after the production lets it go.
    const double fin = ReperesProduction().back().debut;
    EXPECT_GT(r.secondes, fin);
    EXPECT_LE(r.secondes, fin + 1.5);
}

TEST(MusiqueEcoute, XmpAndOpenmptAgreeOnTheLengthAndKeepTheirHeadroom) {
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
        const std::vector<int16_t> stereo = LitWav(wav.chemin);
        const double secondes = stereo.size() / 2 / 44100.0;
        // xmp plays louder than libmikmod at the production's settings: the
        // same headroom there all the same.
        EXPECT_LE(CreteDbfs(stereo), -1.0) << "xmp";
        EXPECT_NEAR(secondes, mikmod, 0.2) << "xmp";
        EXPECT_NEAR(secondes, DureeAttendue(), 0.2) << "xmp";
        ++moteurs;
    }
    if (moteurs == 0) GTEST_SKIP() << "neither xmp nor openmpt123 is installed";
}

TEST(MusiqueEcoute, MixIsNeitherClippedNorTooQuietNorSilent) {
    VerifieNiveaux(RenduProduction().stereo, "libmikmod");
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
    EXPECT_GE(CoteSurMilieu(r.stereo), -10.5);
    EXPECT_LT(EnergieBande(r.stereo, 12000, 20000), EnergieBande(r.stereo, 4000, 8000));
    // Each alone (the other channels play at volume 0, so that every tempo
    // command is still obeyed), the snare hits within 3 dB of the kick...
    const Pistes& p = PistesProduction();
    const double crete[2] = {CreteCourte(p.seules[NumeroCouche("kick")].stereo, 0.05),
                             CreteCourte(p.seules[NumeroCouche("snare")].stereo, 0.05)};
    EXPECT_NEAR(crete[1], crete[0], 3.0) << "kick " << crete[0] << ", snare " << crete[1];
    // ...and libmikmod strikes the kick of every downbeat that has one
    // within 20 ms of its scene, where the kick's stem starts to sound.
    const std::vector<RepereScene>& reperes = ReperesProduction();
    for (size_t i = 2; i + 1 < p.sections.size(); ++i) {
        const SectionPlacee& s = p.sections[i];
        const double t = p.Temps(s.premiereLigne);
        if (RmsEntre(p.seules[NumeroCouche("kick")].stereo, t, t + 0.05) < -40) continue;
        const std::vector<double> coups =
            Attaques(p.seules[NumeroCouche("kick")].stereo, t - 0.04, t + 0.04, 10.0, 1.0);
        ASSERT_FALSE(coups.empty()) << s.scene;
        EXPECT_NEAR(reperes[i].debut, coups[0], 0.020) << s.scene;
    }
}

TEST(MusiqueEcoute, TheSwitchOffFallsInPitchAndDiesWithThePicture) {
    const RenduMikmod& r = RenduProduction();
    const auto& reperes = ReperesProduction();
    const double accord = reperes[reperes.size() - 2].debut, relache = reperes.back().debut;
    // The final chord is struck with the television's switch-off...
    const double crete =
        CreteCourte(std::vector<int16_t>(r.stereo.begin() + size_t(accord * 44100) * 2,
                                         r.stereo.begin() + size_t((accord + 0.3) * 44100) * 2),
                    0.05);
    EXPECT_GT(crete, -24.0);
    // ...its A5 rings on as the arrival for half a second, the chord heard
    // as a chord, then falls in pitch, by more than two semitones within
    // 0.8 s (the lead alone, searched a fifth either side of a whole tone
    // down)...
    ModuleXM m;
    std::string erreur;
    ASSERT_TRUE(ComposeModule(reperes, &m, &erreur)) << erreur;
    RenduMikmod solo;
    ASSERT_TRUE(RendAvecMikmod(Octets(CanauxSeuls(m, {kCanalSolo})), 600.0, &solo, &erreur))
        << erreur;
    for (double t : {0.05, 0.3, 0.45})
        EXPECT_NEAR(Cents(HauteurMesuree(solo.stereo, accord + t, 0.1, 880.0), 880.0), 0.0, 50.0)
            << t;
    const double tombee = HauteurMesuree(solo.stereo, accord + 0.75, 0.05, 784.0);
    EXPECT_LT(Cents(tombee, 880.0), -200.0) << tombee << " Hz";
    // ...and the held voices have died when the production lets the music
    // go, the lead 40 dB under its note, while the drums and the crash ring
    // out by themselves, 20 dB under the chord; the module ends soon after,
    // with little digital silence.
    EXPECT_LE(RmsEntre(solo.stereo, relache - 0.05, relache),
              RmsEntre(solo.stereo, accord + 0.1, accord + 0.3) - 40.0);
    EXPECT_LE(RmsEntre(r.stereo, relache - 0.05, relache), crete - 20.0);
    size_t fin = r.stereo.size();
    while (fin >= 2 && std::abs(r.stereo[fin - 1]) <= 1 && std::abs(r.stereo[fin - 2]) <= 1)
        fin -= 2;
    EXPECT_LE(r.secondes - fin / 2 / 44100.0, 0.5);
}

TEST(MusiqueEcoute, OpenmptRenderingKeepsTheSameLevels) {
    if (!Outil("openmpt123")) GTEST_SKIP() << "openmpt123 is not installed";
    Temporaire module(".xm"), wav(".wav");
    Ecrit(module.chemin, ModuleProduction());
    Sortie("openmpt123 --quiet --batch --force --samplerate 44100 --no-float -o '" + wav.chemin +
           "' '" + module.chemin + "' 2>&1");
    const std::vector<int16_t> stereo = LitWav(wav.chemin);
    VerifieNiveaux(stereo, "openmpt123");
}
