// What the capture spends on each frame besides the production and ffmpeg:
// the frame's hash for the log, nearest-neighbour upscaling, the conversion
// to 4:2:0 for the delivery encoder, a storyboard thumbnail, and one frame's
// share of the offline music. Quoted against a
// plain copy of one frame.
#include <benchmark/benchmark.h>

#include <vector>

#include "capture.h"
#include "machine_virtuelle.h"
#include "plateforme.h"
#include "reference.h"

namespace {

std::vector<Uint16> TrameMotif() {
    std::vector<Uint16> trame(640u * 480u);
    for (size_t i = 0; i < trame.size(); ++i) trame[i] = static_cast<Uint16>(i * 2654435761u >> 16);
    return trame;
}

void HashDeTrame(benchmark::State& state) {
    const auto trame = TrameMotif();
    for (auto _ : state) benchmark::DoNotOptimize(HashTrame(trame.data(), 640, 480));
}

void AgranditDeux(benchmark::State& state) {
    const auto trame = TrameMotif();
    std::vector<Uint16> grand;
    for (auto _ : state) {
        AgranditTrame(trame.data(), 640, 480, static_cast<int>(state.range(0)), &grand);
        benchmark::DoNotOptimize(grand.data());
    }
}

void ConversionYuv420(benchmark::State& state) {
    const auto trame = TrameMotif();
    std::vector<Uint8> yuv(TailleYuv420(640, 480));
    for (auto _ : state) {
        ConvertitYuv420(trame.data(), 640, 480, yuv.data());
        benchmark::DoNotOptimize(yuv.data());
    }
}

void VignetteDeTrame(benchmark::State& state) {
    const auto trame = TrameMotif();
    for (auto _ : state) {
        Vignette v = FaitVignette(trame.data(), 640, 480, "0:00.00", false);
        benchmark::DoNotOptimize(v.pixels.data());
    }
}

void MusiqueDUneTrame(benchmark::State& state) {
    LecteurModule lecteur;
    std::string erreur;
    if (!OuvreModule(CheminDonnees("Datas\\Sons\\", "RADUDIZ1.XM"), &lecteur, &erreur)) {
        state.SkipWithError(erreur.c_str());
        return;
    }
    std::vector<Sint16> son;
    for (auto _ : state) {
        son.clear();
        RendModule(&lecteur, 735, &son);
        benchmark::DoNotOptimize(son.data());
    }
    FermeModule(&lecteur);
}

}  // namespace

BENCHMARK(CopieTrameReference);
BENCHMARK(HashDeTrame);
BENCHMARK(AgranditDeux)->Arg(2)->Arg(4);
BENCHMARK(ConversionYuv420);
BENCHMARK(VignetteDeTrame);
// 2000 frames (33 s) stay inside the module, before its end turns to silence.
BENCHMARK(MusiqueDUneTrame)->Iterations(2000);

int main(int argc, char** argv) {
    return LanceBenchmarks(argc, argv);
}
