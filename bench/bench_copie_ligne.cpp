// The scaled row copy as the text crawl uses it: one crawl frame is 480 calls,
// one per screen row, each squeezing a 640-pixel text row into its span.
// Quoted against a plain copy of one frame.
#include <benchmark/benchmark.h>

#include <array>

#include "effets.h"
#include "reference.h"

namespace {

struct Surfaces {
    StructImage_t texte{};
    StructImage_t fond{};
    StructImage_t ecran{};
    std::array<Sint16, 480> marge{};

    Surfaces() {
        texte = Cree(640, 5880);
        fond = Cree(640, 480);
        ecran = Cree(640, 480);
        // A text picture with black gaps, like lettering on black.
        Uint16* p = static_cast<Uint16*>(texte.surface->pixels);
        for (int i = 0; i < 640 * 5880; ++i) p[i] = (i / 7) % 3 == 0 ? 0 : static_cast<Uint16>(i);
        TableDroite(marge.data(), 250, 0, 0, 480);
    }
    ~Surfaces() {
        SDL_FreeSurface(texte.surface);
        SDL_FreeSurface(fond.surface);
        SDL_FreeSurface(ecran.surface);
    }
    static StructImage_t Cree(int w, int h) {
        SDL_Surface* s = SDL_CreateRGBSurface(SDL_SWSURFACE, w, h, 16, 0, 0, 0, 0);
        return StructImage_t{static_cast<Uint16>(w), static_cast<Uint16>(h), 2, s,
                             SDL_Rect{0, 0, static_cast<Uint16>(w), static_cast<Uint16>(h)}};
    }
    void Lignes(int decalage) {
        for (int r = 0; r < 480; ++r) {
            CopieLigneZoom(0, r + decalage, 640, r + decalage, &texte, marge[r], r,
                           640 - 2 * marge[r], &ecran);
        }
    }
};

// The 480 row copies of one crawl frame, the offset moving as in the scene.
void LignesDuneTrame(benchmark::State& state) {
    Surfaces s;
    int decalage = 0;
    for (auto _ : state) {
        s.Lignes(decalage);
        decalage = (decalage + 3) % 5400;
        benchmark::ClobberMemory();
    }
}

// A whole crawl frame without its overlay: the background blit and the rows.
void TrameDuGenerique(benchmark::State& state) {
    Surfaces s;
    int decalage = 0;
    for (auto _ : state) {
        SDL_BlitSurface(s.fond.surface, &s.fond.rect, s.ecran.surface, &s.ecran.rect);
        s.Lignes(decalage);
        decalage = (decalage + 3) % 5400;
        benchmark::ClobberMemory();
    }
}

}  // namespace

BENCHMARK(CopieTrameReference);
BENCHMARK(LignesDuneTrame);
BENCHMARK(TrameDuGenerique);

int main(int argc, char** argv) {
    return LanceBenchmarks(argc, argv);
}
