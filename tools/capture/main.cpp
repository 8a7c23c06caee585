// kazzmot-capture: runs the production on the virtual 60 Hz machine and writes
// a video of it at any frame rate, each frame showing the picture on the
// display at the frame's time, with the module rendered offline from the
// moment the production starts it. See kAideCapture for the options.
//
// The production never reaches a sound card here: SDL is given an audio driver
// that does not exist, so the production's InitAudio fails the way it does on
// a machine without sound (the production then plays silently) and libmikmod
// is left to this tool alone. The display is SDL's dummy driver.
#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/time.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cerrno>
#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>
#include <vector>

#include "capture.h"
#include "demo.h"
#include "machine_virtuelle.h"
#include "plateforme.h"

volatile sig_atomic_t g_signaux = 0;

namespace {

// SDL's audio driver for the production: one that does not exist.
constexpr const char* kPiloteSansSon = "kazzmot-capture-sans-son";
// What the production says when it cannot open the sound card.
constexpr const char* kMessageSansSon = "Ouverture impossible de la carte son";

volatile sig_atomic_t g_interrompu = 0;

void SurInterruption(int) {
    g_interrompu = 1;
    g_signaux = g_signaux + 1;
}

// Thrown from the frame observer to leave the production early: the end of
// the range, an interruption, or an encoder that failed.
struct ArretCapture {};

using Horloge_t = std::chrono::steady_clock;

double Secondes(const timeval& t) {
    return static_cast<double>(t.tv_sec) + t.tv_usec / 1e6;
}

double SecondesFil() {
    timespec t;
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + t.tv_nsec * 1e-9;
}

double SecondesEnfants() {
    struct rusage enfants {};
    getrusage(RUSAGE_CHILDREN, &enfants);
    return Secondes(enfants.ru_utime) + Secondes(enfants.ru_stime);
}

struct VignetteDatee {
    std::uint64_t trame;
    Vignette vignette;
};

struct Capture {
    OptionsCapture o;
    std::uint64_t periodeVignettes = 300;

    // The range, in 60 Hz refreshes of the virtual machine: [debut, fin).
    bool debutConnu = false;
    std::uint64_t debut = 0;
    std::uint64_t fin = UINT64_MAX;

    // What the run has shown so far.
    std::vector<std::uint64_t> debutsScenes{0};  // scene 0 is the start-up pause
    std::vector<std::string> routinesScenes{"Ouverture"};
    bool musiqueLancee = false;
    std::uint64_t msMusique = 0;
    std::uint64_t trames = 0;    // frames of the video written
    std::uint64_t derniere = 0;  // index of the last refresh seen
    bool interrompue = false;
    bool complete = false;  // the range was captured to its end
    bool enErreur = false;
    std::string erreur;

    // Outputs.
    FILE* journal = nullptr;
    bool video = false;
    Encodeur encodeur;
    std::string intermediaire;
    std::string dossierPng;
    std::vector<Uint16> agrandie;
    LecteurModule module;
    bool avecModule = false;

    // Storyboard: the thumbnails, and a scene change waiting for its picture.
    std::vector<VignetteDatee> vignettes;
    bool vignetteEnAttente = false;
    std::uint64_t trameAttente = 0;
    std::vector<Uint16> avantScene;  // the picture the new scene must change
    std::vector<Uint16> precedente;
    int largeur = 640;
    int hauteur = 480;

    // The production's stderr while InitAudio runs, to drop its expected message.
    int stderrSauve = -1;
    FILE* stderrCapture = nullptr;

    // Processor time of the thread that runs the production (its drawing,
    // the hash log, the storyboard and the hand-over of each frame).
    double secondesProduction = 0;
    double secondesSon = 0;         // the module rendered and written
    double secondesAssemblage = 0;  // the ffmpeg that makes the final file

    // Progress.
    bool progression = false;
    bool terminal = false;
    Horloge_t::time_point depart;
    Horloge_t::time_point dernierAffichage;
    pid_t arpenteur = -1;
    double secondesArpenteur = 0;
    int tubeArpenteur = -1;
    std::string lu;
    bool finArpentee = false;
    std::uint64_t finProduction = 0;
    std::vector<std::uint64_t> scenesArpentees{0};
};

Capture* g_capture = nullptr;

// ---------------------------------------------------------------------------
// Progress bar on the standard error stream.

// The number of frames the capture will write, when it is known yet.
bool TotalConnu(const Capture& c, std::uint64_t* total) {
    std::uint64_t debut = c.debut;
    if (!c.debutConnu) {
        if (c.o.debut.genre != Borne::Genre::Scene ||
            c.o.debut.scene >= static_cast<int>(c.scenesArpentees.size())) {
            return false;
        }
        debut = c.scenesArpentees[c.o.debut.scene];
    }
    std::uint64_t fin = c.fin;
    if (c.o.fin.genre == Borne::Genre::Scene && fin == UINT64_MAX &&
        c.o.fin.scene + 1 < static_cast<int>(c.scenesArpentees.size())) {
        fin = c.scenesArpentees[c.o.fin.scene + 1];
    }
    if (c.finArpentee) fin = std::min(fin, c.finProduction);
    if (fin == UINT64_MAX) return false;
    *total = fin > debut ? fin - debut : 0;
    return true;
}

void LitArpenteur(Capture* c) {
    if (c->tubeArpenteur < 0) return;
    char tampon[4096];
    for (;;) {
        const ssize_t n = read(c->tubeArpenteur, tampon, sizeof tampon);
        if (n <= 0) {
            if (n == 0) {
                close(c->tubeArpenteur);
                c->tubeArpenteur = -1;
            }
            break;
        }
        c->lu.append(tampon, static_cast<size_t>(n));
    }
    size_t fin;
    while ((fin = c->lu.find('\n')) != std::string::npos) {
        const std::string ligne = c->lu.substr(0, fin);
        c->lu.erase(0, fin + 1);
        unsigned long long v = 0;
        if (std::sscanf(ligne.c_str(), "scene %llu", &v) == 1) {
            c->scenesArpentees.push_back(v);
        } else if (std::sscanf(ligne.c_str(), "fin %llu", &v) == 1) {
            c->finProduction = v;
            c->finArpentee = true;
        }
    }
}

void AfficheProgression(Capture* c, bool derniere) {
    if (!c->progression) return;
    const auto maintenant = Horloge_t::now();
    const double depuis = std::chrono::duration<double>(maintenant - c->dernierAffichage).count();
    if (!derniere && depuis < (c->terminal ? 0.1 : 2.0)) return;
    c->dernierAffichage = maintenant;
    LitArpenteur(c);
    const double ecoule = std::chrono::duration<double>(maintenant - c->depart).count();
    std::uint64_t total = 0;
    bool connu = TotalConnu(*c, &total);
    total = TramesAvant(total, c->o.fpsNum, c->o.fpsDen);
    connu = connu && total >= c->trames;
    if (derniere && c->complete) {
        total = c->trames;
        connu = true;
    }
    char barre[33];
    const int largeurBarre = 30;
    const int plein = connu && total ? static_cast<int>(c->trames * largeurBarre / total) : 0;
    for (int i = 0; i < largeurBarre; ++i) barre[i] = i < plein ? '#' : (connu ? '-' : '?');
    barre[largeurBarre] = 0;
    char reste[32] = "?";
    if (connu && c->trames > 0) {
        const double secondes =
            ecoule / static_cast<double>(c->trames) * static_cast<double>(total - c->trames);
        std::snprintf(reste, sizeof reste, "%d:%02d", static_cast<int>(secondes) / 60,
                      static_cast<int>(secondes) % 60);
    }
    char totalTexte[32] = "?";
    if (connu) std::snprintf(totalTexte, sizeof totalTexte, "%" PRIu64, total);
    const double video = static_cast<double>(c->trames) * c->o.fpsDen / c->o.fpsNum;
    std::fprintf(stderr, "%s[%s] %" PRIu64 "/%s frames  %s of video  %.1fx real time  left %s%s",
                 c->terminal ? "\r" : "", barre, c->trames, totalTexte,
                 FormateDuree(static_cast<std::uint64_t>(video * 1000)).c_str(),
                 ecoule > 0 ? video / ecoule : 0.0, reste,
                 c->terminal ? (derniere ? "\n" : "   ") : "\n");
    std::fflush(stderr);
}

// A child that runs the production alone, without writing anything, to learn
// its length (for the progress bar's total) while the capture runs. It is
// forked before SDL or libmikmod start, so it starts from the same state as
// the capture.
void LanceArpenteur(Capture* c) {
    int tube[2];
    if (pipe(tube) != 0) return;
    const pid_t pid = fork();
    if (pid < 0) {
        close(tube[0]);
        close(tube[1]);
        return;
    }
    if (pid == 0) {
        close(tube[0]);
        const int nul = open("/dev/null", O_WRONLY);
        if (nul >= 0) {
            dup2(nul, 1);
            dup2(nul, 2);
        }
        static int sortie;
        sortie = tube[1];
        g_observeAppel = [](const char* routine) {
            if (std::strncmp(routine, "Scene", 5) == 0) {
                dprintf(sortie, "scene %" PRIu64 "\n", NombreRafraichissements());
            }
        };
        ReinitMachine(ConfigMachine());
        LanceDemo();
        TermineMachine();
        dprintf(sortie, "fin %" PRIu64 "\n", NombreRafraichissements());
        _exit(0);
    }
    close(tube[1]);
    fcntl(tube[0], F_SETFL, O_NONBLOCK);
    c->arpenteur = pid;
    c->tubeArpenteur = tube[0];
}

void ArreteArpenteur(Capture* c) {
    if (c->arpenteur > 0) {
        kill(c->arpenteur, SIGTERM);
        struct rusage usage {};
        while (wait4(c->arpenteur, nullptr, 0, &usage) < 0 && errno == EINTR) {
        }
        c->secondesArpenteur = Secondes(usage.ru_utime) + Secondes(usage.ru_stime);
        c->arpenteur = -1;
    }
    if (c->tubeArpenteur >= 0) {
        close(c->tubeArpenteur);
        c->tubeArpenteur = -1;
    }
}

// ---------------------------------------------------------------------------
// Frames.

std::string Legende(const Capture& c, std::uint64_t trame, int scene) {
    char texte[96];
    std::snprintf(texte, sizeof texte, "%s  %d %s",
                  FormateDuree(MsDeTrame(trame, kRafraichissement, 1)).c_str(), scene,
                  NomScene(c.routinesScenes[scene]).c_str());
    return texte;
}

void AjouteVignette(Capture* c, std::uint64_t trame, const Uint16* pixels, bool scene) {
    const int numero = static_cast<int>(c->debutsScenes.size()) - 1;
    c->vignettes.push_back(
        {trame, FaitVignette(pixels, c->largeur, c->hauteur, Legende(*c, trame, numero), scene)});
}

// A scene change's thumbnail shows the scene's first new picture that is not
// a plain colour (a scene often opens on black or on a flash), or its picture
// after one second when it shows nothing else by then.
bool Uni(const Uint16* pixels, size_t n) {
    for (size_t i = 1; i < n; ++i) {
        if (pixels[i] != pixels[0]) return false;
    }
    return true;
}

void SuitVignetteScene(Capture* c, std::uint64_t index, const Uint16* pixels) {
    if (!c->vignetteEnAttente || index < c->trameAttente) return;
    const std::uint64_t seconde = kRafraichissement;
    const bool tard = index - c->trameAttente >= seconde;
    const size_t n = static_cast<size_t>(c->largeur) * c->hauteur;
    const bool inchangee =
        c->avantScene.size() == n && std::memcmp(pixels, c->avantScene.data(), n * 2) == 0;
    if (inchangee && !tard) return;
    if (!tard && Uni(pixels, n)) {
        c->avantScene.assign(pixels, pixels + n);
        return;
    }
    if (index >= c->debut) AjouteVignette(c, index, pixels, true);
    c->vignetteEnAttente = false;
}

void OuvreSorties(Capture* c, int largeur, int hauteur) {
    c->largeur = largeur;
    c->hauteur = hauteur;
    if (!c->o.sortie.empty() && c->dossierPng.empty()) {
        c->intermediaire = c->o.sortie + ".video.nut";
        std::string erreur;
        if (!LanceEncodeur(c->o, largeur * c->o.echelle, hauteur * c->o.echelle, c->intermediaire,
                           &c->encodeur, &erreur)) {
            c->enErreur = true;
            c->erreur = erreur;
            throw ArretCapture();
        }
        c->video = true;
    }
}

void EcritTramesVideo(Capture* c, std::uint64_t index, const Uint16* pixels, int largeur,
                      int hauteur);

// Each refresh of the production's display: the end of the range or an
// interruption stops the production, the storyboard follows the scenes, and
// the refreshes within the range go to the video.
void ObserveTrame(std::uint64_t index, const Uint16* pixels, int largeur, int hauteur) {
    Capture* c = g_capture;
    if (g_interrompu) {
        c->interrompue = true;
        throw ArretCapture();
    }
    if (index >= c->fin) {
        c->complete = true;
        throw ArretCapture();
    }
    c->derniere = index;
    const bool planche = !c->o.planche.empty();
    const bool dedans = c->debutConnu && index >= c->debut;
    if (planche) {
        c->largeur = largeur;
        c->hauteur = hauteur;
        if (dedans) SuitVignetteScene(c, index, pixels);
        c->precedente.assign(pixels, pixels + static_cast<size_t>(largeur) * hauteur);
    }
    if (dedans) EcritTramesVideo(c, index, pixels, largeur, hauteur);
}

// The video's frames whose time falls within the refresh `index` of the
// production's display, which shows `pixels`: a video at another rate than
// the display's takes some refreshes twice and others not at all.
void EcritTramesVideo(Capture* c, std::uint64_t index, const Uint16* pixels, int largeur,
                      int hauteur) {
    const bool planche = !c->o.planche.empty();
    const std::uint64_t jusqua = TramesAvant(index - c->debut + 1, c->o.fpsNum, c->o.fpsDen);
    if (c->trames == 0 && jusqua > 0) OuvreSorties(c, largeur, hauteur);
    if (c->journal) {
        // Flushed line by line: an interrupted capture's log lists exactly the
        // frames its file holds.
        std::fprintf(c->journal, "%" PRIu64 " %016" PRIx64 "\n", index,
                     HashTrame(pixels, largeur, hauteur));
        std::fflush(c->journal);
    }
    if (planche && (index - c->debut) % c->periodeVignettes == 0) {
        AjouteVignette(c, index, pixels, false);
    }
    const Uint16* image = pixels;
    int l = largeur, h = hauteur;
    if (c->trames < jusqua && c->o.echelle > 1 && (c->video || !c->dossierPng.empty())) {
        AgranditTrame(pixels, largeur, hauteur, c->o.echelle, &c->agrandie);
        image = c->agrandie.data();
        l *= c->o.echelle;
        h *= c->o.echelle;
    }
    for (; c->trames < jusqua; ++c->trames) {
        if (c->video && !EnvoieTrame(&c->encodeur, image, static_cast<size_t>(l) * h)) {
            c->enErreur = true;
            c->erreur = "ffmpeg stopped reading the frames";
            throw ArretCapture();
        }
        if (!c->dossierPng.empty()) {
            char nom[64];
            std::snprintf(nom, sizeof nom, "/kazzmot-%06" PRIu64 ".png", c->trames);
            if (!SauvePixelsPNG(c->dossierPng + nom, image, l, h)) {
                c->enErreur = true;
                c->erreur = c->dossierPng + nom + ": cannot write the frame";
                throw ArretCapture();
            }
        }
    }
    AfficheProgression(c, false);
}

// ---------------------------------------------------------------------------
// The production's calls.

void ObserveAppel(const char* routine) {
    Capture* c = g_capture;
    if (std::strcmp(routine, "InitAudio") == 0) {
        // The production is about to fail to open the sound card, on purpose:
        // keep its message off the terminal.
        std::fflush(stderr);
        c->stderrCapture = std::tmpfile();
        if (c->stderrCapture) {
            c->stderrSauve = dup(2);
            dup2(fileno(c->stderrCapture), 2);
        }
    } else if (std::strcmp(routine, "InitEcran") == 0 && c->stderrSauve >= 0) {
        std::fflush(stderr);
        dup2(c->stderrSauve, 2);
        close(c->stderrSauve);
        c->stderrSauve = -1;
        std::string texte;
        std::rewind(c->stderrCapture);
        char tampon[512];
        size_t n;
        while ((n = std::fread(tampon, 1, sizeof tampon, c->stderrCapture)) > 0) {
            texte.append(tampon, n);
        }
        std::fclose(c->stderrCapture);
        c->stderrCapture = nullptr;
        if (texte.rfind(kMessageSansSon, 0) != 0) std::fputs(texte.c_str(), stderr);
    } else if (std::strcmp(routine, "JoueMusique") == 0) {
        c->musiqueLancee = true;
        c->msMusique = TempsVirtuelMs();
    } else if (std::strncmp(routine, "Scene", 5) == 0) {
        if (g_interrompu) {
            c->interrompue = true;
            throw ArretCapture();
        }
        const std::uint64_t k = NombreRafraichissements();
        // A scene that was waiting for its picture never showed a new one:
        // it keeps the last picture shown.
        if (c->vignetteEnAttente && c->debutConnu && !c->precedente.empty() &&
            c->derniere >= c->debut && c->derniere >= c->trameAttente &&
            NombreRafraichissements() > c->trameAttente) {
            AjouteVignette(c, c->derniere, c->precedente.data(), true);
        }
        c->vignetteEnAttente = false;
        c->debutsScenes.push_back(k);
        c->routinesScenes.push_back(routine);
        const int numero = static_cast<int>(c->debutsScenes.size()) - 1;
        if (c->o.debut.genre == Borne::Genre::Scene && c->o.debut.scene == numero) {
            c->debut = k;
            c->debutConnu = true;
        }
        if (c->o.fin.genre == Borne::Genre::Scene && c->o.fin.scene + 1 == numero) {
            c->fin = std::min(c->fin, k);
        }
        if (!c->o.planche.empty() && k < c->fin) {
            c->vignetteEnAttente = true;
            c->trameAttente = k;
            c->avantScene = c->precedente;
        }
    }
}

// ---------------------------------------------------------------------------
// The end of a capture.

int Termine(Capture* c) {
    // From here on a signal is only noted, however many come: the end is
    // quick, and cut short it would leave a file without its index and the
    // work files beside it.
    struct sigaction action {};
    action.sa_handler = SurInterruption;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
    if (g_interrompu) c->interrompue = true;
    ArreteArpenteur(c);
    if (c->journal) {
        std::fclose(c->journal);
        c->journal = nullptr;
    }
    if (c->vignetteEnAttente && !c->precedente.empty() && c->debutConnu &&
        c->derniere >= c->debut && c->derniere >= c->trameAttente && c->trames > 0) {
        AjouteVignette(c, c->derniere, c->precedente.data(), true);
    }
    bool ok = !c->enErreur;
    std::string erreur = c->erreur;
    const bool videoLancee = c->video;
    if (videoLancee && !TermineEncodeur(&c->encodeur) && ok) {
        ok = false;
        erreur = c->o.sortie + ": ffmpeg could not encode the frames";
    }
    if (c->trames == 0 && ok && c->interrompue) {
        if (videoLancee) std::remove(c->intermediaire.c_str());
        if (c->avecModule) FermeModule(&c->module);
        std::fprintf(stderr,
                     "kazzmot-capture: interrupted before the first frame; "
                     "nothing was written\n");
        return 130;
    }
    if (c->trames == 0 && ok) {
        ok = false;
        erreur = "nothing to capture: the range holds no frame (the production shows " +
                 std::to_string(c->derniere + 1) + " frames)";
    }
    if (ok && c->trames > 0) {
        const bool avecSon = c->avecModule;
        std::vector<Sint16> son;
        const double avantSon = SecondesFil();
        if (avecSon) {
            // From the range's first refresh, for as long as the video lasts.
            const std::uint64_t s0 = EchantillonsAvant(c->debut, kRafraichissement, 1);
            son = SonEntre(&c->module, s0,
                           s0 + EchantillonsAvant(c->trames, c->o.fpsNum, c->o.fpsDen),
                           c->musiqueLancee, c->msMusique);
        }
        if (videoLancee) {
            const std::string wav = avecSon ? c->o.sortie + ".son.wav" : std::string();
            const bool wavEcrit = !avecSon || EcritWav(wav, son);
            c->secondesSon = SecondesFil() - avantSon;
            if (!wavEcrit) {
                ok = false;
                erreur = wav + ": cannot write the sound";
            } else {
                std::vector<Chapitre> chapitres;
                for (size_t i = 0; i < c->debutsScenes.size(); ++i) {
                    const std::uint64_t debut = std::max(c->debutsScenes[i], c->debut);
                    const std::uint64_t fin =
                        i + 1 < c->debutsScenes.size() ? c->debutsScenes[i + 1] : c->derniere + 1;
                    // A scene's chapter starts at the first frame that shows it.
                    const std::uint64_t premiere =
                        TramesAvant(debut - std::min(debut, c->debut), c->o.fpsNum, c->o.fpsDen);
                    const std::uint64_t apres =
                        TramesAvant(fin - std::min(fin, c->debut), c->o.fpsNum, c->o.fpsDen);
                    if (fin <= debut || apres <= premiere || premiere >= c->trames) continue;
                    chapitres.push_back(
                        {std::to_string(i) + " " + NomScene(c->routinesScenes[i]), premiere});
                }
                const double avant = SecondesEnfants();
                ok = AssembleFilm(c->o, c->intermediaire, wav, chapitres, c->trames, &erreur);
                c->secondesAssemblage = SecondesEnfants() - avant;
            }
            if (!wav.empty()) std::remove(wav.c_str());
        } else if (!c->dossierPng.empty() && avecSon) {
            const std::string wav = c->dossierPng + "/kazzmot.wav";
            if (!EcritWav(wav, son)) {
                ok = false;
                erreur = wav + ": cannot write the sound";
            }
        }
    }
    if (videoLancee) std::remove(c->intermediaire.c_str());
    if (ok && !c->o.planche.empty()) {
        std::stable_sort(
            c->vignettes.begin(), c->vignettes.end(),
            [](const VignetteDatee& a, const VignetteDatee& b) { return a.trame < b.trame; });
        std::vector<Vignette> vignettes;
        for (auto& v : c->vignettes) vignettes.push_back(std::move(v.vignette));
        char titre[160];
        std::snprintf(titre, sizeof titre, "Kazzmot  -  %" PRIu64 " frames at %u/%u fps  -  %s",
                      c->trames, c->o.fpsNum, c->o.fpsDen,
                      FormateDuree(MsDeTrame(c->trames, c->o.fpsNum, c->o.fpsDen)).c_str());
        if (!EcritPlanche(c->o.planche, titre, vignettes)) {
            ok = false;
            erreur = c->o.planche + ": cannot write the storyboard";
        }
    }
    if (c->avecModule) FermeModule(&c->module);
    AfficheProgression(c, true);
    const double ecoule = std::chrono::duration<double>(Horloge_t::now() - c->depart).count();
    // Processor time of the capture and of the ffmpeg it ran: on a shared
    // machine the fairer measure of its speed.
    struct rusage soi {
    }, enfants{};
    getrusage(RUSAGE_SELF, &soi);
    getrusage(RUSAGE_CHILDREN, &enfants);
    const double processeur = Secondes(soi.ru_utime) + Secondes(soi.ru_stime) +
                              Secondes(enfants.ru_utime) + Secondes(enfants.ru_stime);
    const double duree = static_cast<double>(c->trames) * c->o.fpsDen / c->o.fpsNum;
    if (!ok) {
        std::fprintf(stderr, "kazzmot-capture: %s\n", erreur.c_str());
        return c->interrompue || g_interrompu ? 130 : 1;
    }
    // Where the processor time went: the production's thread, the sending
    // thread (conversion, then the writes into the pipe), the encoding
    // ffmpeg, the module rendered once the run is over, the ffmpeg that puts
    // the final file together, and the progress bar's length-finding child.
    const Encodeur& e = c->encodeur;
    char partage[256];
    std::snprintf(partage, sizeof partage,
                  "production %.2f s, conversion %.2f s, pipe %.2f s, encoder %.2f s, "
                  "sound %.2f s, assembly %.2f s, length-finding %.2f s",
                  c->secondesProduction, e.secondesConversion, e.secondesEnvoi, e.secondesFfmpeg,
                  c->secondesSon, c->secondesAssemblage, c->secondesArpenteur);
    std::fprintf(
        stderr,
        "kazzmot-capture: %" PRIu64
        " frames (%s at %u/%u fps) in %.2f s of wall time, "
        "%.2fx real time (%.2f s of processor time, %.2fx: %s)%s\n",
        c->trames, FormateDuree(MsDeTrame(c->trames, c->o.fpsNum, c->o.fpsDen)).c_str(),
        c->o.fpsNum, c->o.fpsDen, ecoule, ecoule > 0 ? duree / ecoule : 0.0, processeur,
        processeur > 0 ? duree / processeur : 0.0, partage,
        c->interrompue || g_interrompu ? " (interrupted: the file holds what was captured)" : "");
    return c->interrompue || g_interrompu ? 130 : 0;
}

// The production ended the process itself (a fatal failure: its message is
// already on the standard error stream): leave no half-written files.
void SurSortieImprevue() {
    Capture* c = g_capture;
    if (!c) return;
    if (c->stderrSauve >= 0) dup2(c->stderrSauve, 2);
    if (c->encodeur.pid > 0) {
        kill(c->encodeur.pid, SIGTERM);
        waitpid(c->encodeur.pid, nullptr, 0);
        std::remove(c->intermediaire.c_str());
    }
    if (c->arpenteur > 0) {
        kill(c->arpenteur, SIGTERM);
        waitpid(c->arpenteur, nullptr, 0);
    }
    std::fprintf(stderr,
                 "kazzmot-capture: the production stopped before its end; "
                 "nothing was captured\n");
}

bool PrepareDossier(const std::string& dossier, std::string* erreur) {
    struct stat st;
    if (stat(dossier.c_str(), &st) == 0) {
        if (S_ISDIR(st.st_mode)) return true;
        *erreur = dossier + ": exists and is not a folder";
        return false;
    }
    if (mkdir(dossier.c_str(), 0777) != 0) {
        *erreur = dossier + ": cannot make the folder (" + std::strerror(errno) + ")";
        return false;
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    static Capture capture;
    Capture* c = &capture;
    std::string erreur;
    if (!LitOptions(argc, argv, &c->o, &erreur)) {
        std::fprintf(stderr, "kazzmot-capture: %s\n", erreur.c_str());
        return 2;
    }
    if (c->o.aide) {
        std::fputs(kAideCapture, stdout);
        return 0;
    }
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    setenv("SDL_AUDIODRIVER", kPiloteSansSon, 1);

    // The range's ends in refreshes, where times give them.
    if (c->o.debut.genre == Borne::Genre::Secondes) {
        c->debut = TrameALInstant(c->o.debut.num, c->o.debut.den, kRafraichissement, 1);
        c->debutConnu = true;
    } else if (c->o.debut.genre == Borne::Genre::Aucune ||
               (c->o.debut.genre == Borne::Genre::Scene && c->o.debut.scene == 0)) {
        c->debutConnu = true;
    }
    if (c->o.fin.genre == Borne::Genre::Secondes) {
        c->fin = TrameALInstant(c->o.fin.num, c->o.fin.den, kRafraichissement, 1);
    }
    const double periode = c->o.intervallePlanche * kRafraichissement;
    c->periodeVignettes = std::max<std::uint64_t>(1, static_cast<std::uint64_t>(periode + 0.5));

    // Where the frames go.
    if (!c->o.dossierPng.empty()) {
        c->dossierPng = c->o.dossierPng;
    } else if (!c->o.sortie.empty()) {
        const std::string ffmpeg = TrouveProgramme(c->o.ffmpeg);
        if (ffmpeg.empty()) {
            std::string base = c->o.sortie;
            const size_t point = base.find_last_of('.');
            if (point != std::string::npos && base.find('/', point) == std::string::npos) {
                base.erase(point);
            }
            c->dossierPng = base + "-frames";
            std::fprintf(stderr,
                         "kazzmot-capture: %s cannot be found; writing PNG frames and a WAV "
                         "file into %s/ instead\n",
                         c->o.ffmpeg.c_str(), c->dossierPng.c_str());
        } else {
            c->o.ffmpeg = ffmpeg;
        }
    }
    if (!c->dossierPng.empty() && !PrepareDossier(c->dossierPng, &erreur)) {
        std::fprintf(stderr, "kazzmot-capture: %s\n", erreur.c_str());
        return 1;
    }

    c->terminal = isatty(2);
    c->progression = c->o.progression < 0 ? c->terminal : c->o.progression == 1;
    std::uint64_t total = 0;
    if (c->progression && !TotalConnu(*c, &total)) LanceArpenteur(c);

    // The module, before anything runs: a missing module is a clear failure.
    // Only a video or PNG frames carry sound.
    const bool avecSon = !c->o.sansMusique && (!c->o.sortie.empty() || !c->dossierPng.empty());
    if (avecSon) {
        const std::string chemin = CheminDonnees("Datas\\Sons\\", "RADUDIZ1.XM");
        if (!OuvreModule(chemin, &c->module, &erreur)) {
            std::fprintf(stderr, "kazzmot-capture: %s\n", erreur.c_str());
            ArreteArpenteur(c);
            return 1;
        }
        c->avecModule = true;
    }
    if (!c->o.journalHash.empty()) {
        c->journal = std::fopen(c->o.journalHash.c_str(), "w");
        if (!c->journal) {
            std::fprintf(stderr, "kazzmot-capture: %s: cannot write the hash log\n",
                         c->o.journalHash.c_str());
            ArreteArpenteur(c);
            return 1;
        }
    }

    struct sigaction action {};
    action.sa_handler = SurInterruption;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESETHAND;  // a second Ctrl-C ends the capture at once
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
    signal(SIGPIPE, SIG_IGN);

    g_capture = c;
    std::atexit(SurSortieImprevue);
    c->depart = Horloge_t::now();
    c->dernierAffichage = c->depart;
    // The production's own display: 60 Hz whatever the video's rate.
    ReinitMachine(ConfigMachine());
    ObserveTrames(ObserveTrame);
    g_observeAppel = ObserveAppel;
    try {
        LanceDemo();
        TermineMachine();
        c->complete = true;
    } catch (const ArretCapture&) {
    }
    c->secondesProduction = SecondesFil();
    g_observeAppel = nullptr;
    ObserveTrames(nullptr);
    SDL_Quit();
    const int statut = Termine(c);
    g_capture = nullptr;
    return statut;
}
