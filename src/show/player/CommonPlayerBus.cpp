// What the player hears on the bus: another station's questions and stops, and its own time
// come back.
#include "show/player/CommonPlayer.h"

#include "devices/registry/Controls.h"
#include "link/ClockMessage.h"
#include "link/PortProto.h"
#include "link/Result.h"
#include "link/StationMessages.h"
#include "support/platform/Platform.h"

namespace kv {

namespace {

constexpr uint8_t kStatusQuery = 0x03;

}  // namespace

bool TCommonPlayer::OwnTimeFrame(const TFrameRecord& message) const
{
    const auto clock = DecodeClock(message);
    return clock && clock->running && message == EncodeClock(*clock) &&
           autonomous_.SentLately(clock->timeMs, Platform().TickCount());
}

void TCommonPlayer::ModulesStopped()
{
    autonomous_.ClocksStopped(Platform().TickCount(), IsRunning() && run_ == &autonomous_);
}

void TCommonPlayer::HandleMessage(const TFrameRecord& message)
{
    const uint32_t now = Platform().TickCount();
    const auto clock = DecodeClock(message);
    if (IsRunning() && standby_.StandbyRuns(message, clock && clock->running && !OwnTimeFrame(message))) {
        GiveUp();
        return;
    }
    if (message[5] == kStationAddress) {
        if (message[4] != 0 && message[4] != port_.StationId())
            return;
        if (message[0] == kStatusQuery) {
            standby_.Asked(message[3], now);
            Ignore(port_.SendStationStatus(message[3], LaunchState ? LaunchState() : kLaunchIdle,
                                           firingMode, controlMode),
                   "an answer lost is the asking station's to ask again");
        }
        return;
    }
    // Given up, this station's report says what the standby fired, not "stopped before".
    if (const auto shot = IsRunning() ? std::nullopt : standby_.ShotAfterGiveUp(message, now);
        shot && report_.FiredElsewhereOn(Cues(), shot->address, shot->channel))
        SaveFiringReport();
    if (clock && !clock->running) {
        standby_.HeardStop();
        // Sent several times so that no module misses it, or this station's own come back
        // late: obeyed once, unless a show started since.
        if (!stops_.Heard(message, now) && !IsRunning())
            return;
        // Heard on one converter's line: this show's modules on the others play on from
        // memory. Passed on once, as the broadcast ends with it; the station that sent it
        // hears it again as no news.
        Halt(false, autonomous_.ClocksRunning());
        if (OnRemoteStop)
            OnRemoteStop();
    }
}

}  // namespace kv
