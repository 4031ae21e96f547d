#pragma once
// What an autonomous show tells the modules' clocks. The bus carries whole tenths of a second;
// a module sets its clock to what it hears and runs on at real speed, firing each memory cue
// as its clock reaches it. A running clock that is set back fires nothing twice, but a clock
// started from standing fires every cue from the time it hears on, one at that time at once.
// So the modules must never run ahead of the show (they would fire early), a start must come
// after every cue they must not fire, and the least late a module can be told is the show's
// time rounded down to the tenth.

#include "show/timecode/ShowClockLook.h"

#include <cstdint>
#include <deque>

namespace kv {

// A time rounded down to the bus's tenth of a second, below 0 too.
int32_t TenthAtOrBelow(int64_t ms);

class TTimeBroadcast {
public:
    enum class TAction { None, Start, Stop };
    struct TFrame {
        TAction action = TAction::None;
        int32_t time = 0;  // a whole tenth
    };

    // periodMs: how often the show looks; the modules must not get ahead before the next look.
    explicit TTimeBroadcast(uint32_t periodMs) : periodMs_(periodMs) {}

    // A new show, the modules' clocks standing: none is started below floor.
    void Begin(int32_t floor);
    // interval: the regular re-send's period, below 0 every look.
    TFrame Next(const TShowClockLook& look, int32_t interval) const;
    void Sent(const TFrame& frame, uint32_t now);

    bool Running() const { return running_; }
    // How far the modules have played their memory: their clocks as the frames set them, or
    // where they stopped, the stop's way to them included; below the floor before this show
    // started them.
    int32_t PlayedTo(uint32_t now) const;
    // How far they have surely played, for the firing report: a frame reaches them some time
    // after it is sent, and a stop may come before they reach the time PlayedTo reckons. A
    // cue is reported fired from memory only once below this; one between the two may have
    // fired or not, and is reported missed, so that nobody takes an unfired item for fired.
    // Set back while running they fire nothing twice: what they surely fired before stays.
    int32_t SurelyPlayedTo(uint32_t now) const;
    // Cues before it are passed over by the modules' start from standing: the first start of
    // this show (the floor while it is held back), or the start after they were stopped in it.
    int32_t StartedFrom() const { return startedFrom_; }
    // They were stopped in this show and started again (or are to be).
    bool Restarted() const { return restarted_; }
    // Stopped from elsewhere (the show's stop, a stop heard on the bus, the station's own
    // answer to another master's start).
    void Stopped(uint32_t now);
    // Whether a start at this time went out lately, in this show or the one before: heard
    // from the bus, it is the station's own frame come back late from a converter.
    bool SentLately(int32_t time, uint32_t now) const;

private:
    // How far behind the show the modules must be now so that, if the show runs at its
    // slowest, they are not ahead within lookMs.
    int32_t Margin(const TShowClockLook& look, uint32_t lookMs) const;

    uint32_t periodMs_;
    bool running_ = false;
    bool started_ = false;  // by this show
    int32_t floor_ = 0;
    int32_t startedFrom_ = 0;
    bool restarted_ = false;
    int32_t sentTime_ = 0;
    uint32_t sentTick_ = 0;
    int32_t stoodAt_ = 0;  // while not running
    // The furthest they played before being set back: started again from standing, they
    // would fire once more every cue from their new time on.
    int32_t furthest_ = INT32_MIN;
    int32_t surelyFurthest_ = INT32_MIN;
    int32_t surelyStoodAt_ = INT32_MIN;
    struct TSentStart {
        int32_t time;
        uint32_t tick;
    };
    std::deque<TSentStart> sentLately_;  // oldest first
};

}  // namespace kv
