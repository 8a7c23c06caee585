// Failure reporting and the location of the production's data files.
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

#include "plateforme.h"

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
// executable's folder, else the installed data folder. A relative data folder
// is taken from the installation prefix, the parent of the executable's folder
// (/usr/games/kazzmot reads /usr/share/games/kazzmot/Datas), so an installed
// tree works wherever it is unpacked.
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
    std::string installe = KAZZMOT_DATADIR;
    if (!installe.empty() && installe[0] != '/')
        installe = dir.empty() ? "" : dir + "../" + installe;
    if (!installe.empty() && EstDossier(installe + "/Datas")) return installe + "/";
#endif
    // Nowhere: the relative path makes the loading fail with its own message.
    return std::string();
}

}  // namespace

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
