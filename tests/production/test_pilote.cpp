// The driver's start-up and shutdown on the virtual machine.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "demo.h"
#include "outils_tests.h"

namespace {

using testing::ElementsAreArray;

std::vector<std::string> g_appels;
std::vector<std::uint64_t> g_instants;

void Enregistre(const char* routine) {
    g_appels.emplace_back(routine);
    g_instants.push_back(TempsVirtuelMs());
}

class Pilote : public testing::Test {
  protected:
    void SetUp() override {
        g_appels.clear();
        g_instants.clear();
        g_observeAppel = Enregistre;
    }
    void TearDown() override { g_observeAppel = nullptr; }

    // Index of the first call of that routine, or -1.
    static int Premier(const std::string& routine) {
        for (size_t i = 0; i < g_appels.size(); ++i) {
            if (g_appels[i] == routine) return static_cast<int>(i);
        }
        return -1;
    }
};

TEST_F(Pilote, StartsUpAndShutsDownInOrder) {
    ReinitMachine();
    ASSERT_EQ(LanceDemo(), 0);

    std::vector<std::string> debut = {"InitAudio", "InitEcran", "InitDemo"};
    debut.insert(debut.end(), 74, "ChargeImage");
    debut.insert(debut.end(), {"ChargeMusique", "JoueMusique", "Attente", "SceneDecompte"});
    ASSERT_GE(g_appels.size(), debut.size());
    EXPECT_THAT(std::vector<std::string>(g_appels.begin(), g_appels.begin() + debut.size()),
                ElementsAreArray(debut));

    const std::vector<std::string> scenes = {"SceneDecompte",  "SceneLogo",      "SceneTitre",
                                             "SceneBulles",    "SceneTele",      "SceneCredits",
                                             "SceneGreetings", "SceneGenerique", "SceneFinale"};
    std::vector<std::string> vues;
    for (const auto& appel : g_appels) {
        if (appel.rfind("Scene", 0) == 0) vues.push_back(appel);
    }
    EXPECT_THAT(vues, ElementsAreArray(scenes));

    const int premiereLiberation = Premier("LibereImage");
    ASSERT_GT(premiereLiberation, Premier("SceneFinale"));
    std::vector<std::string> fin(74, "LibereImage");
    fin.insert(fin.end(), {"LibereMusique", "FermeAudio", "LibereEcran"});
    EXPECT_THAT(std::vector<std::string>(g_appels.begin() + premiereLiberation, g_appels.end()),
                ElementsAreArray(fin));
}

TEST_F(Pilote, StartUpPauseLastsTwoSecondsBeforeTheFirstScene) {
    ReinitMachine();
    ASSERT_EQ(LanceDemo(), 0);
    const int scene = Premier("SceneDecompte");
    ASSERT_GE(scene, 0);
    EXPECT_EQ(g_instants[scene] - g_instants[Premier("Attente")], 2000u);
}

TEST_F(Pilote, AKeyDuringThePauseStartsTheCountdownAtOnce) {
    ConfigMachine config;
    config.evenements = {{500, ToucheEnfoncee()}};
    ReinitMachine(config);
    ASSERT_EQ(LanceDemo(), 0);
    EXPECT_EQ(g_instants[Premier("SceneDecompte")], 500u);
}

TEST(PiloteEchap, EscapeDuringThePauseEndsBeforeTheFirstScene) {
    EXPECT_EXIT(
        {
            g_observeAppel = [](const char* routine) { std::fprintf(stderr, "[%s]", routine); };
            ConfigMachine config;
            config.echapDes = 1000;
            ReinitMachine(config);
            LanceDemo();
            std::exit(3);
        },
        testing::ExitedWithCode(0),
        testing::AllOf(testing::HasSubstr("[Attente]"),
                       testing::Not(testing::HasSubstr("[SceneDecompte]")),
                       testing::Not(testing::HasSubstr("[LibereImage]"))));
}

}  // namespace
