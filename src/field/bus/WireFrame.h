#pragma once
// Seven-byte bus frames as the field devices see them: code, four arguments, address, check.

#include <array>
#include <cstdint>

namespace kv {

using TWireFrame = std::array<uint8_t, 7>;

TWireFrame MakeWireFrame(uint8_t code, uint8_t b1, uint8_t b2, uint8_t b3, uint8_t b4,
                         uint8_t address);
// A frame a device would take: the check matches and the code is neither 0 nor 255.
bool IsWholeFrame(const uint8_t* bytes);

// Cuts a byte stream into frames the way device firmware listens: the last seven bytes are
// looked at after every byte, so noise before a frame costs nothing but its own bytes.
class TFrameScanner {
public:
    // True when this byte completes a frame, which is then given in frame.
    bool Push(uint8_t byte, TWireFrame& frame);

private:
    TWireFrame window_{};
    int held_ = 0;
};

}  // namespace kv
