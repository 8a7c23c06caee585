// kazzmot-empreintes FILE: runs the whole production on the virtual machine,
// silent, and writes the hash of every refresh to FILE, one "index hash" line
// each, as the capture tool's hash log does. Builds whose platform has no
// capture tool (the Windows one) compare their frames with it.
#include <cinttypes>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "demo.h"
#include "machine_virtuelle.h"
#include "plateforme.h"

// SDL's headers turn main into SDL's own entry on Windows: this program has a
// plain console entry.
#ifdef main
#undef main
#endif

namespace {

std::FILE* g_journal = nullptr;

void Note(std::uint64_t index, const Uint16* pixels, int largeur, int hauteur) {
    std::fprintf(g_journal, "%" PRIu64 " %016" PRIx64 "\n", index,
                 HashTrame(pixels, largeur, hauteur));
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: kazzmot-empreintes FILE (the hash log to write)\n");
        return 2;
    }
    g_journal = std::fopen(argv[1], "w");
    if (!g_journal) {
        std::fprintf(stderr, "kazzmot-empreintes: %s: cannot write the hash log\n", argv[1]);
        return 1;
    }
    // The virtual machine's display; no sound card, as in the capture.
    SDL_putenv(const_cast<char*>("SDL_VIDEODRIVER=dummy"));
    SDL_putenv(const_cast<char*>("SDL_AUDIODRIVER=kazzmot-sans-son"));
    ReinitMachine(ConfigMachine());
    ObserveTrames(Note);
    const int statut = LanceDemo();
    TermineMachine();
    ObserveTrames(nullptr);
    SDL_Quit();
    if (std::fclose(g_journal) != 0) {
        std::fprintf(stderr, "kazzmot-empreintes: %s: cannot write the hash log\n", argv[1]);
        return 1;
    }
    return statut;
}
