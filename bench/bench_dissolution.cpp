// Cost of one frame of the threshold dissolve at 640 x 480, against a plain
// copy of one frame. A whole dissolve at the scene's step (5, 132 frames) runs
// per iteration on the virtual machine; the time reported is processor time
// per frame shown.
#include <benchmark/benchmark.h>

#include <time.h>

#include <cstdlib>

#include "effets.h"
#include "machine_virtuelle.h"
#include "reference.h"

namespace {

void Dissolve(benchmark::State& state) {
    EcranBench ecran;
    ImageBench masque(640, 480), fond(640, 480, 40503u, 3);
    // A mask spread over the whole 16-bit range in broad areas, as a swirl's
    // grey levels are: a diagonal ramp with a fine grain on top.
    for (int i = 0; i < 640 * 480; ++i) {
        const int x = i % 640, y = i / 640;
        const unsigned grain = (i * 2654435761u >> 24) & 0xFF;
        masque.pixels()[i] = static_cast<Uint16>((x + y) * 65279 / 1118 + grain);
    }
    ParTrame(
        state, [&] { Dissolution(&masque.record, ecran.ecran, &fond.record, 5); },
        [&] { RemplitMotifBench(ecran.pixels(), 640 * 480, 1, 0); });
}

}  // namespace

BENCHMARK(CopieTrameReference);
BENCHMARK(Dissolve)->UseManualTime()->Iterations(30)->Unit(benchmark::kMicrosecond);

int main(int argc, char** argv) {
    return LanceBenchmarks(argc, argv);
}
