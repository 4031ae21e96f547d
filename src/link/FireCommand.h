#pragma once
// The fire command: a station tells one module to fire one channel, and a high-voltage module
// the charge of its next shot. Another station on the line hears it too.

#include "link/FrameRecord.h"

#include <optional>

namespace kv {

struct TFireCommand {
    int address = 0;
    int channel = 0;      // from 0
    int chargeValue = 0;  // 0-16383
};

TFrameRecord EncodeFire(const TFireCommand& command);
// None for other frames, and for the set-charge command that shares the code.
std::optional<TFireCommand> DecodeFire(const TFrameRecord& frame);

}  // namespace kv
