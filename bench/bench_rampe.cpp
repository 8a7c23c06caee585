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
    ReinitMachine();
    Ecran* ecran = InitEcran(640, 480, 16, 1);
    SDL_Surface* logo = SDL_CreateRGBSurface(SDL_SWSURFACE, 578, 112, 16, 0, 0, 0, 0);
    SDL_FillRect(logo, nullptr, 0xF81F);
    SDL_SetColorKey(logo, SDL_SRCCOLORKEY, 0);
    SDL_Surface* masque = SDL_CreateRGBSurface(SDL_SWSURFACE, 640, 480, 16, 0, 0, 0, 0);
    Uint16* m = static_cast<Uint16*>(masque->pixels);
    for (int y = 0; y < 480; ++y) {
        for (int x = 0; x < 640; ++x) m[y * 640 + x] = y >= 420 - x / 2 ? 0xFFFF : 0;
    }
    StructImage_t image{578, 112, 2, logo, SDL_Rect{0, 0, 578, 112}};
    StructImage_t mask{640, 480, 2, masque, SDL_Rect{0, 0, 640, 480}};
    std::uint64_t trames = 0;
    for (auto _ : state) {
        trames += MesureParTrame(state, [&] { GlisseRampe(&image, ecran, &mask, 3); });
    }
    state.counters["trames_par_appel"] =
        benchmark::Counter(static_cast<double>(trames), benchmark::Counter::kAvgIterations);
    SDL_FreeSurface(logo);
    SDL_FreeSurface(masque);
    LibereEcran(ecran);
}

}  // namespace

BENCHMARK(CopieTrameReference);
// Each iteration is a whole ride; a few are enough for a steady figure.
BENCHMARK(Rampe)->UseManualTime()->Iterations(5)->Unit(benchmark::kMicrosecond);
int main(int argc, char** argv) {
    return LanceBenchmarks(argc, argv);
}
