// Engine tests run shows on virtual time: an hour of the 25 ms player clock must take far
// less than a second.
#include "support/platform/VirtualPlatform.h"

#include <benchmark/benchmark.h>

namespace {

void BM_HourOfPlayerClock(benchmark::State& state)
{
    for (auto _ : state) {
        kv::TVirtualPlatform platform(0);
        int64_t ticks = 0;
        auto timer = platform.CreateTimer([&] { ++ticks; });
        timer->SetInterval(25);
        timer->SetEnabled(true);
        platform.Advance(3600 * 1000);
        benchmark::DoNotOptimize(ticks);
        state.counters["calls"] = static_cast<double>(ticks);
    }
}
BENCHMARK(BM_HourOfPlayerClock)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
