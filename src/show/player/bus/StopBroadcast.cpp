#include "show/player/bus/StopBroadcast.h"

#include "link/BusEncoding.h"
#include "link/ClockMessage.h"
#include "link/PortProto.h"
#include "support/lang/AddedMessages.h"
#include "support/platform/Platform.h"
#include "support/log/RunLog.h"

#include <algorithm>

namespace kv {

namespace {

// Modules run on their own clocks, a little off the station's: the re-sending outlasts
// their memory by this much.
constexpr int32_t kMemorySlackMs = 2000;

}  // namespace

TStopBroadcast::TStopBroadcast(TPortProto& port)
    : port_(port), retry_(Platform().CreateTimer([this] { Retry(); }))
{
    retry_->SetInterval(kRetryMs);
}

TStopBroadcast::~TStopBroadcast() = default;

bool TStopBroadcast::SendTimes(int sendings)
{
    // The port keeps the line idle a little before each: they go a few milliseconds apart.
    bool reachedAll = false;
    for (int i = 0; i < sendings; ++i) {
        const bool reached = port_.SendClock(time_, false) == kLinkOk;
        lastStop_ = EncodeClock({time_, false});
        lastStopTick_ = Platform().TickCount();
        stopSeen_ = true;
        reachedAll = reachedAll || reached;
    }
    return reachedAll;
}

bool TStopBroadcast::Send(int32_t time, int32_t memoryMs, bool owe)
{
    time_ = std::clamp(time, 0, kLastBusTimeMs);
    const bool retrying = owed_ && retry_->Enabled();
    if (memoryMs >= 0 || !owed_)
        sendings_ = memoryMs >= 0 ? kSendings : 1;
    const bool reachedAll = SendTimes(sendings_);
    owed_ = !reachedAll && (owe || owed_);
    if (!owed_) {
        retry_->SetEnabled(false);
        return reachedAll;
    }
    if (memoryMs >= 0) {
        retryUntil_ = Platform().TickCount() + static_cast<uint32_t>(memoryMs + kMemorySlackMs);
        retry_->SetEnabled(true);
    }
    if (!retrying && retry_->Enabled())
        WriteLog(Localize(kMsgStopNotTaken));
    return reachedAll;
}

void TStopBroadcast::SendBeforeStart(int32_t time)
{
    time_ = std::clamp(time, 0, kLastBusTimeMs);
    SendTimes(kSendings);
}

bool TStopBroadcast::Repeating() const
{
    return owed_ && retry_->Enabled();
}

bool TStopBroadcast::SendOwed()
{
    owed_ = owed_ && !SendTimes(sendings_);
    if (!owed_)
        retry_->SetEnabled(false);
    return !owed_;
}

void TStopBroadcast::Forget()
{
    owed_ = false;
    retry_->SetEnabled(false);
}

void TStopBroadcast::Retry()
{
    // Their memory has run out: a stop now would stop only another station's show.
    if (!owed_ || static_cast<int32_t>(Platform().TickCount() - retryUntil_) >= 0) {
        retry_->SetEnabled(false);
        return;
    }
    // One sending a round: a converter that gives no echo holds the station for its wait.
    owed_ = !SendTimes(1);
    if (owed_)
        return;
    retry_->SetEnabled(false);
    WriteLog(Localize(kMsgStopTakenOnRepeat));
}

bool TStopBroadcast::Heard(const TFrameRecord& frame, uint32_t now)
{
    const bool same = stopSeen_ && frame == lastStop_ && now - lastStopTick_ <= kSameStopMs;
    lastStop_ = frame;
    lastStopTick_ = now;
    stopSeen_ = true;
    return !same;
}

}  // namespace kv
