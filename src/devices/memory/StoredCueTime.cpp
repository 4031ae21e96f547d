#include "devices/memory/StoredCueTime.h"

#include <algorithm>
#include <climits>

namespace kv {

bool TimeFitsMemory(int32_t time)
{
    return time >= 0 && time <= kLastStoredCueTime;
}

int32_t StoredCueTime(int32_t time, TTimeSteps steps)
{
    const int64_t step = steps == TTimeSteps::Steps100ms ? 100
                         : steps == TTimeSteps::Steps10ms ? 10
                                                          : 2;
    const int64_t t = time;
    const int64_t up = t >= 0 ? (t + step - 1) / step * step : -(-t / step * step);
    return static_cast<int32_t>(std::min<int64_t>(up, INT32_MAX));
}

}  // namespace kv
