// The music is composed to the production's timeline: the score's table of
// scene changes must match what an uninterrupted run actually does, so that a
// scene that gets longer or shorter cannot silently leave the music behind.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "demo.h"
#include "outils_tests.h"
#include "partition.h"

namespace {

std::vector<std::uint64_t> g_debuts;  // virtual ms: music start, each scene, release
std::uint64_t g_musique = 0;

void Note(const char* routine) {
    const std::string r = routine;
    if (r == "JoueMusique") g_musique = TempsVirtuelMs();
    if (r.rfind("Scene", 0) == 0) g_debuts.push_back(TempsVirtuelMs());
    if (r == "LibereMusique") g_debuts.push_back(TempsVirtuelMs());
}

TEST(SynchroMusique, ScoreSceneChangesMatchAnUninterruptedRun) {
    g_observeAppel = Note;
    ReinitMachine();
    ASSERT_EQ(LanceDemo(), 0);
    g_observeAppel = nullptr;

    const std::vector<RepereScene>& reperes = ReperesProduction();
    // The score starts with the start-up pause, then one entry per scene,
    // then the end of the production.
    ASSERT_EQ(reperes.size(), g_debuts.size() + 1);
    EXPECT_DOUBLE_EQ(reperes.front().debut, 0.0);
    // Each section's downbeat, as the player times it, falls on its scene.
    std::string erreur;
    const std::vector<SectionPlacee> sections = PlaceSections(reperes, &erreur);
    ASSERT_EQ(reperes.size(), sections.size()) << erreur;
    for (size_t i = 0; i < g_debuts.size(); ++i) {
        const double mesure = (g_debuts[i] - g_musique) / 1000.0;
        EXPECT_NEAR(reperes[i + 1].debut, mesure, 0.05)
            << reperes[i + 1].scene << " starts at " << mesure
            << " s in the production: update the score's table of scene changes";
        EXPECT_NEAR(sections[i + 1].debut, mesure, 0.020) << reperes[i + 1].scene;
    }
}

}  // namespace
