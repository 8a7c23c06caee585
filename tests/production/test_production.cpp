// The whole production on the virtual machine: every scene in order and the
// full release, its frame count and virtual length (what the music is
// composed to), a key pressed in every wait and loop, Escape held inside each
// scene, and two runs giving the same frames.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "demo.h"
#include "effets.h"
#include "hasard.h"
#include "outils_tests.h"

namespace {

const std::vector<std::string> kScenes = {"SceneDecompte",  "SceneLogo",      "SceneTitre",
                                          "SceneBulles",    "SceneTele",      "SceneCredits",
                                          "SceneGreetings", "SceneGenerique", "SceneFinale"};

// What one run of the production did, as the platform's observer and the
// virtual machine saw it.
struct Chronologie {
    std::vector<std::string> appels;         // every observed call, in order
    std::vector<std::string> scenes;         // the scene announcements, in order
    std::vector<std::uint64_t> debutMs;      // virtual time at each announcement
    std::vector<std::uint64_t> debutTrames;  // presents made before each announcement
    std::uint64_t liberationMs = 0;          // virtual time of the first release
    std::uint64_t trames = 0;                // presents over the whole run
    std::uint64_t rafraichissements = 0;     // refreshes over the whole run
    std::uint64_t dureeMs = 0;               // virtual length of the whole run
    int statut = -1;                         // LanceDemo's result

    // Virtual length of scene i, up to the next scene or the release.
    std::uint64_t DureeScene(size_t i) const {
        const std::uint64_t fin = i + 1 < debutMs.size() ? debutMs[i + 1] : liberationMs;
        return fin - debutMs[i];
    }
    std::uint64_t TramesScene(size_t i) const {
        const std::uint64_t fin = i + 1 < debutTrames.size() ? debutTrames[i + 1] : trames;
        return fin - debutTrames[i];
    }
};

Chronologie* g_chronologie = nullptr;
// Called at each scene announcement, before the chronology records it.
void (*g_avantScene)(const std::string& scene) = nullptr;

void Observe(const char* routine) {
    Chronologie& c = *g_chronologie;
    const std::string nom = routine;
    c.appels.push_back(nom);
    if (nom.rfind("Scene", 0) == 0) {
        if (g_avantScene) g_avantScene(nom);
        c.scenes.push_back(nom);
        c.debutMs.push_back(TempsVirtuelMs());
        c.debutTrames.push_back(NombrePresentations());
    } else if (nom == "LibereImage" && c.liberationMs == 0) {
        if (g_avantScene) g_avantScene("");
        c.liberationMs = TempsVirtuelMs();
    }
}

// Puts the production's random sources back to their state at process start:
// the generator unseeded is the one seeded with 1, and the snow generator's
// register. A run that follows another in the same process then draws the
// same values.
void RemetHasard() {
    GraineHasard(1);
    GraineNeige = 0x12345;
}

// Runs the whole production once on a fresh virtual machine.
Chronologie ParcourtDemo(const ConfigMachine& config = ConfigMachine()) {
    Chronologie c;
    g_chronologie = &c;
    g_observeAppel = Observe;
    RemetHasard();
    ReinitMachine(config);
    c.statut = LanceDemo();
    // The observer's last call is the display's release; the virtual
    // machine itself outlives SDL.
    TermineMachine();
    c.trames = NombrePresentations();
    c.rafraichissements = NombreRafraichissements();
    c.dureeMs = TempsVirtuelMs();
    g_observeAppel = nullptr;
    g_chronologie = nullptr;
    return c;
}

// Prints the timeline: where each scene starts, how long it lasts and how
// many frames it shows, and the length of the whole run.
void ImprimeChronologie(const Chronologie& c, const char* titre) {
    std::printf("\n%s\n", titre);
    std::printf("  %-16s %10s %10s %8s\n", "scene", "start ms", "length ms", "frames");
    for (size_t i = 0; i < c.scenes.size(); ++i) {
        std::printf("  %-16s %10llu %10llu %8llu\n", c.scenes[i].c_str(),
                    static_cast<unsigned long long>(c.debutMs[i]),
                    static_cast<unsigned long long>(c.DureeScene(i)),
                    static_cast<unsigned long long>(c.TramesScene(i)));
    }
    std::printf("  %-16s %10llu\n", "release", static_cast<unsigned long long>(c.liberationMs));
    std::printf("  virtual length %llu ms (%.2f s), %llu frames presented, %llu refreshes\n\n",
                static_cast<unsigned long long>(c.dureeMs), c.dureeMs / 1000.0,
                static_cast<unsigned long long>(c.trames),
                static_cast<unsigned long long>(c.rafraichissements));
    std::fflush(stdout);
}

// The calls of the release, in order, from the first LibereImage on.
std::vector<std::string> Liberation(const Chronologie& c) {
    for (size_t i = 0; i < c.appels.size(); ++i) {
        if (c.appels[i] == "LibereImage") {
            return std::vector<std::string>(c.appels.begin() + i, c.appels.end());
        }
    }
    return {};
}

std::vector<std::string> LiberationComplete() {
    std::vector<std::string> fin(74, "LibereImage");
    fin.insert(fin.end(), {"LibereMusique", "FermeAudio", "LibereEcran"});
    return fin;
}

// Saves one frame of each scene that shows any: the one on the display a
// second into the scene (a tenth of a second into the finale, during its
// flash), or the scene's last frame when it is shorter.
struct AlbumScenes {
    std::string scene;
    std::uint64_t debutMs = 0;
    std::uint64_t debutTrames = 0;
    bool garde = true;

    void Sauve(const std::string& nom, const Uint16* pixels) {
        SauvePixelsPNG(DossierTrames() + "/production_" + nom + ".png", pixels, 640, 480);
        garde = true;
    }
};
AlbumScenes g_album;

void AlbumChangeDeScene(const std::string& suivante) {
    if (!g_album.garde && NombrePresentations() > g_album.debutTrames) {
        g_album.Sauve(g_album.scene, ImageAffichee().data());
    }
    g_album = AlbumScenes{suivante, TempsVirtuelMs(), NombrePresentations(), suivante.empty()};
}

TEST(Production, PlaysEverySceneInOrderThenReleasesEverything) {
    g_avantScene = AlbumChangeDeScene;
    ObserveTrames([](std::uint64_t index, const Uint16* pixels, int w, int h) {
        if (w != 640 || h != 480 || g_album.garde) return;
        const std::uint64_t apres = g_album.scene == "SceneFinale" ? 100 : 1000;
        if (index * 1000 / 60 >= g_album.debutMs + apres) g_album.Sauve(g_album.scene, pixels);
    });
    const Chronologie c = ParcourtDemo();
    ObserveTrames(nullptr);
    g_avantScene = nullptr;

    EXPECT_EQ(c.statut, 0);
    EXPECT_EQ(c.scenes, kScenes);
    EXPECT_EQ(Liberation(c), LiberationComplete());
    EXPECT_EQ(c.debutMs.front(), 2000u);  // after the start-up pause
    EXPECT_GE(c.liberationMs, c.debutMs.back());
    // Every frame a scene shows is presented; the last one is the finale's black.
    EXPECT_GT(c.trames, 0u);
    for (Uint16 p : ImageAffichee()) ASSERT_EQ(p, 0);
    ImprimeChronologie(c, "Whole production on the virtual 60 Hz machine");
}

TEST(Production, EndsTheProcessWithStatusZeroAfterTheRelease) {
    EXPECT_EXIT(
        {
            g_observeAppel = [](const char* routine) { std::fprintf(stderr, "[%s]", routine); };
            ReinitMachine();
            std::exit(LanceDemo());
        },
        testing::ExitedWithCode(0),
        "\\[SceneFinale\\].*\\[LibereMusique\\]\\[FermeAudio\\]\\[LibereEcran\\]$");
}

TEST(Production, AKeyInEveryWaitAndLoopStillShowsEverySceneInOrder) {
    const Chronologie libre = ParcourtDemo();
    // A key press every 10 ms of the whole free run and beyond: every wait,
    // effect and scene loop that checks the keyboard is cut short.
    ConfigMachine config;
    for (Uint32 t = 0; t < libre.dureeMs + 1000; t += 10) {
        config.evenements.push_back({t, ToucheEnfoncee()});
    }
    const Chronologie pressee = ParcourtDemo(config);
    ImprimeChronologie(pressee, "Whole production with a key pressed every 10 ms");

    EXPECT_EQ(pressee.statut, 0);
    EXPECT_EQ(pressee.scenes, kScenes);
    EXPECT_EQ(Liberation(pressee), LiberationComplete());
    // The start-up pause ends at the first poll, and the run is shorter.
    EXPECT_LT(pressee.debutMs.front(), 2000u);
    EXPECT_LT(pressee.dureeMs, libre.dureeMs);
    for (size_t i = 0; i < kScenes.size(); ++i) {
        if (libre.DureeScene(i) > 0) {
            EXPECT_LE(pressee.DureeScene(i), libre.DureeScene(i)) << kScenes[i];
        }
    }
}

TEST(Production, EscapeHeldInsideEachSceneEndsTheProcessWithStatusZero) {
    const Chronologie libre = ParcourtDemo();
    ASSERT_EQ(libre.scenes, kScenes);
    for (size_t i = 0; i < kScenes.size(); ++i) {
        SCOPED_TRACE(kScenes[i]);
        const std::uint64_t duree = libre.DureeScene(i);
        if (duree == 0) {
            std::printf("%s takes no time yet: no moment inside it to hold Escape\n",
                        kScenes[i].c_str());
            continue;
        }
        const bool finale = kScenes[i] == "SceneFinale";
        // The middle of the scene; in the finale, inside the flash, since the
        // switch-off after it never checks the keyboard.
        const std::uint64_t instant = libre.debutMs[i] + (finale ? 50 : duree / 2);
        const std::string suivante = i + 1 < kScenes.size() ? kScenes[i + 1] : "LibereImage";
        EXPECT_EXIT(
            {
                g_observeAppel = [](const char* r) { std::fprintf(stderr, "[%s]", r); };
                ConfigMachine config;
                config.echapDes = static_cast<Uint32>(instant);
                RemetHasard();  // this process has already run the production once
                ReinitMachine(config);
                LanceDemo();
                std::exit(3);
            },
            testing::ExitedWithCode(0),
            testing::AllOf(testing::HasSubstr("[" + kScenes[i] + "]"),
                           testing::Not(testing::HasSubstr("[" + suivante + "]")),
                           testing::Not(testing::HasSubstr("[LibereImage]"))));
    }
}

// Hashes of every refresh of one whole run, written where the parent reads them.
void EcritHashes(const std::string& chemin) {
    std::vector<std::uint64_t> hashes;
    ObserveTrames([&hashes](std::uint64_t, const Uint16* p, int w, int h) {
        hashes.push_back(HashTrame(p, w, h));
    });
    ReinitMachine();
    LanceDemo();
    TermineMachine();
    std::ofstream sortie(chemin, std::ios::binary);
    sortie.write(reinterpret_cast<const char*>(hashes.data()),
                 static_cast<std::streamsize>(hashes.size() * sizeof hashes[0]));
    sortie.close();
    std::exit(sortie ? 0 : 4);
}

std::vector<std::uint64_t> LitHashes(const std::string& chemin) {
    std::ifstream entree(chemin, std::ios::binary | std::ios::ate);
    if (!entree) return {};
    std::vector<std::uint64_t> hashes(static_cast<size_t>(entree.tellg()) / sizeof(std::uint64_t));
    entree.seekg(0);
    entree.read(reinterpret_cast<char*>(hashes.data()),
                static_cast<std::streamsize>(hashes.size() * sizeof hashes[0]));
    return hashes;
}

TEST(Production, TwoRunsShowTheSameFrames) {
    // Each run is a fresh process, so rand() and the snow generator start
    // from their unseeded states both times.
    const std::string a = DossierTrames() + "/hashes_run_a.bin";
    const std::string b = DossierTrames() + "/hashes_run_b.bin";
    EXPECT_EXIT(EcritHashes(a), testing::ExitedWithCode(0), "");
    EXPECT_EXIT(EcritHashes(b), testing::ExitedWithCode(0), "");
    const std::vector<std::uint64_t> premier = LitHashes(a), second = LitHashes(b);
    ASSERT_GT(premier.size(), 120u);  // at least the start-up pause
    EXPECT_EQ(premier.size(), second.size());
    EXPECT_TRUE(premier == second);
    size_t differents = 0;
    for (size_t i = 1; i < premier.size(); ++i) differents += premier[i] != premier[i - 1];
    std::printf("%zu refreshes, %zu picture changes, identical in both runs\n", premier.size(),
                differents);
    EXPECT_GT(differents, 0u);
    std::remove(a.c_str());
    std::remove(b.c_str());
}

}  // namespace
