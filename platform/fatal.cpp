// Failure reporting and the location of the production's data files.
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

#include "plateforme.h"

// The installed program's folder under the prefix, when the build says it.
#ifndef KAZZMOT_BINDIR
#define KAZZMOT_BINDIR ""
#endif

void (*g_observeAppel)(const char* routine) = nullptr;

void ArretFatal(const char* format, ...) {
    va_list args;
    va_start(args, format);
    std::vfprintf(stderr, format, args);
    va_end(args);
    std::fflush(stderr);
    SDL_Quit();
    std::exit(1);
}

namespace {

bool EstDossier(const std::string& path) {
    struct stat st;
    return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// The folder that holds Datas: the working directory when it has one, else the
// executable's folder, else the installed data folder.
std::string RacineDonnees() {
    if (EstDossier("Datas")) return std::string();
    std::string dir;
    char exe[4096];
    const ssize_t n = readlink("/proc/self/exe", exe, sizeof exe - 1);
    if (n > 0) {
        dir.assign(exe, static_cast<size_t>(n));
        dir.erase(dir.find_last_of('/') + 1);
        if (EstDossier(dir + "Datas")) return dir;
    }
#ifdef KAZZMOT_DATADIR
    const std::string installe = DossierInstalle(dir, KAZZMOT_BINDIR, KAZZMOT_DATADIR);
    if (!installe.empty() && EstDossier(installe + "Datas")) return installe;
#endif
    // Nowhere: the relative path makes the loading fail with its own message.
    return std::string();
}

}  // namespace

std::string DossierInstalle(const std::string& dossierProgramme, const std::string& bindir,
                            const std::string& datadir) {
    if (datadir.empty()) return std::string();
    if (datadir[0] == '/') return datadir.back() == '/' ? datadir : datadir + "/";
    if (dossierProgramme.empty()) return std::string();
    // The prefix: as many folders up from the program's as the installed
    // program folder has names (games: one; lib/kazzmot/bin: three).
    std::string prefixe = dossierProgramme;
    size_t noms = 0;
    for (size_t debut = 0; debut < bindir.size();) {
        size_t fin = bindir.find('/', debut);
        if (fin == std::string::npos) fin = bindir.size();
        const std::string nom = bindir.substr(debut, fin - debut);
        if (!nom.empty() && nom != ".") ++noms;
        debut = fin + 1;
    }
    if (noms == 0) noms = 1;  // unknown: the program's parent, as Debian's games
    for (size_t k = 0; k < noms; ++k) {
        while (prefixe.size() > 1 && prefixe.back() == '/') prefixe.pop_back();
        const size_t barre = prefixe.find_last_of('/');
        if (barre == std::string::npos) return std::string();
        prefixe.erase(barre + 1);
    }
    std::string dossier = prefixe + datadir;
    if (dossier.back() != '/') dossier += '/';
    return dossier;
}

std::string CheminDonnees(const char* folder, const char* name) {
    // The production names its files the Windows way: the folder already ends
    // in a backslash and one more joins the name.
    std::string path = std::string(folder) + "\\" + name;
#ifndef _WIN32
    for (char& c : path) {
        if (c == '\\') c = '/';
    }
    path = RacineDonnees() + path;
#endif
    return path;
}
