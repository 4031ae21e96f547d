#pragma once
// What operator stations tell each other at address 255: a show's start and stop notices,
// and the status query with its answer (launch state and modes).

#include "link/FrameRecord.h"

#include <cstdint>
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

// A station's launch state as its status answer carries it: the console's, kvctl's, and what
// a standby station follows.
enum TLaunchState : uint8_t { kLaunchIdle = 0, kLaunchReady = 1, kLaunchRunning = 2 };

struct TStationStatus {
    int launchState = kLaunchIdle;
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
