#include "outils_capture.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "catalogue.h"
#include "machine_virtuelle.h"

extern char** environ;

namespace {

void Mot16(std::vector<unsigned char>* o, unsigned v) {
    o->push_back(static_cast<unsigned char>(v));
    o->push_back(static_cast<unsigned char>(v >> 8));
}

void Mot32(std::vector<unsigned char>* o, std::uint32_t v) {
    Mot16(o, v & 0xffff);
    Mot16(o, v >> 16);
}

void Texte(std::vector<unsigned char>* o, const char* s, size_t n) {
    const size_t l = std::strlen(s);
    for (size_t i = 0; i < n; ++i) o->push_back(i < l ? static_cast<unsigned char>(s[i]) : 0);
}

// The size of the synthetic picture for a slot: what its requirements ask,
// else a small even size.
void TailleImage(Im slot, int* largeur, int* hauteur, const int* largeurs) {
    const Exigence& e = kExigences[static_cast<size_t>(slot)];
    int l = e.largeur ? e.largeur : std::max<int>(e.largeurMin, 96);
    int h = e.hauteur ? e.hauteur : std::max<int>(e.hauteurMin, 64);
    if (e.hauteurMax && h > e.hauteurMax) h = e.hauteurMax;
    if (e.auMoinsAussiLargeQue != Im::Nombre) {
        l = std::max(l, largeurs[static_cast<int>(e.auMoinsAussiLargeQue)]);
    }
    if (l % 2) ++l;
    *largeur = l;
    *hauteur = h;
}

std::string CheminCapture() {
    return std::string(KAZZMOT_BINARY_DIR) + "/kazzmot-capture";
}

pid_t Demarre(const std::string& dossier, const std::vector<std::string>& arguments,
              const std::string& journal, const std::string& path) {
    std::vector<std::string> a = {CheminCapture()};
    a.insert(a.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (auto& s : a) argv.push_back(const_cast<char*>(s.c_str()));
    argv.push_back(nullptr);
    std::vector<std::string> env;
    for (char** e = environ; *e; ++e) {
        if (!path.empty() && std::strncmp(*e, "PATH=", 5) == 0) continue;
        env.push_back(*e);
    }
    if (!path.empty()) env.push_back("PATH=" + path);
    std::vector<char*> envp;
    for (auto& s : env) envp.push_back(const_cast<char*>(s.c_str()));
    envp.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 2, journal.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0644);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    // The child starts in `dossier`: change there around the spawn.
    char ici[4096];
    if (!getcwd(ici, sizeof ici)) ici[0] = 0;
    pid_t pid = -1;
    if (chdir(dossier.c_str()) == 0) {
        if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), envp.data()) != 0) pid = -1;
        if (ici[0] && chdir(ici) != 0) pid = -1;
    }
    posix_spawn_file_actions_destroy(&actions);
    return pid;
}

}  // namespace

std::vector<unsigned char> FaitModuleTest() {
    std::vector<unsigned char> o;
    const int canaux = 2, lignes = 16;
    Texte(&o, "Extended Module: ", 17);
    Texte(&o, "capture test", 20);
    o.push_back(0x1a);
    Texte(&o, "kazzmot tests", 20);
    Mot16(&o, 0x0104);
    Mot32(&o, 276);
    Mot16(&o, 1);  // song length
    Mot16(&o, 0);  // restart position
    Mot16(&o, canaux);
    Mot16(&o, 1);    // patterns
    Mot16(&o, 1);    // instruments
    Mot16(&o, 1);    // linear frequencies
    Mot16(&o, 6);    // speed
    Mot16(&o, 125);  // BPM
    for (int i = 0; i < 256; ++i) o.push_back(0);
    // The pattern, unpacked: five bytes per channel per row.
    std::vector<unsigned char> notes(static_cast<size_t>(lignes) * canaux * 5, 0);
    notes[0] = 49;                     // C-4
    notes[1] = 1;                      // instrument 1
    notes[2] = 0x50;                   // volume 64
    notes[8 * canaux * 5 + 2] = 0x10;  // row 8: volume 0
    Mot32(&o, 9);
    o.push_back(0);
    Mot16(&o, lignes);
    Mot16(&o, static_cast<unsigned>(notes.size()));
    o.insert(o.end(), notes.begin(), notes.end());
    // The instrument: one looped 8-bit square wave, no envelopes.
    const size_t debutInstrument = o.size();
    Mot32(&o, 263);
    Texte(&o, "square", 22);
    o.push_back(0);
    Mot16(&o, 1);   // samples
    Mot32(&o, 40);  // sample header size
    while (o.size() < debutInstrument + 263) o.push_back(0);
    const int longueur = 64;
    Mot32(&o, longueur);
    Mot32(&o, 0);
    Mot32(&o, longueur);
    o.push_back(64);  // volume
    o.push_back(0);   // finetune
    o.push_back(1);   // forward loop, 8-bit
    o.push_back(48);  // panning: left of centre, so stereo separation shows
    o.push_back(0);   // relative note
    o.push_back(0);
    Texte(&o, "square", 22);
    signed char precedent = 0;
    for (int i = 0; i < longueur; ++i) {
        const signed char v = (i % 32) < 16 ? 80 : -80;
        o.push_back(static_cast<unsigned char>(static_cast<signed char>(v - precedent)));
        precedent = v;
    }
    return o;
}

std::string FaitDossierDonnees() {
    std::string modele = std::string(KAZZMOT_BINARY_DIR) + "/capture-essais-XXXXXX";
    std::vector<char> nom(modele.begin(), modele.end());
    nom.push_back(0);
    if (!mkdtemp(nom.data())) return std::string();
    const std::string dossier = nom.data();
    std::filesystem::create_directories(dossier + "/Datas/Images");
    std::filesystem::create_directories(dossier + "/Datas/Sons");
    int largeurs[kNombreImages] = {};
    for (int i = 0; i < kNombreImages; ++i) {
        int l = 0, h = 0;
        TailleImage(static_cast<Im>(i), &l, &h, largeurs);
        largeurs[i] = l;
        // A different pattern in each picture, never pure black or white
        // (the colour keys), so that what a scene draws shows in its frames.
        std::vector<Uint16> pixels(static_cast<size_t>(l) * h);
        for (int y = 0; y < h; ++y) {
            for (int x = 0; x < l; ++x) {
                const int r = 4 + (x * 3 + i * 5) % 24;
                const int g = 8 + (y * 2 + i * 11) % 48;
                const int b = 4 + ((x + y) / 8 + i) % 24;
                pixels[static_cast<size_t>(y) * l + x] = static_cast<Uint16>(r << 11 | g << 5 | b);
            }
        }
        const std::string chemin =
            dossier + "/Datas/Images/" + kCatalogue[static_cast<size_t>(i)].fichier;
        if (!SauvePixelsPNG(chemin, pixels.data(), l, h)) return std::string();
    }
    const std::vector<unsigned char> xm = FaitModuleTest();
    std::ofstream(dossier + "/Datas/Sons/RADUDIZ1.XM", std::ios::binary)
        .write(reinterpret_cast<const char*>(xm.data()), static_cast<std::streamsize>(xm.size()));
    return dossier;
}

void RetireDossier(const std::string& dossier) {
    std::error_code ignore;
    if (!dossier.empty()) std::filesystem::remove_all(dossier, ignore);
}

ResultatCapture LanceCapture(const std::string& dossier, const std::vector<std::string>& arguments,
                             const std::string& path) {
    ResultatCapture r;
    const std::string journal = dossier + "/capture.stderr";
    const pid_t pid = Demarre(dossier, arguments, journal, path);
    if (pid < 0) return r;
    r.statut = AttendsCapture(pid);
    r.erreurs = LitTexte(journal);
    return r;
}

pid_t DemarreCapture(const std::string& dossier, const std::vector<std::string>& arguments,
                     const std::string& journal) {
    return Demarre(dossier, arguments, journal, std::string());
}

int AttendsCapture(pid_t pid) {
    int statut = 0;
    if (waitpid(pid, &statut, 0) < 0) return -1;
    if (WIFEXITED(statut)) return WEXITSTATUS(statut);
    if (WIFSIGNALED(statut)) return 128 + WTERMSIG(statut);
    return -1;
}

std::vector<std::string> LitLignes(const std::string& chemin) {
    std::vector<std::string> lignes;
    std::ifstream f(chemin);
    std::string l;
    while (std::getline(f, l)) lignes.push_back(l);
    return lignes;
}

std::string LitTexte(const std::string& chemin) {
    std::ifstream f(chemin);
    std::stringstream s;
    s << f.rdbuf();
    return s.str();
}

int CompteFichiers(const std::string& dossier, const std::string& suffixe) {
    int n = 0;
    std::error_code ignore;
    for (const auto& e : std::filesystem::directory_iterator(dossier, ignore)) {
        const std::string nom = e.path().filename().string();
        if (nom.size() >= suffixe.size() &&
            nom.compare(nom.size() - suffixe.size(), suffixe.size(), suffixe) == 0) {
            ++n;
        }
    }
    return n;
}

std::string Sortie(const std::string& commande) {
    std::string texte;
    FILE* p = popen(commande.c_str(), "r");
    if (!p) return texte;
    char tampon[4096];
    size_t n;
    while ((n = std::fread(tampon, 1, sizeof tampon, p)) > 0) texte.append(tampon, n);
    pclose(p);
    return texte;
}

bool OutilsFfmpeg() {
    return std::system("ffmpeg -version >/dev/null 2>&1") == 0 &&
           std::system("ffprobe -version >/dev/null 2>&1") == 0;
}

std::uint64_t ImagesVideo(const std::string& fichier) {
    const std::string t = Sortie(
        "ffprobe -v error -count_frames -select_streams v:0 "
        "-show_entries stream=nb_read_frames -of csv=p=0 '" +
        fichier + "'");
    return std::strtoull(t.c_str(), nullptr, 10);
}

std::uint64_t EchantillonsAudio(const std::string& fichier) {
    const std::string t = Sortie("ffmpeg -v error -nostdin -i '" + fichier +
                                 "' -map 0:a:0 -f s16le -ac 2 -ar 44100 - | wc -c");
    return std::strtoull(t.c_str(), nullptr, 10) / 4;
}

std::string ChampFlux(const std::string& fichier, const std::string& flux,
                      const std::string& champ) {
    std::string t = Sortie("ffprobe -v error -select_streams " + flux +
                           ":0 -show_entries stream=" + champ + " -of csv=p=0 '" + fichier + "'");
    while (!t.empty() && (t.back() == '\n' || t.back() == ',')) t.pop_back();
    return t;
}

std::vector<std::pair<std::string, double>> Chapitres(const std::string& fichier) {
    std::vector<std::pair<std::string, double>> chapitres;
    const std::string t = Sortie(
        "ffprobe -v error -show_entries chapter=start_time:chapter_tags=title "
        "-of csv=p=0 '" +
        fichier + "'");
    std::istringstream lignes(t);
    std::string l;
    while (std::getline(lignes, l)) {
        const size_t virgule = l.find(',');
        if (virgule == std::string::npos) continue;
        chapitres.emplace_back(l.substr(virgule + 1), std::atof(l.substr(0, virgule).c_str()));
    }
    return chapitres;
}

bool Silencieux(const std::vector<Sint16>& son, size_t debut, size_t fin, int seuil) {
    for (size_t i = debut * 2; i < fin * 2 && i < son.size(); ++i) {
        if (std::abs(son[i]) > seuil) return false;
    }
    return true;
}

double Energie(const std::vector<Sint16>& son, size_t debut, size_t fin) {
    double somme = 0;
    size_t n = 0;
    for (size_t i = debut * 2; i < fin * 2 && i < son.size(); ++i, ++n) {
        somme += static_cast<double>(son[i]) * son[i];
    }
    return n ? std::sqrt(somme / static_cast<double>(n)) : 0.0;
}
