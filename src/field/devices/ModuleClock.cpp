#include "field/devices/ModuleClock.h"

#include <algorithm>
#include <cmath>

namespace kv {

TModuleClock::TModuleClock(double driftPpm) : rate_(1.0 + driftPpm / 1e6)
{
}

void TModuleClock::Start(int64_t atNs, int64_t showMs)
{
    running_ = true;
    anchorNs_ = atNs;
    anchorMs_ = showMs;
}

void TModuleClock::Stop(int64_t atNs)
{
    anchorMs_ = ShowMsAt(atNs);
    anchorNs_ = atNs;
    running_ = false;
}

int64_t TModuleClock::ShowMsAt(int64_t ns) const
{
    if (!running_)
        return anchorMs_;
    const double elapsedMs = static_cast<double>(ns - anchorNs_) * rate_ / 1e6;
    return anchorMs_ + static_cast<int64_t>(std::floor(elapsedMs));
}

int64_t TModuleClock::NsAtShowMs(int64_t showMs) const
{
    const double ns = static_cast<double>(showMs - anchorMs_) * 1e6 / rate_;
    return anchorNs_ + std::max<int64_t>(0, static_cast<int64_t>(std::ceil(ns)));
}

}  // namespace kv
