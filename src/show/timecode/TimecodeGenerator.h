#pragma once
// Linear timecode of the show's own clock, for a sound or lighting desk to chase. The main
// thread tells where the show clock stands; the output's thread asks for the next frame with
// the moment it will be heard, and gets the frame of the show time at that moment. While no
// show runs the frame of the standing clock repeats: a desk that chases it stands at once,
// where a silence would let it freewheel on for its drop-out time.

#include "show/scenario/Timecode.h"
#include "show/timecode/LtcEncoder.h"
#include "show/timecode/ShowClockLook.h"

#include <cstdint>
#include <mutex>
#include <vector>

namespace kv {

class TTimecodeGenerator {
public:
    // Beyond this since the last look, a clock that may stand (the music, a desk's timecode)
    // is not run on: the desk here must not be told a time the show may never reach.
    static constexpr uint32_t kStandAfterMs = 60;
    // How far a frame may begin past the show time and still follow the last one on: the
    // moment a frame is heard is worked out in whole milliseconds, a little early, and a desk
    // stutters on a frame repeated or left out.
    static constexpr int32_t kRunOnMs = 2;

    // rate: 24, 25, 29.97 drop-frame or 30; zero: the label of show time 0.
    TTimecodeGenerator(TTimecodeRate rate, const TTimecodeLabel& zero, int sampleRate);
    TTimecodeGenerator(const TTimecodeGenerator&) = delete;
    TTimecodeGenerator& operator=(const TTimecodeGenerator&) = delete;

    TTimecodeRate Rate() const { return rate_; }
    // The show clock as it stands (running: it runs on at look.tempo from look.now).
    void Follow(const TShowClockLook& look, bool running);
    // The show time at that tick, by the last look.
    int32_t ShowMsAt(uint32_t tick) const;
    // The next frame, heard from playTick on: mono samples in [-1, 1]. Any thread, one at a
    // time. It holds the show time of that moment, rounded down, or it is the one after the
    // last made, beginning no more than kRunOnMs past that time.
    std::vector<float> NextFrame(uint32_t playTick);
    // The label of the last frame made.
    TTimecodeLabel LastLabel() const;
    // How far the last frame made begins past the show time at the moment it is heard, by
    // the clock as it stands now: a stop or a step back leaves what is queued ahead.
    int32_t QueuedAheadMs() const;

private:
    const TTimecodeRate rate_;
    const int64_t zeroMs_;
    const int64_t framesPerDay_;
    TLtcEncoder encoder_;
    mutable std::mutex mutex_;
    TShowClockLook look_{0, 0, 0, false};
    bool running_ = false;
    TTimecodeLabel last_;
    int64_t lastIndex_ = 0;
    uint32_t lastTick_ = 0;  // when the last frame is heard
    bool made_ = false;
};

}  // namespace kv
