#pragma once
// Follows the sound desk's timecode: locks after a run of consecutive frames, tells the rate,
// and unlocks after a run of frame periods without a good frame (one that follows the track);
// gives the show a clock that never runs ahead of the timecode and never steps back. A
// jump back holds the clock until the timecode catches up; a jump forward beyond the limit
// is reported so that the show passes over the cues in between; a lost signal freewheels on
// the show's own clock for a set time, or ends the following at once. Main thread only.

#include "show/scenario/Timecode.h"
#include "show/timecode/TimecodeInput.h"
#include "show/timecode/TimecodeSettings.h"

#include <cstdint>
#include <deque>
#include <optional>
#include <string>

namespace kv {

class TTimecodeChase {
public:
    enum class TState : uint8_t { Searching, Locked, Freewheel, Lost };
    struct TLook {
        TState state = TState::Searching;
        int32_t time = 0;  // show ms: the timecode less its zero
        // A jump forward beyond the limit since the last look: the clock left jumpFrom.
        bool jumped = false;
        int32_t jumpFrom = 0;
        // How far past time the timecode would be, had the signal up to now been captured:
        // the clock stands until the capture brings it there. Below 0 while the clock waits
        // for the timecode after a jump back.
        int32_t ahead = 0;
    };

    TTimecodeChase(TTimecodeInput& input, const TTimecodeSettings& settings);

    // Takes the frames heard so far; a lock, a loss or a new track may follow.
    void Poll(uint32_t now);
    TState State() const { return state_; }
    // The show time the timecode gives now, while locked. With OnLoss=stop never past the end
    // of the last frame decoded: the desk may have stopped or jumped right after it. With a
    // freewheel, which trusts the signal to go on anyway, on over the signal captured since
    // that keeps its bit pace, up to the end of the frame after it.
    std::optional<int32_t> Heard(uint32_t now) const;
    // The last label heard in the lock.
    TTimecodeLabel Label() const;
    // The label of the frame that holds show time ms, at the lock's rate.
    TTimecodeLabel LabelOfShowMs(int32_t ms) const;
    bool DropFrame() const { return rate_ == TTimecodeRate::Fps2997Drop; }
    TTimecodeRate Rate() const { return rate_; }
    const TTimecodeSettings& Settings() const { return settings_; }
    // Good frames in the last second against frames expected, in percent (0-100): a frame
    // that follows the track or the run before it, the first after a silence, or one of
    // timecode running backwards (the desk going back).
    int Quality(uint32_t now) const;

    // The show follows from show time from on (a show started before the timecode reached
    // it holds at from).
    void Follow(int32_t from, uint32_t now);
    bool Following() const { return following_; }
    void StopFollowing() { following_ = false; }
    // Polls, then moves the show clock by the rules.
    TLook Look(uint32_t now);

    // What the timecode was like since the chase began: locks taken (not a new track within
    // one), losses, and the lowest and the last quality while a show followed it.
    struct TRecord {
        int locks = 0;
        int losses = 0;
        std::optional<int> lowestQuality;
        std::optional<int> lastQuality;
    };
    const TRecord& Record() const { return record_; }
    // The thread that captures the timecode heard; 0: none yet.
    int CaptureThread() const { return input_.WriterThread(); }

private:
    struct TTrack {
        int64_t index = 0;       // of its last frame
        uint32_t startTick = 0;  // of its last frame
        uint32_t seenTick = 0;   // when its last frame was taken
        int frames = 0;          // heard in a row
        TTimecodeRate rate = TTimecodeRate::Auto;
        int64_t firstIndex = 0;  // of its first frame
        uint32_t firstTick = 0;
    };

    void Take(const TTimecodeFrame& frame, uint32_t now);
    // The rate the frame has, or Auto when it has none the settings allow.
    TTimecodeRate RateOf(const TTimecodeFrame& frame);
    // A good frame, dated by its start.
    void CountGood(uint32_t startTick);
    std::string QualityText(uint32_t now) const;
    // Whether the frame goes on from the track: its number and its start agree.
    bool Continues(const TTrack& track, int64_t index, uint32_t startTick,
                   TTimecodeRate rate) const;
    void Lock(uint32_t now);
    void CheckLoss(uint32_t now);
    bool TrustsRun() const;
    int32_t ShowMs(int64_t index, TTimecodeRate rate) const;

    TTimecodeInput& input_;
    TTimecodeSettings settings_;
    TState state_ = TState::Searching;
    TTimecodeRate rate_ = TTimecodeRate::Auto;
    TTimecodeRate loggedRate_ = TTimecodeRate::Auto;
    bool wrongRateLogged_ = false;
    TTrack track_;
    TTrack candidate_;
    // The last frame decoded is the track's: the signal heard after it goes on from the track.
    bool runOnTrack_ = false;
    // How long after the start of the track's last frame the signal went on at its pace.
    int64_t runUs_ = 0;
    // When a good frame was last taken: the lock holds.
    uint32_t signalTick_ = 0;
    std::deque<uint32_t> goodTicks_;  // the starts of the last second's good frames
    // The start of the first frame after a silence, and of the last frame heard.
    uint32_t signalSince_ = 0;
    std::optional<uint32_t> lastFrameTick_;
    bool following_ = false;
    int32_t shown_ = 0;  // the show clock given last
    // How far a new track lies ahead of the old one, measured when it took over.
    std::optional<int32_t> trackJump_;
    // The first frame's start of the track the show clock was last given from.
    std::optional<uint32_t> lookedTrack_;
    TRecord record_;
    uint32_t freewheelTick_ = 0;
    int32_t freewheelFrom_ = 0;
};

}  // namespace kv
