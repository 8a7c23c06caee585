// Cost of one frame of the centre zoom at 640 x 480, against a plain copy of
// one frame. The whole zoom (241 frames at step 2) runs per iteration on the
// virtual machine, whose present copies the frame into its display as a
// real present would; the time reported is processor time per frame (the
// machine is shared, so wall time says more about the neighbours).
#include <benchmark/benchmark.h>

#include <time.h>

#include <cstdlib>

#include "effets.h"
#include "machine_virtuelle.h"
#include "reference.h"

namespace {

void Zoom(benchmark::State& state) {
    ReinitMachine();
    Ecran* ecran = InitEcran(640, 480, 16, 1);
    SDL_Surface* s = SDL_CreateRGBSurface(SDL_SWSURFACE, 640, 480, 16, 0, 0, 0, 0);
    Uint16* p = static_cast<Uint16*>(s->pixels);
    for (int i = 0; i < 640 * 480; ++i) p[i] = static_cast<Uint16>(i * 2654435761u >> 16);
    StructImage_t image{640, 480, 2, s, SDL_Rect{0, 0, 640, 480}};
    std::uint64_t trames = 0;
    for (auto _ : state) {
        trames += MesureParTrame(state, [&] { ZoomCentre(&image, ecran, 2); });
    }
    state.counters["trames_par_appel"] =
        benchmark::Counter(static_cast<double>(trames), benchmark::Counter::kAvgIterations);
    SDL_FreeSurface(s);
    LibereEcran(ecran);
}

}  // namespace

BENCHMARK(CopieTrameReference);
// Each iteration is a whole zoom; a few are enough for a steady figure.
BENCHMARK(Zoom)->UseManualTime()->Iterations(6)->Unit(benchmark::kMicrosecond);

int main(int argc, char** argv) {
    return LanceBenchmarks(argc, argv);
}
