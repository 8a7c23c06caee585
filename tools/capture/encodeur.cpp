// ffmpeg as the capture's encoder: raw 5-6-5 frames go through a pipe into a
// video-only file; once the run is over (or interrupted) that video, the WAV
// of the music and the chapters are put together into the final file.
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <deque>
#include <mutex>
#include <thread>

#include "capture.h"

extern char** environ;

namespace {

std::string Extension(const std::string& chemin) {
    const size_t point = chemin.find_last_of('.');
    const size_t barre = chemin.find_last_of('/');
    if (point == std::string::npos || (barre != std::string::npos && point < barre)) return "";
    std::string e = chemin.substr(point + 1);
    for (char& c : e) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return e;
}

bool EstMatroska(const std::string& chemin) {
    const std::string e = Extension(chemin);
    return e == "mkv";
}

// Starts a program with `entree` as its standard input (or /dev/null). In its
// own process group it does not receive the terminal's Ctrl-C.
pid_t Demarre(const std::vector<std::string>& arguments, bool groupePropre, int entree) {
    std::vector<char*> argv;
    for (const auto& a : arguments) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (entree >= 0) {
        posix_spawn_file_actions_adddup2(&actions, entree, 0);
    } else {
        posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    }
    posix_spawnattr_t attributs;
    posix_spawnattr_init(&attributs);
    short drapeaux = POSIX_SPAWN_SETSIGDEF;
    sigset_t defauts;
    sigemptyset(&defauts);
    sigaddset(&defauts, SIGINT);
    sigaddset(&defauts, SIGTERM);
    sigaddset(&defauts, SIGPIPE);
    posix_spawnattr_setsigdefault(&attributs, &defauts);
    if (groupePropre) {
        drapeaux |= POSIX_SPAWN_SETPGROUP;
        posix_spawnattr_setpgroup(&attributs, 0);
    }
    posix_spawnattr_setflags(&attributs, drapeaux);
    pid_t pid = -1;
    if (posix_spawnp(&pid, argv[0], &actions, &attributs, argv.data(), environ) != 0) pid = -1;
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributs);
    return pid;
}

// How long the user is given between two signals before a signal ends the
// ffmpeg a capture is waiting for, and how long ffmpeg then has to go.
constexpr auto kPatience = std::chrono::seconds(3);
constexpr auto kSursis = std::chrono::seconds(2);

// Waits for a child; its exit status, -1, or kFfmpegArrete when a signal came
// kPatience after the wait began or after the previous signal: the child's
// process group is then asked to end, and killed kSursis later. Its processor
// time in seconds goes to *secondes when asked for.
int Attends(pid_t pid, double* secondes = nullptr) {
    using Horloge = std::chrono::steady_clock;
    int statut = 0;
    struct rusage usage {};
    sig_atomic_t vus = g_signaux;
    Horloge::time_point reference = Horloge::now(), arret{};
    bool arrete = false;
    for (;;) {
        const pid_t r = wait4(pid, &statut, WNOHANG, &usage);
        if (r == pid) break;
        if (r < 0 && errno != EINTR) return -1;
        const Horloge::time_point maintenant = Horloge::now();
        if (g_signaux != vus) {
            vus = g_signaux;
            if (!arrete && maintenant - reference >= kPatience) {
                // Only a program started in a group of its own is ended.
                if (getpgid(pid) == pid) {
                    kill(-pid, SIGTERM);
                    arrete = true;
                    arret = maintenant;
                }
            }
            reference = maintenant;
        }
        if (arrete && maintenant - arret >= kSursis) kill(-pid, SIGKILL);
        usleep(20000);
    }
    if (secondes) {
        *secondes = static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
                    (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
    }
    if (arrete) return kFfmpegArrete;
    return WIFEXITED(statut) ? WEXITSTATUS(statut) : -1;
}

double TempsFil() {
    timespec t;
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + t.tv_nsec * 1e-9;
}

bool EcritTout(int tube, const void* donnees, size_t octets) {
    const char* p = static_cast<const char*>(donnees);
    while (octets > 0) {
        const ssize_t n = write(tube, p, octets);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        p += n;
        octets -= static_cast<size_t>(n);
    }
    return true;
}

// Enough buffers for the production to draw ahead while a frame is being
// converted and another waits in the pipe.
constexpr size_t kTampons = 6;

// Chapters as an ffmetadata file, in frames of the captured video.
bool EcritChapitres(const std::string& chemin, const std::vector<Chapitre>& chapitres,
                    std::uint64_t trames, std::uint32_t fpsNum, std::uint32_t fpsDen) {
    FILE* f = std::fopen(chemin.c_str(), "w");
    if (!f) return false;
    std::fprintf(f, ";FFMETADATA1\ntitle=Kazzmot\n");
    for (size_t i = 0; i < chapitres.size(); ++i) {
        const std::uint64_t debut = chapitres[i].trame;
        const std::uint64_t fin = i + 1 < chapitres.size() ? chapitres[i + 1].trame : trames;
        if (fin <= debut) continue;
        std::fprintf(f, "\n[CHAPTER]\nTIMEBASE=%u/%u\nSTART=%llu\nEND=%llu\ntitle=%s\n", fpsDen,
                     fpsNum, static_cast<unsigned long long>(debut),
                     static_cast<unsigned long long>(fin), chapitres[i].titre.c_str());
    }
    const bool ok = !std::ferror(f);
    return std::fclose(f) == 0 && ok;
}

}  // namespace

// The frames between the production's thread and the sending thread.
struct FileEnvoi {
    std::mutex verrou;
    std::condition_variable signal;
    std::vector<std::vector<Uint16>> tampons;
    std::deque<size_t> pleins;  // in the order of the frames
    std::vector<size_t> libres;
    bool fin = false;
    bool erreur = false;
    int tube = -1;
    bool yuv = false;
    int largeur = 0;
    int hauteur = 0;
    double conversion = 0;
    double envoi = 0;
    std::thread fil;
};

namespace {

void Envoie(FileEnvoi* f) {
    std::vector<Uint8> yuv(f->yuv ? TailleYuv420(f->largeur, f->hauteur) : 0);
    for (;;) {
        size_t i;
        {
            std::unique_lock<std::mutex> l(f->verrou);
            f->signal.wait(l, [f] { return !f->pleins.empty() || f->fin; });
            if (f->pleins.empty()) break;
            i = f->pleins.front();
            f->pleins.pop_front();
        }
        const std::vector<Uint16>& trame = f->tampons[i];
        bool ok = true;
        const double t0 = TempsFil();
        if (f->yuv) ConvertitYuv420(trame.data(), f->largeur, f->hauteur, yuv.data());
        const double t1 = TempsFil();
        ok = f->yuv ? EcritTout(f->tube, yuv.data(), yuv.size())
                    : EcritTout(f->tube, trame.data(), trame.size() * 2);
        const double t2 = TempsFil();
        f->conversion += t1 - t0;
        f->envoi += t2 - t1;
        {
            std::lock_guard<std::mutex> l(f->verrou);
            if (!ok) f->erreur = true;
            f->libres.push_back(i);
        }
        f->signal.notify_all();
        if (!ok) break;
    }
}

}  // namespace

int ExecuteProgramme(const std::vector<std::string>& arguments, bool groupePropre, int entree) {
    const pid_t pid = Demarre(arguments, groupePropre, entree);
    if (pid < 0) return -1;
    return Attends(pid);
}

bool LanceEncodeur(const OptionsCapture& o, int largeur, int hauteur,
                   const std::string& intermediaire, Encodeur* e, std::string* erreur) {
    int tube[2];
    if (pipe(tube) != 0) {
        *erreur = std::string("cannot make a pipe to ffmpeg: ") + std::strerror(errno);
        return false;
    }
    fcntl(tube[1], F_SETFD, FD_CLOEXEC);
    // A pipe that holds a whole frame: fewer wake-ups on both sides. The
    // system may refuse; the default size works too.
    fcntl(tube[1], F_SETPIPE_SZ, 1 << 20);
    const bool yuv = o.qualite == Qualite::Livraison;
    char taille[32], cadence[32];
    std::snprintf(taille, sizeof taille, "%dx%d", largeur, hauteur);
    std::snprintf(cadence, sizeof cadence, "%u/%u", o.fpsNum, o.fpsDen);
    std::vector<std::string> a = {
        o.ffmpeg,      "-hide_banner", "-loglevel",  "error",         "-nostats",
        "-y",          "-f",           "rawvideo",   "-pixel_format", yuv ? "yuv420p" : "rgb565le",
        "-video_size", taille,         "-framerate", cadence,         "-i",
        "pipe:0"};
    if (o.qualite == Qualite::Livraison) {
        a.insert(a.end(),
                 {"-c:v", "libx264", "-preset", "veryfast", "-crf", "18", "-pix_fmt", "yuv420p",
                  "-colorspace", "bt709", "-color_primaries", "bt709", "-color_trc", "bt709"});
    } else if (EstMatroska(o.sortie)) {
        a.insert(a.end(), {"-c:v", "ffv1", "-level", "3", "-pix_fmt", "bgr0"});
    } else {
        a.insert(a.end(),
                 {"-c:v", "libx264rgb", "-preset", "veryfast", "-qp", "0", "-pix_fmt", "bgr24"});
    }
    a.insert(a.end(), {"-f", "nut", intermediaire});
    e->pid = Demarre(a, true, tube[0]);
    close(tube[0]);
    if (e->pid < 0) {
        close(tube[1]);
        *erreur = "cannot run " + o.ffmpeg;
        return false;
    }
    e->tube = tube[1];
    e->fichier = intermediaire;
    FileEnvoi* f = new FileEnvoi;
    f->tube = e->tube;
    f->yuv = yuv;
    f->largeur = largeur;
    f->hauteur = hauteur;
    f->tampons.assign(kTampons, std::vector<Uint16>(static_cast<size_t>(largeur) * hauteur));
    for (size_t i = kTampons; i-- > 0;) f->libres.push_back(i);
    // Interruptions are for the production's thread, which ends the capture.
    sigset_t bloques, avant;
    sigemptyset(&bloques);
    sigaddset(&bloques, SIGINT);
    sigaddset(&bloques, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &bloques, &avant);
    f->fil = std::thread(Envoie, f);
    pthread_sigmask(SIG_SETMASK, &avant, nullptr);
    e->file = f;
    return true;
}

bool EnvoieTrame(Encodeur* e, const Uint16* pixels, size_t mots) {
    FileEnvoi* f = e->file;
    if (!f || mots != f->tampons[0].size()) return false;
    size_t i;
    {
        std::unique_lock<std::mutex> l(f->verrou);
        f->signal.wait(l, [f] { return !f->libres.empty() || f->erreur; });
        if (f->erreur) return false;
        i = f->libres.back();
        f->libres.pop_back();
    }
    std::memcpy(f->tampons[i].data(), pixels, mots * 2);
    {
        std::lock_guard<std::mutex> l(f->verrou);
        f->pleins.push_back(i);
    }
    f->signal.notify_all();
    return true;
}

bool TermineEncodeur(Encodeur* e) {
    bool ok = true;
    if (FileEnvoi* f = e->file) {
        {
            std::lock_guard<std::mutex> l(f->verrou);
            f->fin = true;
        }
        f->signal.notify_all();
        f->fil.join();
        ok = !f->erreur;
        e->secondesConversion = f->conversion;
        e->secondesEnvoi = f->envoi;
        delete f;
        e->file = nullptr;
    }
    if (e->tube >= 0) {
        close(e->tube);
        e->tube = -1;
    }
    if (e->pid < 0) return false;
    const int statut = Attends(e->pid, &e->secondesFfmpeg);
    e->pid = -1;
    return ok && statut == 0;
}

bool AssembleFilm(const OptionsCapture& o, const std::string& video, const std::string& wav,
                  const std::vector<Chapitre>& chapitres, std::uint64_t trames,
                  std::string* erreur) {
    const std::string meta = o.sortie + ".chapitres.txt";
    if (!EcritChapitres(meta, chapitres, trames, o.fpsNum, o.fpsDen)) {
        *erreur = meta + ": cannot write the chapters";
        return false;
    }
    std::vector<std::string> a = {o.ffmpeg,   "-hide_banner", "-loglevel", "error",
                                  "-nostdin", "-y",           "-i",        video};
    if (!wav.empty()) a.insert(a.end(), {"-i", wav});
    a.insert(a.end(), {"-f", "ffmetadata", "-i", meta, "-map", "0:v"});
    if (!wav.empty()) a.insert(a.end(), {"-map", "1:a"});
    a.insert(a.end(), {"-map_metadata", wav.empty() ? "1" : "2", "-map_chapters",
                       wav.empty() ? "1" : "2", "-c:v", "copy"});
    if (!wav.empty()) {
        if (o.qualite == Qualite::Livraison) {
            a.insert(a.end(), {"-c:a", "aac", "-b:a", "192k"});
        } else if (EstMatroska(o.sortie)) {
            a.insert(a.end(), {"-c:a", "flac"});
        } else {
            a.insert(a.end(), {"-c:a", "alac"});
        }
    }
    const std::string e = Extension(o.sortie);
    if (e == "mp4" || e == "mov" || e == "m4v") a.insert(a.end(), {"-movflags", "+faststart"});
    a.push_back(o.sortie);
    const int statut = ExecuteProgramme(a, true, -1);
    std::remove(meta.c_str());
    if (statut == kFfmpegArrete) {
        std::remove(o.sortie.c_str());
        *erreur = o.sortie +
                  ": ffmpeg was ended before it had put the file together; the unfinished "
                  "file was removed";
        return false;
    }
    if (statut != 0) {
        *erreur =
            o.sortie + ": ffmpeg could not write the video (status " + std::to_string(statut) + ")";
        return false;
    }
    return true;
}
