// Runs the production on the virtual 60 Hz machine, as the capture does (no
// sound card), and writes every Nth refresh's picture for the browser build's
// test, and every picture whose hash differs from a given hash log (the
// browser's, or the build it equals): one record per picture, its refresh
// index and scene number (two little-endian 32-bit words) then its 5-6-5
// words, row after row.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "demo.h"
#include "machine_virtuelle.h"
#include "plateforme.h"

namespace {

FILE* g_sortie = nullptr;
std::uint64_t g_pas = 60;
std::uint32_t g_scene = 0;
std::vector<std::uint64_t> g_autres;  // the other build's hash of each refresh

void Ecrit(std::uint64_t index, const Uint16* pixels, int largeur, int hauteur) {
    const bool autre =
        index < g_autres.size() && HashTrame(pixels, largeur, hauteur) != g_autres[index];
    if (index % g_pas != 0 && !autre) return;
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
    if ((argc != 3 && argc != 4) || std::atoi(argv[2]) <= 0) {
        std::fprintf(stderr, "usage: kazzmot-echantillons OUT.raw EVERY-N-REFRESHES [HASH-LOG]\n");
        return 2;
    }
    if (argc == 4) {
        FILE* journal = std::fopen(argv[3], "r");
        unsigned long long index, hash;
        while (journal && std::fscanf(journal, "%llu %llx", &index, &hash) == 2) {
            if (index != g_autres.size()) break;
            g_autres.push_back(hash);
        }
        if (!journal || !std::feof(journal)) {
            std::fprintf(stderr,
                         "kazzmot-echantillons: %s: expected a hash log (lines \"index hash\" "
                         "from 0 on)\n",
                         argv[3]);
            return 1;
        }
        std::fclose(journal);
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
