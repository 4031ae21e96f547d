#include "field/devices/SimDevice.h"

namespace kv {

namespace {

uint8_t HexDigit(int value)
{
    return static_cast<uint8_t>("0123456789ABCDEF"[value & 15]);
}

}  // namespace

TSimDevice::TSimDevice(int address, int converter, int version)
    : address_(address), converter_(converter), version_(version)
{
}

TWireFrame TSimDevice::Answer(uint8_t code, uint8_t b1, uint8_t b2, uint8_t b3, uint8_t b4) const
{
    return MakeWireFrame(code, b1, b2, b3, b4, static_cast<uint8_t>(address_));
}

void TSimDevice::SendVersion(TBusContext& bus) const
{
    bus.Send(Answer(0x7F, 'V', HexDigit(version_ >> 8), HexDigit(version_ >> 4),
                    HexDigit(version_)));
}

void TSimDevice::SendIdentification(TBusContext& bus, int count, int trailer) const
{
    std::vector<uint8_t> tail;
    if (trailer >= 0)
        tail = {static_cast<uint8_t>(trailer), static_cast<uint8_t>(~trailer)};
    bus.Send(Answer(0x70, 'O', 'k', static_cast<uint8_t>(count >> 8),
                    static_cast<uint8_t>(count)),
             0, tail);
}

}  // namespace kv
