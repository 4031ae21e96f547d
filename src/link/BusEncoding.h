#pragma once
// How times, channels and values travel in the argument bytes of a frame.

#include <cstdint>

namespace kv {

// The last show time whose count of 100 ms fits the bus's 16 bits.
constexpr int kLastBusTimeMs = 0xFFFF * 100 + 99;

// Show time in units of 100 ms, 16 bits, high byte first; later times wrap.
uint8_t TimeHigh(int ms);
uint8_t TimeLow(int ms);
int TimeFromUnits(uint8_t high, uint8_t low);  // back to ms

// Channels count from 0 in the program and from 1 on the bus, low byte first.
uint8_t ChannelLow(int channel);
uint8_t ChannelHigh(int channel);

// A 14-bit value in two 7-bit halves; the high half carries bit 7.
uint8_t ValueHigh(int value);
uint8_t ValueLow(int value);

// Byte 4 of a memory cue record: the 10 ms digit in bits 4-7, in the fine form the 2 ms step
// in bits 1-3, and the channel's high bits (masked by channelHighMask) below.
uint8_t CueTimeAndChannelHigh(int ms, int channel, bool fine, uint8_t channelHighMask);

inline int BigEndian(uint8_t high, uint8_t low)
{
    return high * 256 + low;
}

}  // namespace kv
