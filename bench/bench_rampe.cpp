// Cost of one frame of the logo riding the ramp at 640 x 480, against a
// plain copy of one frame: a 578 x 112 logo over a 640 x 480 sloped mask at
// step 3 (213 entry and 192 exit frames, one blit per logo column). Each
// iteration is one whole call on the virtual machine, the height table
// included; the time reported is processor time per frame.
#include <benchmark/benchmark.h>

#include <time.h>

#include <cstdlib>

#include "effets.h"
#include "machine_virtuelle.h"
#include "reference.h"

namespace {

void Rampe(benchmark::State& state) {
    EcranBench ecran;
    ImageBench logo(578, 112), masque(640, 480);
    SDL_FillRect(logo.surface, nullptr, 0xF81F);
    SDL_SetColorKey(logo.surface, SDL_SRCCOLORKEY, 0);
    for (int y = 0; y < 480; ++y) {
        for (int x = 0; x < 640; ++x) masque.pixels()[y * 640 + x] = y >= 420 - x / 2 ? 0xFFFF : 0;
    }
    ParTrame(state, [&] { GlisseRampe(&logo.record, ecran.ecran, &masque.record, 3); });
}

}  // namespace

BENCHMARK(CopieTrameReference);
// Each iteration is a whole ride; a few are enough for a steady figure.
BENCHMARK(Rampe)->UseManualTime()->Iterations(5)->Unit(benchmark::kMicrosecond);
int main(int argc, char** argv) {
    return LanceBenchmarks(argc, argv);
}
