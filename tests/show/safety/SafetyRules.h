#pragma once
// What the operator and the bus did during a safety case, by tick, and the rules checked on
// the field's record against it.

#include "field/bus/FieldRecord.h"
#include "show/report/FiringReport.h"

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace kvtest {

using TChannel = std::pair<int, int>;  // module, channel from 0

struct TSlotCue {
    int slot = 0;
    int32_t index = 0;
    int32_t time = 0;
};

// The show clock from one start, as the operator set its tempo and offset.
struct TClockPiece {
    uint32_t tick = 0;
    int32_t base = 0;  // without the offset
    int32_t tempo = 1000;
    int32_t offset = 0;
    int32_t At(uint32_t now) const;
};

struct TShowWindow {
    uint32_t start = 0;
    uint32_t end = 0;  // a stop, or the next start
    bool open = true;
    int slot = 0;
    // Played on the model of the field: its shots are not on the real field's record.
    bool rehearsal = false;
    std::vector<TClockPiece> clock;
    // A show that follows the desk's timecode: the furthest show time the desk played by a
    // tick, its tempo not counted (the pieces give the offset).
    std::function<int32_t(uint32_t)> desk;
    std::vector<kv::TCueRecord> report;  // the report as the next start or the end found it
    // The highest the clock read up to now.
    int32_t ReachedBy(uint32_t now) const;
};

// A start point chosen while stopped: Enter on a row, F4 (row 0, not highlighted) or a slot
// switch (row -1: every cue).
struct TStartPoint {
    uint32_t tick = 0;
    int slot = 0;
    int32_t row = 0;
    int32_t time = 0;
    bool highlighted = false;
};

struct TSafetyRecord {
    std::map<TChannel, TSlotCue> cues;  // of both slots' scenarios
    std::vector<std::vector<int32_t>> slotTimes;  // cue times by slot, in list order
    std::vector<TShowWindow> windows;
    std::vector<TStartPoint> startPoints;
    std::vector<std::pair<uint32_t, TChannel>> handShots;  // asked for
    std::map<TChannel, int> charges;  // of the high-voltage channels, volts
    std::vector<std::string> clockFaults;  // module clocks seen ahead of the show's
    std::vector<uint32_t> clockStops;  // frames on the bus that stop or set back the modules' clocks
    std::vector<std::pair<uint32_t, uint32_t>> rehearsals;  // ticks the bus was a model, from, to
    size_t realFramesInRehearsal = 0;  // frames the real field took meanwhile
    std::vector<uint32_t> standbyStarts;  // ticks a standby station went on with the show
};

// Empty when every rule held.
std::string CheckSafetyRules(const TSafetyRecord& record, const std::vector<kv::TShotEntry>& shots);

}  // namespace kvtest
