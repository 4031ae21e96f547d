#include "show/TimecodeArm.h"

#include "support/Platform.h"

namespace kv {

TTimecodeArm::TTimecodeArm(TTimecodeChase& chase, std::function<int32_t()> threshold,
                           std::function<void()> reached)
    : chase_(chase),
      threshold_(std::move(threshold)),
      reached_(std::move(reached)),
      timer_(Platform().CreateTimer([this] { Poll(); }))
{
    timer_->SetInterval(kPollMs);
}

TTimecodeArm::~TTimecodeArm() = default;

void TTimecodeArm::Arm()
{
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
    if (!heard || *heard < threshold_())
        return;
    // Disarmed first: the start may take long and must come once.
    Disarm();
    reached_();
}

}  // namespace kv
