#include "show/player/bus/TimeBroadcast.h"

#include <algorithm>
#include <climits>

namespace kv {

namespace {

constexpr int32_t kBusStepMs = 100;
// A tick may come this much after its period.
constexpr uint32_t kTickSlackMs = 5;
// How long a stop takes to reach the modules on every converter: what they may fire meanwhile
// counts as fired.
constexpr int64_t kStopReachMs = 10;
// How long after it is sent a time reaches the modules at most (a USB converter's latency
// included).
constexpr int64_t kTimeReachMs = 20;
// An echo the converter was too slow to hand back within its wait comes some time later; a
// master that sends the very time within this long is in step with the show anyway.
constexpr uint32_t kLateEchoMs = 1000;

}  // namespace

int32_t TenthAtOrBelow(int64_t ms)
{
    const int64_t tenths = ms >= 0 ? ms / kBusStepMs : -((-ms + kBusStepMs - 1) / kBusStepMs);
    return static_cast<int32_t>(std::clamp<int64_t>(tenths * kBusStepMs, INT32_MIN, INT32_MAX));
}

void TTimeBroadcast::Begin(int32_t floor)
{
    running_ = false;
    started_ = false;
    floor_ = startedFrom_ = std::max(floor, 0);
    restarted_ = false;
    furthest_ = surelyFurthest_ = surelyStoodAt_ = INT32_MIN;
}

int32_t TTimeBroadcast::Margin(const TShowClockLook& look, uint32_t lookMs) const
{
    const int64_t slowest = look.mayStand ? 0 : std::clamp(look.tempo, 0, 1000);
    return static_cast<int32_t>((int64_t{lookMs} * (1000 - slowest) + 999) / 1000);
}

TTimeBroadcast::TFrame TTimeBroadcast::Next(const TShowClockLook& look, int32_t interval) const
{
    // Until the next look, and, for a time sent now, until the look after it: a time that
    // lasts a single look would go out at every tick while the show stands.
    const int32_t nextLook = Margin(look, periodMs_ + kTickSlackMs);
    const int32_t lookAfter = Margin(look, 2 * periodMs_ + kTickSlackMs);
    if (!running_) {
        const int32_t start = TenthAtOrBelow(int64_t{look.time} - lookAfter);
        if (start < floor_)
            return {};
        return {TAction::Start, start};
    }
    const int64_t modules = PlayedTo(look.now);
    if (modules + nextLook > look.time) {
        const int32_t back = TenthAtOrBelow(int64_t{look.time} - lookAfter);
        // Below 0 the bus has no time: the clocks stand until the show is back.
        if (back < 0)
            return {TAction::Stop, 0};
        return {TAction::Start, back};
    }
    const int32_t best = TenthAtOrBelow(int64_t{look.time} - nextLook);
    if (interval < 0)
        return {TAction::Start, best};
    const int64_t since = static_cast<uint32_t>(look.now - sentTick_);
    // Sent on a look just past a tenth, the modules are as little late as the bus allows.
    const int64_t window = std::clamp<int64_t>(
        int64_t{periodMs_} * std::max(look.tempo, 1000) / 1000, 1, kBusStepMs);
    const bool justPast = int64_t{look.time} - nextLook - best < window;
    // Behind a slower show the modules catch up by themselves; a new time every tenth would
    // only bring them back sooner.
    const bool fallingBehind = look.tempo >= 1000 && best - modules >= window;
    // A timer held up past every tenth must not silence the time.
    if (since >= 2 * int64_t{interval} || (justPast && (since >= interval || fallingBehind)))
        return {TAction::Start, best};
    return {};
}

void TTimeBroadcast::Sent(const TFrame& frame, uint32_t now)
{
    if (frame.action == TAction::Stop) {
        Stopped(now);
        return;
    }
    if (frame.action != TAction::Start)
        return;
    if (running_) {
        furthest_ = std::max(furthest_, PlayedTo(now));
        surelyFurthest_ = SurelyPlayedTo(now);
    } else {
        startedFrom_ = frame.time;
    }
    running_ = true;
    sentTime_ = frame.time;
    sentTick_ = now;
    while (!sentLately_.empty() && now - sentLately_.front().tick > kLateEchoMs)
        sentLately_.pop_front();
    sentLately_.push_back({frame.time, now});
    started_ = true;
}

void TTimeBroadcast::Stopped(uint32_t now)
{
    if (!running_)
        return;
    surelyStoodAt_ = SurelyPlayedTo(now);
    stoodAt_ = static_cast<int32_t>(std::min<int64_t>(PlayedTo(now) + kStopReachMs, INT32_MAX));
    running_ = false;
    // Started again, they would fire once more every cue from that time on; set back while
    // running, they fired nothing twice, but they had played further.
    floor_ = TenthAtOrBelow(std::max(stoodAt_, furthest_)) + kBusStepMs;
    restarted_ = true;
}

bool TTimeBroadcast::SentLately(int32_t time, uint32_t now) const
{
    return std::any_of(sentLately_.begin(), sentLately_.end(), [&](const TSentStart& sent) {
        return sent.time == time && now - sent.tick <= kLateEchoMs;
    });
}

int32_t TTimeBroadcast::PlayedTo(uint32_t now) const
{
    if (running_)
        return static_cast<int32_t>(
            std::min<int64_t>(int64_t{sentTime_} + static_cast<uint32_t>(now - sentTick_), INT32_MAX));
    return started_ ? stoodAt_ : INT32_MIN;
}

int32_t TTimeBroadcast::SurelyPlayedTo(uint32_t now) const
{
    if (!running_)
        return started_ ? surelyStoodAt_ : INT32_MIN;
    const int64_t reached = int64_t{sentTime_} + static_cast<uint32_t>(now - sentTick_) - kTimeReachMs;
    return std::max(surelyFurthest_, static_cast<int32_t>(std::clamp<int64_t>(reached, INT32_MIN, INT32_MAX)));
}

}  // namespace kv
