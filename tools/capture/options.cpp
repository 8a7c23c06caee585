// The command line of the capture tool and the arithmetic of frames, times
// and samples.
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "capture.h"

const char* const kAideCapture =
    "Usage: kazzmot-capture [options] [OUT.mp4]\n"
    "Runs the production on the virtual 60 Hz machine and writes OUT, each frame\n"
    "showing the display at the frame's time, with the music rendered offline.\n"
    "Without OUT only the files asked for below are written.\n"
    "\n"
    "  --fps N[/D]            the video's frame rate (default 60; 60000/1001 accepted);\n"
    "                         the production always runs at 60 Hz\n"
    "  --scale N              nearest-neighbour upscaling, 1 to 8 (2 gives 1280x960)\n"
    "  --preset NAME          delivery (H.264 + AAC, default) or lossless (exact RGB:\n"
    "                         FFV1 + FLAC in .mkv, H.264 RGB at qp 0 + ALAC otherwise)\n"
    "  --from T, --to T       capture from / up to T: seconds (12.5) or scene:N\n"
    "                         (scene:0 is the start-up pause, scene:1 to scene:9 the\n"
    "                         scenes; --to scene:N ends where scene N ends)\n"
    "  --png DIR              numbered PNG frames and DIR/kazzmot.wav instead of a video\n"
    "                         (also what happens when ffmpeg cannot be found)\n"
    "  --storyboard FILE.png  a sheet of labelled thumbnails: one at each scene change\n"
    "                         and one every few seconds\n"
    "  --storyboard-every S   seconds between storyboard thumbnails (default 5)\n"
    "  --hash-log FILE        one line per 60 Hz refresh: its index and its picture's hash\n"
    "  --no-music             capture without the module\n"
    "  --ffmpeg PROGRAM       the ffmpeg to run (default: ffmpeg from PATH)\n"
    "  --progress, --quiet    show or hide the progress bar (default: shown on a terminal)\n"
    "  --help                 this text\n"
    "\n"
    "Ctrl-C stops the capture and still leaves a playable file of what was captured.\n";

namespace {

// Reads an unsigned decimal integer; false on anything else or overflow.
bool LitEntier(const std::string& texte, std::uint64_t* valeur) {
    if (texte.empty() || texte.size() > 18) return false;
    std::uint64_t v = 0;
    for (char c : texte) {
        if (c < '0' || c > '9') return false;
        v = v * 10 + static_cast<std::uint64_t>(c - '0');
    }
    *valeur = v;
    return true;
}

// Seconds as an exact fraction: "12", "12.5", ".5".
bool LitSecondes(const std::string& texte, std::uint64_t* num, std::uint64_t* den) {
    const size_t point = texte.find('.');
    std::string entier = texte.substr(0, point);
    std::string fraction = point == std::string::npos ? std::string() : texte.substr(point + 1);
    if (point != std::string::npos && fraction.empty()) return false;
    if (entier.empty() && fraction.empty()) return false;
    if (fraction.size() > 6) return false;
    std::uint64_t e = 0, f = 0, d = 1;
    if (!entier.empty() && !LitEntier(entier, &e)) return false;
    if (!fraction.empty() && !LitEntier(fraction, &f)) return false;
    for (size_t i = 0; i < fraction.size(); ++i) d *= 10;
    if (e > 1000000) return false;  // beyond any run of the production
    *num = e * d + f;
    *den = d;
    return true;
}

}  // namespace

bool LitBorne(const std::string& texte, Borne* borne) {
    if (texte.rfind("scene:", 0) == 0) {
        std::uint64_t n = 0;
        if (!LitEntier(texte.substr(6), &n) || n > 9) return false;
        borne->genre = Borne::Genre::Scene;
        borne->scene = static_cast<int>(n);
        return true;
    }
    std::uint64_t num = 0, den = 1;
    if (!LitSecondes(texte, &num, &den)) return false;
    borne->genre = Borne::Genre::Secondes;
    borne->num = num;
    borne->den = den;
    return true;
}

bool LitCadence(const std::string& texte, std::uint32_t* num, std::uint32_t* den) {
    const size_t barre = texte.find('/');
    std::uint64_t n = 0, d = 1;
    if (!LitEntier(texte.substr(0, barre), &n)) return false;
    if (barre != std::string::npos && !LitEntier(texte.substr(barre + 1), &d)) return false;
    if (n == 0 || d == 0 || n > 1000000 || d > 1000000) return false;
    // Between 1 and 1000 frames per second.
    if (n < d || n > 1000 * d) return false;
    *num = static_cast<std::uint32_t>(n);
    *den = static_cast<std::uint32_t>(d);
    return true;
}

bool LitOptions(int argc, char** argv, OptionsCapture* o, std::string* erreur) {
    auto valeur = [&](int* i, const char* nom, std::string* v) {
        if (*i + 1 >= argc) {
            *erreur = std::string("the option ") + nom + " needs a value";
            return false;
        }
        *v = argv[++*i];
        return true;
    };
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        std::string v;
        if (a == "--help" || a == "-h") {
            o->aide = true;
        } else if (a == "--fps") {
            if (!valeur(&i, "--fps", &v)) return false;
            if (!LitCadence(v, &o->fpsNum, &o->fpsDen)) {
                *erreur = "--fps " + v + ": expected a rate such as 60 or 60000/1001";
                return false;
            }
        } else if (a == "--scale") {
            if (!valeur(&i, "--scale", &v)) return false;
            std::uint64_t n = 0;
            if (!LitEntier(v, &n) || n < 1 || n > 8) {
                *erreur = "--scale " + v + ": expected a whole factor from 1 to 8";
                return false;
            }
            o->echelle = static_cast<int>(n);
        } else if (a == "--preset") {
            if (!valeur(&i, "--preset", &v)) return false;
            if (v == "delivery") {
                o->qualite = Qualite::Livraison;
            } else if (v == "lossless") {
                o->qualite = Qualite::SansPerte;
            } else {
                *erreur = "--preset " + v + ": expected delivery or lossless";
                return false;
            }
        } else if (a == "--from" || a == "--to") {
            if (!valeur(&i, a.c_str(), &v)) return false;
            if (!LitBorne(v, a == "--from" ? &o->debut : &o->fin)) {
                *erreur = a + " " + v + ": expected seconds (12.5) or scene:N with N from 0 to 9";
                return false;
            }
        } else if (a == "--png") {
            if (!valeur(&i, "--png", &o->dossierPng)) return false;
        } else if (a == "--storyboard") {
            if (!valeur(&i, "--storyboard", &o->planche)) return false;
        } else if (a == "--storyboard-every") {
            if (!valeur(&i, "--storyboard-every", &v)) return false;
            std::uint64_t num = 0, den = 1;
            if (!LitSecondes(v, &num, &den) || num == 0) {
                *erreur = "--storyboard-every " + v + ": expected a positive number of seconds";
                return false;
            }
            o->intervallePlanche = static_cast<double>(num) / static_cast<double>(den);
        } else if (a == "--hash-log") {
            if (!valeur(&i, "--hash-log", &o->journalHash)) return false;
        } else if (a == "--ffmpeg") {
            if (!valeur(&i, "--ffmpeg", &o->ffmpeg)) return false;
        } else if (a == "--no-music") {
            o->sansMusique = true;
        } else if (a == "--progress") {
            o->progression = 1;
        } else if (a == "--quiet") {
            o->progression = 0;
        } else if (!a.empty() && a[0] == '-') {
            *erreur = "unknown option " + a + " (see --help)";
            return false;
        } else if (o->sortie.empty()) {
            o->sortie = a;
        } else {
            *erreur = "one output file only: " + o->sortie + " and " + a;
            return false;
        }
    }
    if (o->aide) return true;
    if (o->sortie.empty() && o->dossierPng.empty() && o->planche.empty() &&
        o->journalHash.empty()) {
        *erreur = "nothing to write: give an output file, --png, --storyboard or --hash-log";
        return false;
    }
    if (!o->sortie.empty()) {
        // The containers ffmpeg is asked for: H.264 with AAC or ALAC, or FFV1 with FLAC.
        const size_t point = o->sortie.find_last_of('.');
        std::string ext = point == std::string::npos ? std::string() : o->sortie.substr(point + 1);
        for (char& ch : ext) ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
        if (ext != "mp4" && ext != "m4v" && ext != "mov" && ext != "mkv") {
            *erreur = o->sortie + ": the video file must end in .mp4, .m4v, .mov or .mkv";
            return false;
        }
    }
    if (o->debut.genre == Borne::Genre::Secondes && o->fin.genre == Borne::Genre::Secondes &&
        o->debut.num * o->fin.den >= o->fin.num * o->debut.den) {
        *erreur = "--from must come before --to";
        return false;
    }
    if (o->debut.genre == Borne::Genre::Scene && o->fin.genre == Borne::Genre::Scene &&
        o->debut.scene > o->fin.scene) {
        *erreur = "--from scene must not come after --to scene";
        return false;
    }
    return true;
}

std::uint64_t EchantillonsAvant(std::uint64_t trame, std::uint32_t num, std::uint32_t den) {
    return trame * kFrequenceAudio * den / num;
}

std::uint64_t TrameALInstant(std::uint64_t secNum, std::uint64_t secDen, std::uint32_t fpsNum,
                             std::uint32_t fpsDen) {
    // Frame k starts at k × den / num seconds: the first k with k × den / num
    // >= secNum / secDen is ceil(secNum × num / (secDen × den)).
    const std::uint64_t a = secNum * fpsNum;
    const std::uint64_t b = secDen * fpsDen;
    return (a + b - 1) / b;
}

std::uint64_t TramesAvant(std::uint64_t rafraichissement, std::uint32_t fpsNum,
                          std::uint32_t fpsDen) {
    const std::uint64_t a = rafraichissement * fpsNum;
    const std::uint64_t b = std::uint64_t{kRafraichissement} * fpsDen;
    return (a + b - 1) / b;
}

std::uint64_t MsDeTrame(std::uint64_t trame, std::uint32_t fpsNum, std::uint32_t fpsDen) {
    return trame * 1000 * fpsDen / fpsNum;
}

std::string FormateDuree(std::uint64_t ms) {
    char texte[32];
    std::snprintf(texte, sizeof texte, "%llu:%02llu.%02llu",
                  static_cast<unsigned long long>(ms / 60000),
                  static_cast<unsigned long long>(ms / 1000 % 60),
                  static_cast<unsigned long long>(ms / 10 % 100));
    return texte;
}

std::string NomScene(const std::string& routine) {
    static const struct {
        const char* routine;
        const char* nom;
    } kNoms[] = {
        {"Ouverture", "Ouverture"},      {"SceneDecompte", "Décompte"},
        {"SceneLogo", "Logo"},           {"SceneTitre", "Titre"},
        {"SceneBulles", "Bulles"},       {"SceneTele", "Télé"},
        {"SceneCredits", "Crédits"},     {"SceneGreetings", "Greetings"},
        {"SceneGenerique", "Générique"}, {"SceneFinale", "Finale"},
    };
    for (const auto& n : kNoms) {
        if (routine == n.routine) return n.nom;
    }
    if (routine.rfind("Scene", 0) == 0 && routine.size() > 5) return routine.substr(5);
    return routine;
}

std::string TrouveProgramme(const std::string& nom) {
    if (nom.empty()) return std::string();
    if (nom.find('/') != std::string::npos) {
        return access(nom.c_str(), X_OK) == 0 ? nom : std::string();
    }
    const char* path = std::getenv("PATH");
    if (!path) return std::string();
    std::string reste = path;
    size_t debut = 0;
    while (debut <= reste.size()) {
        size_t fin = reste.find(':', debut);
        if (fin == std::string::npos) fin = reste.size();
        std::string dossier = reste.substr(debut, fin - debut);
        if (dossier.empty()) dossier = ".";
        const std::string chemin = dossier + "/" + nom;
        if (access(chemin.c_str(), X_OK) == 0) return chemin;
        debut = fin + 1;
    }
    return std::string();
}
