#include "show/player/shots/HandShots.h"

#include "support/platform/Platform.h"

#include <utility>

namespace kv {

THandShots::THandShots(std::function<TCharge(int module, int channel)> charge,
                       std::function<bool(int module, int channel)> fire, uint32_t chargeMs)
    : charge_(std::move(charge)), fire_(std::move(fire)), chargeMs_(chargeMs)
{
}

void THandShots::Add(int module, int channel, TDone done)
{
    shots_.push_back({module, channel, std::move(done)});
    Run();
}

void THandShots::Run()
{
    // A shot's own events must not fire the next one out of turn.
    if (running_)
        return;
    running_ = true;
    while (!shots_.empty()) {
        TShot& next = shots_.front();
        if (!next.charged) {
            next.charged = true;
            const int module = next.module;
            const int channel = next.channel;
            const TCharge charge = charge_(module, channel);
            if (charge == TCharge::Later) {
                if (!shots_.empty())
                    shots_.front().charged = false;
                break;
            }
            if (charge == TCharge::Sent) {
                // Counted from the module's answer, as the wait after it always was.
                if (!shots_.empty())
                    shots_.front().chargedAt = Platform().TickCount();
                break;
            }
        } else if (Platform().TickCount() - next.chargedAt < chargeMs_) {
            break;
        }
        if (shots_.empty())
            break;
        TShot shot = std::move(shots_.front());
        shots_.pop_front();
        const bool fired = fire_(shot.module, shot.channel);
        if (shot.done)
            shot.done(fired);
    }
    running_ = false;
}

void THandShots::Drop()
{
    std::deque<TShot> dropped;
    dropped.swap(shots_);
    for (TShot& shot : dropped)
        if (shot.done)
            shot.done(false);
}

}  // namespace kv
