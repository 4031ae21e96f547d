#include "link/FrameCheck.h"

#include <benchmark/benchmark.h>

static void FrameCheckOfOneFrame(benchmark::State& state)
{
    uint8_t frame[6] = {0x85, 0, 0, 0, 0, 1};
    for (auto _ : state) {
        benchmark::DoNotOptimize(kv::FrameCheck(frame, 6));
        ++frame[1];
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(FrameCheckOfOneFrame);

BENCHMARK_MAIN();
