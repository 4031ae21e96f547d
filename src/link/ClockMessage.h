#pragma once
// The clock message: the show time every module follows, broadcast by a station or a remote
// controller, in a start-at-time form and a stop form.

#include "link/FrameRecord.h"

#include <optional>

namespace kv {

struct TClockMessage {
    int timeMs = 0;        // travels in whole 100 ms
    bool running = false;  // the start-at-time form; otherwise the stop form
};

// A time before 0 goes as 0: wrapped to the end of the 16-bit range, every cue in the
// modules' memory would be due at once. Later times wrap.
TFrameRecord EncodeClock(const TClockMessage& message);
// A clock message from any master; none for other frames and for frames to a station.
std::optional<TClockMessage> DecodeClock(const TFrameRecord& frame);
// The heard frame as it was, in the stop form: how a start from elsewhere is answered.
TFrameRecord InStopForm(const TFrameRecord& frame);

}  // namespace kv
