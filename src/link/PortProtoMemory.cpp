#include "link/PortProto.h"

#include "link/BusEncoding.h"
#include "support/platform/Platform.h"

#include <algorithm>

namespace kv {

namespace {

constexpr uint8_t kCueWrite = 0x91;
constexpr uint8_t kCueWriteReply = 0x6E;
constexpr uint8_t kModuleChannelHigh = 0x01;      // N up to 511
constexpr uint8_t kControllerChannelHigh = 0x0F;  // N up to 4095
constexpr uint32_t kPlainCuePauseMs = 70;
constexpr uint32_t kControllerCuePauseMs = 100;
constexpr int kEraseWindow = 5000;
constexpr int kFastEraseWindow = 3000;
constexpr int kControllerEraseWindow = 30000;
constexpr uint32_t kBeforeAddressWriteMs = 50;
constexpr uint32_t kAfterAddressWriteMs = 100;
constexpr int kAddressChangePasses = 3;

TFrameRecord CueRecord(int address, int timeMs, int channel, bool fine, uint8_t channelHighMask)
{
    return {kCueWrite, TimeHigh(timeMs), TimeLow(timeMs), ChannelLow(channel),
            CueTimeAndChannelHigh(timeMs, channel, fine, channelHighMask),
            static_cast<uint8_t>(address)};
}

// Time of a memory record: 100 ms units, the 10 ms digit, and in the fine form the 2 ms step.
int CueTimeOf(const TFrameRecord& reply, bool fine)
{
    return TimeFromUnits(reply[1], reply[2]) + (reply[4] >> 4) * 10 + (fine ? reply[4] & 0x0E : 0);
}

TFrameRecord CueReadRecord(int address, int record)
{
    const int number = record + 1;
    return {0x92, 0, 0, static_cast<uint8_t>(number & 0xFF), static_cast<uint8_t>(number >> 8),
            static_cast<uint8_t>(address)};
}

const char* MotorLetter(uint8_t subCode)
{
    switch (subCode) {
    case kMotorCenter: return "C";
    case kMotorLeft: return "L";
    case kMotorRight: return "R";
    case kMotorRotateLeft: return "LT";
    case kMotorRotateRight: return "RT";
    default: return nullptr;
    }
}

uint8_t ConfigCheckByte(int configAddress, int value)
{
    return static_cast<uint8_t>(configAddress == kConfigBusAddress ? 255 - value : 255);
}

TFrameRecord ConfigWriteRecord(int address, int configAddress, int value)
{
    return {0x81, static_cast<uint8_t>(configAddress >> 8), static_cast<uint8_t>(configAddress),
            static_cast<uint8_t>(value), ConfigCheckByte(configAddress, value),
            static_cast<uint8_t>(address)};
}

}  // namespace

TResult TPortProto::WriteRecordCompared(const TFrameRecord& record, int converter, int attemptMode)
{
    TFrameRecord reply{};
    const TResult result = Exchange(record, kCueWriteReply, converter, attemptMode, reply);
    if (result != kLinkOk)
        return result;
    // The module echoes what it stored.
    return std::equal(record.begin() + 1, record.begin() + 5, reply.begin() + 1) ? kLinkOk
                                                                                 : kLinkNotConnected;
}

TResult TPortProto::WriteCue(int address, int converter, int timeMs, int channel)
{
    const TResult result =
        SendFrame(CueRecord(address, timeMs, channel, false, kModuleChannelHigh), converter);
    Platform().Sleep(kPlainCuePauseMs);
    return result;
}

TResult TPortProto::WriteCueFine(int address, int converter, int attemptMode, int timeMs,
                                 int channel)
{
    return WriteRecordCompared(CueRecord(address, timeMs, channel, true, kModuleChannelHigh),
                               converter, attemptMode);
}

TResult TPortProto::WriteMotorCue(int address, int converter, int attemptMode, int timeMs,
                                  uint8_t subCode, uint8_t speed, uint8_t duration)
{
    const uint8_t values[3] = {speed, duration, subCode};
    for (uint8_t number = 0; number < 3; ++number) {
        const TResult result = WriteRecordCompared({kCueWrite, TimeHigh(timeMs), TimeLow(timeMs),
                                                values[number], number,
                                                static_cast<uint8_t>(address)},
                                               converter, attemptMode);
        if (result != kLinkOk)
            return result;
    }
    return kLinkOk;
}

TResult TPortProto::WriteControllerCue(int converter, int attemptMode, int cueAddress, int timeMs,
                                       int channel)
{
    TFrameRecord reply{};
    const TResult result =
        Exchange(CueRecord(cueAddress, timeMs, channel, false, kControllerChannelHigh),
                 kCueWriteReply, converter, attemptMode, reply);
    Platform().Sleep(kControllerCuePauseMs);
    return result;
}

TResult TPortProto::ReadCueRecord(int address, int converter, int attemptMode, int record,
                                  TFrameRecord& reply)
{
    return Exchange(CueReadRecord(address, record), 0x6D, converter, attemptMode, reply);
}

TResult TPortProto::ReadCue(int address, int converter, int attemptMode, int record, bool fine,
                            int& timeMs, int& channel)
{
    timeMs = 0;
    channel = 0;
    TFrameRecord reply{};
    const TResult result = ReadCueRecord(address, converter, attemptMode, record, reply);
    if (result == kLinkOk) {
        timeMs = CueTimeOf(reply, fine);
        channel = reply[3] + 256 * (reply[4] & 0x01) - 1;
    }
    return result;
}

TResult TPortProto::ReadMotorCue(int address, int converter, int attemptMode, int cue, int& timeMs,
                                 std::string& letter, int& parameter1, int& parameter2)
{
    timeMs = 0;
    letter.clear();
    parameter1 = 0;
    parameter2 = 0;
    TFrameRecord records[3] = {};
    for (int number = 0; number < 3; ++number) {
        const TResult result =
            ReadCueRecord(address, converter, attemptMode, 3 * cue + number, records[number]);
        if (result != kLinkOk)
            return result;
    }
    const auto sameTime = [&](const TFrameRecord& r) {
        return r[1] == records[0][1] && r[2] == records[0][2];
    };
    const char* motorLetter = MotorLetter(records[2][3]);
    if (!sameTime(records[1]) || !sameTime(records[2]) || !motorLetter)
        return kLinkNotConnected;
    timeMs = TimeFromUnits(records[0][1], records[0][2]);
    letter = motorLetter;
    const bool rotation = records[2][3] == kMotorRotateLeft || records[2][3] == kMotorRotateRight;
    parameter1 = rotation ? records[0][3] : 0;
    parameter2 = rotation ? records[1][3] : records[0][3];
    return kLinkOk;
}

TResult TPortProto::ReadControllerCue(int converter, int attemptMode, int record, int& cueAddress,
                                      int& timeMs, int& channel)
{
    cueAddress = 0;
    timeMs = 0;
    channel = 0;
    TFrameRecord reply{};
    // The controller answers with the cue write's code.
    const TResult result =
        Exchange(CueReadRecord(0, record), kCueWrite, converter, attemptMode, reply);
    if (result == kLinkOk) {
        cueAddress = reply[5];
        timeMs = CueTimeOf(reply, false);
        channel = reply[3] + 256 * (reply[4] & 0x0F) - 1;
    }
    return result;
}

TResult TPortProto::EraseMemory(int address, int converter, int attemptMode)
{
    TFrameRecord reply{};
    return Exchange({0x8A, 0, 0, 0, 0, static_cast<uint8_t>(address)}, 0x7F, converter,
                    attemptMode, reply, kEraseWindow);
}

TResult TPortProto::FastEraseMemory(int address, int converter, int attemptMode)
{
    TFrameRecord reply{};
    return Exchange({0x95, 0, 0, 0, 0, static_cast<uint8_t>(address)}, 0x7F, converter,
                    attemptMode, reply, kFastEraseWindow);
}

TResult TPortProto::EraseController(int converter)
{
    TFrameRecord reply{};
    const TResult result =
        Exchange({0x8A, 0, 0, 0, 0, 0}, 0x7F, converter, -1, reply, kControllerEraseWindow);
    if (result != kLinkOk)
        return result;
    const TFrameRecord erased = {0x7F, 'C', 'l', 'E', 'e', 0};
    return reply == erased ? kLinkOk : kLinkWriteFailed;
}

TResult TPortProto::ReadMemory(int address, int converter, int attemptMode, int byteAddress,
                               std::array<uint8_t, 4>& bytes)
{
    bytes = {};
    TFrameRecord reply{};
    const TResult result = Exchange({0x94, static_cast<uint8_t>(byteAddress >> 8),
                                 static_cast<uint8_t>(byteAddress), 0, 0,
                                 static_cast<uint8_t>(address)},
                                0x6B, converter, attemptMode, reply);
    if (result == kLinkOk)
        std::copy_n(reply.begin() + 1, 4, bytes.begin());
    return result;
}

TResult TPortProto::ReadBlackBoxCounter(int address, int converter, int attemptMode, int& counter)
{
    counter = 0;
    TFrameRecord reply{};
    const TResult result = Exchange({0x8E, 0, 0, 0, 0, static_cast<uint8_t>(address)}, 0x71,
                                    converter, attemptMode, reply);
    if (result == kLinkOk)
        counter = BigEndian(reply[1], reply[2]);
    return result;
}

TResult TPortProto::ReadConfig(int address, int converter, int attemptMode, int configAddress,
                               int& value, int& check)
{
    value = 0;
    check = 0;
    TFrameRecord reply{};
    const TResult result = Exchange({0x82, static_cast<uint8_t>(configAddress >> 8),
                                 static_cast<uint8_t>(configAddress), 0, 0,
                                 static_cast<uint8_t>(address)},
                                0x7D, converter, attemptMode, reply);
    if (result == kLinkOk) {
        value = reply[3];
        check = reply[4];
    }
    return result;
}

TResult TPortProto::WriteConfig(int address, int converter, int attemptMode, int configAddress,
                                int value)
{
    TFrameRecord reply{};
    return Exchange(ConfigWriteRecord(address, configAddress, value), 0x7E, converter,
                    attemptMode, reply);
}

TResult TPortProto::ChangeAddress(int oldAddress, int newAddress, int converter, int attemptMode)
{
    TResult result = kLinkNotConnected;
    for (int pass = 0; pass < kAddressChangePasses; ++pass) {
        Platform().Sleep(kBeforeAddressWriteMs);
        result = SendFrame(ConfigWriteRecord(oldAddress, kConfigBusAddress, newAddress), converter);
        Platform().Sleep(kAfterAddressWriteMs);
        if (result == kLinkOk) {
            int value = 0;
            int check = 0;
            result = ReadConfig(oldAddress, converter, attemptMode, kConfigBusAddress, value, check);
            if (result == kLinkOk &&
                (value != (newAddress & 0xFF) || check != ConfigCheckByte(kConfigBusAddress, newAddress)))
                result = kLinkNotConnected;
        }
        if (result == kLinkOk)
            result = QueryIdentificationSingle(oldAddress, converter);
        if (result == kLinkOk)
            break;
    }
    return result;
}

}  // namespace kv
