#pragma once
// How a show reaches its modules, chosen at each start: the station sends each cue at its
// moment (direct control), or tells the modules the time and they fire their own memory
// (autonomous control). The player keeps the clock, the cues handled and the report; a way
// of running does what the modules are sent. None fires in a show fired by key only.

#include <cstdint>

namespace kv {

// The player looks at its show this often.
inline constexpr uint32_t kShowTickMs = 25;

class TShowRun {
public:
    virtual ~TShowRun() = default;

    // Nothing handed to the port before leaves any more: at a stop, and at a start for the
    // show that ran before. The first cue not sent is the next again.
    virtual void Cut() = 0;
    // The show starts at now, its clock, first cue and report set: the modules hear of it
    // before the other stations do.
    virtual void Begin(uint32_t now) = 0;
    // After the start notice: the shots due before the first tick.
    virtual void Launch(uint32_t now) = 0;
    // A tick of the running show: the cues due. May end the show.
    virtual void Run(uint32_t now) = 0;
    // A tick of the end pause.
    virtual void RunEnding(uint32_t now) = 0;
    // The show stops (wasRunning: it ran till now). How long the modules may still play
    // their memory, -1 when they play none.
    virtual int32_t Halt(bool wasRunning) = 0;
    // The timecode jumped forward to to: the cues up to it are passed over, not fired in a burst.
    virtual void Jumped(int32_t to, uint32_t now) = 0;
    // Before the offset is set back by change (below 0): what is told ahead goes first.
    virtual void BeforeOffsetBack(int32_t change) = 0;
    // The clock moved (tempo, offset) or a lockout changed: what went out on the old terms
    // goes again on the new ones.
    virtual void Replan() = 0;
    // The converter is back while the show fires.
    virtual void ConverterBack() = 0;
};

}  // namespace kv
