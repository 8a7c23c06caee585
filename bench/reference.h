// The yardstick of every effect benchmark: a plain copy of one 640 x 480
// 16-bit frame (614 400 bytes). Effects are quoted as a ratio to it, measured
// in the same run, since the machines are shared and noisy.
#ifndef KAZZMOT_BENCH_REFERENCE_H
#define KAZZMOT_BENCH_REFERENCE_H

#include <benchmark/benchmark.h>

#include <cstring>
#include <vector>

inline void CopieTrameReference(benchmark::State& state) {
    std::vector<unsigned char> source(614400, 0x5A), cible(614400);
    for (auto _ : state) {
        std::memcpy(cible.data(), source.data(), source.size());
        benchmark::DoNotOptimize(cible.data());
        benchmark::ClobberMemory();
    }
}

#endif
