#pragma once
// The soundtrack's byte positions against the show's milliseconds. Byte arithmetic keeps a
// position exact to the sample while the show clock counts whole milliseconds.

#include <cstdint>

namespace kv {

// ms / 1000 × bytes per second, rounded to the nearest byte; 0 for negative times.
int64_t MsToBytes(int64_t ms, uint32_t bytesPerSecond);
// bytes / bytes per second × 1000, rounded to the nearest millisecond.
int64_t BytesToMs(int64_t bytes, uint32_t bytesPerSecond);
// The same with the fraction dropped: the soundtrack's duration.
int32_t DurationMs(int64_t bytes, uint32_t bytesPerSecond);

}  // namespace kv
