#include "audio/CaptureDating.h"

#include <algorithm>

namespace kv {

void TCaptureDating::Read(int64_t latencyUs)
{
    readings_[count_++ % kWindow] = latencyUs;
}

std::optional<uint32_t> TCaptureDating::EndTick(uint32_t now) const
{
    if (count_ == 0)
        return std::nullopt;
    const int64_t least =
        *std::min_element(readings_.begin(), readings_.begin() + std::min(count_, kWindow));
    // Whole milliseconds rounded towards the later moment; the tick begun may have run
    // almost a millisecond by the time the block came in.
    const int64_t floorMs = least >= 0 ? least / 1000 : -((-least + 999) / 1000);
    return now + 1 - static_cast<uint32_t>(floorMs);
}

}  // namespace kv
