#include "show/player/bus/StandbyWatch.h"

#include "link/PortProto.h"
#include "link/Result.h"
#include "link/StationMessages.h"

namespace kv {

void TStandbyWatch::Asked(int askerId, uint32_t now)
{
    if (askerId == 0 || askerId == port_.StationId())
        return;
    // A standby asks again and again; a primary back from a hold-up, once.
    if (askerId == askerId_ && now - askerTick_ <= kFollowedMs) {
        standbyId_ = askerId;
        askedTick_ = now;
        followed_ = true;
        port_.DropStaleTimed(true);
    }
    askerId_ = askerId;
    askerTick_ = now;
}

std::optional<TFireCommand> TStandbyWatch::ShotAfterGiveUp(const TFrameRecord& frame, uint32_t now)
{
    constexpr uint32_t kRepeatMs = 50;
    const auto shot = givenUp_ ? DecodeFire(frame) : std::nullopt;
    if (!shot || (frame == lastShot_ && now - lastShotTick_ < kRepeatMs))
        return std::nullopt;
    lastShot_ = frame;
    lastShotTick_ = now;
    return shot;
}

void TStandbyWatch::Begin(uint32_t now)
{
    lastLook_ = now;
    listening_ = heldUp_ = givenUp_ = false;
    // It asks less while a show runs, never while this station speaks or a cue is near: one
    // that followed before the start, or asked since, follows the whole show.
    followed_ = standbyId_ != 0 && now - askedTick_ <= kFollowedMs;
    port_.DropStaleTimed(followed_);
}

void TStandbyWatch::Looked(uint32_t now)
{
    const uint32_t last = lastLook_;
    lastLook_ = now;
    if (listening_ || now - last < kHoldUpMs || !followed_)
        return;
    heldUp_ = listening_ = true;
    listenSince_ = now;
    // Heard, it also tells the standby that this station lives: it does not go on now.
    Ignore(port_.SendStatusQuery(standbyId_), "unanswered, the wait ends by itself");
}

void TStandbyWatch::TimeOut(uint32_t now)
{
    if (listening_ && now - listenSince_ >= kAnswerMs)
        listening_ = false;
}

bool TStandbyWatch::StandbyRuns(const TFrameRecord& frame, bool clockStart)
{
    if (standbyId_ == 0)
        return false;
    if (const auto notice = DecodeStationNotice(frame))
        return notice->start && notice->stationId == standbyId_;
    if (const auto status = DecodeStationStatus(frame)) {
        if (!listening_ || status->stationId != standbyId_ || status->askerId != port_.StationId())
            return false;
        if (status->launchState == kLaunchRunning)
            return true;
        listening_ = false;
        return false;
    }
    // After a hold-up the time told is the standby's; otherwise another master's, answered
    // as ever: given up to no one, the show would leave the modules playing unstopped.
    return clockStart && heldUp_;
}

}  // namespace kv
