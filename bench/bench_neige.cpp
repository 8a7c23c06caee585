// Television snow: one full frame of noise, and the television scene's four
// monitors, against a plain copy of one frame.
#include <benchmark/benchmark.h>

#include <cstdlib>

#include "effets.h"
#include "machine_virtuelle.h"
#include "reference.h"

namespace {

Ecran* g_ecran = nullptr;

void NeigeEcran(benchmark::State& state) {
    for (auto _ : state) {
        Neige(g_ecran->surface, g_ecran->rect);
        benchmark::ClobberMemory();
    }
}

void NeigeQuatreMoniteurs(benchmark::State& state) {
    SDL_Surface* moniteurs[4];
    for (auto& m : moniteurs) m = SDL_CreateRGBSurface(SDL_SWSURFACE, 250, 177, 16, 0, 0, 0, 0);
    const SDL_Rect rect{0, 0, 250, 177};
    for (auto _ : state) {
        for (SDL_Surface* m : moniteurs) Neige(m, rect);
        benchmark::ClobberMemory();
    }
    for (SDL_Surface* m : moniteurs) SDL_FreeSurface(m);
}

}  // namespace

BENCHMARK(CopieTrameReference);
BENCHMARK(NeigeEcran);
BENCHMARK(NeigeQuatreMoniteurs);

int main(int argc, char** argv) {
    return LanceBenchmarksAvecEcran(argc, argv, &g_ecran);
}
