#include "field/bus/FieldClock.h"

#include "support/platform/Platform.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <thread>

namespace kv {

namespace {

int64_t SteadyNowNs()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

}  // namespace

TSteadyFieldClock::TSteadyFieldClock(double speed)
    : speed_(speed > 0 ? speed : 1.0), originNs_(RealNs())
{
}

int64_t TSteadyFieldClock::RealNs() const
{
    return SteadyNowNs();
}

int64_t TSteadyFieldClock::NowNs()
{
    const int64_t real = RealNs();
    if (speed_ == 1.0)
        return real;
    return originNs_ + static_cast<int64_t>(static_cast<double>(real - originNs_) * speed_);
}

void TSteadyFieldClock::SleepUntilNs(int64_t ns)
{
    const int64_t ahead = ns - NowNs();
    if (ahead <= 0)
        return;
    const auto realWait = static_cast<int64_t>(std::ceil(static_cast<double>(ahead) / speed_));
    std::this_thread::sleep_for(std::chrono::nanoseconds(realWait));
}

int64_t TSteadyFieldClock::SteadyNsAt(int64_t ns)
{
    if (speed_ == 1.0)
        return ns;
    return originNs_ + static_cast<int64_t>(std::ceil(static_cast<double>(ns - originNs_) / speed_));
}

int64_t TPlatformFieldClock::UnwrappedMs()
{
    std::lock_guard lock(mutex_);
    const uint32_t tick = Platform().TickCount();
    if (started_ && tick < lastTick_)
        highBits_ += int64_t{1} << 32;
    started_ = true;
    lastTick_ = tick;
    return highBits_ + tick;
}

int64_t TPlatformFieldClock::NowNs()
{
    return UnwrappedMs() * 1'000'000;
}

void TPlatformFieldClock::SleepUntilNs(int64_t ns)
{
    const int64_t ahead = ns - NowNs();
    if (ahead > 0)
        Platform().Sleep(static_cast<uint32_t>((ahead + 999'999) / 1'000'000));
}

// The tick moves in whole milliseconds: ns shows once the tick has passed it.
int64_t TPlatformFieldClock::SteadyNsAt(int64_t ns)
{
    const int64_t aheadMs = std::max<int64_t>((ns - NowNs() + 999'999) / 1'000'000, 0);
    return SteadyNowNs() + aheadMs * 1'000'000;
}

}  // namespace kv
