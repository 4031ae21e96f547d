#include "show/TimeBroadcast.h"

#include <algorithm>
#include <cstdlib>

namespace kv {

namespace {

constexpr int32_t kBusStepMs = 100;

}  // namespace

bool TTimeBroadcast::Due(int32_t time, uint32_t now, int32_t interval, int32_t stepWindowMs) const
{
    if (interval < 0)
        return true;
    const int64_t since = static_cast<uint32_t>(now - sentTick_);
    const int32_t window = std::clamp(stepWindowMs, 1, kBusStepMs);
    if (time % kBusStepMs >= window)
        // A timer held up past every step must not silence the time.
        return since >= 2 * static_cast<int64_t>(interval);
    // The modules' clocks run on at their own, normal rate from what they last heard.
    const int64_t drift = time - (sentTime_ + since);
    return since >= interval || std::llabs(drift) >= window;
}

void TTimeBroadcast::Sent(int32_t time, uint32_t now)
{
    sentTime_ = time - time % kBusStepMs;
    sentTick_ = now;
}

}  // namespace kv
