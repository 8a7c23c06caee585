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

struct Image {
    SDL_Surface* surface;
    StructImage_t record;
    Image() : surface(SDL_CreateRGBSurface(SDL_SWSURFACE, 640, 480, 16, 0, 0, 0, 0)) {
        record = StructImage_t{640, 480, 2, surface, SDL_Rect{0, 0, 640, 480}};
    }
    ~Image() { SDL_FreeSurface(surface); }
    Uint16* pixels() { return static_cast<Uint16*>(surface->pixels); }
};

void Dissolve(benchmark::State& state) {
    ReinitMachine();
    Ecran* ecran = InitEcran(640, 480, 16, 1);
    Image masque, fond;
    // A mask spread over the whole 16-bit range in broad areas, as a swirl's
    // grey levels are: a diagonal ramp with a fine grain on top.
    for (int i = 0; i < 640 * 480; ++i) {
        const int x = i % 640, y = i / 640;
        const unsigned grain = (i * 2654435761u >> 24) & 0xFF;
        masque.pixels()[i] = static_cast<Uint16>((x + y) * 65279 / 1118 + grain);
        fond.pixels()[i] = static_cast<Uint16>(i * 40503u >> 3);
    }
    Uint16* p = static_cast<Uint16*>(ecran->surface->pixels);
    for (auto _ : state) {
        for (int i = 0; i < 640 * 480; ++i) p[i] = static_cast<Uint16>(i);
        MesureParTrame(state, [&] { Dissolution(&masque.record, ecran, &fond.record, 5); });
    }
    LibereEcran(ecran);
}

}  // namespace

BENCHMARK(CopieTrameReference);
BENCHMARK(Dissolve)->UseManualTime()->Iterations(30)->Unit(benchmark::kMicrosecond);

int main(int argc, char** argv) {
    return LanceBenchmarks(argc, argv);
}
