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

void Flash(benchmark::State& state) {
    EcranBench ecran;
    RemplitMotifBench(ecran.pixels(), 640 * 480);
    ParTrame(state, [&] { FlashCouleur(ecran.ecran, 6, 0, 255, 255, 255); });
}

}  // namespace

BENCHMARK(CopieTrameReference);
BENCHMARK(Flash)->UseManualTime()->Iterations(300)->Unit(benchmark::kMicrosecond);

int main(int argc, char** argv) {
    return LanceBenchmarks(argc, argv);
}
