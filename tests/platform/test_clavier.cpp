// The keyboard and the waits on the virtual machine.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "effets.h"
#include "outils_tests.h"

namespace {

class Clavier : public testing::Test {
  protected:
    void Ouvre(const ConfigMachine& config) { ecran_ = OuvreEcranTest(config); }
    void TearDown() override {
        if (ecran_) FermeEcranTest(ecran_);
    }
    Ecran* ecran_ = nullptr;
};

ConfigMachine AvecEvenements(std::vector<EvenementScripte> evenements) {
    ConfigMachine config;
    config.evenements = std::move(evenements);
    return config;
}

TEST_F(Clavier, AttenteZeroReturnsWithoutPolling) {
    Ouvre(AvecEvenements({{0, ToucheEnfoncee()}}));
    const auto avant = NombreScrutations();
    Attente(0);
    EXPECT_EQ(NombreScrutations(), avant);
    // The key is still waiting in the queue for the next check.
    EXPECT_EQ(TestClavier(), 1);
}

TEST_F(Clavier, AttenteLastsItsWholeDurationWithoutKeys) {
    Ouvre(ConfigMachine());
    const auto debut = TempsVirtuelMs();
    Attente(2000);
    EXPECT_EQ(TempsVirtuelMs() - debut, 2000u);
    EXPECT_EQ(NombrePresentations(), 0u);
}

TEST_F(Clavier, AttenteEndsOnTheFirstPassAfterAKeyDown) {
    Ouvre(AvecEvenements({{500, ToucheEnfoncee()}}));
    const auto debut = TempsVirtuelMs();
    Attente(2000);
    EXPECT_EQ(TempsVirtuelMs() - debut, 500u);
}

TEST_F(Clavier, AttenteIgnoresKeyReleasesAndMouse) {
    Ouvre(AvecEvenements({{100, ToucheRelachee()}, {200, MouvementSouris()}}));
    const auto debut = TempsVirtuelMs();
    Attente(1000);
    EXPECT_EQ(TempsVirtuelMs() - debut, 1000u);
}

TEST_F(Clavier, OneEventPerCheckMouseThenKey) {
    Ouvre(AvecEvenements({{0, MouvementSouris()}, {0, ToucheEnfoncee()}}));
    EXPECT_EQ(TestClavier(), 0);
    EXPECT_EQ(TestClavier(), 1);
    EXPECT_EQ(TestClavier(), 0);
}

TEST_F(Clavier, KeyDownThenReleaseGiveOneThenZero) {
    Ouvre(AvecEvenements({{0, ToucheEnfoncee()}, {0, ToucheRelachee()}}));
    EXPECT_EQ(TestClavier(), 1);
    EXPECT_EQ(TestClavier(), 0);
}

TEST_F(Clavier, WindowCloseEventIsIgnored) {
    SDL_Event fermeture{};
    fermeture.type = SDL_QUIT;
    Ouvre(AvecEvenements({{0, fermeture}}));
    EXPECT_EQ(TestClavier(), 0);
}

// Escape held from 300 ms, or tapped at 300 ms (pressed and released before
// the next poll, so the key state reads released and only the key-down event
// tells of it), inside a wait, the pacing's spin and an effect's loop. An
// Escape released alone at 300 ms (pressed before the program started) ends
// nothing: the routine runs to its end.
enum class Echap { Tenue, Tapee, Relachee };

struct CasEchap {
    const char* nom;
    Echap echap;
    void (*routine)(Ecran*);
};

[[noreturn]] void LanceAvecEchap(const CasEchap& c) {
    ConfigMachine config;
    switch (c.echap) {
        case Echap::Tenue:
            config.echapDes = 300;
            break;
        case Echap::Tapee:
            config.evenements = {{300, ToucheEnfoncee(SDLK_ESCAPE)},
                                 {300, ToucheRelachee(SDLK_ESCAPE)}};
            break;
        case Echap::Relachee:
            config.evenements = {{300, ToucheRelachee(SDLK_ESCAPE)}};
            break;
    }
    c.routine(OuvreEcranTest(config));
    std::fprintf(stderr, "still running at %u ms\n", static_cast<unsigned>(TempsVirtuelMs()));
    std::exit(3);
}

TEST(ClavierEchap, EscapeHeldOrTappedEndsTheProcessWithStatusZero) {
    const CasEchap cas[] = {
        {"held in a wait", Echap::Tenue, [](Ecran*) { Attente(1000); }},
        {"tapped in a wait", Echap::Tapee, [](Ecran*) { Attente(1000); }},
        {"released alone in a wait", Echap::Relachee, [](Ecran*) { Attente(1000); }},
        {"tapped in the pacing", Echap::Tapee,
         [](Ecran* e) {
             for (int i = 0; i < 60; ++i) FlipEcran(e);
         }},
        {"released alone in the pacing", Echap::Relachee,
         [](Ecran* e) {
             for (int i = 0; i < 60; ++i) FlipEcran(e);
         }},
        {"held in an effect", Echap::Tenue, [](Ecran* e) { GlisseVertical(e, e, 0, 400, 0, 1); }},
        {"tapped in an effect", Echap::Tapee, [](Ecran* e) { GlisseVertical(e, e, 0, 400, 0, 1); }},
        {"released alone in an effect", Echap::Relachee,
         [](Ecran* e) { GlisseVertical(e, e, 0, 400, 0, 1); }},
    };
    for (const CasEchap& c : cas) {
        SCOPED_TRACE(c.nom);
        if (c.echap == Echap::Relachee) {
            EXPECT_EXIT(LanceAvecEchap(c), testing::ExitedWithCode(3),
                        testing::HasSubstr("still running"));
        } else {
            EXPECT_EXIT(LanceAvecEchap(c), testing::ExitedWithCode(0),
                        testing::Not(testing::HasSubstr("still running")));
        }
    }
}

TEST_F(Clavier, FlipEcranShowsNoSoonerThanNineMilliseconds) {
    Ouvre(ConfigMachine());
    const auto avant = NombrePresentations();
    FlipEcran(ecran_);
    EXPECT_EQ(NombrePresentations(), avant + 1);
    // Nine ms of spinning, then the present waits for the next refresh.
    EXPECT_EQ(TempsVirtuelMs(), 16u);
}

TEST_F(Clavier, FlipEcranShowsAtOnceOnAKey) {
    Ouvre(AvecEvenements({{0, ToucheEnfoncee()}}));
    FlipEcran(ecran_);
    EXPECT_EQ(NombrePresentations(), 1u);
    EXPECT_EQ(NombreScrutations(), 1u);
}

}  // namespace
