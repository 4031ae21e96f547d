#pragma once
// A standby station follows this station's show by asking its status. Held up (its main
// thread or its whole process stopped) long enough, this station may find the standby gone
// on with the show: before it fires again it asks, and it gives the show up at any sign that
// the other runs it. Two masters would fire every cue twice. Main thread only.

#include "link/FireCommand.h"
#include "link/FrameRecord.h"

#include <cstdint>
#include <optional>

namespace kv {

class TPortProto;

class TStandbyWatch {
public:
    // Four ticks missed; well short of the silence a standby waits for before it goes on.
    static constexpr uint32_t kHoldUpMs = 100;
    // A standby asks at least once a second while no show runs.
    static constexpr uint32_t kFollowedMs = 5000;
    // Its answer, or its start, comes within this once asked.
    static constexpr uint32_t kAnswerMs = 200;

    explicit TStandbyWatch(TPortProto& port) : port_(port) {}

    // A status query from another station.
    void Asked(int askerId, uint32_t now);
    // This station's show starts.
    void Begin(uint32_t now);
    // The running show's clock read at now: after a hold-up, with a standby following, it
    // asks the standby and listens.
    void Looked(uint32_t now);
    // Nothing fires meanwhile. Ends with an answer that the standby does not run the show,
    // or kAnswerMs without one (TimeOut): a standby gone runs nothing.
    bool Listening() const { return listening_; }
    void TimeOut(uint32_t now);
    // A frame heard while this station's show runs: true when it tells that the standby
    // runs the show now (its start; its answer, or a time broadcast, after a hold-up).
    bool StandbyRuns(const TFrameRecord& frame, bool clockStart);
    // This station gave its show to the standby, which tells the modules the time now: no
    // start of it is answered with the stop form, until a stop or a start of this station.
    void GiveUp() { givenUp_ = true; }
    bool GivenUp() const { return givenUp_; }
    // The standby's shot heard once the show was given up; a frame sent again is one shot.
    std::optional<TFireCommand> ShotAfterGiveUp(const TFrameRecord& frame, uint32_t now);
    void HeardStop() { givenUp_ = false; }
    // This station took the show over from its primary: the primary's queries, which may
    // have looked like a standby's, were no standby's.
    void Forget() { standbyId_ = askerId_ = 0; }
    int StandbyId() const { return standbyId_; }

private:
    TPortProto& port_;
    int askerId_ = 0;  // of the last status query
    uint32_t askerTick_ = 0;
    int standbyId_ = 0;
    uint32_t askedTick_ = 0;
    uint32_t lastLook_ = 0;
    uint32_t listenSince_ = 0;
    bool listening_ = false;
    bool followed_ = false;  // this show
    bool heldUp_ = false;  // in this show, with a standby following
    bool givenUp_ = false;
    TFrameRecord lastShot_{};
    uint32_t lastShotTick_ = 0;
};

}  // namespace kv
