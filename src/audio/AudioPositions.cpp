#include "audio/AudioPositions.h"

namespace kv {

int64_t MsToBytes(int64_t ms, uint32_t bytesPerSecond)
{
    if (ms <= 0)
        return 0;
    return (ms * bytesPerSecond + 500) / 1000;
}

int64_t BytesToMs(int64_t bytes, uint32_t bytesPerSecond)
{
    if (bytesPerSecond == 0 || bytes <= 0)
        return 0;
    return (bytes * 1000 + bytesPerSecond / 2) / bytesPerSecond;
}

int32_t DurationMs(int64_t bytes, uint32_t bytesPerSecond)
{
    if (bytesPerSecond == 0 || bytes <= 0)
        return 0;
    return static_cast<int32_t>(bytes * 1000 / bytesPerSecond);
}

}  // namespace kv
