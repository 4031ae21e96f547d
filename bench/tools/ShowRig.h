#pragma once
// Real shows on the simulated field at 19200 baud for the timing benchmarks: the real port
// thread and the real player on the system clock, with the fired-channel check and the device
// poll running in the quiet gaps as in the console.

#include "devices/registry/Controls.h"
#include "field/bus/Field.h"
#include "link/PortProto.h"
#include "show/player/ExtPlayer.h"
#include "show/scenario/ProjectList.h"

#include <benchmark/benchmark.h>

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace kv {

constexpr int kRigModules = 50;
constexpr int kRigChannels = 32;

struct TPlannedCue {
    int32_t time;
    int module;
    int channel;
};

class TShowRig {
public:
    TShowRig();
    ~TShowRig();

    void SetAttemptMode(int mode);
    // Between shows; false when a show still runs.
    bool SetControl(uint8_t mode);
    void Load(const std::vector<TPlannedCue>& cues);
    // Runs the show to its end; the tick taken just before the start.
    uint32_t Play(const std::vector<TPlannedCue>& cues, int32_t tempo, int32_t offset,
                  int32_t from = 0);

    std::shared_ptr<TField> field;
    std::unique_ptr<TPortProto> port;
    std::unique_ptr<TControls> controls;
    std::unique_ptr<TExtPlayer> player;
    TProjectList scenario;
};

// Built for the first case that needs it; ReleaseRig ends it before the platform goes.
TShowRig& Rig();
void ReleaseRig();

// count cues from 1000 ms, 150 ms plus a pseudo-random step of 0 to (steps - 1) x stepMs
// apart (the same for a seed), each on its own channel, modules in turn. Their times are
// whole centiseconds, as a scenario holds them.
std::vector<TPlannedCue> SteppedCues(int count, uint32_t seed, int steps, int stepMs);

double Percentile(std::vector<double> values, double fraction);
// prefix + "min_ms", "p50_ms", "p99_ms", "max_ms" of values; nothing when there are none.
void CountSpread(benchmark::State& state, const std::string& prefix,
                 const std::vector<double>& values);
// First fire frame of each cue, by module and channel.
std::map<std::pair<int, int>, TFrameEntry> FirstFireFrames(TField& field);
// A 16-bit mono wav file of these samples.
void WriteWav(const std::string& path, uint32_t rate, const std::vector<int16_t>& samples);

}  // namespace kv
