// The score: sections on the production's scene changes, the module's length
// following the scene table, variation between phrases, a deterministic file.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <sys/wait.h>
#include <fstream>
#include <iterator>

#include "partition.h"
#include "synthese.h"
#include "xm.h"

namespace {

constexpr double kTemps = kSecondesParLigne * kLignesParTemps;

ModuleXM Compose(const std::vector<RepereScene>& reperes) {
    ModuleXM m;
    std::string erreur;
    EXPECT_TRUE(ComposeModule(reperes, &m, &erreur)) << erreur;
    return m;
}

// Rows of the song, flattened over the order list.
std::vector<CaseXM> Deroule(const ModuleXM& m) {
    std::vector<CaseXM> cases;
    for (uint8_t o : m.ordre)
        cases.insert(cases.end(), m.motifs[o].cases.begin(), m.motifs[o].cases.end());
    return cases;
}

}  // namespace

TEST(MusiquePartition, TempoGivesAnExactTickAt44100Hz) {
    const ModuleXM m = Compose(ReperesProduction());
    EXPECT_TRUE(m.bpm == 125 || m.bpm == 150);
    const double trames = 44100.0 * 2.5 / m.bpm;
    EXPECT_EQ(trames, std::floor(trames));
    EXPECT_DOUBLE_EQ(kSecondesParLigne, m.vitesse * 2.5 / m.bpm);
}

TEST(MusiquePartition, SectionsStartWithinHalfABeatOfTheirScenes) {
    std::string erreur;
    const auto& reperes = ReperesProduction();
    const std::vector<SectionPlacee> sections = PlaceSections(reperes, &erreur);
    ASSERT_EQ(reperes.size(), sections.size()) << erreur;
    for (size_t i = 0; i < sections.size(); ++i) {
        EXPECT_EQ(0, sections[i].premiereLigne % kLignesParTemps) << sections[i].scene;
        EXPECT_LE(std::fabs(sections[i].premiereLigne * kSecondesParLigne - reperes[i].debut),
                  kTemps / 2 + 1e-9)
            << sections[i].scene;
        if (i + 1 < sections.size()) {
            EXPECT_EQ(sections[i + 1].premiereLigne,
                      sections[i].premiereLigne + sections[i].lignes);
        }
    }
    EXPECT_EQ("coda", sections.back().scene);
}

TEST(MusiquePartition, LengthIsTheProductionPlusTheEnding) {
    const auto& reperes = ReperesProduction();
    const ModuleXM m = Compose(reperes);
    const double fin = reperes.back().debut;
    const double duree = DureeModule(m);
    // The ending rings on for a couple of bars after the production's end.
    EXPECT_GE(duree, fin + 2.0);
    EXPECT_LE(duree, fin + 6.0);
    std::string erreur;
    std::vector<uint8_t> f;
    ASSERT_TRUE(EcritModuleXM(&m, &f, &erreur)) << erreur;
    ResumeXM r;
    ASSERT_TRUE(LitModuleXM(f.data(), f.size(), &r, &erreur)) << erreur;
    EXPECT_DOUBLE_EQ(duree, r.lignesJouees * kSecondesParLigne);
}

TEST(MusiquePartition, MovingASceneMovesItsSectionAndTheLength) {
    std::vector<RepereScene> reperes = ReperesProduction();
    const double avant = DureeModule(Compose(reperes));
    // The television scene runs 7.3 s longer: everything after it moves.
    size_t tele = 0;
    while (reperes[tele].scene != "television") ++tele;
    for (size_t i = tele + 1; i < reperes.size(); ++i) reperes[i].debut += 7.3;
    const ModuleXM m = Compose(reperes);
    // Both ends are rounded to the nearest beat: they move together within a beat.
    EXPECT_NEAR(DureeModule(m), avant + 7.3, kTemps + 1e-9);
    std::string erreur;
    const auto sections = PlaceSections(reperes, &erreur);
    ASSERT_FALSE(sections.empty()) << erreur;
    EXPECT_NEAR(sections[tele + 1].premiereLigne * kSecondesParLigne, reperes[tele + 1].debut,
                kTemps / 2 + 1e-9);
    std::vector<uint8_t> f;
    ResumeXM r;
    ASSERT_TRUE(EcritModuleXM(&m, &f, &erreur)) << erreur;
    EXPECT_TRUE(LitModuleXM(f.data(), f.size(), &r, &erreur)) << erreur;
}

TEST(MusiquePartition, SceneTablesTheScoreCannotFollowAreRefused) {
    auto refuse = [](const char* quoi, auto changement) {
        std::vector<RepereScene> reperes = ReperesProduction();
        changement(&reperes);
        std::string erreur;
        ModuleXM m;
        EXPECT_FALSE(ComposeModule(reperes, &m, &erreur)) << quoi;
        EXPECT_FALSE(erreur.empty()) << quoi;
    };
    refuse("scenes out of order", [](auto* r) { std::swap((*r)[3].debut, (*r)[4].debut); });
    refuse("a scene shorter than a beat", [](auto* r) { (*r)[5].debut = (*r)[4].debut + 0.1; });
    refuse("a missing scene", [](auto* r) { r->erase(r->begin() + 6); });
    refuse("a renamed scene", [](auto* r) { (*r)[2].scene = "logos"; });
    refuse("music not starting at 0", [](auto* r) { (*r)[0].debut = 1.0; });
    refuse("an impossible time", [](auto* r) { (*r)[7].debut = NAN; });
}

TEST(MusiquePartition, NoFourBarPhraseRepeatsMoreThanTwiceInARow) {
    const ModuleXM m = Compose(ReperesProduction());
    // Bars in playing order, compared by content.
    std::vector<const MotifXM*> mesures;
    for (uint8_t o : m.ordre) mesures.push_back(&m.motifs[o]);
    auto memePhrase = [&](size_t a, size_t b) {
        for (size_t k = 0; k < 4; ++k)
            if (!(mesures[a + k]->lignes == mesures[b + k]->lignes &&
                  mesures[a + k]->cases == mesures[b + k]->cases))
                return false;
        return true;
    };
    int pire = 1;
    for (size_t debut = 0; debut + 4 <= mesures.size(); ++debut) {
        int fois = 1;
        while (debut + 4 * (fois + 1) <= mesures.size() && memePhrase(debut, debut + 4 * fois))
            ++fois;
        pire = std::max(pire, fois);
    }
    EXPECT_LE(pire, 2);
    // The score is written out bar by bar: far more distinct bars than a loop.
    EXPECT_GE(m.motifs.size(), m.ordre.size() * 3 / 4);
}

TEST(MusiquePartition, EveryPartPlaysAndTheEndingLetsGo) {
    const ModuleXM m = Compose(ReperesProduction());
    const std::vector<CaseXM> cases = Deroule(m);
    const size_t lignes = cases.size() / m.canaux;
    std::vector<int> notes(m.canaux, 0);
    std::vector<bool> instruments(kNombreInstruments + 1, false);
    for (size_t i = 0; i < cases.size(); ++i) {
        if (cases[i].note && cases[i].note != kNoteRelache) ++notes[i % m.canaux];
        instruments[cases[i].instrument] = true;
    }
    for (int c = 0; c < m.canaux; ++c) EXPECT_GT(notes[c], 0) << "channel " << c;
    for (int i = 1; i <= kNombreInstruments; ++i) EXPECT_TRUE(instruments[i]) << "instrument " << i;

    // The last bar strikes nothing: the final chord was struck before and
    // every held voice (bass, pad, lead) has been let go by then.
    const size_t derniereMesure = lignes - kLignesParMesure;
    for (size_t l = derniereMesure; l < lignes; ++l)
        for (int c = 0; c < m.canaux; ++c) {
            const CaseXM& cas = cases[l * m.canaux + c];
            EXPECT_TRUE(cas.note == 0 || cas.note == kNoteRelache)
                << "row " << l << " channel " << c;
        }
    for (int c : {kCanalBasse, kCanalNappe1, kCanalNappe2, kCanalNappe3, kCanalSolo}) {
        int derniere = 0;
        for (size_t l = 0; l < lignes; ++l)
            if (cases[l * m.canaux + c].note) derniere = cases[l * m.canaux + c].note;
        EXPECT_EQ(kNoteRelache, derniere) << "channel " << c;
    }
}

TEST(MusiquePartition, EveryCutIsARollAFillOrAStopAndTheFinaleResolves) {
    const ModuleXM m = Compose(ReperesProduction());
    const std::vector<CaseXM> cases = Deroule(m);
    auto cell = [&](int ligne, int canal) { return cases[size_t(ligne) * m.canaux + canal]; };
    auto frappe = [](const CaseXM& c) { return c.note && c.note != kNoteRelache; };
    std::string erreur;
    const std::vector<SectionPlacee> sections = PlaceSections(ReperesProduction(), &erreur);
    int arrets = 0;
    // Every scene change from the countdown's end to the switch-off.
    for (size_t s = 2; s + 1 < sections.size(); ++s) {
        const int coupe = sections[s].premiereLigne;
        const std::string qui = "into " + sections[s].scene;
        // A stop: nothing struck in the beat before the cut...
        bool silence = true;
        for (int l = coupe - kLignesParTemps; l < coupe; ++l)
            for (int c = 0; c < m.canaux; ++c) silence = silence && !frappe(cell(l, c));
        if (silence) {
            ++arrets;
            // ...and the next section starts on the cut.
            bool reprise = false;
            for (int c = 0; c < m.canaux; ++c) reprise = reprise || frappe(cell(coupe, c));
            EXPECT_TRUE(reprise) << qui;
            continue;
        }
        // Otherwise a roll or a fill: snare strokes in the last beat, rising to the cut.
        std::vector<int> volumes;
        for (int l = coupe - kLignesParTemps; l < coupe; ++l)
            if (frappe(cell(l, kCanalCaisseClaire)))
                volumes.push_back(cell(l, kCanalCaisseClaire).volume);
        ASSERT_GE(volumes.size(), 2u) << qui;
        EXPECT_GT(volumes.back(), volumes.front()) << qui;
    }
    EXPECT_GE(arrets, 1);
    // The drop into the bubbles comes after a stop, on the kick and a crash.
    size_t bulles = 0;
    while (sections[bulles].scene != "bubbles") ++bulles;
    const int chute = sections[bulles].premiereLigne;
    for (int c = 0; c < m.canaux; ++c) EXPECT_FALSE(frappe(cell(chute - 1, c))) << "channel " << c;
    EXPECT_TRUE(frappe(cell(chute, kCanalGrosseCaisse)) && frappe(cell(chute, kCanalCymbale)));
    // The lead holds the leading tone G#5 into the switch-off, where A5 sounds.
    const int finale = sections[sections.size() - 2].premiereLigne;
    int avant = 0;
    for (int l = 0; l < finale; ++l)
        if (cell(l, kCanalSolo).note) avant = cell(l, kCanalSolo).note;
    EXPECT_EQ(1 + 12 * 5 + 8, avant);
    EXPECT_EQ(1 + 12 * 5 + 9, cell(finale, kCanalSolo).note);
}

TEST(MusiquePartition, TheHookComesEarlyAndTheLeadSlidesAndSings) {
    const ModuleXM m = Compose(ReperesProduction());
    const std::vector<CaseXM> cases = Deroule(m);
    const int lignes = int(cases.size() / m.canaux);
    auto cell = [&](int ligne, int canal) { return cases[size_t(ligne) * m.canaux + canal]; };
    std::string erreur;
    const std::vector<SectionPlacee> sections = PlaceSections(ReperesProduction(), &erreur);
    auto debut = [&](const std::string& scene) {
        for (const SectionPlacee& s : sections)
            if (s.scene == scene) return s.premiereLigne;
        return -1;
    };
    // The theme's head (A C E D C) is first heard during the title, before the lead enters.
    const int tete[] = {9, 0, 4, 2, 0};
    int premiere = lignes;
    for (int c = kCanalSolo; c < m.canaux; ++c) {
        std::vector<std::pair<int, int>> notes;
        for (int l = 0; l < lignes; ++l)
            if (cell(l, c).note && cell(l, c).note != kNoteRelache)
                notes.push_back({l, (cell(l, c).note - 1) % 12});
        for (size_t i = 0; i + 5 <= notes.size(); ++i)
            if (std::equal(tete, tete + 5, notes.begin() + i,
                           [](int a, const std::pair<int, int>& b) { return a == b.second; }))
                premiere = std::min(premiere, notes[i].first);
    }
    EXPECT_GE(premiere, debut("title"));
    EXPECT_LT(premiere, debut("bubbles"));

    // The lead's instrument has its own vibrato.
    EXPECT_GT(m.instruments[kSolo - 1].vibratoProfondeur, 0);
    EXPECT_GT(m.instruments[kSolo - 1].vibratoVitesse, 0);
    // On the lead: slides only into leaps of a fourth or more from a held
    // note, vibrato on every note held two beats, and fades on them.
    int glisses = 0, longues = 0, fondus = 0;
    int precedente = 0, debutNote = -1;
    for (int l = 0; l <= lignes; ++l) {
        const CaseXM c = l < lignes ? cell(l, kCanalSolo) : CaseXM{kNoteRelache};
        if (!c.note) continue;
        if (debutNote >= 0 && l - debutNote >= 2 * kLignesParTemps) {
            ++longues;
            bool vibrato = false;
            for (int k = debutNote + 1; k < l; ++k)
                vibrato = vibrato || cell(k, kCanalSolo).effet == kEffetVibrato;
            EXPECT_TRUE(vibrato) << "note held from row " << debutNote;
            for (int k = debutNote + 1; k < l; ++k)
                fondus += cell(k, kCanalSolo).volume >= kColonneGlisseBas &&
                          cell(k, kCanalSolo).volume < kColonneGlisseHaut;
        }
        if (c.effet == kEffetPortamentoNote) {
            ++glisses;
            EXPECT_NE(0, precedente) << "slide from nothing at row " << l;
            EXPECT_GE(std::abs(c.note - precedente), 5) << "row " << l;
            EXPECT_EQ(0, c.instrument) << "a slide does not strike again, row " << l;
        }
        precedente = c.note == kNoteRelache ? 0 : c.note;
        debutNote = c.note == kNoteRelache ? -1 : l;
    }
    EXPECT_GT(glisses, 10);
    EXPECT_GT(longues, 10);
    EXPECT_GE(fondus, longues);
    // The pad swells in the start-up pause: its volume slides up.
    int gonfle = 0;
    for (int l = 0; l < debut("countdown"); ++l)
        gonfle += cell(l, kCanalNappe1).volume >= kColonneGlisseHaut &&
                  cell(l, kCanalNappe1).volume < kColonneGlisseHaut + 0x10;
    EXPECT_GT(gonfle, 2);
    // The pad's three voices sit left, centre and right.
    std::vector<int> panoramiques;
    for (int c : {kCanalNappe1, kCanalNappe2, kCanalNappe3})
        for (int l = 0; l < lignes; ++l)
            if (cell(l, c).effet == kEffetPanoramique) {
                panoramiques.push_back(cell(l, c).parametre);
                break;
            }
    ASSERT_EQ(3u, panoramiques.size());
    EXPECT_LT(panoramiques[0], 96);
    EXPECT_GT(panoramiques[2], 160);
}

TEST(MusiquePartition, TheModuleIsTheSameBytesEveryTime) {
    std::string erreur;
    std::vector<uint8_t> a, b;
    ModuleXM m1 = Compose(ReperesProduction()), m2 = Compose(ReperesProduction());
    ASSERT_TRUE(EcritModuleXM(&m1, &a, &erreur)) << erreur;
    ASSERT_TRUE(EcritModuleXM(&m2, &b, &erreur)) << erreur;
    EXPECT_EQ(a, b);
}

TEST(MusiquePartition, EveryPitchedNoteIsInAMinor) {
    // A natural minor with the raised seventh (G#) of its dominant chord E.
    const bool dansLaTonalite[12] = {true,  false, true, false, true,  true,
                                     false, true,  true, true,  false, true};
    const ModuleXM m = Compose(ReperesProduction());
    const std::vector<CaseXM> cases = Deroule(m);
    int notes = 0;
    for (size_t i = 0; i < cases.size(); ++i) {
        const int canal = int(i % m.canaux);
        const CaseXM& c = cases[i];
        if (canal <= kCanalCymbale || c.note == 0 || c.note == kNoteRelache) continue;
        ++notes;
        EXPECT_TRUE(dansLaTonalite[(c.note - 1) % 12])
            << "row " << i / m.canaux << " channel " << canal << " note " << int(c.note);
    }
    EXPECT_GT(notes, 1000);
}

#ifdef KAZZMOT_MODULE_ECRIT
TEST(MusiquePartition, TheBuildWroteTheModuleOfTheScore) {
    std::ifstream f(KAZZMOT_MODULE_ECRIT, std::ios::binary);
    ASSERT_TRUE(f.good()) << KAZZMOT_MODULE_ECRIT << " is missing";
    const std::vector<uint8_t> ecrit((std::istreambuf_iterator<char>(f)), {});
    ModuleXM m = Compose(ReperesProduction());
    std::vector<uint8_t> compose;
    std::string erreur;
    ASSERT_TRUE(EcritModuleXM(&m, &compose, &erreur)) << erreur;
    EXPECT_TRUE(ecrit == compose) << KAZZMOT_MODULE_ECRIT << " differs from the score";
}
#endif

#ifdef KAZZMOT_FORGE_MUSIQUE
TEST(MusiquePartition, TheForgeProgramReportsWhatItCannotDo) {
    auto lance = [](const std::string& arguments, std::string* sortie) {
        const std::string commande =
            std::string("'") + KAZZMOT_FORGE_MUSIQUE + "' " + arguments + " 2>&1";
        FILE* p = popen(commande.c_str(), "r");
        char tampon[512];
        while (p && fgets(tampon, sizeof tampon, p)) *sortie += tampon;
        const int statut = p ? pclose(p) : -1;
        return WIFEXITED(statut) ? WEXITSTATUS(statut) : -1;
    };
    std::string sortie;
    EXPECT_EQ(1, lance("", &sortie));
    EXPECT_NE(std::string::npos, sortie.find("usage")) << sortie;
    // A folder inside a regular file can be neither created nor written.
    sortie.clear();
    EXPECT_EQ(1, lance("/dev/null/Datas", &sortie));
    EXPECT_NE(std::string::npos, sortie.find("/dev/null/Datas/Sons")) << sortie;
}
#endif
