#include "devices/StoredCueTime.h"

namespace kv {

bool TimeFitsMemory(int32_t time)
{
    return time >= 0 && time < kEmptyCueTime;
}

int32_t StoredCueTime(int32_t time, TTimeSteps steps)
{
    const int32_t count = time / 100;
    if (steps == TTimeSteps::Steps100ms)
        return count * 100;
    const int32_t tens = (time / 10) % 10;
    const int32_t units = steps == TTimeSteps::Steps2ms ? 2 * ((time % 10) / 2) : 0;
    return count * 100 + tens * 10 + units;
}

}  // namespace kv
