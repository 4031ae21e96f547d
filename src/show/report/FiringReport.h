#pragma once
// What became of every cue of the last show: when its frame went out and how late, what the
// check found afterwards, or why it never went out. The paperwork after a show, and the
// evidence when something did not fire.

#include "show/scenario/Cue.h"

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace kv {

enum class TCueOutcome : uint8_t {
    Pending,  // not reached yet
    Fired,    // the frame went out and its echo came back
    ByHand,   // the operator's step or firing key, the frame back from the line
    Memory,   // autonomous control: the module fires it from its own memory
    Missed,
    Elsewhere,  // heard fired by the other station of a standby pair
};

enum class TMissReason : uint8_t {
    None,
    ModuleAbsent,   // no module at that address was found on the bus
    ConverterLost,  // the converter went away during the show
    NoEcho,         // the frame did not come back from the line
    OutsideTables,  // module or channel the bus cannot carry
    BeforeStart,    // before the start point
    StoppedBefore,  // the show stopped before its time
    TimecodeJump,   // the timecode jumped forward over it
    PositionLockedOut,  // the operator locked its position out
    TooLate,        // later than the show allows when its turn came (a held-up main thread)
};

// The post-fire check; a channel state (0-3) once measured.
enum class TCheckResult : int8_t {
    Unchecked = -2,
    NoAnswer = -1,  // the measurement failed
    Unknown = 0,
    Connected = 1,
    Open = 2,
    Fault = 3,
};

struct TCueRecord {
    TScenarioCue cue;
    TCueOutcome outcome = TCueOutcome::Pending;
    TMissReason reason = TMissReason::None;
    int32_t sentAt = 0;  // show clock at the echo; valid when fired, also by hand
    TCheckResult check = TCheckResult::Unchecked;
    // A shot by hand, or the other station, took it: nothing the show does later changes it.
    bool byHand = false;
    std::string effect;  // of an imported cue, for the paperwork
    std::string position;

    int32_t Lateness() const { return sentAt - cue.time; }
};

class TFiringReport {
public:
    // lossCount: the port's converter losses so far, so that later failures can be told apart.
    void Begin(std::span<const TCue> cues, int32_t from, int lossCount);
    // A send result of the cue's command; sentAt is the show clock when it returned.
    void Sent(int32_t cue, int result, int32_t sentAt, int lossCount);
    // A shot by hand takes the first cue not yet handled of that channel; -1 when the
    // scenario has none.
    int32_t FiredByHand(int module, int channel, bool modulePresent, int result, int32_t sentAt,
                        int lossCount);
    // The cue a shot by hand on that channel would take; -1: none.
    int32_t PendingShot(int module, int channel) const;
    // Whether a shot by hand took the cue.
    bool TakenByHand(int32_t cue) const;
    // The records of a stopped show's shots by hand, from cue fromCue on: the show that goes
    // on from it takes them over.
    void KeepShotsByHand(const std::vector<TCueRecord>& stopped, int32_t fromCue);
    void Recorded(int32_t cue);
    // Heard fired by the other station: this one never fires it.
    void FiredElsewhere(int32_t cue);
    // A shot heard from the other station after this one stopped: the first cue of that
    // channel left stopped before. False when there is none.
    bool FiredElsewhereOn(std::span<const TCue> cues, int module, int channel);
    void Missed(int32_t cue, TMissReason reason);
    void Checked(int32_t cue, TCheckResult result);
    // Whatever was not reached was stopped before.
    void End();

    bool Empty() const { return records_.empty(); }
    const std::vector<TCueRecord>& Records() const { return records_; }

private:
    TCueRecord* At(int32_t cue);
    // The record whose outcome may still change: none once a shot by hand took it.
    TCueRecord* Outcome(int32_t cue);

    std::vector<TCueRecord> records_;
    int lossCountAtStart_ = 0;
};

}  // namespace kv
