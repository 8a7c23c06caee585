// The yardstick of every effect benchmark: a plain copy of one 640 x 480
// 16-bit frame (614 400 bytes). Effects are quoted as a ratio to it, measured
// in the same run, since the machines are shared and noisy.
#ifndef KAZZMOT_BENCH_REFERENCE_H
#define KAZZMOT_BENCH_REFERENCE_H

#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <vector>

#include "machine_virtuelle.h"
#include "plateforme.h"

inline void CopieTrameReference(benchmark::State& state) {
    std::vector<unsigned char> source(614400, 0x5A), cible(614400);
    for (auto _ : state) {
        std::memcpy(cible.data(), source.data(), source.size());
        benchmark::DoNotOptimize(cible.data());
        benchmark::ClobberMemory();
    }
}

// Processor time of this process, in seconds: the benchmarks report it rather
// than wall time, which the other work of a shared machine inflates.
inline double TempsProcesseur() {
    timespec t;
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return t.tv_sec + t.tv_nsec * 1e-9;
}

// Runs one call of a blocking effect and reports the processor time of each
// frame it showed on the virtual display; returns the number of frames.
template <typename Effet>
std::uint64_t MesureParTrame(benchmark::State& state, Effet effet) {
    const std::uint64_t avant = NombrePresentations();
    const double t0 = TempsProcesseur();
    effet();
    const double t1 = TempsProcesseur();
    const std::uint64_t n = NombrePresentations() - avant;
    state.SetIterationTime(n ? (t1 - t0) / n : t1 - t0);
    return n;
}

// Fills n pixel words with a scrambled pattern, i × multiplier >> shift,
// so that no two neighbours look alike and no effect can take a short cut.
inline void RemplitMotifBench(Uint16* pixels, int n, unsigned multiplicateur = 2654435761u,
                              int decalage = 16) {
    for (int i = 0; i < n; ++i) pixels[i] = static_cast<Uint16>(i * multiplicateur >> decalage);
}

// A w x h 16-bit picture for an effect to read, filled with the pattern
// above, as the record the effects take; freed at the end of its scope.
struct ImageBench {
    SDL_Surface* surface;
    StructImage_t record;
    ImageBench(int w, int h, unsigned multiplicateur = 2654435761u, int decalage = 16)
        : surface(SDL_CreateRGBSurface(SDL_SWSURFACE, w, h, 16, 0, 0, 0, 0)),
          record{static_cast<Uint16>(w), static_cast<Uint16>(h), 2, surface,
                 SDL_Rect{0, 0, static_cast<Uint16>(w), static_cast<Uint16>(h)}} {
        RemplitMotifBench(pixels(), w * h, multiplicateur, decalage);
    }
    ~ImageBench() { SDL_FreeSurface(surface); }
    ImageBench(const ImageBench&) = delete;
    ImageBench& operator=(const ImageBench&) = delete;
    Uint16* pixels() { return static_cast<Uint16*>(surface->pixels); }
};

// The production's screen (640 x 480 x 16) on a fresh virtual machine, for
// one benchmark; released at the end of its scope.
struct EcranBench {
    Ecran* ecran;
    EcranBench() {
        ReinitMachine();
        ecran = InitEcran(640, 480, 16, 1);
    }
    ~EcranBench() { LibereEcran(ecran); }
    EcranBench(const EcranBench&) = delete;
    EcranBench& operator=(const EcranBench&) = delete;
    Uint16* pixels() const { return static_cast<Uint16*>(ecran->surface->pixels); }
};

// One whole call of a blocking effect per iteration, `prepare` first and
// untimed: processor time per frame shown, and the average number of frames
// a call shows as the counter trames_par_appel.
template <typename Appel, typename Prepare>
void ParTrame(benchmark::State& state, Appel appel, Prepare prepare) {
    std::uint64_t trames = 0;
    for (auto _ : state) {
        prepare();
        trames += MesureParTrame(state, appel);
    }
    state.counters["trames_par_appel"] =
        benchmark::Counter(static_cast<double>(trames), benchmark::Counter::kAvgIterations);
}
template <typename Appel>
void ParTrame(benchmark::State& state, Appel appel) {
    ParTrame(state, appel, [] {});
}

// The main of every benchmark program: SDL's dummy drivers, then the
// registered benchmarks.
inline int LanceBenchmarks(int argc, char** argv) {
    setenv("SDL_VIDEODRIVER", "dummy", 0);
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

// The same with the production's screen opened on the virtual machine for the
// whole program, in *ecran, for benchmarks that draw into it.
inline int LanceBenchmarksAvecEcran(int argc, char** argv, Ecran** ecran) {
    setenv("SDL_VIDEODRIVER", "dummy", 0);
    ReinitMachine();
    *ecran = InitEcran(640, 480, 16, 1);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    LibereEcran(*ecran);
    return 0;
}

#endif
