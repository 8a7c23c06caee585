// RGB scanlines against a plain copy of one frame: over the whole screen (the
// greetings and the crawl, once a frame) and over the television scene's four
// monitors (four calls a frame). Each call creates, fills and frees a scratch
// surface; two further measures split that cost from the blend: the creation
// and release alone, and the blend of a scratch kept from call to call.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <vector>

#include "effets.h"
#include "machine_virtuelle.h"
#include "reference.h"

namespace {

Ecran* g_ecran = nullptr;

StructImage_t Moniteur() {
    StructImage_t m{};
    m.width = 250;
    m.height = 177;
    m.surface = SDL_CreateRGBSurface(SDL_HWSURFACE, 250, 177, 16, 0, 0, 0, 0);
    m.rect = SDL_Rect{0, 0, 250, 177};
    return m;
}

// The scanlines of a picture drawn once, as a scratch kept between calls
// would hold them.
SDL_Surface* TrameFixe(int w, int h) {
    SDL_Surface* s = SDL_CreateRGBSurface(SDL_HWSURFACE, w, h, 16, 0, 0, 0, 0);
    const Uint16 couleurs[3] = {static_cast<Uint16>(SDL_MapRGB(s->format, 255, 0, 0)),
                                static_cast<Uint16>(SDL_MapRGB(s->format, 0, 255, 0)),
                                static_cast<Uint16>(SDL_MapRGB(s->format, 0, 0, 255))};
    for (int y = 0; y < h; ++y) {
        Uint16* ligne = static_cast<Uint16*>(s->pixels) + y * (s->pitch / 2);
        for (int x = 0; x < w; ++x) ligne[x] = couleurs[y % 3];
    }
    SDL_SetAlpha(s, SDL_SRCALPHA, 40);
    return s;
}

void TrameEcran(benchmark::State& state) {
    for (auto _ : state) {
        TrameRVB(g_ecran);
        benchmark::ClobberMemory();
    }
}

void TrameQuatreMoniteurs(benchmark::State& state) {
    std::vector<StructImage_t> moniteurs{Moniteur(), Moniteur(), Moniteur(), Moniteur()};
    for (auto _ : state) {
        for (StructImage_t& m : moniteurs) TrameRVB(&m);
        benchmark::ClobberMemory();
    }
    for (StructImage_t& m : moniteurs) SDL_FreeSurface(m.surface);
}

// What the allocation alone costs: create and free the scratch surfaces.
void SurfaceEcranCreeeLiberee(benchmark::State& state) {
    for (auto _ : state) {
        SDL_Surface* s = SDL_CreateRGBSurface(SDL_HWSURFACE, 640, 480, 16, 0, 0, 0, 0);
        benchmark::DoNotOptimize(s);
        SDL_FreeSurface(s);
    }
}

void SurfacesMoniteursCreeesLiberees(benchmark::State& state) {
    for (auto _ : state) {
        for (int i = 0; i < 4; ++i) {
            SDL_Surface* s = SDL_CreateRGBSurface(SDL_HWSURFACE, 250, 177, 16, 0, 0, 0, 0);
            benchmark::DoNotOptimize(s);
            SDL_FreeSurface(s);
        }
    }
}

// The blend alone, from scanlines drawn once.
void MelangeSeulEcran(benchmark::State& state) {
    SDL_Surface* trame = TrameFixe(640, 480);
    for (auto _ : state) {
        SDL_Rect rect = g_ecran->rect;
        SDL_BlitSurface(trame, &rect, g_ecran->surface, &rect);
        benchmark::ClobberMemory();
    }
    SDL_FreeSurface(trame);
}

void MelangeSeulQuatreMoniteurs(benchmark::State& state) {
    std::vector<StructImage_t> moniteurs{Moniteur(), Moniteur(), Moniteur(), Moniteur()};
    SDL_Surface* trame = TrameFixe(250, 177);
    for (auto _ : state) {
        for (StructImage_t& m : moniteurs) SDL_BlitSurface(trame, &m.rect, m.surface, &m.rect);
        benchmark::ClobberMemory();
    }
    SDL_FreeSurface(trame);
    for (StructImage_t& m : moniteurs) SDL_FreeSurface(m.surface);
}

}  // namespace

BENCHMARK(CopieTrameReference);
BENCHMARK(TrameEcran);
BENCHMARK(SurfaceEcranCreeeLiberee);
BENCHMARK(MelangeSeulEcran);
BENCHMARK(TrameQuatreMoniteurs);
BENCHMARK(SurfacesMoniteursCreeesLiberees);
BENCHMARK(MelangeSeulQuatreMoniteurs);

int main(int argc, char** argv) {
    return LanceBenchmarksAvecEcran(argc, argv, &g_ecran);
}
