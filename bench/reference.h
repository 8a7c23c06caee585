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
