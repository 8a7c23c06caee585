// Entry point: a Windows GUI entry on Windows, main elsewhere; both read the
// same two options (--window, --help) and run the same driver.
#include <cstdlib>

#include "demo.h"
#include "plateforme.h"

namespace {

// Full screen unless --window; --help prints what the program takes. An
// unknown option is named, with status 2.
int Lance(int argc, const char* const* argv) {
    const OptionsLigne options = LitOptions(argc, argv);
    if (!options.erreur.empty()) {
        MontreTexte(options.erreur + TexteAide(), true);
        return 2;
    }
    if (options.aide) {
        MontreTexte(TexteAide(), false);
        return 0;
    }
    ChoisitFenetre(options.fenetre);
    return LanceDemo();
}

}  // namespace

#ifdef _WIN32
#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    // The C runtime has split the command line already.
    return Lance(__argc, __argv);
}
#else
#if defined(__GLIBC__)
#include <malloc.h>
#endif

int main(int argc, char** argv) {
#if defined(__GLIBC__)
    // Loading the pictures frees a decoded and a converted copy of each one:
    // keep those buffers in the heap for the next picture instead of handing
    // them back to the system and faulting fresh zeroed pages in every time.
    mallopt(M_MMAP_THRESHOLD, 32 << 20);
    mallopt(M_TRIM_THRESHOLD, 64 << 20);
    mallopt(M_ARENA_MAX, 1);
#endif
    return Lance(argc, argv);
}
#endif
