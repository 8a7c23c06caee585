// Runs the production on the virtual 60 Hz machine, as the capture does (no
// sound card), and writes every Nth refresh's picture for the browser build's
// test: one record per picture, its refresh index and scene number (two
// little-endian 32-bit words) then its 5-6-5 words, row after row.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "demo.h"
#include "machine_virtuelle.h"
#include "plateforme.h"

namespace {

FILE* g_sortie = nullptr;
std::uint64_t g_pas = 60;
std::uint32_t g_scene = 0;

void Ecrit(std::uint64_t index, const Uint16* pixels, int largeur, int hauteur) {
    if (index % g_pas != 0) return;
    const std::uint32_t entete[2] = {static_cast<std::uint32_t>(index), g_scene};
    const size_t mots = static_cast<size_t>(largeur) * hauteur;
    if (largeur != 640 || hauteur != 480 || std::fwrite(entete, 4, 2, g_sortie) != 2 ||
        std::fwrite(pixels, 2, mots, g_sortie) != mots) {
        std::fprintf(stderr, "kazzmot-echantillons: cannot write refresh %llu (%dx%d)\n",
                     static_cast<unsigned long long>(index), largeur, hauteur);
        std::exit(1);
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3 || std::atoi(argv[2]) <= 0) {
        std::fprintf(stderr, "usage: kazzmot-echantillons OUT.raw EVERY-N-REFRESHES\n");
        return 2;
    }
    g_pas = static_cast<std::uint64_t>(std::atoi(argv[2]));
    g_sortie = std::fopen(argv[1], "wb");
    if (!g_sortie) {
        std::fprintf(stderr, "kazzmot-echantillons: %s: cannot write\n", argv[1]);
        return 1;
    }
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    setenv("SDL_AUDIODRIVER", "kazzmot-sans-son", 1);
    ReinitMachine(ConfigMachine());
    ObserveTrames(Ecrit);
    g_observeAppel = [](const char* routine) {
        if (std::strncmp(routine, "Scene", 5) == 0) ++g_scene;
    };
    LanceDemo();
    TermineMachine();
    ObserveTrames(nullptr);
    return std::fclose(g_sortie) == 0 ? 0 : 1;
}
