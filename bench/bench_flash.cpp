// Cost of one frame of the colour flash at 640 x 480, against a plain copy of
// one frame. Six cycles without waits (period 0) run per iteration on the
// virtual machine, whose present copies each frame into its display; the time
// reported is processor time per frame shown.
#include <benchmark/benchmark.h>

#include <time.h>

#include <cstdlib>

#include "effets.h"
#include "machine_virtuelle.h"
#include "reference.h"

namespace {

double TempsProcesseur() {
    timespec t;
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return t.tv_sec + t.tv_nsec * 1e-9;
}

void Flash(benchmark::State& state) {
    ReinitMachine();
    Ecran* ecran = InitEcran(640, 480, 16, 1);
    Uint16* p = static_cast<Uint16*>(ecran->surface->pixels);
    for (int i = 0; i < 640 * 480; ++i) p[i] = static_cast<Uint16>(i * 2654435761u >> 16);
    for (auto _ : state) {
        const std::uint64_t avant = NombrePresentations();
        const double t0 = TempsProcesseur();
        FlashCouleur(ecran, 6, 0, 255, 255, 255);
        const double t1 = TempsProcesseur();
        state.SetIterationTime((t1 - t0) / (NombrePresentations() - avant));
    }
    LibereEcran(ecran);
}

}  // namespace

BENCHMARK(CopieTrameReference);
BENCHMARK(Flash)->UseManualTime()->Iterations(300)->Unit(benchmark::kMicrosecond);

int main(int argc, char** argv) {
    setenv("SDL_VIDEODRIVER", "dummy", 0);
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
