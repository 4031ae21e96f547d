// How late the cues reach the wire: real shows on the simulated field at 19200 baud, through
// the real port thread and the real player on the system clock, with the fired-channel check
// and the device poll running in the quiet gaps as in the console. For every cue the first
// fire frame's first bit is compared with the cue's due moment: lateness min/p50/p99/max (ms)
// and "early", the frames put on the wire before their cue was due (the bar: none). For a
// burst of cues due together, "spread" is the time from the first frame's first bit to the
// last frame's last bit over the line time of the burst's frames (the bar: 1.7).
// The autonomous case starts at -3 s: the modules fire from their memory on the time the PC
// broadcasts, each memory shot is measured against its due moment (the bar: none early), and
// the soundtrack's start against the moment the show clock reaches 0 (needs a sound server).
// The autonomous case at tempo 95 % reports how far the modules ever ran ahead of the show.

#include "QtBenchMain.h"
#include "ShowRig.h"

#include "devices/memory/ModuleTransfer.h"
#include "devices/memory/ScenarioCue.h"
#include "link/BusEncoding.h"
#include "support/platform/Platform.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <string>
#include <vector>

namespace kv {
namespace {

void Report(benchmark::State& state, const std::vector<TPlannedCue>& cues, uint32_t startTick,
            int32_t tempo, int32_t offset, bool burst)
{
    TShowRig& rig = Rig();
    const auto frames = FirstFireFrames(*rig.field);
    std::vector<double> lateness;
    int early = 0;
    int missing = 0;
    int64_t firstNs = INT64_MAX;
    int64_t lastNs = 0;
    for (const TPlannedCue& cue : cues) {
        const auto found = frames.find({cue.module, cue.channel});
        if (found == frames.end()) {
            ++missing;
            continue;
        }
        const double dueMs = startTick + (cue.time - offset) * 1000.0 / tempo;
        const double late = static_cast<double>(found->second.startNs) / 1e6 - dueMs;
        lateness.push_back(late);
        early += late < 0;
        firstNs = std::min(firstNs, found->second.startNs);
        lastNs = std::max(lastNs, found->second.endNs);
    }
    state.counters["cues"] = static_cast<double>(cues.size());
    state.counters["missing"] = missing;
    state.counters["early"] = early;
    CountSpread(state, "late_", lateness);
    if (burst && lastNs > firstNs) {
        // Every frame the PC put on the line meanwhile, repeats included.
        int64_t lineNs = 0;
        for (const TFrameEntry& entry : rig.field->Frames())
            if (entry.origin == TFrameOrigin::Pc && entry.startNs >= firstNs && entry.endNs <= lastNs)
                lineNs += entry.endNs - entry.startNs;
        state.counters["spread_ms"] = static_cast<double>(lastNs - firstNs) / 1e6;
        state.counters["line_ms"] = static_cast<double>(lineNs) / 1e6;
        state.counters["spread_over_line"] =
            lineNs > 0 ? static_cast<double>(lastNs - firstNs) / static_cast<double>(lineNs) : 0;
    }
}

void RunShow(benchmark::State& state, const std::vector<TPlannedCue>& cues, int attemptMode,
             int32_t tempo, int32_t offset, bool burst)
{
    TShowRig& rig = Rig();
    rig.SetAttemptMode(attemptMode);
    uint32_t start = 0;
    for (auto _ : state)
        start = rig.Play(cues, tempo, offset);
    Report(state, cues, start, tempo, offset, burst);
}

// Cues at pseudo-random times over the span, each on its own channel, modules in turn.
std::vector<TPlannedCue> SpreadCues(int count, int modules, int32_t spanMs)
{
    std::vector<TPlannedCue> cues;
    uint32_t seed = 12345;
    for (int i = 0; i < count; ++i) {
        seed = seed * 1103515245u + 12345u;
        const int32_t time = 1000 + static_cast<int32_t>(seed >> 8) % spanMs / 10 * 10;
        cues.push_back({time, i % modules + 1, i / modules % kRigChannels});
    }
    return cues;
}

std::vector<TPlannedCue> BurstCues(int count)
{
    std::vector<TPlannedCue> cues;
    for (int module = 1; module <= count; ++module)
        cues.push_back({1500, module, 0});
    return cues;
}

void BM_Show600CuesTwoMinutes20Modules(benchmark::State& state)
{
    RunShow(state, SpreadCues(600, 20, 120000), -1, 1000, 0, false);
}
BENCHMARK(BM_Show600CuesTwoMinutes20Modules)->Iterations(1)->UseRealTime()->Unit(benchmark::kSecond);

void BM_Burst(benchmark::State& state)
{
    RunShow(state, BurstCues(static_cast<int>(state.range(0))), static_cast<int>(state.range(1)),
            1000, 0, true);
}
// Bursts of 10 and 50 on different modules, one attempt (-1) and with retries (0).
BENCHMARK(BM_Burst)
    ->ArgsProduct({{10, 50}, {-1, 0}})
    ->ArgNames({"cues", "attempt"})
    ->Iterations(1)
    ->UseRealTime()
    ->Unit(benchmark::kSecond);

void BM_ShowTempo1005Offset700(benchmark::State& state)
{
    RunShow(state, SpreadCues(150, 20, 30000), -1, 1005, 700, false);
}
BENCHMARK(BM_ShowTempo1005Offset700)->Iterations(1)->UseRealTime()->Unit(benchmark::kSecond);

// A mono 16-bit tone, long enough for the show.
std::string ToneFile(int seconds)
{
    const std::string path = "/tmp/kv-firing-timing-tone.wav";
    const uint32_t rate = 44100;
    std::vector<int16_t> samples(rate * static_cast<uint32_t>(seconds));
    for (size_t i = 0; i < samples.size(); ++i)
        samples[i] = static_cast<int16_t>(8000 * std::sin(static_cast<double>(i) * 0.0627));
    WriteWav(path, rate, samples);
    return path;
}

// An autonomous show plays from the modules' memory: the cues go there first.
bool WrittenToMemory(benchmark::State& state, TShowRig& rig, const std::vector<TPlannedCue>& cues)
{
    rig.SetAttemptMode(-1);
    rig.Load(cues);
    if (TModuleTransfer(*rig.controls).WriteScenario(TCueView(rig.scenario.Cues())) == 0)
        return true;
    state.SkipWithError("the scenario did not go into the modules' memory");
    return false;
}

void BM_AutonomousFromMinus3s(benchmark::State& state)
{
    constexpr int32_t kFrom = -3000;
    TShowRig& rig = Rig();
    const std::vector<TPlannedCue> cues = SpreadCues(100, 20, 20000);
    if (!WrittenToMemory(state, rig, cues))
        return;
    TExtPlayer& player = *rig.player;
    if (!rig.SetControl(kControlAutonomous))
        return state.SkipWithError("a show still runs");
    const bool sound = player.LoadSoundtrack(ToneFile(40));
    // Each tick: its moment and the soundtrack's position (-1 while it does not play).
    std::vector<std::pair<uint32_t, int64_t>> samples;
    player.timeReportInterval = -1;
    player.OnTime = [&](int32_t) {
        const bool playing = player.Soundtrack().IsPlaying();
        samples.push_back({Platform().TickCount(), playing ? player.Soundtrack().TimePosition() : -1});
    };
    uint32_t start = 0;
    for (auto _ : state)
        start = rig.Play(cues, 1000, 0, kFrom);
    player.OnTime = nullptr;
    player.timeReportInterval = 100;
    const bool direct = rig.SetControl(kControlDirect);
    player.UnloadSoundtrack();
    if (!direct)
        return state.SkipWithError("a show still runs");

    const double zeroMs = start - static_cast<double>(kFrom);
    std::map<std::pair<int, int>, TShotEntry> shots;
    for (const TShotEntry& shot : rig.field->Shots())
        if (shot.source == TShotSource::Memory)
            shots.try_emplace({shot.address, shot.channel}, shot);
    std::vector<double> lateness;
    int early = 0;
    for (const TPlannedCue& cue : cues) {
        const auto found = shots.find({cue.module, cue.channel});
        if (found == shots.end())
            continue;
        const double late = static_cast<double>(found->second.ns) / 1e6 - (zeroMs + cue.time);
        lateness.push_back(late);
        early += late < 0;
    }
    state.counters["cues"] = static_cast<double>(cues.size());
    state.counters["missing"] = static_cast<double>(cues.size() - lateness.size());
    state.counters["early"] = early;
    CountSpread(state, "late_", lateness);
    if (!sound)
        return;
    // The moment the music's 0 went by, as each playing tick sees it; the earliest tick that
    // saw it playing, against the clock's 0.
    std::vector<double> musicZero;
    double firstPlaying = -1;
    for (const auto& [tick, position] : samples) {
        if (position < 0)
            continue;
        if (firstPlaying < 0)
            firstPlaying = tick - zeroMs;
        musicZero.push_back(tick - static_cast<double>(position) - zeroMs);
    }
    if (!musicZero.empty()) {
        state.counters["sound_first_tick_ms"] = firstPlaying;
        state.counters["sound_zero_p50_ms"] = Percentile(musicZero, 0.5);
    }
}
BENCHMARK(BM_AutonomousFromMinus3s)->Iterations(1)->UseRealTime()->Unit(benchmark::kSecond);

// Autonomous control at tempo 95 %: the modules' clocks run at real speed, the show's slower.
// "ahead_max_ms": the most the modules' clocks were ever ahead of the show clock (the goal: 0 or
// below), from the time frames they heard, at the moment each next one arrived; "late_": the
// memory shots behind the moment the show clock reached their cue; "frames_per_s": the time
// frames the show sent a second.
void BM_AutonomousTempo95(benchmark::State& state)
{
    constexpr int32_t kTempo = 950;
    TShowRig& rig = Rig();
    const std::vector<TPlannedCue> cues = SpreadCues(100, 20, 20000);
    if (!WrittenToMemory(state, rig, cues))
        return;
    if (!rig.SetControl(kControlAutonomous))
        return state.SkipWithError("a show still runs");
    uint32_t start = 0;
    for (auto _ : state)
        start = rig.Play(cues, kTempo, 0);
    if (!rig.SetControl(kControlDirect))
        return state.SkipWithError("a show still runs");
    rig.player->SetTempo(1000);

    // The show clock at a field moment; the tick before the start makes it up to 1 ms ahead.
    const auto showAt = [start](int64_t ns) {
        return (static_cast<double>(ns) / 1e6 - start) * kTempo / 1000;
    };
    std::vector<const TFrameEntry*> clockFrames;
    const std::vector<TFrameEntry> frames = rig.field->Frames();
    for (const TFrameEntry& entry : frames)
        if (entry.origin == TFrameOrigin::Pc && entry.bytes.size() >= 6 && entry.bytes[0] == 0x90)
            clockFrames.push_back(&entry);
    double aheadMax = -1e9;
    int starts = 0;
    for (size_t i = 0; i + 1 < clockFrames.size(); ++i) {
        const TFrameEntry& heard = *clockFrames[i];
        if (heard.bytes[3] != 0x80)
            continue;
        ++starts;
        const int64_t untilNs = clockFrames[i + 1]->endNs;
        const double modules = TimeFromUnits(heard.bytes[1], heard.bytes[2]) +
                               static_cast<double>(untilNs - heard.endNs) / 1e6;
        aheadMax = std::max(aheadMax, modules - showAt(untilNs));
    }
    std::map<std::pair<int, int>, int64_t> shots;
    for (const TShotEntry& shot : rig.field->Shots())
        if (shot.source == TShotSource::Memory)
            shots.try_emplace({shot.address, shot.channel}, shot.ns);
    std::vector<double> lateness;
    int early = 0;
    for (const TPlannedCue& cue : cues) {
        const auto found = shots.find({cue.module, cue.channel});
        if (found == shots.end())
            continue;
        const double late = (showAt(found->second) - cue.time) * 1000 / kTempo;
        lateness.push_back(late);
        early += late < 0;
    }
    state.counters["cues"] = static_cast<double>(cues.size());
    state.counters["missing"] = static_cast<double>(cues.size() - lateness.size());
    state.counters["early"] = early;
    state.counters["ahead_max_ms"] = aheadMax;
    if (clockFrames.size() > 1)
        state.counters["frames_per_s"] =
            starts / (static_cast<double>(clockFrames.back()->endNs - clockFrames.front()->endNs) / 1e9);
    CountSpread(state, "late_", lateness);
}
BENCHMARK(BM_AutonomousTempo95)->Iterations(1)->UseRealTime()->Unit(benchmark::kSecond);

}  // namespace
}  // namespace kv

int main(int argc, char** argv)
{
    return kv::RunQtBenchmarks(argc, argv, kv::ReleaseRig);
}
