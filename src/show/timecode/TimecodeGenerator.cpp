#include "show/timecode/TimecodeGenerator.h"

#include <algorithm>

namespace kv {

TTimecodeGenerator::TTimecodeGenerator(TTimecodeRate rate, const TTimecodeLabel& zero,
                                       int sampleRate)
    : rate_(rate == TTimecodeRate::Auto ? TTimecodeRate::Fps25 : rate),
      zeroMs_(FrameStartMs(FrameIndex(zero, rate_), rate_)),
      framesPerDay_(FrameIndex({24, 0, 0, 0}, rate_)),
      encoder_(rate_, sampleRate)
{
}

void TTimecodeGenerator::Follow(const TShowClockLook& look, bool running)
{
    const std::lock_guard lock(mutex_);
    look_ = look;
    running_ = running;
}

int32_t TTimecodeGenerator::ShowMsAt(uint32_t tick) const
{
    const std::lock_guard lock(mutex_);
    if (!running_)
        return look_.time;
    // Never before the look: the show clock does not step back.
    auto since = static_cast<int64_t>(std::max(static_cast<int32_t>(tick - look_.now), 0));
    if (look_.mayStand)
        since = std::min<int64_t>(since, kStandAfterMs);
    return look_.time + static_cast<int32_t>(since * std::max(look_.tempo, 0) / 1000);
}

std::vector<float> TTimecodeGenerator::NextFrame(uint32_t playTick)
{
    const int64_t ms = zeroMs_ + ShowMsAt(playTick);
    // The frame that holds the show time, rounded down: a desk that reads it is not ahead.
    int64_t index = FrameAtMs(ms, rate_);
    if (made_ && index == lastIndex_ && FrameStartMs(index + 1, rate_) <= ms + kRunOnMs)
        ++index;
    // Before 00:00:00:00 the labels go on from the day's end, as desks count.
    const TTimecodeLabel label =
        LabelAt((index % framesPerDay_ + framesPerDay_) % framesPerDay_, rate_);
    std::vector<float> frame = encoder_.Frame(label);
    const std::lock_guard lock(mutex_);
    last_ = label;
    lastIndex_ = index;
    lastTick_ = playTick;
    made_ = true;
    return frame;
}

int32_t TTimecodeGenerator::QueuedAheadMs() const
{
    if (!made_)
        return 0;
    return static_cast<int32_t>(FrameStartMs(lastIndex_, rate_) - zeroMs_ - ShowMsAt(lastTick_));
}

TTimecodeLabel TTimecodeGenerator::LastLabel() const
{
    const std::lock_guard lock(mutex_);
    return last_;
}

}  // namespace kv
