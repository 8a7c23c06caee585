// Cost of one frame of the two slides at 640 x 480, against a plain copy of
// one frame: a full-screen picture dropping in (161 frames), the screen
// shaking itself (3 frames), and the 360 x 96 caption sliding in from the
// right (108 frames). Each iteration is one whole call on the virtual
// machine; the time reported is processor time per frame.
#include <benchmark/benchmark.h>

#include <time.h>

#include <cstdlib>

#include "effets.h"
#include "machine_virtuelle.h"
#include "reference.h"

namespace {

void VerticalPleinEcran(benchmark::State& state) {
    EcranBench ecran;
    ImageBench image(640, 480);
    ParTrame(state, [&] { GlisseVertical(&image.record, ecran.ecran, -480, 3, 0, 3); });
}

void SecousseEcran(benchmark::State& state) {
    EcranBench ecran;
    RemplitMotifBench(ecran.pixels(), 640 * 480);
    ParTrame(state, [&] { GlisseVertical(ecran.ecran, ecran.ecran, 0, 5, 0, 2); });
}

void HorizontalCaption(benchmark::State& state) {
    EcranBench ecran;
    ImageBench image(360, 96);
    ParTrame(state, [&] { GlisseHorizontal(&image.record, ecran.ecran, 640, 130, 192, 4); });
}

}  // namespace

BENCHMARK(CopieTrameReference);
// Each iteration is a whole slide; a few are enough for a steady figure.
BENCHMARK(VerticalPleinEcran)->UseManualTime()->Iterations(10)->Unit(benchmark::kMicrosecond);
BENCHMARK(SecousseEcran)->UseManualTime()->Iterations(200)->Unit(benchmark::kMicrosecond);
BENCHMARK(HorizontalCaption)->UseManualTime()->Iterations(10)->Unit(benchmark::kMicrosecond);
int main(int argc, char** argv) {
    return LanceBenchmarks(argc, argv);
}
