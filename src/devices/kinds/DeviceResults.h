#pragma once
// Result codes of the device and memory operations beyond the bus codes (link/FrameRecord.h).

#include "link/FrameRecord.h"

namespace kv {

constexpr int kResultNotSupported = -10;  // the firmware lacks the operation
constexpr int kResultMismatch = -100;     // the scenario in a module differs
constexpr int kResultAborted = -101;      // the operator cancelled
// A cue time the device memory cannot hold: the module is refused before anything is written.
constexpr int kResultTimeOutsideMemory = -11;
// A channel outside the 512-entry tables: refused before any table or bus access.
constexpr int kResultBadChannel = kLinkNotConnected;

}  // namespace kv
