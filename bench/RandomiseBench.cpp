// One regeneration of the landscape at each grid size the number keys offer.
#include <benchmark/benchmark.h>

#include <memory>

#include "generation/CoherentNoiseTerrain.h"
#include "generation/Landscape.h"

namespace {

void BM_Randomise(benchmark::State& state) {
    const int size = static_cast<int>(state.range(0));
    // About 1 MiB of heights: kept off the stack.
    auto terrain = std::make_unique<CoherentNoiseTerrain>(size);
    for (auto _ : state) {
        randomiseLandscape(*terrain);
        benchmark::DoNotOptimize(terrain->heights);
    }
    state.SetItemsProcessed(state.iterations() * size * size);
    state.counters["columns"] = size * size;
}

BENCHMARK(BM_Randomise)
    ->Arg(128)
    ->Arg(64)
    ->Arg(48)
    ->Arg(32)
    ->Arg(16)
    ->Arg(4)
    ->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
