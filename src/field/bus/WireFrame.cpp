#include "field/bus/WireFrame.h"

#include "link/FrameCheck.h"

#include <algorithm>

namespace kv {

TWireFrame MakeWireFrame(uint8_t code, uint8_t b1, uint8_t b2, uint8_t b3, uint8_t b4,
                         uint8_t address)
{
    TWireFrame frame{code, b1, b2, b3, b4, address, 0};
    frame[6] = FrameCheck(frame.data(), 6);
    return frame;
}

bool IsWholeFrame(const uint8_t* bytes)
{
    return bytes[0] != 0 && bytes[0] != 255 && FrameCheck(bytes, 6) == bytes[6];
}

bool TFrameScanner::Push(uint8_t byte, TWireFrame& frame)
{
    if (held_ == 7) {
        std::copy(window_.begin() + 1, window_.end(), window_.begin());
        held_ = 6;
    }
    window_[static_cast<size_t>(held_++)] = byte;
    if (held_ < 7 || !IsWholeFrame(window_.data()))
        return false;
    frame = window_;
    held_ = 0;
    return true;
}

}  // namespace kv
