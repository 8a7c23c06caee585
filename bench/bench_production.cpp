// The whole production on the virtual machine, as fast as the processor goes:
// frames presented per second of processor time, and the slowest frame with
// the scene it belongs to. Run from the build folder, where Datas/ is.
#include <benchmark/benchmark.h>

#include <time.h>

#include <cstdlib>
#include <string>

#include "demo.h"
#include "effets.h"
#include "hasard.h"
#include "machine_virtuelle.h"
#include "plateforme.h"
#include "reference.h"

namespace {

struct Mesure {
    std::string scene = "start-up";
    bool demarre = false;  // past the loading, at the start-up pause
    double debut = 0;      // processor time when the timeline began
    double dernier = 0;    // processor time of the last refresh
    double pire = 0;
    std::string scenePire;
};
Mesure g_mesure;

void ObserveAppel(const char* routine) {
    const std::string nom = routine;
    if (nom == "Attente" && !g_mesure.demarre) {
        g_mesure.demarre = true;
        g_mesure.debut = g_mesure.dernier = TempsProcesseur();
    }
    if (nom.rfind("Scene", 0) == 0) g_mesure.scene = nom;
}

// Processor time between two refreshes is what it took to draw the frame the
// later one shows (a wait spends next to nothing per refresh).
void ObserveTrame(std::uint64_t, const Uint16*, int, int) {
    if (!g_mesure.demarre) return;
    const double maintenant = TempsProcesseur();
    const double duree = maintenant - g_mesure.dernier;
    if (duree > g_mesure.pire) {
        g_mesure.pire = duree;
        g_mesure.scenePire = g_mesure.scene;
    }
    g_mesure.dernier = maintenant;
}

void ProductionEntiere(benchmark::State& state) {
    double total = 0, pire = 0;
    std::uint64_t trames = 0;
    std::string scenePire;
    for (auto _ : state) {
        g_mesure = Mesure();
        g_observeAppel = ObserveAppel;
        ObserveTrames(ObserveTrame);
        // Every run draws the same random values: the generator back to its
        // unseeded state, the snow register to its start.
        GraineHasard(1);
        GraineNeige = 0x12345;
        ReinitMachine();
        LanceDemo();
        const double fin = TempsProcesseur();
        trames += NombrePresentations();
        g_observeAppel = nullptr;
        ObserveTrames(nullptr);
        total += fin - g_mesure.debut;
        if (g_mesure.pire > pire) {
            pire = g_mesure.pire;
            scenePire = g_mesure.scenePire;
        }
    }
    state.counters["frames"] = static_cast<double>(trames) / state.iterations();
    state.counters["frames_per_cpu_s"] = total > 0 ? trames / total : 0;
    state.counters["slowest_frame_ms"] = pire * 1000;
    state.SetLabel("slowest frame in " + scenePire);
}

}  // namespace

BENCHMARK(CopieTrameReference);
BENCHMARK(ProductionEntiere)->Unit(benchmark::kMillisecond)->Iterations(2);

int main(int argc, char** argv) {
    return LanceBenchmarks(argc, argv);
}
