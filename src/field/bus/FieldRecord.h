#pragma once
// What happened in the field: every frame heard from the PC, every frame the field sent, and
// every channel that actually fired. Times are field nanoseconds; Tick() gives the program's
// millisecond tick of the same moment.

#include <cstdint>
#include <string>
#include <vector>

namespace kv {

inline uint32_t FieldTick(int64_t ns)
{
    return static_cast<uint32_t>(static_cast<uint64_t>(ns / 1'000'000));
}

enum class TFrameOrigin { Pc, Field };

struct TFrameEntry {
    int64_t startNs = 0;  // first bit on the line
    int64_t endNs = 0;    // last bit on the line
    int converter = 0;
    TFrameOrigin origin = TFrameOrigin::Pc;
    std::vector<uint8_t> bytes;  // the frame, a trailer that follows it, or noise
    bool damaged = false;        // sent on purpose as noise, with a wrong check or cut short
    uint32_t Tick() const { return FieldTick(endNs); }
};

enum class TShotSource { Command, Memory };

struct TShotEntry {
    int64_t ns = 0;
    int converter = 0;
    int address = 0;
    int channel = 0;  // from 0
    TShotSource source = TShotSource::Command;
    int shot = 1;     // how many times this channel has now been fired
    int chargeVolts = 0;  // high-voltage modules: the charge the shot used
    uint32_t Tick() const { return FieldTick(ns); }
};

std::string DescribeFrame(const TFrameEntry& entry);
std::string DescribeShot(const TShotEntry& entry);

}  // namespace kv
