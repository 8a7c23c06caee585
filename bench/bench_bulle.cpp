// Cost of the refracting bubble at 640 x 480, against a plain copy of one
// frame: one large bubble alone, and one frame of the bubbles scene's loop
// (the background redrawn and six bubbles of three sizes, no present), and
// the background redraw alone.
// The bubble maps are drawn here: discs whose blue grows towards the rim.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <vector>

#include "effets.h"
#include "machine_virtuelle.h"
#include "reference.h"

namespace {

struct Carte {
    SDL_Surface* surface;
    StructImage_t record;
    explicit Carte(int taille)
        : surface(SDL_CreateRGBSurface(SDL_SWSURFACE, taille, taille, 16, 0, 0, 0, 0)) {
        record =
            StructImage_t{static_cast<Uint16>(taille), static_cast<Uint16>(taille), 2, surface,
                          SDL_Rect{0, 0, static_cast<Uint16>(taille), static_cast<Uint16>(taille)}};
        Uint16* p = static_cast<Uint16*>(surface->pixels);
        const int r = taille / 2;
        for (int y = 0; y < taille; ++y) {
            for (int x = 0; x < taille; ++x) {
                const int dx = x - r, dy = y - r, d2 = dx * dx + dy * dy;
                const int bleu = d2 < r * r ? 1 + 30 * d2 / (r * r) : 0;
                p[y * taille + x] = static_cast<Uint16>(bleu ? 0x8400 | bleu : 0);
            }
        }
    }
    ~Carte() { SDL_FreeSurface(surface); }
};

struct Scene {
    EcranBench ecran_;
    ImageBench fond_{640, 480};
    Ecran* ecran = ecran_.ecran;
    SDL_Surface* fond = fond_.surface;
    Scene() { SDL_BlitSurface(fond, nullptr, ecran->surface, nullptr); }
};

void BulleSeule(benchmark::State& state) {
    Scene scene;
    Carte gros(128);
    for (auto _ : state) {
        DessineBulle(110, 200, &gros.record, scene.ecran);
        benchmark::ClobberMemory();
    }
}

// The background redraw alone, to tell the bubbles' share of a frame.
void FondSeul(benchmark::State& state) {
    Scene scene;
    for (auto _ : state) {
        SDL_BlitSurface(scene.fond, nullptr, scene.ecran->surface, &scene.ecran->rect);
        benchmark::ClobberMemory();
    }
}

void TrameBulles(benchmark::State& state) {
    Scene scene;
    Carte petit(48), moyen(80), gros(128);
    struct B {
        StructImage_t* carte;
        Sint16 x, y;
    };
    const B bulles[] = {{&petit.record, 5, 380},  {&petit.record, 570, 270},
                        {&moyen.record, 340, 95}, {&moyen.record, 50, 30},
                        {&gros.record, 110, 200}, {&gros.record, 355, 210}};
    for (auto _ : state) {
        SDL_BlitSurface(scene.fond, nullptr, scene.ecran->surface, &scene.ecran->rect);
        for (const B& b : bulles) DessineBulle(b.x, b.y, b.carte, scene.ecran);
        benchmark::ClobberMemory();
    }
}

}  // namespace

BENCHMARK(CopieTrameReference);
BENCHMARK(BulleSeule)->Unit(benchmark::kMicrosecond);
BENCHMARK(FondSeul)->Unit(benchmark::kMicrosecond);
BENCHMARK(TrameBulles)->Unit(benchmark::kMicrosecond);

int main(int argc, char** argv) {
    return LanceBenchmarks(argc, argv);
}
