#include "show/player/shots/KeyShots.h"

#include "devices/kinds/HVControl.h"
#include "devices/registry/Controls.h"
#include "show/player/bus/BusFailureLog.h"
#include "show/player/CommonPlayer.h"
#include "support/platform/Platform.h"

#include <utility>

namespace kv {

TKeyShots::TKeyShots(TCommonPlayer& show)
    : show_(show),
      shots_([this](int module, int channel) { return Charge(module, channel); },
             [this](int module, int channel) { return Fire(module, channel); },
             TCommonPlayer::kManualChargePauseMs)
{
}

void TKeyShots::Add(int module, int channel, THandShots::TDone done)
{
    // An ending show's high voltage is about to go off.
    if (!show_.Firing() || show_.ChannelLockedOut(module, channel)) {
        if (done)
            done(false);
        return;
    }
    shots_.Add(module, channel, std::move(done));
}

bool TKeyShots::Fire(int module, int channel)
{
    // Locked out while its charge came up.
    if (show_.ChannelLockedOut(module, channel))
        return false;
    const auto fire = [&] { show_.Fire(module, channel, false, true); };
    // A high-voltage module's frames handed over carry charges that the key's shot changes.
    if (!show_.direct_.Holds(module, channel))
        fire();
    // The show's frame for the channel waits at the port for its moment and would follow the
    // key's: taken back first, its cue is the key's and passed over; the others go again.
    else
        show_.direct_.ShotBefore(fire);
    return true;
}

THandShots::TCharge TKeyShots::Charge(int module, int channel)
{
    auto* highVoltage = dynamic_cast<THVControl*>(show_.controls_.FindByAddress(module));
    if (!highVoltage || !IsFirableChannel(module, channel))
        return THandShots::TCharge::None;
    // The module holds one charge: a show shot of it while the key's charge comes up would
    // fire with the key's. The key's shot waits for its charge time clear of the show's.
    if (ShowShotsNear(module))
        return THandShots::TCharge::Later;
    LogFailure(highVoltage->SetCharge(highVoltage->ChannelCharge(channel)), kMsgChargeNotSet,
               module);
    return THandShots::TCharge::Sent;
}

bool TKeyShots::ShowKeepsCharges() const
{
    return show_.Firing() && show_.controlMode == kControlDirect &&
           show_.firingMode == kFiringBoth;
}

int TKeyShots::ChargeToFollow(const THVControl& module, int channel)
{
    if (!ShowKeepsCharges())
        return 0;
    // The show's cue the shot takes is passed over by the show: no shot is told its charge.
    const int32_t taken = show_.report_.PendingShot(module.address, channel);
    if (taken >= 0)
        show_.charges_.RemoveByHand(taken);
    // With no show shot to come, nothing is left charged.
    return show_.charges_.Next(module.address, 0);
}

bool TKeyShots::ShowShotsNear(int module) const
{
    if (!ShowKeepsCharges())
        return false;
    if (show_.direct_.CarriesCharge(module))
        return true;
    // Until the first tick after the charge time, and the look ahead of that tick.
    const int32_t until =
        show_.ClockAt(Platform().TickCount() + TCommonPlayer::kManualChargePauseMs + kShowTickMs +
                      static_cast<uint32_t>(TDirectRun::kLookAheadMs));
    const std::span<const TCue> cues = show_.Cues();
    for (auto index = static_cast<size_t>(std::max(show_.nextCue_, 0));
         index < cues.size() && cues[index].time <= until; ++index)
        if (cues[index].module == module && show_.charges_.HasPlace(static_cast<int32_t>(index)))
            return true;
    return false;
}

}  // namespace kv
