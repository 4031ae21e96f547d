// What the registry's bus work costs in bus time: a whole search round over the demo field,
// and writing and verifying a 500-cue scenario at 19200 baud. Each runs on virtual time, so
// "ratio" is the time the operation keeps the bus (pauses and reply windows included) over
// the line time its frames need; the benchmark's own time is the machine's work.

#include "devices/registry/Controls.h"
#include "devices/memory/ModuleTransfer.h"
#include "field/file/FieldFile.h"
#include "field/bus/FieldPort.h"
#include "link/PortProto.h"
#include "support/platform/VirtualPlatform.h"

#include <benchmark/benchmark.h>

#include <string>
#include <vector>

namespace kv {
namespace {

class TBenchRig {
public:
    explicit TBenchRig(const std::shared_ptr<TField>& built) : field(built)
    {
        port = std::make_unique<TPortProto>(std::make_unique<TFieldPort>(field));
        port->Reopen();
        registry = std::make_unique<TControls>(*port);
        port->OnFrameFrom = [this](const TFrameRecord& frame, int converter) {
            registry->HandleUnsolicitedFrame(frame, converter);
        };
    }

    double LineMs()
    {
        int64_t ns = 0;
        for (const TFrameEntry& entry : field->Frames())
            ns += entry.endNs - entry.startNs;
        return static_cast<double>(ns) / 1e6;
    }

    std::shared_ptr<TField> field;
    std::unique_ptr<TPortProto> port;
    std::unique_ptr<TControls> registry;
};

struct TInstalledPlatform {
    TInstalledPlatform() { InstallPlatform(&platform); }
    ~TInstalledPlatform() { InstallPlatform(nullptr); }
    TVirtualPlatform platform;
};

void Report(benchmark::State& state, double busyMs, double lineMs)
{
    state.counters["bus_ms"] = busyMs;
    state.counters["line_ms"] = lineMs;
    state.counters["ratio"] = lineMs > 0 ? busyMs / lineMs : 0;
}

void BM_SearchRoundDemoField(benchmark::State& state)
{
    TInstalledPlatform installed;
    double busyMs = 0;
    double lineMs = 0;
    for (auto _ : state) {
        std::string problem;
        auto field = LoadField(KV_SHARE_DIR "/demo-field.ini", problem,
                               std::make_shared<TPlatformFieldClock>());
        if (!field) {
            state.SkipWithError(problem.c_str());
            return;
        }
        TBenchRig rig(field);
        int ticks = 0;
        rig.registry->OnSearchProgress = [&](int, int) { ++ticks; };
        const uint32_t start = installed.platform.TickCount();
        rig.registry->SetSearchMode(3);
        // 240-254, the station round, then 0-239: every address once.
        installed.platform.AdvanceUntil([&] { return ticks == 256; }, 600000);
        rig.registry->SetSearchMode(0);
        busyMs = installed.platform.TickCount() - start;
        lineMs = rig.LineMs();
        if (rig.registry->FiringModuleCount() != 10)
            state.SkipWithError("the search did not find every firing module");
    }
    Report(state, busyMs, lineMs);
}
BENCHMARK(BM_SearchRoundDemoField)->Unit(benchmark::kMillisecond);

constexpr int kCues = 500;
constexpr int kModules = 4;

// Four modules of one firmware generation, each with room for its share of the cues.
std::shared_ptr<TField> ScenarioField(int version)
{
    std::string text = "[field]\nConverters=1\n";
    for (int m = 1; m <= kModules; ++m)
        text += "[device" + std::to_string(m) + "]\nKind=module\nAddress=" + std::to_string(m) +
                "\nVersion=" + std::to_string(version / 256) + std::to_string(version / 16 % 16) +
                std::to_string(version % 16) + "\nChannels=128\n";
    auto field = std::make_shared<TField>(std::make_shared<TPlatformFieldClock>());
    std::string problem;
    BuildField(TIniFile::Parse(text), *field, problem);
    return field;
}

std::vector<TScenarioCue> Scenario()
{
    std::vector<TScenarioCue> cues;
    for (int i = 0; i < kCues; ++i)
        cues.push_back({.time = 1000 + i * 1237, .module = 1 + i % kModules,
                        .channel = i / kModules % 128, .kind = kKindFire});
    return cues;
}

void WriteAndVerify(benchmark::State& state, bool verify)
{
    TInstalledPlatform installed;
    const std::vector<TScenarioCue> cues = Scenario();
    double busyMs = 0;
    double lineMs = 0;
    for (auto _ : state) {
        state.PauseTiming();
        TBenchRig rig(ScenarioField(static_cast<int>(state.range(0))));
        for (int m = 1; m <= kModules; ++m)
            rig.registry->AddOrRefresh(m, 0);
        if (verify && TModuleTransfer(*rig.registry).WriteScenario(cues) != 0)
            state.SkipWithError("the write failed");
        rig.field->ClearRecord();
        const uint32_t start = installed.platform.TickCount();
        state.ResumeTiming();
        const int result =
            verify ? TModuleTransfer(*rig.registry).VerifyScenario(cues) : TModuleTransfer(*rig.registry).WriteScenario(cues);
        state.PauseTiming();
        if (result != 0)
            state.SkipWithError("the operation failed");
        busyMs = installed.platform.TickCount() - start;
        lineMs = rig.LineMs();
        state.ResumeTiming();
    }
    Report(state, busyMs, lineMs);
}

void BM_Write500Cues(benchmark::State& state)
{
    WriteAndVerify(state, false);
}
void BM_Verify500Cues(benchmark::State& state)
{
    WriteAndVerify(state, true);
}
// 0x36B: acknowledged fine writes; 0x150: plain writes with their 70 ms pause.
BENCHMARK(BM_Write500Cues)->Arg(0x36B)->Arg(0x150)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Verify500Cues)->Arg(0x36B)->Arg(0x150)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace kv

BENCHMARK_MAIN();
