#pragma once
// The bytes received from the converters, each with the converter it came from, and the scan
// that cuts checked frames out of them. Not locked: the port guards it.

#include "link/FrameRecord.h"

#include <array>

namespace kv {

struct TReceivedFrame {
    TFrameRecord record{};
    int converter = -1;  // of the frame's first byte
};

class TReceiveBuffer {
public:
    static constexpr int kCapacity = 65536;

    int Length() const { return length_; }
    int FreeSpace() const { return kCapacity - length_; }
    // Where the next bytes go; at most FreeSpace() of them, then Commit.
    uint8_t* End() { return bytes_.data() + length_; }
    void Commit(int count, int converter);
    // Takes what fits and returns how much that was.
    int Append(const uint8_t* bytes, int count, int converter);
    void Clear() { length_ = 0; }

    // Moves up to capacity frames into batch, in order, and returns their number. Bytes before
    // a frame are dropped; with no frame left only the last 6 bytes stay (a frame may start
    // there). A full batch leaves the remaining bytes for the next call.
    int Parse(TReceivedFrame* batch, int capacity);

private:
    std::array<uint8_t, kCapacity> bytes_{};
    std::array<int, kCapacity> converters_{};
    int length_ = 0;
};

}  // namespace kv
