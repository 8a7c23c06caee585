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
    EcranBench ecran;
    ImageBench fond(640, 480, 40503u, 3);
    ParTrame(
        state, [&] { Ecoule(ecran.ecran, &fond.record, 5); },
        [&] { RemplitMotifBench(ecran.pixels(), 640 * 480); });
}

}  // namespace

BENCHMARK(CopieTrameReference);
BENCHMARK(Ecoulement)->UseManualTime()->Iterations(20)->Unit(benchmark::kMicrosecond);

int main(int argc, char** argv) {
    return LanceBenchmarks(argc, argv);
}
