// The keyboard and the waits on the virtual machine.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

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

TEST(ClavierEchap, EscapeHeldEndsTheProcessWithStatusZero) {
    EXPECT_EXIT(
        {
            ConfigMachine config;
            config.echapDes = 300;
            Ecran* ecran = OuvreEcranTest(config);
            (void)ecran;
            Attente(1000);
            std::fprintf(stderr, "still running\n");
            std::exit(3);
        },
        testing::ExitedWithCode(0), testing::Not(testing::HasSubstr("still running")));
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
