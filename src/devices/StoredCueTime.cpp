#include "devices/StoredCueTime.h"

namespace kv {

int32_t StoredCueTime(int32_t time, TTimeSteps steps)
{
    const int32_t count = static_cast<uint16_t>(time / 100);  // the 16-bit wrap of the bus
    if (steps == TTimeSteps::Steps100ms)
        return count * 100;
    const int32_t tens = (time / 10) % 10;
    const int32_t units = steps == TTimeSteps::Steps2ms ? 2 * ((time % 10) / 2) : 0;
    // The digits share one byte, so out-of-range digits of odd times wrap as on the bus.
    const uint8_t digits = static_cast<uint8_t>(16 * tens + units);
    const int32_t fine = steps == TTimeSteps::Steps2ms ? (digits & 0x0E) : 0;
    return count * 100 + (digits >> 4) * 10 + fine;
}

}  // namespace kv
