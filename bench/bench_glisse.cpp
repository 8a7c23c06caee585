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

SDL_Surface* Surface(int w, int h) {
    SDL_Surface* s = SDL_CreateRGBSurface(SDL_SWSURFACE, w, h, 16, 0, 0, 0, 0);
    Uint16* p = static_cast<Uint16*>(s->pixels);
    for (int i = 0; i < w * h; ++i) p[i] = static_cast<Uint16>(i * 2654435761u >> 16);
    return s;
}

template <typename Appel>
void ParTrame(benchmark::State& state, Appel appel) {
    std::uint64_t trames = 0;
    for (auto _ : state) {
        trames += MesureParTrame(state, [&] { appel(); });
    }
    state.counters["trames_par_appel"] =
        benchmark::Counter(static_cast<double>(trames), benchmark::Counter::kAvgIterations);
}

void VerticalPleinEcran(benchmark::State& state) {
    ReinitMachine();
    Ecran* ecran = InitEcran(640, 480, 16, 1);
    SDL_Surface* s = Surface(640, 480);
    StructImage_t image{640, 480, 2, s, SDL_Rect{0, 0, 640, 480}};
    ParTrame(state, [&] { GlisseVertical(&image, ecran, -480, 3, 0, 3); });
    SDL_FreeSurface(s);
    LibereEcran(ecran);
}

void SecousseEcran(benchmark::State& state) {
    ReinitMachine();
    Ecran* ecran = InitEcran(640, 480, 16, 1);
    SDL_Surface* s = Surface(640, 480);
    SDL_BlitSurface(s, nullptr, ecran->surface, nullptr);
    ParTrame(state, [&] { GlisseVertical(ecran, ecran, 0, 5, 0, 2); });
    SDL_FreeSurface(s);
    LibereEcran(ecran);
}

void HorizontalCaption(benchmark::State& state) {
    ReinitMachine();
    Ecran* ecran = InitEcran(640, 480, 16, 1);
    SDL_Surface* s = Surface(360, 96);
    StructImage_t image{360, 96, 2, s, SDL_Rect{0, 0, 360, 96}};
    ParTrame(state, [&] { GlisseHorizontal(&image, ecran, 640, 130, 192, 4); });
    SDL_FreeSurface(s);
    LibereEcran(ecran);
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
