// Band blur against a plain copy of one frame: one pass over the credits'
// band (640 x 130) and over a whole screen, and, for the record of what
// reading the channels through tables saves, one pass over the band with an
// SDL_GetRGB per term and an SDL_MapRGB per pixel.
#include <benchmark/benchmark.h>

#include <cstdlib>

#include "effets.h"
#include "machine_virtuelle.h"
#include "reference.h"

namespace {

Ecran* g_ecran = nullptr;

void RemplitEcran() {
    RemplitMotifBench(static_cast<Uint16*>(g_ecran->surface->pixels), 640 * 480, 2654435761u, 7);
}

void FlouBandeCredits(benchmark::State& state) {
    RemplitEcran();
    for (auto _ : state) {
        benchmark::DoNotOptimize(Flou(g_ecran, 0, 350, 640, 130, 1));
        benchmark::ClobberMemory();
    }
}

void FlouEcranEntier(benchmark::State& state) {
    RemplitEcran();
    for (auto _ : state) {
        benchmark::DoNotOptimize(Flou(g_ecran, 0, 0, 640, 480, 1));
        benchmark::ClobberMemory();
    }
}

// The same pass with SDL's conversions called for every term and pixel.
void FlouBandeAppelsSdl(benchmark::State& state) {
    RemplitEcran();
    SDL_PixelFormat* f = g_ecran->surface->format;
    Uint16* p = static_cast<Uint16*>(g_ecran->surface->pixels);
    for (auto _ : state) {
        for (int r = 350; r < 480; ++r) {
            for (int c = 0; c < 640; ++c) {
                Uint8 t[3][3] = {};
                if (c > 0) SDL_GetRGB(p[r * 640 + c - 1], f, &t[0][0], &t[0][1], &t[0][2]);
                SDL_GetRGB(p[r * 640 + c], f, &t[1][0], &t[1][1], &t[1][2]);
                if (c < 639) SDL_GetRGB(p[r * 640 + c + 1], f, &t[2][0], &t[2][1], &t[2][2]);
                p[r * 640 + c] = static_cast<Uint16>(
                    SDL_MapRGB(f, static_cast<Uint8>((t[0][0] + t[1][0] + t[2][0]) / 3),
                               static_cast<Uint8>((t[0][1] + t[1][1] + t[2][1]) / 3),
                               static_cast<Uint8>((t[0][2] + t[1][2] + t[2][2]) / 3)));
            }
        }
        benchmark::ClobberMemory();
    }
}

}  // namespace

BENCHMARK(CopieTrameReference);
BENCHMARK(FlouBandeCredits);
BENCHMARK(FlouEcranEntier);
BENCHMARK(FlouBandeAppelsSdl);

int main(int argc, char** argv) {
    return LanceBenchmarksAvecEcran(argc, argv, &g_ecran);
}
