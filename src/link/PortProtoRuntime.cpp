#include "link/PortProto.h"

#include "link/BusEncoding.h"
#include "link/ClockMessage.h"
#include "link/FireCommand.h"
#include "link/StationMessages.h"
#include "support/text/Conversions.h"
#include "support/platform/Platform.h"

#include <algorithm>
#include <cctype>
#include <cstring>

namespace kv {

namespace {

constexpr uint8_t kBroadcast = 255;
constexpr uint32_t kIdentificationPauseMs = 200;
constexpr uint32_t kTrailerPauseMs = 50;
constexpr uint32_t kModePauseMs = 20;
constexpr int kStationQueryWindow = 300;
constexpr uint32_t kStationAnswerSpreadMs = 150;

int HexDigitValue(uint8_t character)
{
    const char* digits = "0123456789ABCDEF";
    const int upper = std::toupper(character);
    const char* found = upper != 0 ? std::strchr(digits, upper) : nullptr;
    return found ? static_cast<int>(found - digits) : -1;
}

// Two ASCII characters as a decimal number; 0 when they are not one.
int TwoDigitNumber(uint8_t first, uint8_t second)
{
    const bool firstDigit = std::isdigit(first) != 0;
    const bool secondDigit = std::isdigit(second) != 0;
    if (firstDigit && secondDigit)
        return (first - '0') * 10 + (second - '0');
    if (first == ' ' && secondDigit)
        return second - '0';
    return 0;
}

// Three hex digits, most significant first; a non-digit counts as -1 times its weight.
int VersionOf(const TFrameRecord& reply)
{
    return HexDigitValue(reply[2]) * 256 + HexDigitValue(reply[3]) * 16 + HexDigitValue(reply[4]);
}

TFrameRecord ModeFrame(int address, uint8_t mode)
{
    return {0x88, mode, 0, 0, 0, static_cast<uint8_t>(address)};
}

int ChannelCountOf(const TFrameRecord& reply)
{
    return reply[1] == 'O' && reply[2] == 'k' ? BigEndian(reply[3], reply[4]) : 0;
}

int MajorVersion()
{
    return static_cast<int>(TextToIntOrZero(AppVersionText().substr(0, AppVersionText().find('.'))));
}

}  // namespace

TResult TPortProto::Exchange(const TFrameRecord& record, uint8_t replyCode, int converter,
                             int attemptMode, TFrameRecord& reply, int window)
{
    const int saved = ReplyTimeout;
    if (window > 0)
        ReplyTimeout = window;
    const TResult result = Transact(record, replyCode, converter, attemptMode, reply);
    ReplyTimeout = saved;
    return result;
}

int TPortProto::Sendings(int attemptMode)
{
    return attemptMode == -1 ? 1 : 3;
}

TResult TPortProto::SendRepeated(const TFrameRecord& record, int converter, int attemptMode)
{
    const int sendings = Sendings(attemptMode);
    TResult result = kLinkNotConnected;
    for (int i = 0; i < sendings; ++i)
        result = SendFrame(record, converter);
    return result;
}

TResult TPortProto::QueryVersion(int address, int converter, int attemptMode, int& version)
{
    version = 0;
    TFrameRecord reply{};
    const TResult result = Exchange({0x80, 0x00, 0x01, 0x02, 0x03, static_cast<uint8_t>(address)},
                                    0x7F, converter, attemptMode, reply);
    if (result == kLinkOk)
        version = VersionOf(reply);
    return result;
}

TResult TPortProto::QueryVersionAny(int address, int& converter, int& version)
{
    version = 0;
    TFrameRecord reply{};
    const TResult result = TransactAny(
        {0x80, 0x00, 0x01, 0x02, 0x03, static_cast<uint8_t>(address)}, 0x7F, converter, reply);
    if (result == kLinkOk)
        version = VersionOf(reply);
    return result;
}

TResult TPortProto::QueryIdentification(int address, int converter, int attemptMode,
                                        int& channelCount)
{
    channelCount = 0;
    TFrameRecord reply{};
    const TResult result = Exchange({0x8F, 1, 2, 3, 4, static_cast<uint8_t>(address)}, 0x70,
                                    converter, attemptMode, reply);
    if (result == kLinkOk) {
        channelCount = ChannelCountOf(reply);
        Platform().Sleep(kIdentificationPauseMs);
    }
    return result;
}

TResult TPortProto::QueryIdentificationSingle(int address, int converter)
{
    TFrameRecord reply{};
    const TResult result =
        Exchange({0x8F, 1, 2, 3, 4, static_cast<uint8_t>(address)}, 0x70, converter, -1, reply);
    Platform().Sleep(kIdentificationPauseMs);
    return result;
}

TResult TPortProto::QueryIdentificationExtended(int address, int converter, int& channelCount,
                                                int& trailer)
{
    channelCount = 0;
    trailer = -1;
    const bool wasEnabled = ReceiveEnabled.exchange(false);
    TFrameRecord reply{};
    const TResult result =
        Exchange({0x8F, 1, 2, 3, 4, static_cast<uint8_t>(address)}, 0x70, converter, -1, reply);
    if (result == kLinkOk) {
        channelCount = ChannelCountOf(reply);
        Platform().Sleep(kTrailerPauseMs);
        uint8_t bytes[2] = {};
        int source = converter;
        if (ReadDirect(bytes, 2, source) == 2 && bytes[1] == static_cast<uint8_t>(~bytes[0]))
            trailer = bytes[0];
        Platform().Sleep(kIdentificationPauseMs);
    }
    ReceiveEnabled = wasEnabled;
    return result;
}

TResult TPortProto::QueryClock(int address, int converter, int attemptMode, int& clockMs,
                               char& kindLetter)
{
    clockMs = 0;
    kindLetter = 0;
    TFrameRecord reply{};
    const TResult result = Exchange({0x89, 0, 0, 0, 0, static_cast<uint8_t>(address)}, 0x76,
                                    converter, attemptMode, reply);
    if (result == kLinkOk) {
        clockMs = TimeFromUnits(reply[1], reply[2]);
        kindLetter = static_cast<char>(reply[3]);
    }
    return result;
}

TResult TPortProto::QueryStatus(int address, int converter, int attemptMode, bool highVoltage,
                                double& valueA, double& valueB, int& flag)
{
    valueA = 0;
    valueB = 0;
    flag = 2;
    TFrameRecord reply{};
    const TResult result = Exchange({0x85, 0, 0, 0, 0, static_cast<uint8_t>(address)}, 0x7A,
                                    converter, attemptMode, reply);
    if (result == kLinkOk) {
        // The top bit is the test-mode flag for every module: read as volts it would put a
        // high-voltage module in test mode 3276.8 V above its real voltage.
        const int reading = BigEndian(reply[1] & 0x7F, reply[2]);
        valueA = highVoltage ? reading / 10.0 : reading / 1000.0;
        valueB = BigEndian(reply[3], reply[4]) / 1000.0;
        flag = reply[1] >> 7;
    }
    return result;
}

TResult TPortProto::QueryTemperature(int address, int converter, int attemptMode,
                                     double& temperature)
{
    temperature = 0;
    TFrameRecord reply{};
    const TResult result = Exchange({0x8D, 0, 0, 0, 0, static_cast<uint8_t>(address)}, 0x7F,
                                    converter, attemptMode, reply);
    if (result == kLinkOk) {
        const int degrees = TwoDigitNumber(reply[2], reply[3]);
        temperature = reply[1] == '-' ? -degrees : degrees;
    }
    return result;
}

TResult TPortProto::MeasureChannel(int address, int converter, int attemptMode, int channel,
                                   double& value)
{
    value = 0;
    TFrameRecord reply{};
    const TResult result = Exchange(
        {0x83, ChannelLow(channel), ChannelHigh(channel), 0, 0, static_cast<uint8_t>(address)},
        0x7C, converter, attemptMode, reply);
    if (result == kLinkOk)
        value = BigEndian(reply[3], reply[4]) / 1000.0;
    return result;
}

TResult TPortProto::FireChannel(int address, int converter, int attemptMode, int channel,
                                int chargeValue)
{
    return SendRepeated(EncodeFire({address, channel, chargeValue}), converter, attemptMode);
}

uint64_t TPortProto::FireChannelAt(int address, int converter, int attemptMode, int channel,
                                   int chargeValue, uint32_t dueTick)
{
    return SendAt(EncodeFire({address, channel, chargeValue}), converter, Sendings(attemptMode),
                  dueTick);
}

TResult TPortProto::SetCharge(int address, int converter, int attemptMode, int chargeValue)
{
    TFrameRecord reply{};
    return Exchange({0x84, 0, 0, ValueHigh(chargeValue),
                     static_cast<uint8_t>(ValueLow(chargeValue) + 0x80),
                     static_cast<uint8_t>(address)},
                    0x7B, converter, attemptMode, reply);
}

TResult TPortProto::SetMode(int address, int converter, int attemptMode, uint8_t mode)
{
    const TResult result = SendRepeated(ModeFrame(address, mode), converter, attemptMode);
    Platform().Sleep(kModePauseMs);
    return result;
}

TResult TPortProto::SetModeEach(const std::vector<int>& addresses, uint8_t mode)
{
    TResult result = kLinkOk;
    for (const int address : addresses)
        if (const TResult sent = SendFrame(ModeFrame(address, mode), -1))
            result = sent;
    Platform().Sleep(kModePauseMs);
    return result;
}

TResult TPortProto::HighVoltageOff(int address, int converter, int attemptMode)
{
    TFrameRecord reply{};
    return Exchange({0x88, 0x01, 0, 0x01, 0, static_cast<uint8_t>(address)}, 0x77, converter,
                    attemptMode, reply);
}

TResult TPortProto::MoveMotor(int address, int converter, int attemptMode, uint8_t subCode,
                              uint8_t speed, uint8_t duration)
{
    TFrameRecord reply{};
    return Exchange({0x8C, subCode, speed, duration, 0, static_cast<uint8_t>(address)}, 0x73,
                    converter, attemptMode, reply);
}

TResult TPortProto::SendClock(int timeMs, bool running)
{
    return SendFrame(EncodeClock({timeMs, running}), -1);
}

TResult TPortProto::SendStartNotice(int timeMs)
{
    return SendFrame(EncodeStationNotice({true, timeMs, StationId()}), -1);
}

TResult TPortProto::SendStopNotice(int timeMs)
{
    return SendFrame(EncodeStationNotice({false, timeMs, StationId()}), -1);
}

TResult TPortProto::SendStationSearch()
{
    return SendFrame({0x01, 0, 0, static_cast<uint8_t>(StationId()), 0, kBroadcast}, -1);
}

TResult TPortProto::QueryStation(int converter, int peerStationId, int& peerVersion, int& peerId)
{
    peerVersion = 0;
    peerId = 0;
    TFrameRecord reply{};
    const TResult result = Exchange({0x01, 0, 0, static_cast<uint8_t>(StationId()),
                                 static_cast<uint8_t>(peerStationId), kBroadcast},
                                0x02, converter, -1, reply, kStationQueryWindow);
    if (result == kLinkOk) {
        peerVersion = reply[1];
        peerId = reply[3];
    }
    return result;
}

TResult TPortProto::SendStationAnswer(int askerStationId)
{
    Platform().Sleep(Platform().Random(kStationAnswerSpreadMs));
    return SendFrame({0x02, static_cast<uint8_t>(MajorVersion()), 0,
                      static_cast<uint8_t>(StationId()), static_cast<uint8_t>(askerStationId),
                      kBroadcast},
                     -1);
}

TResult TPortProto::SendStationStatus(int askerStationId, int launchState, int firingMode,
                                      int controlMode)
{
    return SendFrame(
        EncodeStationStatus({launchState, firingMode, controlMode, StationId(), askerStationId}),
        -1);
}

TResult TPortProto::SendStatusQuery(int askedStationId)
{
    return SendFrame(EncodeStatusQuery(StationId(), askedStationId), -1);
}

}  // namespace kv
