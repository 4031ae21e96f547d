// Sound to fire: a show with its soundtrack on the simulated field, the soundtrack played to
// the default PulseAudio sink (a null sink) and its monitor recorded with parec. The
// soundtrack is a click track, a short 2.5 kHz burst at every cue's moment, so the recording
// tells when each cue's moment is heard. For every cue, its first fire frame's first bit
// against that moment. Counters: p50/p99/max of fire minus heard (ms); "ahead", the cues
// fired before their sound was heard (the bar: none; p99 at most 30 ms); heard_first_ms,
// the first cue's sound after its due moment; sink_fast_ppm, how much faster than the system
// clock the sink plays (the show clock runs on the system clock). scripts/bench-sound-to-fire.sh
// runs it on a PulseAudio server of its own, away from the sound of anything else.
// KV_SOUND_TO_FIRE_CSV=file writes every cue's heard and fire moments.

#include "MonitorRecorder.h"
#include "QtBenchMain.h"
#include "ShowRig.h"

#include "support/platform/Platform.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <numbers>
#include <thread>
#include <vector>

namespace kv {
namespace {

constexpr uint32_t kRate = 44100;
constexpr double kClickHz = 2500;
constexpr int kClickSamples = kRate / 100;  // 10 ms
constexpr int kCues = 240;
constexpr int64_t kMatchNs = 75000000;

// Cues 150-250 ms apart, each on its own channel, modules in turn.
std::vector<TPlannedCue> ClickCues()
{
    return SteppedCues(kCues, 4242, 11, 10);
}

// Silence with a burst at every cue time, starting at full swing (a cosine) so that its first
// sample marks the moment.
std::string ClickTrack(const std::vector<TPlannedCue>& cues)
{
    const std::string path = "/tmp/kv-sound-to-fire.wav";
    std::vector<int16_t> samples(static_cast<size_t>((cues.back().time + 2000) * int64_t{kRate} / 1000));
    for (const TPlannedCue& cue : cues) {
        const size_t at = static_cast<size_t>(cue.time * int64_t{kRate} / 1000);
        for (int i = 0; i < kClickSamples; ++i)
            samples[at + static_cast<size_t>(i)] = static_cast<int16_t>(
                24000 * std::cos(2 * std::numbers::pi * kClickHz * i / kRate));
    }
    WriteWav(path, kRate, samples);
    return path;
}

// Whether the 10 ms from here are mostly the click's pitch (Goertzel against the whole energy).
bool ClickAt(const std::vector<int16_t>& samples, size_t at)
{
    if (at + kClickSamples > samples.size())
        return false;
    const double coefficient = 2 * std::cos(2 * std::numbers::pi * kClickHz / kRate);
    double previous = 0;
    double before = 0;
    double energy = 0;
    for (int i = 0; i < kClickSamples; ++i) {
        const double x = samples[at + static_cast<size_t>(i)];
        const double next = x + coefficient * previous - before;
        before = previous;
        previous = next;
        energy += x * x;
    }
    const double tone = previous * previous + before * before - coefficient * previous * before;
    return energy > 0 && tone / (energy * kClickSamples / 2.0) > 0.7;
}

// The moments (ns) at which a click starts in the recording.
std::vector<int64_t> HeardClicks(const TMonitorRecorder& recording)
{
    const std::vector<int16_t>& samples = recording.Samples();
    std::vector<int64_t> heard;
    for (size_t i = 0; i < samples.size(); ++i) {
        if (std::abs(samples[i]) < 12000 || !ClickAt(samples, i))
            continue;
        heard.push_back(recording.SampleNs(i));
        i += kClickSamples;
    }
    return heard;
}

// How fast the heard moments slip against the show's (least squares), in parts per million:
// the output's clock against the system's.
double DriftPpm(const std::vector<std::pair<double, double>>& points)
{
    double meanX = 0;
    double meanY = 0;
    for (const auto& [x, y] : points) {
        meanX += x;
        meanY += y;
    }
    meanX /= static_cast<double>(points.size());
    meanY /= static_cast<double>(points.size());
    double covariance = 0;
    double variance = 0;
    for (const auto& [x, y] : points) {
        covariance += (x - meanX) * (y - meanY);
        variance += (x - meanX) * (x - meanX);
    }
    return variance > 0 ? covariance / variance * 1e6 : 0;
}

void BM_SoundToFire(benchmark::State& state)
{
    const std::vector<TPlannedCue> cues = ClickCues();
    TShowRig& rig = Rig();
    rig.SetAttemptMode(-1);
    if (!rig.player->LoadSoundtrack(ClickTrack(cues))) {
        state.SkipWithError("no sound output: start a PulseAudio server with a null sink");
        return;
    }
    TMonitorRecorder recording(kRate);
    if (!recording.Started()) {
        state.SkipWithError("parec did not start");
        return;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    uint32_t start = 0;
    for (auto _ : state)
        start = rig.Play(cues, 1000, 0);
    rig.player->Soundtrack().StopPlaying();
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    recording.Stop();
    rig.player->UnloadSoundtrack();

    const auto frames = FirstFireFrames(*rig.field);
    const std::vector<int64_t> heard = HeardClicks(recording);
    std::vector<double> fireAfterSound;
    std::vector<std::pair<double, double>> heardLate;  // cue time, heard after due (ms)
    int ahead = 0;
    int unheard = 0;
    // Every cue's heard and fire moments after its due moment, for a closer look.
    const char* csvPath = std::getenv("KV_SOUND_TO_FIRE_CSV");
    std::ofstream csv;
    if (csvPath != nullptr)
        csv.open(csvPath);
    csv << "cue_ms,heard_ms,fire_ms\n";
    for (const TPlannedCue& cue : cues) {
        const auto fired = frames.find({cue.module, cue.channel});
        // The cue's own click is the one nearest its due moment: the others are 150 ms away
        // or more.
        const int64_t due = (int64_t{start} + cue.time) * 1000000;
        const auto after = std::lower_bound(heard.begin(), heard.end(), due);
        auto click = after;
        if (after != heard.begin() && (after == heard.end() || due - after[-1] < *after - due))
            click = after - 1;
        if (fired == frames.end() || click == heard.end() || std::abs(*click - due) > kMatchNs) {
            ++unheard;
            continue;
        }
        csv << cue.time << ',' << static_cast<double>(*click - due) / 1e6 << ','
            << static_cast<double>(fired->second.startNs - due) / 1e6 << '\n';
        const double late = static_cast<double>(fired->second.startNs - *click) / 1e6;
        fireAfterSound.push_back(late);
        ahead += late < 0;
        heardLate.emplace_back(cue.time, static_cast<double>(*click - due) / 1e6);
    }
    state.counters["cues"] = static_cast<double>(cues.size());
    state.counters["unheard"] = unheard;
    state.counters["ahead"] = ahead;
    CountSpread(state, "", fireAfterSound);
    if (!fireAfterSound.empty()) {
        state.counters["heard_first_ms"] = heardLate.front().second;
        state.counters["sink_fast_ppm"] = -DriftPpm(heardLate);
    }
}
BENCHMARK(BM_SoundToFire)->Iterations(1)->UseRealTime()->Unit(benchmark::kSecond);

}  // namespace
}  // namespace kv

int main(int argc, char** argv)
{
    return kv::RunQtBenchmarks(argc, argv, kv::ReleaseRig);
}
