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

#ifdef _WIN32
#include <windows.h>
#endif

void (*g_observeAppel)(const char* routine) = nullptr;

#ifdef _WIN32
namespace {

std::wstring Large(const std::string& texte) {
    const int n =
        MultiByteToWideChar(CP_UTF8, 0, texte.data(), static_cast<int>(texte.size()), nullptr, 0);
    std::wstring large(static_cast<size_t>(n > 0 ? n : 0), L'\0');
    if (n > 0)
        MultiByteToWideChar(CP_UTF8, 0, texte.data(), static_cast<int>(texte.size()), &large[0], n);
    return large;
}

// Whether the standard error stream goes to a file or a pipe, as when the
// program was started with it redirected: the message written there is read.
bool ErreurRedirigee() {
    const HANDLE erreur = GetStdHandle(STD_ERROR_HANDLE);
    if (erreur == nullptr || erreur == INVALID_HANDLE_VALUE) return false;
    const DWORD type = GetFileType(erreur);
    return type == FILE_TYPE_DISK || type == FILE_TYPE_PIPE;
}

// A GUI program's error stream is seen by nobody unless it was redirected:
// then the text is there already. Else it goes to the console the program was
// started from, if any, else to a message box (an error's, or a notice's).
void MontreMessage(const std::string& message, bool erreur) {
    if (ErreurRedirigee()) return;
    const bool console =
        AttachConsole(ATTACH_PARENT_PROCESS) || GetLastError() == ERROR_ACCESS_DENIED;
    if (console) {
        HANDLE sortie = CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_WRITE,
                                    nullptr, OPEN_EXISTING, 0, nullptr);
        if (sortie != INVALID_HANDLE_VALUE) {
            const std::wstring texte = Large("\r\n" + message);
            DWORD ecrits = 0;
            const bool ecrit = WriteConsoleW(sortie, texte.data(), static_cast<DWORD>(texte.size()),
                                             &ecrits, nullptr);
            CloseHandle(sortie);
            if (ecrit) return;
        }
    }
    MessageBoxW(nullptr, Large(message).c_str(), L"Kazzmot",
                MB_OK | (erreur ? MB_ICONERROR : MB_ICONINFORMATION) | MB_SETFOREGROUND);
}

}  // namespace
#endif

void MontreTexte(const std::string& texte, bool erreur) {
    std::fputs(texte.c_str(), erreur ? stderr : stdout);
    std::fflush(erreur ? stderr : stdout);
#ifdef _WIN32
    if (!texte.empty()) MontreMessage(texte, erreur);
#endif
}

void ArretFatal(const char* format, ...) {
    // The whole message, however long (a path can be): measured first.
    va_list args;
    va_start(args, format);
    va_list copie;
    va_copy(copie, args);
    const int n = std::vsnprintf(nullptr, 0, format, copie);
    va_end(copie);
    std::string message(n > 0 ? static_cast<size_t>(n) : 0, '\0');
    if (n > 0) std::vsnprintf(&message[0], message.size() + 1, format, args);
    va_end(args);
    std::fputs(message.c_str(), stderr);
    std::fflush(stderr);
    // The display is given back before a message box shows.
    SDL_Quit();
#ifdef _WIN32
    if (!message.empty()) MontreMessage(message, true);
#endif
    std::exit(1);
}

namespace {

bool EstDossier(const std::string& path) {
    struct stat st;
    return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

#ifndef _WIN32
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
#else
// The folder that holds Datas: the working directory when it has one, else
// the executable's folder (a double-click from wherever it was unpacked), which
// then becomes the working directory, so that paths stay relative whatever
// characters the folder's name has.
void TrouveDonnees() {
    static bool cherche = false;
    if (cherche) return;
    cherche = true;
    if (EstDossier("Datas")) return;
    std::wstring exe(32768, L'\0');
    const DWORD n = GetModuleFileNameW(nullptr, &exe[0], static_cast<DWORD>(exe.size()));
    if (n == 0 || n >= exe.size()) return;
    exe.resize(n);
    const std::wstring dir = exe.substr(0, exe.find_last_of(L"\\/") + 1);
    const DWORD attributs = GetFileAttributesW((dir + L"Datas").c_str());
    if (attributs != INVALID_FILE_ATTRIBUTES && (attributs & FILE_ATTRIBUTE_DIRECTORY))
        SetCurrentDirectoryW(dir.c_str());
}
#endif

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
#ifdef _WIN32
    TrouveDonnees();
#else
    for (char& c : path) {
        if (c == '\\') c = '/';
    }
    path = RacineDonnees() + path;
#endif
    return path;
}
