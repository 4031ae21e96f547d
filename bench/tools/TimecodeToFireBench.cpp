// Timecode to fire: a sound desk's timecode, encoded with libltc, played into the default
// PulseAudio sink (a null sink); the chase reads the sink's monitor and the show on the
// simulated field starts on it and follows it. The monitor is recorded with parec as well and
// its timecode decoded afresh, so that the moment the sink played each show time is known
// apart from the chase. For every cue fired, its first fire frame's first bit against the
// moment its time was played. Counters: p50/p99/max of fire minus played (ms); "early", cues
// fired before their time was played (the bar: none; p99 at most 30 ms); "passed", cues a
// jump passed over; "missing", cues neither fired nor passed over; sink_fast_ppm, how much
// faster than the system clock the null sink played. date_*: how the chase's dates of the
// frames (a second capture of the monitor through the chase's own input) lie after libltc's
// decoder's sample positions in the recording (min/p50/p99/max, ms). Cases: 24, 25, 29.97
// drop-frame and 30 fps; 25 fps with 2 s of silence in the middle (the show freewheels); 25 fps
// with a jump forward of 5 s. scripts/null-sink-bench.sh bench_timecode_to_fire runs it on a PulseAudio server of
// its own, away from the sound of anything else.

#include "MonitorRecorder.h"
#include "QtBenchMain.h"
#include "ShowRig.h"

#include "audio/PulseCapture.h"
#include "rigs/DeskPlayback.h"
#include "show/timecode/TimecodeArm.h"
#include "show/timecode/TimecodeReceiver.h"
#include "support/platform/Platform.h"

#include <benchmark/benchmark.h>
#include <ltc.h>

#include <QEventLoop>
#include <QTimer>

#include <algorithm>
#include <cstdlib>
#include <map>
#include <mutex>

namespace kv {
namespace {

constexpr uint32_t kRate = 48000;
constexpr int kCues = 240;
constexpr TTimecodeLabel kZero{10, 0, 0, 0};
constexpr int32_t kBreakMs = 25000;  // where the silence or the jump comes
constexpr int32_t kSilenceMs = 2000;
constexpr int32_t kJumpMs = 5000;

enum TVariant { kPlain, kSilence, kJump };

// Cues 150-250 ms apart, each on its own channel, modules in turn.
std::vector<TPlannedCue> TimecodeCues()
{
    return SteppedCues(kCues, 2997, 101, 1);
}

void PlayDesk(kvtest::TLtcSignal& signal, TTimecodeRate rate, TVariant variant, int32_t endMs)
{
    const auto frames = [rate](int32_t ms) {
        return static_cast<int>(ms * int64_t{1000} / (FramePeriodUs(rate)));
    };
    signal.CueShowMs(-3000);
    if (variant == kPlain) {
        signal.Play(frames(endMs + 3000));
        return;
    }
    signal.Play(frames(kBreakMs + 3000));
    if (variant == kSilence) {
        signal.Silence(kSilenceMs);
        signal.CueShowMs(kBreakMs + kSilenceMs);  // the desk played on meanwhile
        signal.Play(frames(endMs - kBreakMs - kSilenceMs));
    } else {
        signal.CueShowMs(kBreakMs + kJumpMs);
        signal.Play(frames(endMs - kBreakMs - kJumpMs));
    }
}

// Every frame the recording holds, by its index: the moment libltc's decoder puts its first bit.
std::map<int64_t, int64_t> PlayedFrameStarts(const TMonitorRecorder& recording, TTimecodeRate rate)
{
    std::map<int64_t, int64_t> played;
    LTCDecoder* decoder = ltc_decoder_create(kRate / 25, 64);
    const std::vector<int16_t>& samples = recording.Samples();
    for (size_t at = 0; at < samples.size(); at += 4096) {
        const size_t count = std::min<size_t>(4096, samples.size() - at);
        ltc_decoder_write_s16(decoder, const_cast<short*>(samples.data() + at), count,
                              static_cast<ltc_off_t>(at));
        LTCFrameExt frame;
        while (ltc_decoder_read(decoder, &frame) == 1) {
            SMPTETimecode time;
            ltc_frame_to_time(&time, &frame.ltc, 0);
            const TTimecodeLabel label{time.hours, time.mins, time.secs, time.frame};
            if (frame.reverse || !ValidLabel(label, rate))
                continue;
            played.emplace(FrameIndex(label, rate),
                           recording.SampleNs(static_cast<size_t>(frame.off_start)));
        }
    }
    ltc_decoder_free(decoder);
    return played;
}

// The same by show time.
std::map<int32_t, int64_t> PlayedFrames(const TMonitorRecorder& recording, TTimecodeRate rate)
{
    const int64_t zero = FrameStartMs(FrameIndex(kZero, rate), rate);
    std::map<int32_t, int64_t> played;
    for (const auto& [index, ns] : PlayedFrameStarts(recording, rate))
        played.emplace(static_cast<int32_t>(FrameStartMs(index, rate) - zero), ns);
    return played;
}

// The chase's own dating of each frame heard: a capture of the monitor beside the chase's, through
// the input the chase takes its frames from.
class TFrameDates {
public:
    TFrameDates(TTimecodeRate rate)
        : rate_(rate),
          input_(static_cast<int>(kRate)),
          capture_("@DEFAULT_MONITOR@", static_cast<int>(kRate),
                   [this](const float* samples, size_t count, uint32_t endTick) {
                       input_.Write(samples, count, endTick);
                       const std::lock_guard lock(mutex_);
                       for (const TTimecodeFrame& frame : input_.Take())
                           if (!frame.reverse && ValidLabel(frame.label, rate_))
                               dates_.emplace(FrameIndex(frame.label, rate_), frame.startTick);
                   })
    {
        std::string error;
        capture_.Start(error);
    }
    // Each frame's date less the moment the recording played its first bit, in ms.
    std::vector<double> Against(const TMonitorRecorder& recording)
    {
        capture_.Stop();
        const std::lock_guard lock(mutex_);
        std::vector<double> differences;
        for (const auto& [index, playedNs] : PlayedFrameStarts(recording, rate_)) {
            const auto dated = dates_.find(index);
            if (dated != dates_.end())
                differences.push_back(static_cast<int32_t>(
                    dated->second - static_cast<uint32_t>(playedNs / 1000000)));
        }
        return differences;
    }

private:
    TTimecodeRate rate_;
    TTimecodeInput input_;
    TPulseCapture capture_;
    std::mutex mutex_;
    std::map<int64_t, uint32_t> dates_;
};

void BM_TimecodeToFire(benchmark::State& state)
{
    const auto rate = static_cast<TTimecodeRate>(state.range(0));
    const auto variant = static_cast<TVariant>(state.range(1));
    const std::vector<TPlannedCue> cues = TimecodeCues();
    TShowRig& rig = Rig();
    rig.SetAttemptMode(-1);
    rig.Load(cues);
    TTimecodeSettings settings;
    settings.source = "@DEFAULT_MONITOR@";
    settings.zero = kZero;
    settings.rate = rate;
    if (const char* within = std::getenv("KV_BENCH_WITHIN_FRAME"))
        settings.withinFrame = std::atoi(within) != 0;
    TTimecodeReceiver receiver(settings);
    std::string error;
    if (!receiver.Open(error)) {
        state.SkipWithError(("no capture: " + error).c_str());
        return;
    }
    TMonitorRecorder recording(kRate);
    TFrameDates dates(rate);
    kvtest::TLtcSignal signal(rate, kZero);
    PlayDesk(signal, rate, variant, cues.back().time + 2000);
    QEventLoop loop;
    rig.player->OnStateChange = [&] {
        if (!rig.player->IsRunning())
            loop.quit();
    };
    TTimecodeArm arm(receiver.Chase(), [] { return 0; },
                     [&] { rig.player->StartChased(0, receiver.Chase()); });
    rig.field->ClearRecord();
    for (auto _ : state) {
        kvtest::TDeskPlayback desk(signal);
        if (!desk.Playing() || !recording.Started()) {
            state.SkipWithError("no sound output: start a PulseAudio server with a null sink");
            return;
        }
        arm.Arm();
        QTimer::singleShot(cues.back().time + 20000, &loop, &QEventLoop::quit);
        loop.exec();
    }
    recording.Stop();
    CountSpread(state, "date_", dates.Against(recording));

    const auto frames = FirstFireFrames(*rig.field);
    const std::map<int32_t, int64_t> played = PlayedFrames(recording, rate);
    const int64_t periodNs = FramePeriodUs(rate) * 1000;
    std::vector<double> late;
    int early = 0;
    int passed = 0;
    int missing = 0;
    for (size_t i = 0; i < cues.size(); ++i) {
        const TPlannedCue& cue = cues[i];
        const auto fired = frames.find({cue.module, cue.channel});
        // The frame holding the cue's time, as it was played first.
        auto frame = played.upper_bound(cue.time);
        const bool heard = frame != played.begin() &&
                           (cue.time - (--frame)->first) * int64_t{1000000} < periodNs;
        if (fired == frames.end()) {
            const auto& records = rig.player->FiringReport().Records();
            if (i < records.size() && records[i].reason == TMissReason::TimecodeJump)
                ++passed;
            else
                ++missing;
            continue;
        }
        // A cue fired in a silence has no moment of its own: the desk's timecode ran on.
        if (!heard)
            continue;
        const int64_t at = frame->second + (cue.time - frame->first) * int64_t{1000000};
        const double ms = static_cast<double>(fired->second.startNs - at) / 1e6;
        late.push_back(ms);
        early += ms < 0;
    }
    state.counters["cues"] = static_cast<double>(cues.size());
    state.counters["early"] = early;
    state.counters["passed"] = passed;
    state.counters["missing"] = missing;
    state.counters["sink_fast_ppm"] = recording.FastPpm();
    CountSpread(state, "", late);
}
BENCHMARK(BM_TimecodeToFire)
    ->ArgNames({"rate", "variant"})
    ->Args({static_cast<int>(TTimecodeRate::Fps24), kPlain})
    ->Args({static_cast<int>(TTimecodeRate::Fps25), kPlain})
    ->Args({static_cast<int>(TTimecodeRate::Fps2997Drop), kPlain})
    ->Args({static_cast<int>(TTimecodeRate::Fps30), kPlain})
    ->Args({static_cast<int>(TTimecodeRate::Fps25), kSilence})
    ->Args({static_cast<int>(TTimecodeRate::Fps25), kJump})
    ->Iterations(1)
    ->UseRealTime()
    ->Unit(benchmark::kSecond);

}  // namespace
}  // namespace kv

int main(int argc, char** argv)
{
    return kv::RunQtBenchmarks(argc, argv, kv::ReleaseRig);
}
