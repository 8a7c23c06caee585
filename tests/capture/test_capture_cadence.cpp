// The capture's arithmetic and options: samples per frame, range ends, the
// parsing of rates and ranges, upscaling, WAV files, and the module rendered
// offline.
#include <gtest/gtest.h>

#include <SDL_mixer.h>

#include <fstream>

#include "capture.h"
#include "outils_capture.h"

TEST(CadenceCapture, SamplesPerFrameSumExactlyToTheRunAt60) {
    // 44100 / 60 = 735 exactly: every frame gets the same share.
    for (std::uint64_t k = 0; k < 600; ++k) {
        EXPECT_EQ(EchantillonsAvant(k + 1, 60, 1) - EchantillonsAvant(k, 60, 1), 735u);
    }
    EXPECT_EQ(EchantillonsAvant(3600, 60, 1), 3600u * 735u);
}

TEST(CadenceCapture, SamplesPerFrameAtNtscRateNeverDrift) {
    // At 60000/1001 a frame lasts 735.735 samples: frames get 735 or 736, and
    // the running total is the exact floor of the time in samples.
    std::uint64_t somme = 0;
    int de736 = 0;
    for (std::uint64_t k = 0; k < 60000; ++k) {
        const std::uint64_t n =
            EchantillonsAvant(k + 1, 60000, 1001) - EchantillonsAvant(k, 60000, 1001);
        ASSERT_TRUE(n == 735 || n == 736) << "frame " << k;
        de736 += n == 736;
        somme += n;
    }
    // 60000 frames are 1001 seconds.
    EXPECT_EQ(somme, 1001u * 44100u);
    EXPECT_EQ(de736, 44100);                                // 0.735 of the frames
    EXPECT_EQ(EchantillonsAvant(60, 60000, 1001), 44144u);  // floor(44144.1)
}

TEST(CadenceCapture, RangeEndsAreTheFirstFrameAtOrAfterTheTime) {
    EXPECT_EQ(TrameALInstant(1, 1, 60, 1), 60u);
    EXPECT_EQ(TrameALInstant(0, 1, 60, 1), 0u);
    EXPECT_EQ(TrameALInstant(5, 10, 60, 1), 30u);
    // 1/60 s and a hair more: the next frame.
    EXPECT_EQ(TrameALInstant(17, 1000, 60, 1), 2u);
    // At 59.94 Hz, frame 59 starts at 0.98431 s and frame 60 at 1.001 s.
    EXPECT_EQ(TrameALInstant(1, 1, 60000, 1001), 60u);
    EXPECT_EQ(TrameALInstant(984, 1000, 60000, 1001), 59u);
    EXPECT_EQ(MsDeTrame(60, 60000, 1001), 1001u);
    EXPECT_EQ(MsDeTrame(90, 60, 1), 1500u);
}

TEST(OptionsCapture, ReadsRatesRangesAndPresets) {
    const char* argv[] = {"kazzmot-capture", "--fps",   "60000/1001", "--scale", "2",
                          "--from",          "1.25",    "--to",       "scene:3", "--preset",
                          "lossless",        "out.mkv", "--hash-log", "h.txt"};
    OptionsCapture o;
    std::string erreur;
    ASSERT_TRUE(LitOptions(14, const_cast<char**>(argv), &o, &erreur)) << erreur;
    EXPECT_EQ(o.fpsNum, 60000u);
    EXPECT_EQ(o.fpsDen, 1001u);
    EXPECT_EQ(o.echelle, 2);
    EXPECT_EQ(o.debut.genre, Borne::Genre::Secondes);
    EXPECT_EQ(o.debut.num * 100, 125 * o.debut.den);
    EXPECT_EQ(o.fin.genre, Borne::Genre::Scene);
    EXPECT_EQ(o.fin.scene, 3);
    EXPECT_EQ(o.qualite, Qualite::SansPerte);
    EXPECT_EQ(o.sortie, "out.mkv");
    EXPECT_EQ(o.journalHash, "h.txt");
}

TEST(OptionsCapture, RefusesBadValuesWithAMessage) {
    const std::vector<std::vector<const char*>> mauvais = {
        {"--fps", "0"},
        {"--fps", "59.94"},
        {"--fps", "60/0"},
        {"--scale", "0"},
        {"--scale", "9"},
        {"--scale", "2x"},
        {"--from", "-1"},
        {"--to", "scene:10"},
        {"--to", "1.2.3"},
        {"--preset", "best"},
        {"--from", "2", "--to", "1"},
        {"--bogus"},
        {"--to"},
        {"a.mp4", "b.mp4"},
    };
    for (const auto& cas : mauvais) {
        std::vector<const char*> argv = {"kazzmot-capture"};
        argv.insert(argv.end(), cas.begin(), cas.end());
        if (cas[0][0] == '-') argv.push_back("out.mp4");
        OptionsCapture o;
        std::string erreur;
        EXPECT_FALSE(
            LitOptions(static_cast<int>(argv.size()), const_cast<char**>(argv.data()), &o, &erreur))
            << cas[0];
        EXPECT_FALSE(erreur.empty()) << cas[0];
    }
    // Nothing to write at all.
    const char* rien[] = {"kazzmot-capture", "--to", "1"};
    OptionsCapture o;
    std::string erreur;
    EXPECT_FALSE(LitOptions(3, const_cast<char**>(rien), &o, &erreur));
}

TEST(ImagesCapture, UpscalingRepeatsEachPixelIntoASquare) {
    const Uint16 source[6] = {1, 2, 3, 4, 5, 6};  // 3 x 2
    std::vector<Uint16> grand;
    AgranditTrame(source, 3, 2, 3, &grand);
    ASSERT_EQ(grand.size(), 9u * 6u);
    for (int y = 0; y < 6; ++y) {
        for (int x = 0; x < 9; ++x) {
            EXPECT_EQ(grand[static_cast<size_t>(y) * 9 + x], source[(y / 3) * 3 + x / 3])
                << x << "," << y;
        }
    }
}

TEST(ImagesCapture, DeliveryFramesAreBt709VideoRangeWithAveragedChroma) {
    // The published BT.709 video-range values of the primaries, white and
    // black, then 2 x 2 blocks that mix colours: chroma is their average.
    struct Cas {
        Uint16 bloc[4];
        int y[4], cb, cr;
    };
    const Uint16 R = 0xF800, G = 0x07E0, B = 0x001F, W = 0xFFFF, K = 0x0000;
    const Cas cas[] = {
        {{W, W, W, W}, {235, 235, 235, 235}, 128, 128},
        {{K, K, K, K}, {16, 16, 16, 16}, 128, 128},
        {{R, R, R, R}, {63, 63, 63, 63}, 102, 240},
        {{G, G, G, G}, {173, 173, 173, 173}, 42, 26},
        {{B, B, B, B}, {32, 32, 32, 32}, 240, 118},
        {{R, B, B, R}, {63, 32, 32, 63}, 171, 179},
        {{W, K, K, K}, {235, 16, 16, 16}, 128, 128},
        {{G, K, R, R}, {173, 16, 63, 63}, 94, 159},
    };
    // All the cases side by side in one frame, plus a last odd column and row
    // whose chroma comes from the pixels they have: the column's red and
    // blue rows average as a 2 x 2 block of two of each, the row's red alone.
    const int n = static_cast<int>(sizeof cas / sizeof cas[0]);
    const int largeur = 2 * n + 1, hauteur = 3;
    std::vector<Uint16> trame(static_cast<size_t>(largeur) * hauteur, R);
    for (int i = 0; i < n; ++i) {
        for (int k = 0; k < 4; ++k) trame[(k / 2) * largeur + 2 * i + k % 2] = cas[i].bloc[k];
    }
    trame[largeur - 1] = R;
    trame[2 * largeur - 1] = B;
    ASSERT_EQ(TailleYuv420(largeur, hauteur),
              static_cast<size_t>(largeur * hauteur + 2 * 2 * (n + 1)));
    std::vector<Uint8> yuv(TailleYuv420(largeur, hauteur), 0xAA);
    ConvertitYuv420(trame.data(), largeur, hauteur, yuv.data());
    const Uint8* u = yuv.data() + largeur * hauteur;
    const Uint8* v = u + 2 * (n + 1);
    for (int i = 0; i < n; ++i) {
        SCOPED_TRACE(i);
        for (int k = 0; k < 4; ++k) EXPECT_EQ(yuv[(k / 2) * largeur + 2 * i + k % 2], cas[i].y[k]);
        EXPECT_EQ(u[i], cas[i].cb);
        EXPECT_EQ(v[i], cas[i].cr);
        // The third row alone, counted twice: red everywhere.
        EXPECT_EQ(u[n + 1 + i], 102);
        EXPECT_EQ(v[n + 1 + i], 240);
    }
    EXPECT_EQ(u[n], 171);  // red over blue, as the R, B, B, R block
    EXPECT_EQ(v[n], 179);
    EXPECT_EQ(u[2 * n + 1], 102);  // red alone in the corner
    EXPECT_EQ(v[2 * n + 1], 240);
    EXPECT_EQ(yuv[largeur - 1], 63);
    EXPECT_EQ(yuv[2 * largeur - 1], 32);
    EXPECT_EQ(yuv[2 * largeur + largeur - 1], 63);
}

TEST(ImagesCapture, ThumbnailAveragesBlocksOfTheFrame) {
    // Left half pure red, right half pure blue: the thumbnail keeps the split.
    std::vector<Uint16> trame(640u * 480u);
    for (int y = 0; y < 480; ++y) {
        for (int x = 0; x < 640; ++x) trame[y * 640u + x] = x < 320 ? 0xF800 : 0x001F;
    }
    const Vignette v = FaitVignette(trame.data(), 640, 480, "0:00.00", false);
    ASSERT_EQ(v.pixels.size(), static_cast<size_t>(kLargeurVignette * kHauteurVignette));
    EXPECT_EQ(v.pixels[0], 0xFF0000u);
    EXPECT_EQ(v.pixels[kLargeurVignette - 1], 0x0000FFu);
    EXPECT_EQ(v.pixels[(kHauteurVignette - 1) * kLargeurVignette + 79], 0xFF0000u);
    EXPECT_EQ(v.pixels[(kHauteurVignette - 1) * kLargeurVignette + 80], 0x0000FFu);
}

TEST(SonCapture, WavFilesKeepEverySample) {
    std::vector<Sint16> son;
    for (int i = 0; i < 2000; ++i) son.push_back(static_cast<Sint16>(i * 37 - 30000));
    const std::string chemin = std::string(KAZZMOT_BINARY_DIR) + "/capture-wav-essai.wav";
    ASSERT_TRUE(EcritWav(chemin, son));
    std::vector<Sint16> relu;
    ASSERT_TRUE(LitWav(chemin, &relu));
    EXPECT_EQ(relu, son);
    std::remove(chemin.c_str());
}

TEST(SonCapture, ModuleRendersItsNoteThenSilenceThenEnds) {
    const std::string chemin = std::string(KAZZMOT_BINARY_DIR) + "/capture-module-essai.xm";
    const auto xm = FaitModuleTest();
    std::ofstream(chemin, std::ios::binary)
        .write(reinterpret_cast<const char*>(xm.data()), static_cast<std::streamsize>(xm.size()));
    LecteurModule lecteur;
    std::string erreur;
    ASSERT_TRUE(OuvreModule(chemin, &lecteur, &erreur)) << erreur;
    std::vector<Sint16> son;
    // Asked for in uneven pieces, as frames at 59.94 Hz ask for it.
    for (int k = 0; k < 240; ++k) {
        RendModule(&lecteur,
                   EchantillonsAvant(k + 1, 60000, 1001) - EchantillonsAvant(k, 60000, 1001), &son);
    }
    FermeModule(&lecteur);
    std::remove(chemin.c_str());
    ASSERT_EQ(son.size(), EchantillonsAvant(240, 60000, 1001) * 2);
    const size_t sec = kFrequenceAudio;
    // The note sounds from the start, in every tenth of a second up to row 8.
    for (size_t t = 0; t < 9; ++t) {
        EXPECT_GT(Energie(son, t * sec / 10, (t + 1) * sec / 10), 1000.0) << "tenth " << t;
    }
    // Silenced from row 8 (0.96 s) on; the song ends at 1.92 s and the rest
    // stays silent.
    EXPECT_TRUE(Silencieux(son, sec, son.size() / 2, 2));
}

TEST(SonCapture, MissingOrBrokenModuleIsRefusedWithItsName) {
    LecteurModule lecteur;
    std::string erreur;
    EXPECT_FALSE(OuvreModule("/nonexistent/RADUDIZ1.XM", &lecteur, &erreur));
    EXPECT_NE(erreur.find("/nonexistent/RADUDIZ1.XM"), std::string::npos);
    const std::string chemin = std::string(KAZZMOT_BINARY_DIR) + "/capture-module-casse.xm";
    std::ofstream(chemin) << "Extended Module: but nothing else";
    erreur.clear();
    EXPECT_FALSE(OuvreModule(chemin, &lecteur, &erreur));
    EXPECT_NE(erreur.find(chemin), std::string::npos);
    std::remove(chemin.c_str());
}

namespace {
std::vector<Sint16> g_recu;
void RecoitMelange(void* /*udata*/, Uint8* flux, int octets) {
    const Sint16* s = reinterpret_cast<const Sint16*>(flux);
    g_recu.insert(g_recu.end(), s, s + octets / 2);
}
}  // namespace

TEST(SonCapture, OfflineRenderIsWhatSdlMixerPlays) {
    // The production's own path: SDL_mixer opened as the production opens it
    // (on SDL's dummy audio driver, which plays in real time), its mixed
    // output collected after each callback.
    const std::string chemin = std::string(KAZZMOT_BINARY_DIR) + "/capture-module-mixer.xm";
    const auto xm = FaitModuleTest();
    std::ofstream(chemin, std::ios::binary)
        .write(reinterpret_cast<const char*>(xm.data()), static_cast<std::streamsize>(xm.size()));
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    ASSERT_EQ(SDL_Init(SDL_INIT_AUDIO), 0) << SDL_GetError();
    ASSERT_EQ(Mix_OpenAudio(44100, AUDIO_S16LSB, 2, 4096), 0) << Mix_GetError();
    int frequence = 0, canaux = 0;
    Uint16 format = 0;
    Mix_QuerySpec(&frequence, &format, &canaux);
    ASSERT_EQ(frequence, 44100);
    ASSERT_EQ(format, AUDIO_S16LSB);
    ASSERT_EQ(canaux, 2);
    Mix_Music* musique = Mix_LoadMUS(chemin.c_str());
    ASSERT_NE(musique, nullptr) << Mix_GetError();
    const size_t voulu = 66150;  // 1.5 s
    SDL_LockAudio();
    Mix_SetPostMix(RecoitMelange, nullptr);
    Mix_PlayMusic(musique, 0);
    SDL_UnlockAudio();
    for (int i = 0; i < 1000; ++i) {
        SDL_LockAudio();
        const size_t n = g_recu.size() / 2;
        SDL_UnlockAudio();
        if (n >= voulu) break;
        SDL_Delay(10);
    }
    SDL_LockAudio();
    Mix_SetPostMix(nullptr, nullptr);
    SDL_UnlockAudio();
    Mix_HaltMusic();
    Mix_FreeMusic(musique);
    Mix_CloseAudio();
    SDL_Quit();
    ASSERT_GE(g_recu.size() / 2, voulu);

    LecteurModule lecteur;
    std::string erreur;
    ASSERT_TRUE(OuvreModule(chemin, &lecteur, &erreur)) << erreur;
    std::vector<Sint16> rendu;
    RendModule(&lecteur, voulu, &rendu);
    FermeModule(&lecteur);
    std::remove(chemin.c_str());
    ASSERT_GT(Energie(rendu, 0, 44100 / 2), 1000.0);
    // Sample for sample.
    size_t differences = 0, premiere = SIZE_MAX;
    for (size_t i = 0; i < voulu * 2; ++i) {
        if (rendu[i] != g_recu[i]) {
            ++differences;
            premiere = std::min(premiere, i);
        }
    }
    EXPECT_EQ(differences, 0u) << "first at sample pair " << premiere / 2;
}

namespace {
// The sound of frames [debut, debut + trames) at 60 Hz, the music started at msMusique.
std::vector<Sint16> SonTest(std::uint64_t debut, std::uint64_t trames, bool lancee,
                            std::uint64_t msMusique) {
    const std::string chemin = std::string(KAZZMOT_BINARY_DIR) + "/capture-module-trames.xm";
    const auto xm = FaitModuleTest();
    std::ofstream(chemin, std::ios::binary)
        .write(reinterpret_cast<const char*>(xm.data()), static_cast<std::streamsize>(xm.size()));
    LecteurModule lecteur;
    std::string erreur;
    EXPECT_TRUE(OuvreModule(chemin, &lecteur, &erreur)) << erreur;
    auto son = SonDesTrames(&lecteur, debut, trames, 60, 1, lancee, msMusique);
    FermeModule(&lecteur);
    std::remove(chemin.c_str());
    return son;
}
}  // namespace

TEST(SonCapture, MusicStartsAtTheSampleOfTheMomentTheProductionStartsIt) {
    // Started 500 ms into the run: 22050 samples of silence, then the note.
    const auto son = SonTest(0, 120, true, 500);
    ASSERT_EQ(son.size(), 88200u * 2);
    EXPECT_TRUE(Silencieux(son, 0, 22050));
    EXPECT_GT(Energie(son, 22050, 22050 + 441), 1000.0);
    EXPECT_TRUE(Silencieux(son, 22050 + 44100, 88200, 2));
    // A range that starts after the music: the same samples as in the whole run.
    const auto suite = SonTest(45, 75, true, 500);
    ASSERT_EQ(suite.size(), 75u * 735u * 2);
    EXPECT_TRUE(std::equal(suite.begin(), suite.end(), son.begin() + 45 * 735 * 2));
    // A range that ends before the music starts, and a run that never starts it.
    EXPECT_TRUE(Silencieux(SonTest(0, 30, true, 500), 0, 30 * 735));
    const auto muet = SonTest(0, 60, false, 0);
    EXPECT_EQ(muet.size(), 44100u * 2);
    EXPECT_TRUE(Silencieux(muet, 0, 44100));
}
