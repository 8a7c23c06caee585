// The score: sections on the production's scene changes, the module's length
// following the scene table, variation between phrases, a deterministic file.
#include <gtest/gtest.h>

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
