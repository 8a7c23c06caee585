// The XM writer and its checking reader: byte layout, packing, sample deltas,
// and rejection of files whose fields do not add up.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <functional>

#include <set>

#include "ecoute.h"
#include "partition.h"
#include "police.h"
#include "xm.h"

namespace {

uint32_t Long(const std::vector<uint8_t>& f, size_t o) {
    return f[o] | (f[o + 1] << 8) | (f[o + 2] << 16) | (uint32_t(f[o + 3]) << 24);
}
uint16_t Mot(const std::vector<uint8_t>& f, size_t o) {
    return uint16_t(f[o] | (f[o + 1] << 8));
}
void PoseLong(std::vector<uint8_t>* f, size_t o, uint32_t v) {
    for (int i = 0; i < 4; ++i) (*f)[o + i] = uint8_t(v >> (8 * i));
}
void PoseMot(std::vector<uint8_t>* f, size_t o, uint16_t v) {
    (*f)[o] = uint8_t(v);
    (*f)[o + 1] = uint8_t(v >> 8);
}

InstrumentXM Instrument(const std::string& nom, std::vector<int16_t> echantillon) {
    InstrumentXM in;
    in.nom = nom;
    in.echantillon = std::move(echantillon);
    return in;
}

// Two channels, two patterns (4 and 2 rows), two instruments.
ModuleXM PetitModule() {
    ModuleXM m;
    m.nom = "essai";
    m.canaux = 2;
    m.vitesse = 6;
    m.bpm = 125;
    MotifXM a;
    a.lignes = 4;
    a.cases.resize(8);
    a.cases[0] = {kNoteDo4, 1, VolumeColonne(64), 0, 0};  // every field but the effect
    a.cases[3] = {58, 2, 0x30, 0x0C, 0x20};               // all five fields
    a.cases[6] = {kNoteRelache, 0, 0, 0, 0};              // a release alone
    MotifXM b;
    b.lignes = 2;
    b.cases.resize(4);
    b.cases[1] = {0, 0, 0, 0x0F, 0x03};  // effect alone
    m.motifs = {a, b};
    m.ordre = {0, 1, 0};
    InstrumentXM boucle = Instrument("boucle", {0, 1000, -1000, 32767, -32768, 5, 7, 9});
    boucle.boucleDebut = 2;
    boucle.boucleLongueur = 6;
    boucle.enveloppe = {{0, 0}, {10, 64}, {30, 20}};
    boucle.pointTenu = 1;
    boucle.fondu = 1234;
    m.instruments = {boucle, Instrument("coup", {100, -100, 50})};
    return m;
}

std::vector<uint8_t> Ecrit(const ModuleXM& m) {
    std::vector<uint8_t> f;
    std::string erreur;
    EXPECT_TRUE(EcritModuleXM(&m, &f, &erreur)) << erreur;
    return f;
}

bool Lit(const std::vector<uint8_t>& f, std::string* erreur, ResumeXM* r = nullptr) {
    ResumeXM local;
    return LitModuleXM(f.data(), f.size(), r ? r : &local, erreur);
}

constexpr size_t kMotifs = 60 + 276;  // first pattern header

}  // namespace

TEST(MusiqueXM, WrittenFileReadsBackWithEverySizeAddingUp) {
    const ModuleXM m = PetitModule();
    const std::vector<uint8_t> f = Ecrit(m);
    std::string erreur;
    ResumeXM r;
    ASSERT_TRUE(Lit(f, &erreur, &r)) << erreur;
    EXPECT_EQ(0, std::memcmp(f.data(), "Extended Module: essai", 22));
    EXPECT_EQ(0x1A, f[37]);
    EXPECT_EQ(0x0104, Mot(f, 58));
    EXPECT_EQ(276u, Long(f, 60));
    EXPECT_EQ(2, r.canaux);
    EXPECT_EQ(2, r.motifs);
    EXPECT_EQ(2, r.instruments);
    EXPECT_EQ(1, Mot(f, 74));  // linear frequency table
    EXPECT_EQ(6, r.vitesse);
    EXPECT_EQ(125, r.bpm);
    EXPECT_EQ((std::vector<uint8_t>{0, 1, 0}), r.ordre);
    EXPECT_EQ((std::vector<uint16_t>{4, 2}), r.lignes);
    EXPECT_EQ(10u, r.lignesJouees);
    EXPECT_EQ(3u, r.commandesJouees);  // pattern 0 twice with one command, pattern 1 once
    EXPECT_EQ((std::vector<uint32_t>{16, 6}), r.longueursEchantillons);

    // Walk the file by its own size fields: header, patterns, instruments,
    // sample data must end exactly at the last byte.
    size_t o = 60 + Long(f, 60);
    for (int p = 0; p < 2; ++p) o += Long(f, o) + Mot(f, o + 7);
    for (int i = 0; i < 2; ++i) {
        const size_t instrument = o;
        o += Long(f, instrument);
        EXPECT_EQ(263u, Long(f, instrument));
        EXPECT_EQ(40u, Long(f, instrument + 29));
        const uint32_t longueur = Long(f, o);
        o += 40 + longueur;
    }
    EXPECT_EQ(f.size(), o);
}

TEST(MusiqueXM, CellsArePackedByTheirPresentFields) {
    const std::vector<uint8_t> f = Ecrit(PetitModule());
    const size_t donnees = kMotifs + 9;
    // Cells go row by row: (row 0, ch 0), (row 0, ch 1), (row 1, ch 0)...
    const std::vector<uint8_t> cellules = {0x87, kNoteDo4,
                                           1,    0x50,  // note, instrument, volume
                                           0x80, 0x80,  // two empty cells
                                           58,   2,
                                           0x30, 0x0C,
                                           0x20,        // a full cell goes raw, without a flag byte
                                           0x80, 0x80,  //
                                           0x81, kNoteRelache,  // the release alone
                                           0x80};
    ASSERT_EQ(cellules.size(), Mot(f, kMotifs + 7));
    EXPECT_EQ(cellules,
              std::vector<uint8_t>(f.begin() + donnees, f.begin() + donnees + cellules.size()));
    // Second pattern: an effect and its parameter without a note.
    const size_t second = donnees + cellules.size();
    EXPECT_EQ(2, Mot(f, second + 5));
    const std::vector<uint8_t> effet = {0x80, 0x98, 0x0F, 0x03, 0x80, 0x80};
    EXPECT_EQ(effet, std::vector<uint8_t>(f.begin() + second + 9, f.begin() + second + 15));
}

TEST(MusiqueXM, InstrumentHeaderCarriesEnvelopeLoopAndTuning) {
    ModuleXM m = PetitModule();
    m.instruments[0].noteRelative = -12;
    m.instruments[0].accordFin = -27;
    m.instruments[0].panoramique = 200;
    m.instruments[0].volume = 50;
    m.instruments[0].vibratoForme = 2;
    m.instruments[0].vibratoMontee = 40;
    m.instruments[0].vibratoProfondeur = 5;
    m.instruments[0].vibratoVitesse = 24;
    const std::vector<uint8_t> f = Ecrit(m);
    size_t o = kMotifs;
    for (int p = 0; p < 2; ++p) o += 9 + Mot(f, o + 7);
    EXPECT_EQ(0, std::memcmp(&f[o + 4], "boucle", 6));
    EXPECT_EQ(1, Mot(f, o + 27));
    EXPECT_EQ(10, Mot(f, o + 129 + 4));  // second point: tick 10, level 64
    EXPECT_EQ(64, Mot(f, o + 129 + 6));
    EXPECT_EQ(3, f[o + 225]);  // points
    EXPECT_EQ(1, f[o + 227]);  // held point
    EXPECT_EQ(3, f[o + 233]);  // envelope on, held
    EXPECT_EQ((std::vector<uint8_t>{2, 40, 5, 24}),
              std::vector<uint8_t>(f.begin() + o + 235, f.begin() + o + 239));  // auto-vibrato
    EXPECT_EQ(1234, Mot(f, o + 239));
    const size_t e = o + 263;
    EXPECT_EQ(16u, Long(f, e));     // bytes of sample
    EXPECT_EQ(4u, Long(f, e + 4));  // loop start in bytes
    EXPECT_EQ(12u, Long(f, e + 8));
    EXPECT_EQ(50, f[e + 12]);
    EXPECT_EQ(-27, int8_t(f[e + 13]));
    EXPECT_EQ(0x11, f[e + 14]);  // 16-bit, forward loop
    EXPECT_EQ(200, f[e + 15]);
    EXPECT_EQ(-12, int8_t(f[e + 16]));
}

TEST(MusiqueXM, SampleDataIsStoredAsWrappingDeltas) {
    const ModuleXM m = PetitModule();
    const std::vector<uint8_t> f = Ecrit(m);
    // The first instrument's sample data follows its two headers.
    size_t debut = kMotifs;
    for (int p = 0; p < 2; ++p) debut += 9 + Mot(f, debut + 7);
    debut += 263 + 40;
    int16_t valeur = 0;
    std::vector<int16_t> relu;
    for (size_t i = 0; i < 8; ++i) {
        valeur = int16_t(uint16_t(valeur) + Mot(f, debut + 2 * i));
        relu.push_back(valeur);
    }
    EXPECT_EQ(m.instruments[0].echantillon, relu);
    EXPECT_EQ(1000, int16_t(Mot(f, debut + 2)));
    EXPECT_EQ(-2000, int16_t(Mot(f, debut + 4)));
    // From -1000 to 32767 the difference wraps around 16 bits.
    EXPECT_EQ(int16_t(uint16_t(33767)), int16_t(Mot(f, debut + 6)));
}

TEST(MusiqueXM, ReaderRejectsBrokenFields) {
    const std::vector<uint8_t> bon = Ecrit(PetitModule());
    std::string erreur;
    ASSERT_TRUE(Lit(bon, &erreur)) << erreur;
    size_t instrument = kMotifs;
    for (int p = 0; p < 2; ++p) instrument += 9 + Mot(bon, instrument + 7);

    struct Cas {
        const char* quoi;
        std::vector<uint8_t> fichier;
    };
    std::vector<Cas> cas;
    auto modifie = [&](const char* quoi, auto changement) {
        std::vector<uint8_t> f = bon;
        changement(&f);
        cas.push_back({quoi, f});
    };
    modifie("header size", [](auto* f) { PoseLong(f, 60, 277); });
    modifie("pattern count", [](auto* f) { PoseMot(f, 70, 3); });
    modifie("instrument count", [](auto* f) { PoseMot(f, 72, 3); });
    modifie("order entry", [](auto* f) { (*f)[80 + 1] = 2; });
    modifie("packed size plus one",
            [](auto* f) { PoseMot(f, kMotifs + 7, Mot(*f, kMotifs + 7) + 1); });
    modifie("packed size minus one",
            [](auto* f) { PoseMot(f, kMotifs + 7, Mot(*f, kMotifs + 7) - 1); });
    modifie("row count", [](auto* f) { PoseMot(f, kMotifs + 5, 5); });
    modifie("instrument size", [&](auto* f) { PoseLong(f, instrument, 262); });
    modifie("sample header size", [&](auto* f) { PoseLong(f, instrument + 29, 41); });
    modifie("sample length", [&](auto* f) { PoseLong(f, instrument + 263, 18); });
    modifie("loop past the end", [&](auto* f) { PoseLong(f, instrument + 263 + 8, 14); });
    modifie("signature", [](auto* f) { (*f)[0] = 'e'; });
    modifie("version", [](auto* f) { PoseMot(f, 58, 0x0103); });
    modifie("note above 97", [](auto* f) { (*f)[kMotifs + 9 + 1] = 98; });
    // The raw cell of pattern 0 (row 1, channel 1) and the effect-only cell of pattern 1.
    const size_t brute = kMotifs + 9 + 6, seul = kMotifs + 9 + 16 + 9 + 1;
    modifie("unassigned effect", [&](auto* f) { (*f)[brute + 3] = 0x12; });
    modifie("effect past X", [&](auto* f) { (*f)[seul + 1] = 0x22; });
    modifie("speed 0", [&](auto* f) { (*f)[seul + 2] = 0; });
    modifie("undefined volume byte", [&](auto* f) { (*f)[brute + 2] = 0x55; });
    modifie("one byte short", [](auto* f) { f->pop_back(); });
    modifie("one byte more", [](auto* f) { f->push_back(0); });
    for (const Cas& c : cas) {
        erreur.clear();
        EXPECT_FALSE(Lit(c.fichier, &erreur)) << c.quoi;
        EXPECT_FALSE(erreur.empty()) << c.quoi;
    }
}

TEST(MusiqueXM, WriterRefusesFieldsTheFormatCannotHold) {
    std::string erreur;
    std::vector<uint8_t> f;
    auto refuse = [&](const char* quoi, auto changement) {
        ModuleXM m = PetitModule();
        changement(&m);
        erreur.clear();
        EXPECT_FALSE(EcritModuleXM(&m, &f, &erreur)) << quoi;
        EXPECT_FALSE(erreur.empty()) << quoi;
    };
    refuse("odd channels", [](ModuleXM* m) { m->canaux = 3; });
    refuse("order names a missing pattern", [](ModuleXM* m) { m->ordre.push_back(2); });
    refuse("no order", [](ModuleXM* m) { m->ordre.clear(); });
    refuse("cells do not fill the rows", [](ModuleXM* m) { m->motifs[0].cases.pop_back(); });
    refuse("257 rows", [](ModuleXM* m) {
        m->motifs[1].lignes = 257;
        m->motifs[1].cases.resize(514);
    });
    refuse("note 98", [](ModuleXM* m) { m->motifs[0].cases[0].note = 98; });
    refuse("13 envelope points", [](ModuleXM* m) {
        m->instruments[0].enveloppe.clear();
        for (uint16_t i = 0; i < 13; ++i) m->instruments[0].enveloppe.push_back({i, 10});
    });
    refuse("envelope out of order", [](ModuleXM* m) { m->instruments[0].enveloppe[2].tick = 5; });
    refuse("held point outside", [](ModuleXM* m) { m->instruments[0].pointTenu = 3; });
    refuse("loop outside the sample", [](ModuleXM* m) { m->instruments[0].boucleLongueur = 7; });
    refuse("unassigned effect", [](ModuleXM* m) { m->motifs[1].cases[1].effet = 0x13; });
    refuse("speed 0", [](ModuleXM* m) { m->motifs[1].cases[1].parametre = 0; });
    refuse("volume byte 0x05", [](ModuleXM* m) { m->motifs[0].cases[0].volume = 0x05; });
    refuse("vibrato depth 16", [](ModuleXM* m) { m->instruments[0].vibratoProfondeur = 16; });
    refuse("empty sample", [](ModuleXM* m) { m->instruments[1].echantillon.clear(); });
}

TEST(MusiqueXM, TuningPutsMiddleCOnItsFrequency) {
    // Pattern C-4 plays at 8363 Hz * 2^((relative + fine / 128) / 12); the tone in
    // the sample then comes out at frequence * rate / 44100, which must be 261.63 Hz.
    for (double frequence : {65.4064, 110.0, 261.6256, 440.0, 523.4, 1000.0, 8000.0}) {
        InstrumentXM in;
        AccordeInstrument(&in, frequence);
        EXPECT_GE(in.accordFin, -64) << frequence;
        EXPECT_LE(in.accordFin, 64) << frequence;
        const double cadence =
            8363.0 * std::pow(2.0, (in.noteRelative + in.accordFin / 128.0) / 12.0);
        const double entendu = frequence * cadence / 44100.0;
        EXPECT_NEAR(1200.0 * std::log2(entendu / 261.6256), 0.0, 0.5) << frequence;
    }
}

TEST(MusiqueXM, EveryCommandTheScoreWritesReadsBack) {
    // One cell for each command the score writes, as the score writes it.
    const std::vector<CaseXM> commandes = {
        {kNoteDo4, 1, VolumeColonne(30), kEffetArpege, 0x37},  // chord rippled
        {kNoteDo4 + 5, 0, 0, kEffetPortamentoNote, 0x0A},      // slide into a note...
        {0, 0, 0, kEffetPortamentoNote, 0x00},                 // ...going on a row
        {0, 0, 0, kEffetVibrato, 0x53},
        {kNoteDo4, 1, 0, kEffetPanoramique, 0x30},
        {kNoteDo4, 1, VolumeColonne(6), kEffetGlisseVolume, 0x20},  // riser stroke
        {kNoteDo4, 2, 0, kEffetEtendu, kEtenduRedeclenche + 2},     // roll
        {kNoteDo4, 1, 0, kEffetEtendu, kEtenduCoupe + 4},           // stab cut short
        {kNoteDo4, 2, 0, kEffetEtendu, kEtenduRetard + 2},          // flam's stroke
        {0, 0, 0, kEffetVitesse, 0x7D},                             // tempo
        {0, 0, 0, kEffetPortamentoBas, 0x10},                       // the switch-off's fall
        {0, 0, kColonneGlisseBas + 1, 0, 0},
        {0, 0, kColonneGlisseHaut + 1, 0, 0},
        {0, 0, kColonneBaisseFine + 6, 0, 0},  // the pad ducking under the kick...
        {0, 0, kColonneHausseFine + 6, 0, 0},  // ...and back
    };
    // Kinds: the effect number, and for the extended one its sub-command.
    auto genre = [](const CaseXM& c) {
        return c.effet == kEffetEtendu ? 0x100 + (c.parametre >> 4) : c.effet;
    };
    std::set<int> essayes, colonnes;
    for (const CaseXM& c : commandes) {
        if (c.effet || c.parametre) essayes.insert(genre(c));
        if (c.volume >= kColonneGlisseBas) colonnes.insert(c.volume >> 4);
        ModuleXM m = PetitModule();
        m.motifs[1].cases[1] = c;  // pattern 1, row 0, channel 1
        const std::vector<uint8_t> f = Ecrit(m);
        std::string erreur;
        ResumeXM r;
        ASSERT_TRUE(Lit(f, &erreur, &r)) << erreur;
        // The cell after pattern 1's empty first one, unpacked by its flags.
        size_t o = kMotifs + 9 + Mot(f, kMotifs + 7) + 9 + 1;
        const uint8_t drapeaux = f[o] & 0x80 ? f[o++] : 0x9F;
        uint8_t champs[5] = {};
        for (int i = 0; i < 5; ++i)
            if (drapeaux & (1 << i)) champs[i] = f[o++];
        const CaseXM lue{champs[0], champs[1], champs[2], champs[3], champs[4]};
        EXPECT_TRUE(lue == c) << "effect " << int(c.effet) << " " << int(c.parametre);
        EXPECT_EQ(2u + (c.effet || c.parametre) + (c.volume >= kColonneGlisseBas),
                  r.commandesJouees)
            << "effect " << int(c.effet) << " " << int(c.parametre);
    }
    // Every kind of command in the score has its case above.
    ModuleXM m;
    std::string erreur;
    ASSERT_TRUE(ComposeModule(ReperesProduction(), &m, &erreur)) << erreur;
    std::set<int> partition;
    for (const MotifXM& motif : m.motifs)
        for (const CaseXM& c : motif.cases) {
            if (c.effet || c.parametre) {
                EXPECT_TRUE(essayes.count(genre(c)))
                    << "effect " << int(c.effet) << " " << int(c.parametre) << " is not read back";
                partition.insert(genre(c));
            }
            if (c.volume >= kColonneGlisseBas) {
                EXPECT_TRUE(colonnes.count(c.volume >> 4)) << "volume command " << int(c.volume);
            }
        }
    EXPECT_GE(partition.size(), 6u);
}

// --- what libmikmod plays ----------------------------------------------------

namespace {

// A module of one channel (and a silent second) at 6 ticks a row and 125
// BPM (a tick of 20 ms, a row of 120 ms), whose rows hold `cellules`, with
// a looped sine as instrument 1 (A-4 = 440 Hz).
RenduMikmod JoueCellules(const std::vector<std::pair<int, CaseXM>>& cellules, int lignes = 16) {
    ModuleXM m;
    m.nom = "commandes";
    m.canaux = 2;
    MotifXM motif;
    motif.lignes = uint16_t(lignes);
    motif.cases.resize(size_t(lignes) * 2);
    for (const auto& [ligne, c] : cellules) motif.cases[size_t(ligne) * 2] = c;
    m.motifs = {motif};
    m.ordre = {0};
    InstrumentXM sinus;
    sinus.nom = "sinus";
    for (int i = 0; i < 4410; ++i)
        sinus.echantillon.push_back(int16_t(20000 * std::sin(2 * 3.14159265358979 * i / 100.0)));
    sinus.boucleLongueur = 4410;
    AccordeInstrument(&sinus, 441.0);
    m.instruments = {sinus};
    std::vector<uint8_t> octets;
    std::string erreur;
    RenduMikmod r;
    EXPECT_TRUE(EcritModuleXM(&m, &octets, &erreur)) << erreur;
    EXPECT_TRUE(RendAvecMikmod(octets, 10.0, &r, &erreur)) << erreur;
    return r;
}

constexpr double kLigne = 0.12, kTick = 0.02;
constexpr uint8_t kLa4 = 58, kLa5 = 70;

double CentsDe(const RenduMikmod& r, double debut, double duree, double attendue) {
    const double f = HauteurMesuree(r.stereo, debut, duree, attendue);
    return f > 0 ? 1200.0 * std::log2(f / attendue) : 1e9;
}

}  // namespace

TEST(MusiqueXM, LibmikmodObeysEveryCommandTheWriterEmits) {
    const CaseXM la{kLa4, 1, VolumeColonne(64), 0, 0};
    auto avec = [](CaseXM c, uint8_t effet, uint8_t parametre) {
        c.effet = effet, c.parametre = parametre;
        return c;
    };
    struct Cas {
        const char* quoi;
        std::vector<std::pair<int, CaseXM>> cellules;
        std::function<void(const RenduMikmod&)> verifie;
    };
    const std::vector<Cas> cas = {
        {"tempo 100: 16 rows of 6 ticks of 25 ms",
         {{0, avec(la, kEffetVitesse, 100)}},
         [](const RenduMikmod& r) { EXPECT_NEAR(r.secondes, 2.40, 0.011); }},
        {"speed 3: 16 rows of 3 ticks",
         {{0, avec(la, kEffetVitesse, 3)}},
         [](const RenduMikmod& r) { EXPECT_NEAR(r.secondes, 0.96, 0.011); }},
        {"the note plays at its pitch, volume 32 is 6 dB under 64",
         {{0, la}, {8, CaseXM{0, 0, VolumeColonne(32), 0, 0}}},
         [](const RenduMikmod& r) {
             EXPECT_NEAR(CentsDe(r, 0.1, 0.2, 440.0), 0.0, 5.0);
             EXPECT_NEAR(RmsEntre(r.stereo, 9 * kLigne, 12 * kLigne) -
                             RmsEntre(r.stereo, 2 * kLigne, 5 * kLigne),
                         -6.02, 0.3);
         }},
        {"volume slide A08: 8 a tick from the second tick, silent within two rows",
         {{0, avec(la, kEffetGlisseVolume, 0x08)}, {1, CaseXM{0, 0, 0, kEffetGlisseVolume, 0x08}}},
         [](const RenduMikmod& r) {
             // 64 then 24 after the first row: -8.5 dB over the row's start.
             EXPECT_NEAR(RmsEntre(r.stereo, kLigne + 0.002, kLigne + kTick - 0.002) -
                             RmsEntre(r.stereo, 0.002, kTick - 0.002),
                         20 * std::log10(24.0 / 64.0), 0.5);
             EXPECT_LT(RmsEntre(r.stereo, 2 * kLigne + 0.005, 3 * kLigne), -80.0);
         }},
        {"volume column slides down by 4 and up by 2 a tick",
         {{0, la},
          {1, CaseXM{0, 0, kColonneGlisseBas + 4, 0, 0}},
          {2, CaseXM{0, 0, kColonneGlisseHaut + 2, 0, 0}}},
         [](const RenduMikmod& r) {
             // 64, then 44 after row 1, then 54 after row 2.
             const double plein = RmsEntre(r.stereo, 0.002, kTick - 0.002);
             EXPECT_NEAR(RmsEntre(r.stereo, 2 * kLigne + 0.002, 2 * kLigne + kTick - 0.002) - plein,
                         20 * std::log10(44.0 / 64.0), 0.5);
             EXPECT_NEAR(RmsEntre(r.stereo, 4 * kLigne, 5 * kLigne) - plein,
                         20 * std::log10(54.0 / 64.0), 0.5);
         }},
        {"volume column fine steps: 6 down once on row 1, 4 up once on row 3",
         {{0, la},
          {1, CaseXM{0, 0, kColonneBaisseFine + 6, 0, 0}},
          {3, CaseXM{0, 0, kColonneHausseFine + 4, 0, 0}}},
         [](const RenduMikmod& r) {
             // 64, then 58 through rows 1 and 2 (not sliding on), then 62.
             const double plein = RmsEntre(r.stereo, 0.002, kTick - 0.002);
             for (double t : {kLigne, 2 * kLigne + 5 * kTick})
                 EXPECT_NEAR(RmsEntre(r.stereo, t + 0.002, t + kTick - 0.002) - plein,
                             20 * std::log10(58.0 / 64.0), 0.3);
             EXPECT_NEAR(RmsEntre(r.stereo, 4 * kLigne, 5 * kLigne) - plein,
                         20 * std::log10(62.0 / 64.0), 0.3);
         }},
        {"tone portamento 310: a semitone a tick up to A-5, then it stays",
         {{0, la},
          {4, CaseXM{kLa5, 0, 0, kEffetPortamentoNote, 0x10}},
          {5, CaseXM{0, 0, 0, kEffetPortamentoNote, 0}},
          {6, CaseXM{0, 0, 0, kEffetPortamentoNote, 0}}},
         [](const RenduMikmod& r) {
             // Five semitones up after row 4, ten after row 5, there after row 6.
             EXPECT_NEAR(
                 CentsDe(r, 5 * kLigne + 0.001, kTick - 0.002, 440.0 * std::pow(2, 5 / 12.0)), 0.0,
                 30.0);
             EXPECT_NEAR(CentsDe(r, 8 * kLigne, 3 * kLigne, 880.0), 0.0, 5.0);
         }},
        {"portamento down 210: a semitone a tick",
         {{0, la}, {4, CaseXM{0, 0, 0, kEffetPortamentoBas, 0x10}}},
         [](const RenduMikmod& r) {
             EXPECT_NEAR(CentsDe(r, 6 * kLigne, 3 * kLigne, 440.0 * std::pow(2, -5 / 12.0)), 0.0,
                         10.0);
         }},
        {"vibrato 4A8: the pitch swings around the note",
         {{0, la},
          {1, CaseXM{0, 0, 0, kEffetVibrato, 0xA8}},
          {2, CaseXM{0, 0, 0, kEffetVibrato, 0}},
          {3, CaseXM{0, 0, 0, kEffetVibrato, 0}}},
         [](const RenduMikmod& r) {
             double bas = 1e9, haut = -1e9;
             for (double t = kLigne + kTick; t < 4 * kLigne - kTick; t += kTick) {
                 const double c = CentsDe(r, t + 0.001, kTick - 0.002, 440.0);
                 bas = std::min(bas, c), haut = std::max(haut, c);
             }
             EXPECT_GT(haut - bas, 60.0);
             EXPECT_NEAR(CentsDe(r, 6 * kLigne, 3 * kLigne, 440.0), 0.0, 5.0);
         }},
        {"arpeggio 037: the note, a minor third and a fifth up, tick by tick",
         {{0, avec(la, kEffetArpege, 0x37)}},
         [](const RenduMikmod& r) {
             const double tierce = 440.0 * std::pow(2, 3 / 12.0),
                          quinte = 440.0 * std::pow(2, 7 / 12.0);
             EXPECT_NEAR(CentsDe(r, 0.002, kTick - 0.004, 440.0), 0.0, 10.0);
             EXPECT_NEAR(CentsDe(r, kTick + 0.002, kTick - 0.004, tierce), 0.0, 10.0);
             EXPECT_NEAR(CentsDe(r, 2 * kTick + 0.002, kTick - 0.004, quinte), 0.0, 10.0);
         }},
        {"panning 800 puts the note on the left",
         {{0, avec(la, kEffetPanoramique, 0x00)}},
         [](const RenduMikmod& r) {
             double gauche = 0, droite = 0;
             for (size_t i = 0; i + 1 < r.stereo.size(); i += 2)
                 gauche += std::fabs(r.stereo[i]), droite += std::fabs(r.stereo[i + 1]);
             EXPECT_GT(gauche, 20 * droite);
         }},
        {"note cut EC2: silent from the second tick",
         {{0, avec(la, kEffetEtendu, kEtenduCoupe + 2)}},
         [](const RenduMikmod& r) {
             EXPECT_GT(RmsEntre(r.stereo, 0.002, 2 * kTick - 0.002), -30.0);
             EXPECT_LT(RmsEntre(r.stereo, 2 * kTick + 0.004, kLigne), -80.0);
         }},
        {"note delay ED3: the note starts on the third tick",
         {{0, avec(la, kEffetEtendu, kEtenduRetard + 3)}},
         [](const RenduMikmod& r) {
             EXPECT_LT(RmsEntre(r.stereo, 0.0, 3 * kTick - 0.002), -80.0);
             EXPECT_GT(RmsEntre(r.stereo, 3 * kTick + 0.004, kLigne), -30.0);
         }},
    };
    // Every kind of command the score writes has its case above.
    std::set<int> essayes;
    for (const Cas& c : cas)
        for (const auto& [ligne, cellule] : c.cellules) {
            if (cellule.effet || cellule.parametre)
                essayes.insert(cellule.effet == kEffetEtendu ? 0x100 + (cellule.parametre >> 4)
                                                             : cellule.effet);
            if (cellule.volume >= kColonneGlisseBas) essayes.insert(0x200 + (cellule.volume >> 4));
        }
    ModuleXM m;
    std::string erreur;
    ASSERT_TRUE(ComposeModule(ReperesProduction(), &m, &erreur)) << erreur;
    for (const MotifXM& motif : m.motifs)
        for (const CaseXM& c : motif.cases) {
            if (c.effet || c.parametre) {
                const int genre = c.effet == kEffetEtendu ? 0x100 + (c.parametre >> 4) : c.effet;
                EXPECT_TRUE(essayes.count(genre)) << "effect " << int(c.effet) << " "
                                                  << int(c.parametre) << " is not played here";
            }
            if (c.volume >= kColonneGlisseBas) {
                EXPECT_TRUE(essayes.count(0x200 + (c.volume >> 4))) << "volume " << int(c.volume);
            }
        }
    for (const Cas& c : cas) {
        SCOPED_TRACE(c.quoi);
        c.verifie(JoueCellules(c.cellules));
    }
}

TEST(MusiqueXM, SoundFontReaderFindsTheDrumsAndNamesWhatIsWrong) {
    SonEnregistre son;
    std::string erreur;
    ASSERT_TRUE(LitSonDePolice(KAZZMOT_POLICE_SONORE, 128, 24, 36, 127, &son, &erreur)) << erreur;
    EXPECT_EQ(44100, son.frequence);
    EXPECT_GT(son.mono.size(), 4410u);
    EXPECT_FALSE(son.nom.empty());
    // Files that are not sound fonts, or lack what is asked: refused with a
    // message naming the file, never a crash.
    const std::string dossier = ::testing::TempDir();
    auto fichier = [&](const char* nom, const std::vector<uint8_t>& octets) {
        const std::string chemin = dossier + nom;
        FILE* f = std::fopen(chemin.c_str(), "wb");
        std::fwrite(octets.data(), 1, octets.size(), f);
        std::fclose(f);
        return chemin;
    };
    std::vector<uint8_t> sansTables = {'R', 'I', 'F', 'F', 12, 0, 0, 0, 's', 'f', 'b', 'k',
                                       'L', 'I', 'S', 'T', 4,  0, 0, 0, 's', 'd', 't', 'a'};
    std::vector<uint8_t> tronque(sansTables.begin(), sansTables.begin() + 10);
    struct Cas {
        const char* quoi;
        std::string chemin;
        int banque, programme, touche;
    };
    const Cas cas[] = {
        {"missing file", dossier + "absente.sf2", 128, 0, 36},
        {"empty file", fichier("vide.sf2", {}), 128, 0, 36},
        {"cut short", fichier("tronque.sf2", tronque), 128, 0, 36},
        {"a RIFF file of another form",
         fichier("wave.sf2", {'R', 'I', 'F', 'F', 4, 0, 0, 0, 'W', 'A', 'V', 'E'}), 128, 0, 36},
        {"no tables", fichier("sans.sf2", sansTables), 128, 0, 36},
        {"no such preset", KAZZMOT_POLICE_SONORE, 128, 99, 36},
        {"no sample for the key", KAZZMOT_POLICE_SONORE, 128, 0, 5},
    };
    for (const Cas& c : cas) {
        erreur.clear();
        EXPECT_FALSE(LitSonDePolice(c.chemin, c.banque, c.programme, c.touche, 127, &son, &erreur))
            << c.quoi;
        EXPECT_EQ(0u, erreur.find(c.chemin)) << c.quoi << ": " << erreur;
    }
}
