#pragma once
// One random show and what an operator, the bus and the machine did to it, on virtual time.
// The show's safety rules are checked on what the simulated field recorded, never on the
// player's own account. A case prints as C++ initialiser text that replays it in a plain test.

#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

namespace kvtest {

enum class TSafetyKind : uint8_t {
    Start,             // the start key, from the start point
    Stop,              // F6 / Esc
    StartAtBegin,      // F4
    EnterHighlighted,  // Enter on the cue the list highlights (the next one)
    EnterCue,          // Enter on cue value (modulo the cue count)
    Tempo,             // the tempo keys pressed value % 21 - 10 times
    Offset,            // the offset keys pressed value % 9 - 4 times (50 ms each)
    Lock,              // position value % 2 locked
    Unlock,            // position value % 2 unlocked
    HandShot,          // a firing key: hand channel value (modulo their count)
    HeardStop,         // another station's stop
    OtherStart,        // another master's start at tenth value % 100; armed: the console waits
    ConverterLost,     // converter value % 2 pulled out, back 60 ms later
    Hold,              // the main thread held for value % 3001 ms: no tick runs
    SwitchSlot,        // the other scenario slot
    SoundStall,        // the soundtrack's output plays nothing for value % 3001 ms; odd value:
                       // the sound server answers nothing meanwhile
    TimecodeJump,      // the desk's timecode jumps by value % 4001 - 2000 ms
    TimecodeDropOut,   // the desk's signal is gone
    TimecodeReturn,    // and back: where the desk's clock ran on to; odd value: where it left off
    Rehearsal,         // the rehearsal switch (menu "Сервис")
};

// What the show plays along with.
enum TSafetyMedia : int32_t { kMediaNone = 0, kMediaSoundtrack = 1, kMediaTimecode = 2 };

struct TSafetyEvent {
    TSafetyKind kind = TSafetyKind::Start;
    int32_t afterMs = 0;  // virtual time passed before it, ticks running
    int32_t value = 0;
    bool armed = false;
};

// Cues at one moment, of one kind and position.
struct TSafetyGroup {
    int32_t gapMs = 0;     // after the group before
    int32_t count = 1;     // plain cues go to the two converters' firing modules in turn
    int32_t kind = 0;      // 0 plain, 1 high-voltage, 2 motor
    int32_t position = 0;  // 0 none, 1 Left, 2 Right
};

struct TSafetyCase {
    bool autonomous = false;
    int32_t firingMode = 0;  // kv::TFiringMode
    std::vector<TSafetyGroup> groups;
    std::vector<TSafetyEvent> events;
    int32_t media = kMediaNone;  // with timecode the start key arms the wait for the desk
    // A standby station follows the show on both lines: it never goes on with it, as the
    // show never falls silent but with the whole machine held.
    bool standby = false;
};

// Runs the case on a fresh field; empty when every rule held, else what broke. With a trace,
// the field's record and the reports go there, to read a counterexample by.
std::string RunSafetyCase(const TSafetyCase& safetyCase, std::ostream* trace = nullptr);

// RapidCheck prints counterexamples with it.
void showValue(const TSafetyCase& safetyCase, std::ostream& os);

}  // namespace kvtest
