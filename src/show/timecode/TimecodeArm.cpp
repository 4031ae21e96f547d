#include "show/timecode/TimecodeArm.h"

#include "support/lang/AddedMessages.h"
#include "support/platform/Platform.h"
#include "support/log/RunLog.h"

namespace kv {

TTimecodeArm::TTimecodeArm(TTimecodeChase& chase, std::function<int32_t()> threshold,
                           std::function<void()> reached, std::function<void()> refused)
    : chase_(chase),
      threshold_(std::move(threshold)),
      reached_(std::move(reached)),
      refused_(std::move(refused)),
      timer_(Platform().CreateTimer([this] { Poll(); }))
{
    timer_->SetInterval(kPollMs);
}

TTimecodeArm::~TTimecodeArm() = default;

void TTimecodeArm::Arm()
{
    armTick_ = Platform().TickCount();
    timer_->SetEnabled(true);
}

void TTimecodeArm::Disarm()
{
    timer_->SetEnabled(false);
}

bool TTimecodeArm::Armed() const
{
    return timer_->Enabled();
}

void TTimecodeArm::Poll()
{
    const uint32_t now = Platform().TickCount();
    chase_.Poll(now);
    const std::optional<int32_t> heard = chase_.Heard(now);
    const int32_t threshold = threshold_();
    if (!heard || *heard < threshold)
        return;
    // Disarmed first: the start may take long and must come once.
    Disarm();
    // Further past than the time since arming (a lock takes a few frames): the timecode was
    // past the start point before the wait, and the show's start was never heard.
    if (*heard - threshold > static_cast<int32_t>(now - armTick_) && !chase_.Settings().joinLate) {
        WriteLog(Localize(kMsgTimecodeJoinRefused) + " " +
                 FormatTimecode(chase_.Label(), chase_.DropFrame()));
        if (refused_)
            refused_();
        return;
    }
    reached_();
}

}  // namespace kv
