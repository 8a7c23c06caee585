// Cost of one frame of the fade to black at 640 x 480, against a plain copy
// of one frame. Each iteration fades a white screen to black (some 18
// frames, the per-call table of the screen's format included) on the virtual
// machine; the time reported is processor time per frame.
#include <benchmark/benchmark.h>

#include <time.h>

#include <cstdlib>

#include "effets.h"
#include "machine_virtuelle.h"
#include "reference.h"

namespace {

void Fondu(benchmark::State& state) {
    EcranBench ecran;
    ParTrame(
        state, [&] { FonduNoir(ecran.ecran, 1.2f); },
        [&] { SDL_FillRect(ecran.ecran->surface, nullptr, 0xFFFF); });
}

}  // namespace

BENCHMARK(CopieTrameReference);
// Each iteration is a whole fade; a few are enough for a steady figure.
BENCHMARK(Fondu)->UseManualTime()->Iterations(20)->Unit(benchmark::kMicrosecond);
int main(int argc, char** argv) {
    return LanceBenchmarks(argc, argv);
}
