#include "link/BusEncoding.h"

namespace kv {

namespace {

int TimeUnits(int ms)
{
    return (ms / 100) & 0xFFFF;
}

int BusChannel(int channel)
{
    return (channel + 1) & 0xFFFF;
}

}  // namespace

uint8_t TimeHigh(int ms)
{
    return static_cast<uint8_t>(TimeUnits(ms) >> 8);
}

uint8_t TimeLow(int ms)
{
    return static_cast<uint8_t>(TimeUnits(ms) & 0xFF);
}

int TimeFromUnits(uint8_t high, uint8_t low)
{
    return BigEndian(high, low) * 100;
}

uint8_t ChannelLow(int channel)
{
    return static_cast<uint8_t>(BusChannel(channel) & 0xFF);
}

uint8_t ChannelHigh(int channel)
{
    return static_cast<uint8_t>(BusChannel(channel) >> 8);
}

uint8_t ValueHigh(int value)
{
    return static_cast<uint8_t>(0x80 + ((value >> 7) & 0x7F));
}

uint8_t ValueLow(int value)
{
    return static_cast<uint8_t>(value & 0x7F);
}

uint8_t CueTimeAndChannelHigh(int ms, int channel, bool fine, uint8_t channelHighMask)
{
    const int tens = (ms / 10) % 10;
    const int evenUnits = fine ? 2 * ((ms % 10) / 2) : 0;
    return static_cast<uint8_t>(16 * tens + evenUnits + (ChannelHigh(channel) & channelHighMask));
}

}  // namespace kv
