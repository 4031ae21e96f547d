#pragma once
// A module's event log: four-byte words from memory address 0x0400 up to 0x7FFF, and the
// count of words logged. Word: event kind, channel number low byte, show time in 100 ms.

#include <array>
#include <cstdint>
#include <vector>

namespace kv {

enum class TBlackBoxEvent : uint8_t {
    FiredByCommand = 1,
    FiredFromMemory = 2,
    ClockStarted = 3,
    ClockStopped = 4,
};

class TBlackBox {
public:
    static constexpr int kFirstAddress = 0x0400;
    static constexpr int kEndAddress = 0x8000;

    TBlackBox();
    void Log(TBlackBoxEvent event, int channelNumber, int64_t showMs);
    // Memory bytes address .. address + 3; outside the log area they read as 0.
    std::array<uint8_t, 4> Read(int address) const;
    int Count() const { return count_; }

private:
    std::vector<uint8_t> memory_;
    int count_ = 0;
};

}  // namespace kv
