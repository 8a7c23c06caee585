// Sound: opening the device, loading and playing the module, and the ways
// they fail.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <vector>

#include "demo.h"
#include "outils_tests.h"

namespace {

using testing::ExitedWithCode;
using testing::HasSubstr;

TEST(Audio, SettingsAndMusicRecordsCarryTheFixedValues) {
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    Ecran* ecran = OuvreEcranTest();
    StructAudio_t* settings = InitAudio();
    ASSERT_NE(settings, nullptr);
    EXPECT_EQ(settings->frequency, 44100);
    EXPECT_EQ(settings->channels, 2);
    EXPECT_EQ(settings->chunksize, 4096);
    EXPECT_EQ(settings->format, AUDIO_S16LSB);
    EXPECT_EQ(settings->loops, 1);
    EXPECT_EQ(settings->music, nullptr);

    StructAudio_t* music = ChargeMusique(settings, "RADUDIZ1.XM");
    ASSERT_NE(music, nullptr);
    ASSERT_NE(music->music, nullptr);
    EXPECT_EQ(music->frequency, 44100);
    EXPECT_EQ(music->channels, 2);
    EXPECT_EQ(music->chunksize, 4096);
    EXPECT_EQ(music->format, AUDIO_S16LSB);
    // The module is played once: the music record carries loops 0, not the
    // settings' 1.
    EXPECT_EQ(music->loops, 0);

    JoueMusique(music);
    EXPECT_EQ(Mix_PlayingMusic(), 1);
    LibereMusique(music);
    EXPECT_EQ(Mix_PlayingMusic(), 0);
    FermeAudio(settings);
    std::free(settings);
    FermeEcranTest(ecran);
}

// The module is heard from the moment it starts: SDL's disk audio driver
// writes what the mixer plays to a file, which must not be silence.
TEST(Audio, TheModuleIsHeardFromTheStart) {
    const std::string fichier = DossierTrames() + "/musique-disque.raw";
    std::remove(fichier.c_str());
    setenv("SDL_AUDIODRIVER", "disk", 1);
    setenv("SDL_DISKAUDIOFILE", fichier.c_str(), 1);
    Ecran* ecran = OuvreEcranTest();
    StructAudio_t* settings = InitAudio();
    ASSERT_NE(settings, nullptr);
    StructAudio_t* music = ChargeMusique(settings, "RADUDIZ1.XM");
    JoueMusique(music);
    SDL_Delay(1500);  // real time: the mixer thread plays on its own clock
    LibereMusique(music);
    FermeAudio(settings);
    std::free(settings);
    FermeEcranTest(ecran);

    FILE* f = std::fopen(fichier.c_str(), "rb");
    ASSERT_NE(f, nullptr);
    std::vector<Sint16> samples(44100 * 2);
    const size_t n = std::fread(samples.data(), sizeof(Sint16), samples.size(), f);
    std::fclose(f);
    ASSERT_GT(n, 44100u / 2);  // at least a quarter of a second of stereo
    int crete = 0;
    for (size_t i = 0; i < n; ++i) crete = std::max(crete, std::abs(int{samples[i]}));
    EXPECT_GT(crete, 300) << "the first second of the module is silent";
}

TEST(Audio, NoSettingsMeansNoMusicAndNothingHappens) {
    Ecran* ecran = OuvreEcranTest();
    EXPECT_EQ(ChargeMusique(nullptr, "RADUDIZ1.XM"), nullptr);
    JoueMusique(nullptr);
    LibereMusique(nullptr);
    FermeAudio(nullptr);
    EXPECT_EQ(Mix_PlayingMusic(), 0);
    FermeEcranTest(ecran);
}

TEST(Audio, UnknownAudioDriverPrintsItsMessageAndGivesNoSettings) {
    setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
    testing::internal::CaptureStderr();
    StructAudio_t* settings = InitAudio();
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(settings, nullptr);
    EXPECT_THAT(err, testing::AnyOf(HasSubstr("Ouverture impossible de la carte son\n"),
                                    HasSubstr("Ouverture de la carte son impossible : ")));
    SDL_Quit();
}

TEST(Audio, WithoutSoundTheProductionStillRunsToItsEnd) {
    EXPECT_EXIT(
        {
            setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
            ReinitMachine();
            std::exit(LanceDemo() == 0 ? 42 : 43);
        },
        ExitedWithCode(42), HasSubstr("carte son"));
}

TEST(AudioFatal, MissingModuleEndsAfterThePicturesWithItsMessage) {
    EXPECT_EXIT(
        {
            setenv("SDL_AUDIODRIVER", "dummy", 1);
            DonneesTemporaires donnees;
            std::filesystem::remove(donnees.Chemin("Sons/RADUDIZ1.XM"));
            ReinitMachine();
            LanceDemo();
            std::exit(0);
        },
        ExitedWithCode(1), HasSubstr("Impossible de charger <Datas/Sons//RADUDIZ1.XM>"));
}

TEST(AudioFatal, CorruptModuleEndsWithItsMessage) {
    EXPECT_EXIT(
        {
            setenv("SDL_AUDIODRIVER", "dummy", 1);
            DonneesTemporaires donnees;
            donnees.Ecrit("Sons/RADUDIZ1.XM", "Extended Module: but nothing after it");
            ReinitMachine();
            LanceDemo();
            std::exit(0);
        },
        ExitedWithCode(1), HasSubstr("module XM attendu"));
}

}  // namespace
