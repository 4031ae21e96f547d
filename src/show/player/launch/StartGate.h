#pragma once
// The one way to a show's start, for the console and kvctl alike and whichever way the start
// comes (the start key, a wait for the clock, the bus or the timecode): what must hold before
// the operator is asked anything, the operator's answers, and what must still hold once they
// are given or the wait is over, since a stop from the bus, a lost converter or a let-go key
// may come while a question stands open.
//
//   Open ──> (the owner's own questions) ──> Confirm ──> start now
//                                               └──────> wait ──> StillOpen ──> start

#include <functional>
#include <string>

namespace kv {

class TExtPlayer;

enum class TStartVerdict {
    Open,
    KeyNotHeld,        // the hold-to-fire key, told by its check
    NoConverter,       // told through refuse
    ChargesRefused,    // the charges a shot would need: told through refuse
    HeldByGoNoGo,      // told by its check
    OperatorDeclined,  // a warning not accepted
    StopHeard,         // on the bus, or the operator's own: the owner says so where it logs
    AlreadyRunning,    // a show started meanwhile is not started again
};

class TStartGate {
public:
    // What the gate asks its owner. An empty function is a check the owner does not have
    // (kvctl has no hold-to-fire key and no go/no-go window).
    struct TChecks {
        std::function<bool()> keyHeld;  // logs its own refusal
        std::function<bool()> converterPresent;
        std::function<bool()> goNoGo;          // shows what holds the show; false: held
        std::function<bool()> operatorGoesOn;  // the modules' warnings before a start
        std::function<int()> stopsHeard;       // a count that grows with every stop
        std::function<void(const std::string& why)> refuse;  // logs, and shows where it can
    };
    // A start at once, or a wait armed for one.
    enum class TWay { Now, Wait };

    TStartGate(const TExtPlayer& player, TChecks checks);

    // Before any question: the key, the converter (a start at once: a wait is refused without
    // it at Confirm, with the wait's own words), the charges the show needs from the player's
    // start point, the go/no-go.
    TStartVerdict Open(TWay way);
    // The operator's answers, then all that may have changed while they stood open: no stop
    // heard, no show started meanwhile, the key, the converter.
    TStartVerdict Confirm(TWay way);
    // The stops heard count from here. Unmarked, from none: every stop the owner ever heard
    // calls the start off (kvctl: a stop or Ctrl+C during its search).
    void Mark();
    // A wait's or a countdown's end: no stop heard, no show running, the key, the converter.
    TStartVerdict StillOpen();
    bool StopHeardSince() const;

private:
    TStartVerdict KeyAndConverter(TWay way);

    const TExtPlayer& player_;
    TChecks checks_;
    int stops_ = 0;
};

}  // namespace kv
