// kazzmot-capture run as a child process on a data folder the tests make
// (every picture the catalogue asks for, and a module whose sound is known):
// exact frame and sample counts at 60 and 60000/1001 frames per second, the
// hash log against the virtual machine's own frames, ranges, the video file
// through ffmpeg, interruption, and the fallback without ffmpeg.
#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <cinttypes>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>

#include "capture.h"
#include "demo.h"
#include "effets.h"
#include "hasard.h"
#include "machine_virtuelle.h"
#include "outils_capture.h"
#include "plateforme.h"

namespace {

class CaptureProduction : public ::testing::Test {
  protected:
    void SetUp() override {
        dossier_ = FaitDossierDonnees();
        ASSERT_FALSE(dossier_.empty()) << "cannot make the test data folder";
    }
    void TearDown() override {
        if (!HasFailure()) RetireDossier(dossier_);
    }
    std::string Chemin(const std::string& nom) const { return dossier_ + "/" + nom; }
    ResultatCapture Capture(const std::vector<std::string>& arguments) {
        ResultatCapture r = LanceCapture(dossier_, arguments);
        EXPECT_GE(r.statut, 0) << "kazzmot-capture could not be started";
        return r;
    }
    std::vector<Sint16> Wav(const std::string& nom) const {
        std::vector<Sint16> son;
        EXPECT_TRUE(LitWav(Chemin(nom), &son)) << nom;
        return son;
    }
    std::string dossier_;
};

// The production run in this process on the same data: the hash of each of
// its first `trames` refreshes, and when it started the music.
struct RunIci {
    std::vector<std::string> hashes;
    bool musique = false;
    std::uint64_t msMusique = 0;
};

struct FinRun {};
RunIci* g_run = nullptr;

// The production runs without a sound card, as in the capture, unless a
// sound driver is named.
RunIci LanceProductionIci(const std::string& dossier, std::uint64_t trames,
                          const char* son = "kazzmot-capture-sans-son") {
    setenv("SDL_AUDIODRIVER", son, 1);
    GraineHasard(1);  // as at process start: each run draws the same values
    GraineNeige = 0x12345;
    RunIci run;
    g_run = &run;
    char ici[4096];
    EXPECT_NE(getcwd(ici, sizeof ici), nullptr);
    EXPECT_EQ(chdir(dossier.c_str()), 0);
    ReinitMachine(ConfigMachine());
    ObserveTrames([trames](std::uint64_t index, const Uint16* pixels, int w, int h) {
        if (index >= trames) throw FinRun();
        char ligne[64];
        std::snprintf(ligne, sizeof ligne, "%" PRIu64 " %016" PRIx64, index,
                      HashTrame(pixels, w, h));
        g_run->hashes.push_back(ligne);
    });
    g_observeAppel = [](const char* routine) {
        if (std::string(routine) == "JoueMusique") {
            g_run->musique = true;
            g_run->msMusique = TempsVirtuelMs();
        }
    };
    try {
        LanceDemo();
        TermineMachine();
    } catch (const FinRun&) {
    }
    g_observeAppel = nullptr;
    ObserveTrames(nullptr);
    EXPECT_EQ(chdir(ici), 0);
    g_run = nullptr;
    return run;
}

// The width and height written in a PNG file's header.
std::pair<int, int> TaillePng(const std::string& chemin) {
    unsigned char entete[24] = {};
    std::ifstream(chemin, std::ios::binary).read(reinterpret_cast<char*>(entete), 24);
    auto mot = [&](int i) {
        return entete[i] << 24 | entete[i + 1] << 16 | entete[i + 2] << 8 | entete[i + 3];
    };
    return {mot(16), mot(20)};
}

// The frames of a video decoded back to 5-6-5 words, hashed as the hash log
// hashes them.
std::vector<std::string> HashesVideo(const std::string& fichier, int largeur, int hauteur) {
    std::vector<std::string> hashes;
    FILE* p = popen(
        ("ffmpeg -v error -nostdin -i '" + fichier + "' -f rawvideo -pix_fmt rgb565le -").c_str(),
        "r");
    if (!p) return hashes;
    std::vector<Uint16> trame(static_cast<size_t>(largeur) * hauteur);
    std::uint64_t index = 0;
    while (std::fread(trame.data(), 2, trame.size(), p) == trame.size()) {
        char ligne[64];
        std::snprintf(ligne, sizeof ligne, "%" PRIu64 " %016" PRIx64, index++,
                      HashTrame(trame.data(), largeur, hauteur));
        hashes.push_back(ligne);
    }
    pclose(p);
    return hashes;
}

// The frames of a video decoded to 8-bit RGB, keeping every `pas`-th pixel
// of every `pas`-th row (2 undoes an upscaling by 2).
std::vector<std::vector<Uint8>> ImagesRgb(const std::string& fichier, int largeur, int hauteur,
                                          int pas) {
    std::vector<std::vector<Uint8>> images;
    FILE* p = popen(("ffmpeg -v error -nostdin -i '" + fichier +
                     "' -sws_flags accurate_rnd+full_chroma_int -f rawvideo -pix_fmt rgb24 -")
                        .c_str(),
                    "r");
    if (!p) return images;
    std::vector<Uint8> trame(static_cast<size_t>(largeur) * hauteur * 3);
    while (std::fread(trame.data(), 1, trame.size(), p) == trame.size()) {
        std::vector<Uint8> image;
        for (int y = 0; y < hauteur; y += pas) {
            for (int x = 0; x < largeur; x += pas) {
                const Uint8* px = &trame[(static_cast<size_t>(y) * largeur + x) * 3];
                image.insert(image.end(), px, px + 3);
            }
        }
        images.push_back(std::move(image));
    }
    pclose(p);
    return images;
}

}  // namespace

TEST_F(CaptureProduction, PngFramesAndWavHoldEveryRefreshAndItsSamplesAt60) {
    const ResultatCapture r = Capture({"--png", "p", "--hash-log", "h.txt", "--to", "2.5"});
    ASSERT_EQ(r.statut, 0) << r.erreurs;
    const auto lignes = LitLignes(Chemin("h.txt"));
    ASSERT_EQ(lignes.size(), 150u);
    // Every refresh of the run once, in order, and one PNG for each.
    for (size_t i = 0; i < lignes.size(); ++i) {
        ASSERT_EQ(std::strtoull(lignes[i].c_str(), nullptr, 10), i) << lignes[i];
    }
    EXPECT_EQ(CompteFichiers(Chemin("p"), ".png"), static_cast<int>(lignes.size()));
    EXPECT_EQ(TaillePng(Chemin("p/kazzmot-000000.png")), std::make_pair(640, 480));
    // 735 samples a frame, exactly.
    const auto son = Wav("p/kazzmot.wav");
    EXPECT_EQ(son.size() / 2, lignes.size() * 735);
    // The production's own message about the missing sound card is kept off
    // the terminal.
    EXPECT_EQ(r.erreurs.find("carte son"), std::string::npos) << r.erreurs;
}

TEST_F(CaptureProduction, RangesInSecondsAreExactAt60AndAtNtscRate) {
    ASSERT_EQ(Capture({"--png", "a", "--to", "1"}).statut, 0);
    EXPECT_EQ(CompteFichiers(Chemin("a"), ".png"), 60);
    EXPECT_EQ(Wav("a/kazzmot.wav").size() / 2, 44100u);

    ASSERT_EQ(Capture({"--png", "b", "--fps", "60000/1001", "--to", "1"}).statut, 0);
    EXPECT_EQ(CompteFichiers(Chemin("b"), ".png"), 60);
    EXPECT_EQ(Wav("b/kazzmot.wav").size() / 2, 44144u);  // floor(60 × 735.735)

    ASSERT_EQ(Capture({"--png", "c", "--fps", "60000/1001", "--to", "1.5"}).statut, 0);
    EXPECT_EQ(CompteFichiers(Chemin("c"), ".png"), 90);  // frames 0 to 89 start before 1.5 s
    EXPECT_EQ(Wav("c/kazzmot.wav").size() / 2, 66216u);
}

TEST_F(CaptureProduction, HashLogIsTheVirtualMachinesFramesAndRepeats) {
    // Past the start-up pause, into the countdown and its random draws.
    ASSERT_EQ(Capture({"--hash-log", "un.txt", "--to", "4"}).statut, 0);
    ASSERT_EQ(Capture({"--hash-log", "deux.txt", "--to", "4"}).statut, 0);
    const auto un = LitLignes(Chemin("un.txt"));
    ASSERT_EQ(un.size(), 240u);
    EXPECT_EQ(LitLignes(Chemin("deux.txt")), un);
    const RunIci ici = LanceProductionIci(dossier_, 240);
    EXPECT_EQ(ici.hashes, un);
    // With the music playing on a sound thread (its player draws random
    // values there), the countdown's random places stay the same.
    const RunIci sonore = LanceProductionIci(dossier_, 240, "dummy");
    EXPECT_TRUE(sonore.musique);
    EXPECT_EQ(sonore.hashes, un);
}

TEST_F(CaptureProduction, MusicIsTheModuleFromTheMomentTheProductionStartsIt) {
    ASSERT_EQ(Capture({"--png", "p", "--to", "2"}).statut, 0);
    const RunIci ici = LanceProductionIci(dossier_, 120);
    ASSERT_TRUE(ici.musique) << "the production never started its music";
    const auto son = Wav("p/kazzmot.wav");
    ASSERT_EQ(son.size() / 2, 88200u);
    const size_t debut = ici.msMusique * 44100 / 1000;
    // Silence before the music starts, the module's note from then on for
    // 0.96 s, then its silence.
    EXPECT_TRUE(Silencieux(son, 0, debut));
    const size_t dixieme = 4410;
    for (size_t t = 0; t < 9 && debut + (t + 1) * dixieme < son.size() / 2; ++t) {
        EXPECT_GT(Energie(son, debut + t * dixieme, debut + (t + 1) * dixieme), 1000.0)
            << "tenth " << t;
    }
    EXPECT_TRUE(Silencieux(son, debut + 44100, son.size() / 2, 2));
}

TEST_F(CaptureProduction, FromAndToCutTheSameFramesAndSamplesOutOfTheWholeRun) {
    ASSERT_EQ(Capture({"--png", "tout", "--hash-log", "tout.txt", "--to", "3"}).statut, 0);
    ASSERT_EQ(
        Capture({"--png", "part", "--hash-log", "part.txt", "--from", "0.5", "--to", "1"}).statut,
        0);
    const auto tout = LitLignes(Chemin("tout.txt"));
    const auto part = LitLignes(Chemin("part.txt"));
    ASSERT_EQ(tout.size(), 180u);
    EXPECT_EQ(part, std::vector<std::string>(tout.begin() + 30, tout.begin() + 60));
    EXPECT_EQ(CompteFichiers(Chemin("part"), ".png"), 30);
    const auto sonTout = Wav("tout/kazzmot.wav");
    const auto sonPart = Wav("part/kazzmot.wav");
    ASSERT_EQ(sonPart.size(), 22050u * 2);
    EXPECT_TRUE(std::equal(sonPart.begin(), sonPart.end(), sonTout.begin() + 22050 * 2));

    // The start-up pause and what follows from the first scene on make the
    // same run, cut where the first scene starts.
    ASSERT_EQ(Capture({"--hash-log", "avant.txt", "--to", "scene:0"}).statut, 0);
    const ResultatCapture apres =
        Capture({"--hash-log", "apres.txt", "--from", "scene:1", "--to", "3"});
    auto lignes = LitLignes(Chemin("avant.txt"));
    ASSERT_FALSE(lignes.empty());
    if (apres.statut == 0) {
        const auto suite = LitLignes(Chemin("apres.txt"));
        lignes.insert(lignes.end(), suite.begin(), suite.end());
    } else {
        // The timeline may not show any frame after the pause yet.
        EXPECT_NE(apres.erreurs.find("nothing to capture"), std::string::npos) << apres.erreurs;
    }
    EXPECT_EQ(lignes, tout);
}

TEST_F(CaptureProduction, VideoHoldsEveryFrameExactlyItsSoundAndChapters) {
    if (!OutilsFfmpeg()) GTEST_SKIP() << "ffmpeg and ffprobe are not installed";
    // Lossless, at the NTSC rate: frames and samples exact, pictures exact.
    ASSERT_EQ(Capture({"--preset", "lossless", "--fps", "60000/1001", "--to", "1", "--hash-log",
                       "h.txt", "exact.mp4"})
                  .statut,
              0);
    const std::string exact = Chemin("exact.mp4");
    EXPECT_EQ(ImagesVideo(exact), 60u);
    EXPECT_EQ(ChampFlux(exact, "v", "r_frame_rate"), "60000/1001");
    EXPECT_EQ(ChampFlux(exact, "a", "codec_name"), "alac");
    EXPECT_EQ(EchantillonsAudio(exact), 44144u);
    EXPECT_EQ(HashesVideo(exact, 640, 480), LitLignes(Chemin("h.txt")));
    const auto chapitres = Chapitres(exact);
    ASSERT_FALSE(chapitres.empty());
    EXPECT_EQ(chapitres[0].first, "0 Ouverture");
    EXPECT_DOUBLE_EQ(chapitres[0].second, 0.0);
    // Nothing of the work files is left beside the video.
    EXPECT_FALSE(std::filesystem::exists(exact + ".video.nut"));
    EXPECT_FALSE(std::filesystem::exists(exact + ".son.wav"));

    // Lossless in Matroska: FFV1 and FLAC, just as exact.
    ASSERT_EQ(
        Capture({"--preset", "lossless", "--to", "0.5", "--hash-log", "m.txt", "exact.mkv"}).statut,
        0);
    const std::string mkv = Chemin("exact.mkv");
    EXPECT_EQ(ChampFlux(mkv, "v", "codec_name"), "ffv1");
    EXPECT_EQ(ChampFlux(mkv, "a", "codec_name"), "flac");
    EXPECT_EQ(EchantillonsAudio(mkv), 30u * 735u);
    EXPECT_EQ(HashesVideo(mkv, 640, 480), LitLignes(Chemin("m.txt")));

    // Other frame rates: the production still runs at 60 Hz and each frame
    // shows the refresh on screen at its time; the sound lasts as long as
    // the pictures and the chapters start at the first frame of their scene.
    ASSERT_EQ(
        Capture({"--preset", "lossless", "--to", "3", "--hash-log", "r60.txt", "r60.mkv"}).statut,
        0);
    const auto refreshes = LitLignes(Chemin("r60.txt"));
    const auto chapitres60 = Chapitres(Chemin("r60.mkv"));
    // Decoded the same way as the others (the decoder's 5-6-5 words are not
    // always the display's own on colourful frames).
    const auto images60 = HashesVideo(Chemin("r60.mkv"), 640, 480);
    ASSERT_EQ(refreshes.size(), 180u);
    ASSERT_EQ(images60.size(), 180u);
    ASSERT_GE(chapitres60.size(), 2u) << "the stretch holds no scene change";
    for (const auto& [num, den] : {std::pair<int, int>{25, 1}, {24000, 1001}}) {
        const std::string nom = "r" + std::to_string(num) + ".mkv";
        const std::string cadence = std::to_string(num) + "/" + std::to_string(den);
        SCOPED_TRACE(cadence);
        ASSERT_EQ(Capture({"--preset", "lossless", "--fps", cadence, "--to", "3", "--hash-log",
                           "r.txt", nom})
                      .statut,
                  0);
        EXPECT_EQ(LitLignes(Chemin("r.txt")), refreshes) << "one line per 60 Hz refresh";
        const auto hashes = HashesVideo(Chemin(nom), 640, 480);
        ASSERT_EQ(hashes.size(), TramesAvant(180, num, den));
        for (size_t j = 0; j < hashes.size(); ++j) {
            const std::string& vue = images60[j * 60 * den / num];
            ASSERT_EQ(hashes[j].substr(hashes[j].find(' ')), vue.substr(vue.find(' '))) << j;
        }
        EXPECT_EQ(EchantillonsAudio(Chemin(nom)), EchantillonsAvant(hashes.size(), num, den));
        const auto chapitres = Chapitres(Chemin(nom));
        ASSERT_EQ(chapitres.size(), chapitres60.size());
        for (size_t i = 0; i < chapitres.size(); ++i) {
            EXPECT_EQ(chapitres[i].first, chapitres60[i].first);
            const auto k = static_cast<std::uint64_t>(std::llround(chapitres60[i].second * 60));
            EXPECT_NEAR(chapitres[i].second,
                        static_cast<double>(TramesAvant(k, num, den)) * den / num, 1e-3);
        }
    }

    // Delivery, doubled: H.264 and AAC at 1280 x 960, every frame. AAC
    // stores whole blocks of 1024 samples, so its length is only exact to
    // one block.
    ASSERT_EQ(Capture({"--scale", "2", "--to", "1", "livraison.mp4"}).statut, 0);
    const std::string livraison = Chemin("livraison.mp4");
    EXPECT_EQ(ImagesVideo(livraison), 60u);
    EXPECT_EQ(ChampFlux(livraison, "v", "width"), "1280");
    EXPECT_EQ(ChampFlux(livraison, "v", "height"), "960");
    EXPECT_EQ(ChampFlux(livraison, "v", "codec_name"), "h264");
    EXPECT_EQ(ChampFlux(livraison, "a", "codec_name"), "aac");
    const std::uint64_t n =
        std::strtoull(ChampFlux(livraison, "a", "duration_ts").c_str(), nullptr, 10);
    EXPECT_NEAR(static_cast<double>(n), 44100.0, 1024.0);
    // Doubled, a delivery file's pictures are the exact ones but for the
    // encoder's small losses, on colourful frames (the title scene): no error
    // in the hand-over of the frames (size, layout, format), and no shift of
    // any colour component from the matrix or the range.
    ASSERT_EQ(
        Capture({"--preset", "lossless", "--from", "35", "--to", "35.25", "titre.mkv"}).statut, 0);
    ASSERT_EQ(Capture({"--scale", "2", "--from", "35", "--to", "35.25", "titre.mp4"}).statut, 0);
    const auto exactes = ImagesRgb(Chemin("titre.mkv"), 640, 480, 1);
    const auto livrees = ImagesRgb(Chemin("titre.mp4"), 1280, 960, 2);
    ASSERT_EQ(exactes.size(), 15u);
    ASSERT_EQ(livrees.size(), 15u);
    double carres = 0, ecart[3] = {0, 0, 0}, couleur = 0;
    for (size_t k = 0; k < exactes.size(); ++k) {
        for (size_t i = 0; i < exactes[k].size(); ++i) {
            const double d = static_cast<double>(livrees[k][i]) - exactes[k][i];
            carres += d * d;
            ecart[i % 3] += d;
            if (i % 3 == 0) couleur += std::abs(exactes[k][i] - exactes[k][i + 2]);
        }
    }
    const double points = 15.0 * 640 * 480;
    ASSERT_GT(couleur / points, 20.0) << "the frames compared are not colourful";
    const double psnr = 10 * std::log10(255.0 * 255.0 * 3 * points / carres);
    // The title's letters, chrome with bevels along diagonal strokes over a
    // grid of fine lines, cost the encoder about 35 dB; a frame handed over
    // shifted, mis-sized or in the wrong layout falls far lower.
    EXPECT_GT(psnr, 34.5);
    for (double e : ecart) EXPECT_LT(std::abs(e / points), 0.5) << "PSNR " << psnr << " dB";
}

TEST_F(CaptureProduction, InterruptionLeavesAPlayableFileOfWhatWasCaptured) {
    if (!OutilsFfmpeg()) GTEST_SKIP() << "ffmpeg and ffprobe are not installed";
    // Four times larger so that encoding is slow enough to be interrupted.
    const pid_t pid =
        DemarreCapture(dossier_, {"--scale", "4", "--to", "20", "--hash-log", "h.txt", "coupe.mp4"},
                       Chemin("coupe.stderr"));
    ASSERT_GT(pid, 0);
    for (int i = 0; i < 3000 && LitLignes(Chemin("h.txt")).size() < 10; ++i) usleep(10000);
    kill(pid, SIGINT);
    const int statut = AttendsCapture(pid);
    if (statut == 0) GTEST_SKIP() << "the capture ended before it could be interrupted";
    ASSERT_EQ(statut, 130) << LitTexte(Chemin("coupe.stderr"));
    const auto lignes = LitLignes(Chemin("h.txt"));
    ASSERT_GE(lignes.size(), 10u);
    const std::string coupe = Chemin("coupe.mp4");
    // Every frame captured before the interruption is in the file, which
    // decodes to its end without an error.
    EXPECT_EQ(ImagesVideo(coupe), lignes.size());
    EXPECT_EQ(Sortie("ffmpeg -v error -nostdin -i '" + coupe + "' -f null - 2>&1"), "");
    const std::uint64_t n =
        std::strtoull(ChampFlux(coupe, "a", "duration_ts").c_str(), nullptr, 10);
    EXPECT_NEAR(static_cast<double>(n), lignes.size() * 735.0, 1024.0);
    EXPECT_FALSE(std::filesystem::exists(coupe + ".video.nut"));

    // Interrupted before its first frame: an interruption, and no file.
    const pid_t tot = DemarreCapture(dossier_, {"--from", "100", "tot.mkv"}, Chemin("tot.stderr"));
    ASSERT_GT(tot, 0);
    usleep(300000);
    kill(tot, SIGINT);
    EXPECT_EQ(AttendsCapture(tot), 130) << LitTexte(Chemin("tot.stderr"));
    EXPECT_NE(LitTexte(Chemin("tot.stderr")).find("interrupted"), std::string::npos);

    // Ctrl-C twice while the final file is put together (an ffmpeg that
    // takes its time over it): the file is finished, with its index, and
    // no work file is left.
    const std::string lent = Chemin("ffmpeg-lent");
    std::ofstream(lent) << "#!/bin/sh\n"
                           "case \"$*\" in *ffmetadata*) : > '"
                        << Chemin("assemble")
                        << "'; sleep 1;; esac\n"
                           "exec ffmpeg \"$@\"\n";
    std::filesystem::permissions(lent, std::filesystem::perms::owner_all);
    const pid_t fin = DemarreCapture(dossier_, {"--ffmpeg", lent, "--to", "0.5", "fin.mp4"},
                                     Chemin("fin.stderr"));
    ASSERT_GT(fin, 0);
    for (int i = 0; i < 3000 && !std::filesystem::exists(Chemin("assemble")); ++i) usleep(10000);
    kill(fin, SIGINT);
    usleep(100000);
    kill(fin, SIGINT);
    EXPECT_EQ(AttendsCapture(fin), 130) << LitTexte(Chemin("fin.stderr"));
    const std::string film = Chemin("fin.mp4");
    EXPECT_EQ(ImagesVideo(film), 30u) << LitTexte(Chemin("fin.stderr"));
    for (const char* reste : {".video.nut", ".son.wav", ".chapitres.txt"}) {
        EXPECT_FALSE(std::filesystem::exists(film + reste)) << reste;
    }

    // An ffmpeg that hangs over the final file: Ctrl-C at once is only noted,
    // Ctrl-C again a few seconds later ends it, and the capture with it.
    std::filesystem::remove(Chemin("assemble"));
    std::ofstream(lent) << "#!/bin/sh\n"
                           "case \"$*\" in *ffmetadata*) : > '"
                        << Chemin("assemble")
                        << "'; sleep 600;; esac\n"
                           "exec ffmpeg \"$@\"\n";
    const pid_t bloque = DemarreCapture(dossier_, {"--ffmpeg", lent, "--to", "0.5", "bloque.mp4"},
                                        Chemin("bloque.stderr"));
    ASSERT_GT(bloque, 0);
    for (int i = 0; i < 3000 && !std::filesystem::exists(Chemin("assemble")); ++i) usleep(10000);
    kill(bloque, SIGINT);
    usleep(3500000);
    kill(bloque, SIGINT);
    // Ended within the grace given to ffmpeg, not when its sleep is over.
    int statutBloque = 0, fini = 0;
    for (int i = 0; i < 1000 && (fini = waitpid(bloque, &statutBloque, WNOHANG)) == 0; ++i)
        usleep(10000);
    if (fini == 0) {
        kill(bloque, SIGKILL);
        waitpid(bloque, &statutBloque, 0);
        ADD_FAILURE() << "a second Ctrl-C did not end the hung ffmpeg";
    }
    EXPECT_TRUE(WIFEXITED(statutBloque) && WEXITSTATUS(statutBloque) == 130) << statutBloque;
    EXPECT_NE(LitTexte(Chemin("bloque.stderr")).find("ffmpeg was ended"), std::string::npos)
        << LitTexte(Chemin("bloque.stderr"));
    for (const char* reste : {"", ".video.nut", ".son.wav", ".chapitres.txt"}) {
        EXPECT_FALSE(std::filesystem::exists(Chemin("bloque.mp4") + reste)) << reste;
    }
}

TEST_F(CaptureProduction, WithoutFfmpegItWritesPngFramesAndAWav) {
    const ResultatCapture r = LanceCapture(dossier_, {"--to", "0.5", "film.mp4"}, "/nonexistent");
    ASSERT_EQ(r.statut, 0) << r.erreurs;
    EXPECT_NE(r.erreurs.find("film-frames"), std::string::npos) << r.erreurs;
    EXPECT_FALSE(std::filesystem::exists(Chemin("film.mp4")));
    EXPECT_EQ(CompteFichiers(Chemin("film-frames"), ".png"), 30);
    EXPECT_EQ(Wav("film-frames/kazzmot.wav").size() / 2, 30u * 735u);
}

TEST_F(CaptureProduction, StoryboardHasAThumbnailEveryFewSeconds) {
    ASSERT_EQ(
        Capture({"--storyboard", "planche.png", "--storyboard-every", "0.5", "--to", "2"}).statut,
        0);
    // Frames 0, 30, 60 and 90: one row of the sheet.
    EXPECT_EQ(TaillePng(Chemin("planche.png")), std::make_pair(1016, 184));
    ASSERT_EQ(
        Capture({"--storyboard", "planche2.png", "--storyboard-every", "0.25", "--to", "2"}).statut,
        0);
    // Eight thumbnails: two rows.
    EXPECT_EQ(TaillePng(Chemin("planche2.png")).second, 184 + 146);
}

TEST_F(CaptureProduction, ProgressShowsFramesDoneAndTotal) {
    const ResultatCapture r = Capture({"--progress", "--hash-log", "h.txt", "--to", "1"});
    ASSERT_EQ(r.statut, 0);
    EXPECT_NE(r.erreurs.find("60/60 frames"), std::string::npos) << r.erreurs;
    EXPECT_NE(r.erreurs.find("real time"), std::string::npos) << r.erreurs;
}

TEST_F(CaptureProduction, MissingFilesStopTheCaptureWithTheirNames) {
    std::filesystem::remove(Chemin("Datas/Sons/RADUDIZ1.XM"));
    ResultatCapture r = Capture({"--png", "p", "--to", "0.2"});
    EXPECT_EQ(r.statut, 1);
    EXPECT_NE(r.erreurs.find("RADUDIZ1.XM"), std::string::npos) << r.erreurs;
    // Without the music it still captures, and writes no sound.
    r = Capture({"--png", "q", "--to", "0.2", "--no-music"});
    EXPECT_EQ(r.statut, 0) << r.erreurs;
    EXPECT_EQ(CompteFichiers(Chemin("q"), ".png"), 12);
    EXPECT_FALSE(std::filesystem::exists(Chemin("q/kazzmot.wav")));
    // A missing picture ends the production, and the capture says so. The
    // folder may be a link to the forge's pictures: work on a copy.
    const std::string images = Chemin("Datas/Images");
    if (std::filesystem::is_symlink(images)) {
        const auto forge = std::filesystem::read_symlink(images);
        std::filesystem::remove(images);
        std::filesystem::copy(forge, images);
    }
    ASSERT_FALSE(std::filesystem::is_symlink(images));
    std::filesystem::remove(Chemin("Datas/Images/Orbo.png"));
    r = Capture({"--no-music", "--hash-log", "h.txt", "--to", "0.2"});
    EXPECT_NE(r.statut, 0);
    EXPECT_NE(r.erreurs.find("Orbo.png"), std::string::npos) << r.erreurs;
    EXPECT_NE(r.erreurs.find("nothing was captured"), std::string::npos) << r.erreurs;
}

TEST_F(CaptureProduction, BadCommandLineIsRefusedBeforeAnythingRuns) {
    const ResultatCapture r = Capture({"--fps", "0", "x.mp4"});
    EXPECT_EQ(r.statut, 2);
    EXPECT_NE(r.erreurs.find("--fps"), std::string::npos) << r.erreurs;
    EXPECT_FALSE(std::filesystem::exists(Chemin("x.mp4")));
}
