#include "show/scenario/ProjectList.h"
#include "support/text/TextEncoding.h"
#include "support/platform/VirtualPlatform.h"

#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <string>

namespace {

constexpr int kCues = 100000;

// A long show as operators write it: clock times, TAB columns, Cyrillic notes, some motor
// cues, and lines not quite in time order.
std::string ScenarioText()
{
    std::string text;
    for (int i = 0; i < kCues; ++i) {
        const int ms = (i ^ 3) * 37;
        text += std::to_string(ms / 60000) + ":" + std::to_string(ms / 1000 % 60) + "." +
                std::to_string(ms % 1000 / 10) + "\t" + std::to_string(1 + i % 8) + "\t";
        text += i % 50 == 0 ? "#LT#2.5#80" : std::to_string(1 + i % 64);
        text += "\tЗолотая ива, калибр 75 мм\r\n";
    }
    return text;
}

void LoadScenario(benchmark::State& state, const std::string& bytes)
{
    kv::TVirtualPlatform platform;
    kv::InstallPlatform(&platform);
    const std::filesystem::path path =
        std::filesystem::temp_directory_path() / "kv-bench-scenario.txt";
    std::ofstream(path, std::ios::binary) << bytes;

    kv::TProjectList list;
    for (auto _ : state) {
        list.Load(path.string());
        if (list.Count() != kCues) {
            state.SkipWithError("the scenario did not load");
            break;
        }
    }
    state.SetItemsProcessed(state.iterations() * kCues);
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(bytes.size()));
    std::filesystem::remove(path);
    kv::InstallPlatform(nullptr);
}

void LoadUtf8Scenario(benchmark::State& state)
{
    LoadScenario(state, ScenarioText());
}
BENCHMARK(LoadUtf8Scenario)->Unit(benchmark::kMillisecond);

void LoadWindows1251Scenario(benchmark::State& state)
{
    LoadScenario(state, kv::EncodeCp1251(ScenarioText()));
}
BENCHMARK(LoadWindows1251Scenario)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
