// The Debian package, read without installing it: what it holds, its control
// fields, its icons, desktop entry and manual pages, and the production
// unpacked from it finding its data from a folder without Datas.
#include <cairo.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <csignal>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "forge_images.h"

namespace fs = std::filesystem;

namespace {

// Runs a shell command; returns its exit status and its output (both streams).
int Lance(const std::string& commande, std::string* sortie = nullptr) {
    std::string texte;
    FILE* f = popen((commande + " 2>&1").c_str(), "r");
    if (!f) return -1;
    char tampon[4096];
    size_t n;
    while ((n = fread(tampon, 1, sizeof tampon, f)) > 0) texte.append(tampon, n);
    const int etat = pclose(f);
    if (sortie) *sortie = texte;
    return WIFEXITED(etat) ? WEXITSTATUS(etat) : -1;
}

bool Outil(const char* nom) {
    return Lance(std::string("command -v ") + nom + " >/dev/null") == 0;
}

std::string LitFichier(const std::string& chemin) {
    std::ifstream f(chemin, std::ios::binary);
    std::ostringstream s;
    s << f.rdbuf();
    return s.str();
}

// A file of the package: its mode string, owner and path as dpkg-deb lists them.
struct Entree {
    std::string mode, proprietaire;
};

// The package built by the fixture, unpacked once for all the tests.
class Paquet : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        if (!Outil("dpkg-deb")) return;
        for (const auto& e : fs::directory_iterator(KAZZMOT_PAQUET_ESSAI)) {
            const std::string nom = e.path().filename().string();
            if (nom.rfind(std::string("kazzmot_") + KAZZMOT_VERSION + "_", 0) == 0 &&
                e.path().extension() == ".deb") {
                deb_ = e.path().string();
            }
        }
        if (deb_.empty()) return;
        // CTest runs the cases as parallel processes: each unpacks its own copy,
        // since one of them moves the data folder away for a while.
        arbre_ = std::string(KAZZMOT_PAQUET_ESSAI) + "/arbre-" + std::to_string(getpid());
        fs::remove_all(arbre_);
        Lance("dpkg-deb -x '" + deb_ + "' '" + arbre_ + "' && dpkg-deb -e '" + deb_ + "' '" +
              arbre_ + "/DEBIAN'");
        std::string liste;
        Lance("dpkg-deb -c '" + deb_ + "'", &liste);
        std::istringstream lignes(liste);
        std::string ligne;
        // drwxr-xr-x root/root         0 2026-12-09 12:00 ./usr/games/
        while (std::getline(lignes, ligne)) {
            std::istringstream mots(ligne);
            std::string mode, proprietaire, taille, jour, heure, chemin;
            if (mots >> mode >> proprietaire >> taille >> jour >> heure >> chemin) {
                contenu_[chemin] = {mode, proprietaire};
            }
        }
    }

    static void TearDownTestSuite() {
        if (!arbre_.empty()) fs::remove_all(arbre_);
    }

    void SetUp() override {
        if (!Outil("dpkg-deb"))
            GTEST_SKIP() << "dpkg-deb is missing: scripts/install-deps installs it";
        ASSERT_FALSE(deb_.empty())
            << "no kazzmot_" << KAZZMOT_VERSION << "_*.deb in " << KAZZMOT_PAQUET_ESSAI
            << " (the package.construit test makes it)";
    }

    static std::string Champ(const std::string& nom) {
        std::string valeur;
        Lance("dpkg-deb -f '" + deb_ + "' " + nom, &valeur);
        while (!valeur.empty() && valeur.back() == '\n') valeur.pop_back();
        return valeur;
    }

    static std::string deb_, arbre_;
    static std::map<std::string, Entree> contenu_;
};
std::string Paquet::deb_, Paquet::arbre_;
std::map<std::string, Entree> Paquet::contenu_;

const std::string kDonnees = std::string("./usr/") + KAZZMOT_DATADIR + "/Datas/";

TEST_F(Paquet, HoldsTheProgramsDataDocumentsAndNothingElse) {
    struct Attendu {
        std::string chemin;
        const char* mode;
    };
    std::vector<Attendu> attendus = {
        {std::string("./usr/") + KAZZMOT_BINDIR + "/kazzmot", "-rwxr-xr-x"},
        {"./usr/bin/kazzmot-capture", "-rwxr-xr-x"},
        {"./usr/share/applications/kazzmot.desktop", "-rw-r--r--"},
        {"./usr/share/man/man6/kazzmot.6.gz", "-rw-r--r--"},
        {"./usr/share/man/man1/kazzmot-capture.1.gz", "-rw-r--r--"},
        {"./usr/share/doc/kazzmot/copyright", "-rw-r--r--"},
        {"./usr/share/doc/kazzmot/changelog.gz", "-rw-r--r--"},
        {kDonnees + "Sons/RADUDIZ1.XM", "-rw-r--r--"},
    };
    for (int cote : forge::kTaillesIcones) {
        const std::string n = std::to_string(cote);
        attendus.push_back(
            {"./usr/share/icons/hicolor/" + n + "x" + n + "/apps/kazzmot.png", "-rw-r--r--"});
    }
    const forge::EntreeCatalogue* catalogue = forge::Catalogue();
    for (int i = 0; i < forge::kNombreImages; ++i) {
        attendus.push_back({kDonnees + "Images/" + catalogue[i].nom + ".png", "-rw-r--r--"});
    }
    std::set<std::string> fichiers;
    for (const auto& [chemin, e] : contenu_) {
        EXPECT_EQ(e.proprietaire, "root/root") << chemin;
        if (e.mode[0] == 'd') {
            EXPECT_EQ(e.mode, "drwxr-xr-x") << chemin;
        } else {
            fichiers.insert(chemin);
        }
    }
    for (const Attendu& a : attendus) {
        auto it = contenu_.find(a.chemin);
        ASSERT_NE(it, contenu_.end()) << a.chemin << " is not in " << deb_;
        EXPECT_EQ(it->second.mode, a.mode) << a.chemin;
        fichiers.erase(a.chemin);
    }
    for (const std::string& reste : fichiers) ADD_FAILURE() << "unexpected file " << reste;
    // The data are the forge's own files, byte for byte.
    for (int i = 0; i < forge::kNombreImages; ++i) {
        const std::string relatif = std::string("Images/") + catalogue[i].nom + ".png";
        EXPECT_EQ(LitFichier(arbre_ + kDonnees.substr(1) + relatif),
                  LitFichier(std::string(KAZZMOT_TEST_DATAS) + "/" + relatif))
            << relatif << " differs from the forged picture";
    }
    EXPECT_EQ(LitFichier(arbre_ + kDonnees.substr(1) + "Sons/RADUDIZ1.XM"),
              LitFichier(std::string(KAZZMOT_TEST_DATAS) + "/Sons/RADUDIZ1.XM"));
}

TEST_F(Paquet, ControlFieldsNameTheVersionArchitectureAndLibraries) {
    std::string arch;
    Lance("dpkg --print-architecture", &arch);
    arch = arch.substr(0, arch.find('\n'));
    struct Cas {
        const char* champ;
        std::string motif;
    } cas[] = {
        {"Package", "kazzmot"},
        {"Version", std::regex_replace(KAZZMOT_VERSION, std::regex("\\."), "\\.")},
        {"Architecture", arch},
        {"Section", "games"},
        {"Priority", "optional"},
        {"Maintainer", ".+ <[^ @]+@[^ @]+>"},
        {"Recommends", "(.*, )?ffmpeg(,.*)?"},
        // The SDL 1.2 runtime (sdl12-compat or the classic library), its
        // picture and sound companions and the C library, each with a version
        // from the symbols the programs use.
        {"Depends", ".*\\blibsdl1\\.2(debian|-compat[a-z-]*) \\(>= [^)]+\\).*"},
        {"Depends", ".*\\blibsdl-image1\\.2 \\(>= [^)]+\\).*"},
        {"Depends", ".*\\blibsdl-mixer1\\.2 \\(>= [^)]+\\).*"},
        {"Depends", ".*\\blibc6 \\(>= [^)]+\\).*"},
        {"Depends", ".*\\blibmikmod3 \\(>= [^)]+\\).*"},
        {"Depends", ".*\\blibcairo2 \\(>= [^)]+\\).*"},
        {"Installed-Size", "[0-9]{4,}"},
    };
    for (const Cas& c : cas) {
        const std::string valeur = Champ(c.champ);
        EXPECT_TRUE(std::regex_match(valeur, std::regex(c.motif)))
            << c.champ << ": \"" << valeur << "\" does not match " << c.motif;
    }
    // A one-line synopsis and an extended description after it.
    const std::string description = Champ("Description");
    EXPECT_GE(std::count(description.begin(), description.end(), '\n'), 4) << description;
}

TEST_F(Paquet, IconsAreSquareAtTheirSizeWithClearCornersAndOpaqueCentre) {
    for (int cote : forge::kTaillesIcones) {
        const std::string n = std::to_string(cote);
        const std::string chemin =
            arbre_ + "/usr/share/icons/hicolor/" + n + "x" + n + "/apps/kazzmot.png";
        cairo_surface_t* s = cairo_image_surface_create_from_png(chemin.c_str());
        ASSERT_EQ(cairo_surface_status(s), CAIRO_STATUS_SUCCESS) << chemin;
        EXPECT_EQ(cairo_image_surface_get_format(s), CAIRO_FORMAT_ARGB32) << chemin;
        EXPECT_EQ(cairo_image_surface_get_width(s), cote) << chemin;
        EXPECT_EQ(cairo_image_surface_get_height(s), cote) << chemin;
        const unsigned char* d = cairo_image_surface_get_data(s);
        const int pas = cairo_image_surface_get_stride(s);
        auto alpha = [&](int x, int y) {
            return reinterpret_cast<const uint32_t*>(d + size_t(y) * pas)[x] >> 24;
        };
        EXPECT_EQ(alpha(0, 0), 0u) << chemin;
        EXPECT_EQ(alpha(cote - 1, cote - 1), 0u) << chemin;
        EXPECT_EQ(alpha(cote / 2, cote / 2), 255u) << chemin;
        cairo_surface_destroy(s);
    }
}

TEST_F(Paquet, DesktopEntryAndManualPagesAreValid) {
    if (!Outil("desktop-file-validate") || !Outil("man")) {
        GTEST_SKIP()
            << "desktop-file-validate or man is missing: scripts/install-deps installs them";
    }
    const std::string entree = arbre_ + "/usr/share/applications/kazzmot.desktop";
    std::string sortie;
    EXPECT_EQ(Lance("desktop-file-validate '" + entree + "'", &sortie), 0) << sortie;
    EXPECT_TRUE(sortie.empty()) << sortie;
    std::smatch m;
    const std::string texte = LitFichier(entree);
    ASSERT_TRUE(std::regex_search(texte, m, std::regex("\nExec=(/[^ \n]+)")))
        << "the desktop entry starts the production by its full path";
    struct stat st;
    ASSERT_EQ(stat((arbre_ + m[1].str()).c_str(), &st), 0) << m[1] << " is not in the package";
    EXPECT_TRUE(st.st_mode & S_IXOTH) << m[1];
    EXPECT_NE(texte.find("\nIcon=kazzmot\n"), std::string::npos) << texte;
    // The desktop's "Play in a window" action starts the same program with --window.
    EXPECT_NE(texte.find("\nActions=window;\n"), std::string::npos) << texte;
    const size_t action = texte.find("\n[Desktop Action window]\n");
    ASSERT_NE(action, std::string::npos) << texte;
    EXPECT_NE(texte.find("\nName=Play in a window\n", action), std::string::npos) << texte;
    EXPECT_NE(texte.find("\nExec=" + m[1].str() + " --window\n", action), std::string::npos)
        << texte;

    struct Page {
        const char* fichier;
        std::vector<const char*> mots;
    } pages[] = {
        {"man6/kazzmot.6.gz",
         {"--window", "--help", "KEYS", "Escape", "FILES", "RADUDIZ1.XM", "/usr/share/games/kazzmot", "ENVIRONMENT",
          "SDL_AUDIODRIVER", "SDL_VIDEODRIVER", "SDL12COMPAT_SYNC_TO_VBLANK",
          "SDL12COMPAT_SCALE_METHOD", "EXIT STATUS", KAZZMOT_VERSION}},
        {"man1/kazzmot-capture.1.gz",
         {"--fps", "--scale", "--preset", "--from", "--to", "--png", "--storyboard", "--hash-log",
          "--no-music", "--ffmpeg", "EXIT STATUS", "130", KAZZMOT_VERSION}},
    };
    for (const Page& p : pages) {
        const std::string chemin = arbre_ + "/usr/share/man/" + p.fichier;
        std::string avertissements, rendu;
        EXPECT_EQ(Lance("LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -E UTF-8 -l '" + chemin +
                            "' 2>&1 >/dev/null",
                        &avertissements),
                  0);
        EXPECT_TRUE(avertissements.empty()) << p.fichier << ":\n" << avertissements;
        EXPECT_EQ(
            Lance("LC_ALL=C.UTF-8 MANWIDTH=200 man -E ascii -l '" + chemin + "' | col -b", &rendu),
            0);
        for (const char* mot : p.mots) {
            EXPECT_NE(rendu.find(mot), std::string::npos) << p.fichier << " lacks " << mot;
        }
    }
}

// The unpacked production started from a folder without Datas plays (it is
// still running after three seconds); with its data folder moved away it
// stops at once naming the first picture it could not load.
TEST_F(Paquet, UnpackedProductionFindsItsDataFromAnyFolder) {
    if (!Outil("timeout")) GTEST_SKIP() << "timeout (coreutils) is missing";
    const std::string vide = std::string(KAZZMOT_PAQUET_ESSAI) + "/vide";
    fs::remove_all(vide);
    fs::create_directories(vide);
    const std::string programme = arbre_ + "/usr/" + KAZZMOT_BINDIR + "/kazzmot";
    // The production ignores SIGTERM (SDL turns it into a quit request, which
    // it does not heed): the timeout kills it.
    const std::string lance =
        "cd '" + vide + "' && SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy timeout -s KILL 3 '" +
        programme + "'";
    std::string sortie;
    EXPECT_EQ(Lance(lance, &sortie), 128 + SIGKILL) << sortie;
    const std::string donnees = arbre_ + kDonnees.substr(1, kDonnees.size() - 2);
    fs::rename(donnees, donnees + "-ailleurs");
    const int etat = Lance(lance, &sortie);
    fs::rename(donnees + "-ailleurs", donnees);
    EXPECT_EQ(etat, 1) << sortie;
    EXPECT_NE(sortie.find(".png"), std::string::npos) << sortie;
}

TEST_F(Paquet, LintianFindsNoError) {
    if (!Outil("lintian")) GTEST_SKIP() << "lintian is missing: scripts/install-deps installs it";
    std::string sortie;
    EXPECT_EQ(Lance("lintian --fail-on error '" + deb_ + "'", &sortie), 0) << sortie;
    EXPECT_EQ(sortie.find("E: "), std::string::npos) << sortie;
}

}  // namespace
