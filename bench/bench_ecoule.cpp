// Cost of one frame of the drain at 640 x 480, against a plain copy of one
// frame. A whole drain at the scene's speed (5) onto a screen-sized background
// runs per iteration on the virtual machine; the time reported is processor
// time per frame shown (the frame count depends on the speeds drawn).
#include <benchmark/benchmark.h>

#include <time.h>

#include <cstdlib>

#include "effets.h"
#include "machine_virtuelle.h"
#include "reference.h"

namespace {

void Ecoulement(benchmark::State& state) {
    ReinitMachine();
    Ecran* ecran = InitEcran(640, 480, 16, 1);
    SDL_Surface* s = SDL_CreateRGBSurface(SDL_SWSURFACE, 640, 480, 16, 0, 0, 0, 0);
    Uint16* f = static_cast<Uint16*>(s->pixels);
    for (int i = 0; i < 640 * 480; ++i) f[i] = static_cast<Uint16>(i * 40503u >> 3);
    StructImage_t fond{640, 480, 2, s, SDL_Rect{0, 0, 640, 480}};
    Uint16* p = static_cast<Uint16*>(ecran->surface->pixels);
    std::uint64_t trames = 0;
    for (auto _ : state) {
        for (int i = 0; i < 640 * 480; ++i) p[i] = static_cast<Uint16>(i * 2654435761u >> 16);
        trames += MesureParTrame(state, [&] { Ecoule(ecran, &fond, 5); });
    }
    state.counters["trames_par_appel"] =
        benchmark::Counter(static_cast<double>(trames), benchmark::Counter::kAvgIterations);
    SDL_FreeSurface(s);
    LibereEcran(ecran);
}

}  // namespace

BENCHMARK(CopieTrameReference);
BENCHMARK(Ecoulement)->UseManualTime()->Iterations(20)->Unit(benchmark::kMicrosecond);

int main(int argc, char** argv) {
    return LanceBenchmarks(argc, argv);
}
