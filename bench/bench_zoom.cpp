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
    EcranBench ecran;
    ImageBench image(640, 480);
    ParTrame(state, [&] { ZoomCentre(&image.record, ecran.ecran, 2); });
}

}  // namespace

BENCHMARK(CopieTrameReference);
// Each iteration is a whole zoom; a few are enough for a steady figure.
BENCHMARK(Zoom)->UseManualTime()->Iterations(6)->Unit(benchmark::kMicrosecond);

int main(int argc, char** argv) {
    return LanceBenchmarks(argc, argv);
}
