#pragma once
// What operator stations tell each other at address 255: a show's start and stop notices,
// and the status query with its answer (launch state and modes).

#include "link/FrameRecord.h"

#include <optional>

namespace kv {

struct TStationNotice {
    bool start = true;  // otherwise the stop notice
    int timeMs = 0;     // the show time, in whole 100 ms
    int stationId = 0;  // who started or stopped
};

// A time before 0 goes as 0, one past the 16-bit count as the last: neither wraps.
TFrameRecord EncodeStationNotice(const TStationNotice& notice);
std::optional<TStationNotice> DecodeStationNotice(const TFrameRecord& frame);

struct TStationStatus {
    int launchState = 0;  // 0 idle, 1 ready, 2 running
    int firingMode = 0;
    int controlMode = 0;
    int stationId = 0;    // who answers
    int askerId = 0;
};

// askedId 0: every station answers.
TFrameRecord EncodeStatusQuery(int askerId, int askedId);
// The asking station's number.
std::optional<int> DecodeStatusQuery(const TFrameRecord& frame);
TFrameRecord EncodeStationStatus(const TStationStatus& status);
std::optional<TStationStatus> DecodeStationStatus(const TFrameRecord& frame);

}  // namespace kv
