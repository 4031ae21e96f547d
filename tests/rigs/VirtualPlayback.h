#pragma once
// A sound output on the platform's virtual time, installed in place of the sound server:
// a play is heard latencyMs after it starts, and then runs with the tick counter, or at the
// pace and with the stall its clock is given.

#include "audio/AudioStream.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace kvtest {

// Stretches of ticks in which the output plays nothing: it ran dry, or the sound server
// stopped answering (silent), as a test decides while the play runs.
struct TOutputStalls {
    struct TStall {
        uint32_t tick = 0;
        uint32_t ms = 0;
        bool silent = false;
    };
    std::vector<TStall> stalls;
    // Ms of [from, now] spent in a stall.
    int64_t StalledWithin(uint32_t from, uint32_t now) const;
    bool SilentAt(uint32_t now) const;
};

// How the output's clock runs against the tick counter.
struct TOutputClock {
    int perMille = 1000;  // ms of sound played per 1000 ticks
    // Once this much of a play was heard, the output runs dry for stallMs.
    int64_t stallAtMs = 0;
    int64_t stallMs = 0;
    // After this much of a play (below its latency), the output's latency is another: the
    // first sample is heard later than the first reading said.
    int64_t latencyChangeAtMs = 0;
    int64_t laterLatencyMs = -1;  // below 0: the latency stays
    // Once this much of a play was heard, the position reads misreadAheadMs too far for
    // misreadForMs, as after a misread latency.
    int64_t misreadAtMs = 0;
    int64_t misreadForMs = 0;
    int64_t misreadAheadMs = 0;
    std::shared_ptr<const TOutputStalls> stalls;
};

class TVirtualPlayback : public kv::TAudioStream {
public:
    TVirtualPlayback(std::unique_ptr<kv::TAudioDecoder> decoder, uint32_t latencyMs,
                     TOutputClock clock);

    int64_t PositionBytes() override;
    void SetPositionBytes(int64_t position) override;
    int64_t GetData(uint8_t*, size_t) override { return -1; }
    void Play() override;
    void Stop() override;
    bool IsActive() override;
    int64_t HeardDelayUs() override;
    bool Stalled() override;

private:
    int64_t HeardBytes() const;
    int32_t Elapsed() const;
    int64_t LatencyAt(int32_t elapsed) const;

    std::unique_ptr<kv::TAudioDecoder> decoder_;
    uint32_t latencyMs_;
    TOutputClock clock_;
    int64_t position_ = 0;
    uint32_t playTick_ = 0;
    bool playing_ = false;
};

// Streams opened while it lives play on virtual time with this latency; none at all with
// a latency below 0 (no output).
class TVirtualSoundOutput {
public:
    explicit TVirtualSoundOutput(int latencyMs, TOutputClock clock = {});
    ~TVirtualSoundOutput();
    TVirtualSoundOutput(const TVirtualSoundOutput&) = delete;
    TVirtualSoundOutput& operator=(const TVirtualSoundOutput&) = delete;
};

}  // namespace kvtest
