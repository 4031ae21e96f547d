#pragma once
// The scenario clock worked out from the system tick counter, so that nothing accumulates
// from tick to tick and a wrap of the 32-bit counter goes unnoticed; and what it follows.

#include "show/timecode/ShowClockLook.h"

#include <cstdint>
#include <functional>

namespace kv {

class TBassPlayer;
class TTimecodeChase;

// (now - startTick) x tempo / 1000, rounded down to the millisecond, + startTime + offset:
// the clock never runs ahead of the tick counter. A start tick up to 24 days ahead of now
// gives a clock below startTime.
int32_t ScenarioClock(uint32_t startTick, uint32_t now, int32_t tempo, int32_t startTime,
                      int32_t offset);

// Whether at least interval ms lie between since and now; a negative interval is always due.
bool IntervalPassed(uint32_t since, uint32_t now, int32_t interval);

// What the show clock goes by:
//   Ticks          the tick counter at the tempo
//   MusicPending   the ticks, below the music's start; the music plays once the clock reaches 0
//   AwaitingSound  the ticks, held below the music's position until its first sample is heard
//   Music          the music as heard (tempo 1000 only)
//   Timecode       the desk's timecode through the chase, at its own pace
// A stalled output or music that ends falls back to Ticks; so does a tempo change.
enum class TClockSource { Ticks, MusicPending, AwaitingSound, Music, Timecode };

class TShowClock {
public:
    // What an update saw: the output stalled just now (the music is no guide any more), or
    // the timecode lost (the clock stands where it left it).
    enum class TEvent { None, Stalled, Lost };
    // passOverJump(to, now): the timecode jumped forward beyond the chase's limit, to the show
    // time to; told before the clock moves there, while Reading() is still the time left.
    TShowClock(TBassPlayer& music, std::function<void(int32_t to, uint32_t now)> passOverJump);

    // A show from `from` at now, on the timecode if it follows one, else on the ticks.
    void Begin(int32_t from, uint32_t now);
    // The next show follows chase; one followed before is left.
    void Follow(TTimecodeChase& chase);
    // Leaves the timecode it follows; on the ticks from here.
    void StopChase();
    TTimecodeChase* Chase() const { return chase_; }
    TClockSource Source() const { return source_; }

    // A start point below 0 holds the music back until the clock reaches 0.
    void HoldMusic() { source_ = TClockSource::MusicPending; }
    void DropPendingMusic();
    // The music plays from position, heard at once; followed at tempo 1000.
    void JoinMusic(int32_t position);
    // The music was just played from position: the clock reads its position from the moment
    // its first sample is heard, and below it until then. True when that moment is to come.
    bool PlayedMusicFrom(int32_t position);

    // The clock reading at now, after following the music or the timecode.
    TEvent Update(uint32_t now);
    bool Lost() const { return lost_; }
    // The last reading, before the autonomous floor at 0.
    int32_t Reading() const { return reading_; }
    int32_t At(uint32_t tick) const;
    // Per mille of real time: the tempo, or 1000 on the timecode.
    int32_t Pace() const;
    TShowClockLook Look(uint32_t now) const;
    // The music or the timecode leads, whose heard start is a time the modules may be told.
    bool FollowsSignal() const;
    // How far the timecode was past the clock at the last reading (the signal not yet captured).
    int32_t TimecodeAhead() const { return timecodeAhead_; }

    // The first tick at which the clock reaches time.
    uint32_t DueTick(int32_t time, uint32_t now) const;
    // The tick at which the clock reached time, on its present pace; in the past too.
    uint32_t ReachedTick(int32_t time) const;
    // The clock runs at its rate: a moment ahead can be reckoned. Not while it waits for the
    // music or follows a signal that may stand still at any moment, nor at tempo 0.
    bool Predictable() const { return tempo_ > 0 && source_ == TClockSource::Ticks; }

    // Running: the clock goes on from its present value at the new rate.
    void SetTempo(int32_t value, uint32_t now, bool running);
    int32_t Tempo() const { return tempo_; }
    void SetOffset(int32_t value) { offset_ = value; }
    int32_t Offset() const { return offset_; }

private:
    void FollowTimecode(uint32_t now);
    // At tempo 1000 the clock reads the music as heard: a sound card's clock runs a little
    // faster or slower than the system's, and an output that ran dry holds the music back.
    void FollowMusic(uint32_t now);
    void HoldUntilHeard(uint32_t now);
    bool NoteOutputStall();

    TBassPlayer& music_;
    std::function<void(int32_t, uint32_t)> passOverJump_;
    TClockSource source_ = TClockSource::Ticks;
    // Awaiting the sound, then following the music (not a tempo of its own).
    bool musicAfterSound_ = false;
    int32_t tempo_ = 1000;
    int32_t offset_ = 0;
    int32_t startTime_ = 0;
    uint32_t startTick_ = 0;
    int32_t reading_ = 0;
    TTimecodeChase* chase_ = nullptr;
    bool lost_ = false;
    int32_t timecodeAhead_ = 0;
    // The furthest the music was heard: the estimate may step back, the clock does not.
    int64_t heardMs_ = 0;
    bool outputStalled_ = false;
};

}  // namespace kv
