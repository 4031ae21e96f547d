#include "devices/kinds/CommonControl.h"

#include "devices/kinds/Firmware.h"
#include "link/PortProto.h"
#include "link/Result.h"
#include "support/text/Conversions.h"
#include "support/platform/Platform.h"

#include <algorithm>
#include <cmath>

namespace kv {

namespace {
constexpr int kMeasureWindowMs = 200;
constexpr uint32_t kModePauseMs = 100;
constexpr double kOldFirmwareConnected = 4.0;
}  // namespace

TCommonControl::TCommonControl(TPortProto& port, int32_t address) : TCommonDevice(port, address)
{
    deviceType = 1;
}

int TCommonControl::ReadVersion()
{
    int read = 0;
    Record(port_.QueryVersion(address, converterIndex, attemptMode, read));
    int clockMs = 0;
    char letter = 0;
    const TResult clock = port_.QueryClock(address, converterIndex, attemptMode, clockMs, letter);
    Record(clock);
    if (clock == kLinkOk)
        kindLetter = letter;
    UpdateLinkQuality();
    return read;
}

void TCommonControl::Refresh()
{
    TCommonDevice::Refresh();
    Ignore(Identify(), "kept in lastResult");
}

TResult TCommonControl::Identify()
{
    int count = 0;
    const TResult result = port_.QueryIdentification(address, converterIndex, attemptMode, count);
    Record(result);
    // A module claiming more channels than the tables hold must not lead anyone past them.
    if (result == kLinkOk)
        channelCount = std::min(count, kChannelSlots);
    UpdateLinkQuality();
    return result;
}

void TCommonControl::Poll()
{
    double valueA = 0;
    double valueB = 0;
    int flag = 2;
    const TResult result = port_.QueryStatus(address, converterIndex, attemptMode,
                                             HighVoltageStatus(), valueA, valueB, flag);
    outputVoltage = valueA;
    supplyVoltage = valueB;
    if (version >= kVersionModeBit)
        modeState = result == 0 ? static_cast<uint8_t>(flag) : 2;
    Record(result);
    if (result == kLinkNoReply) {
        wentSilent = true;
        ForgetMemory();
        motorMovesAtLeast = 0;
    }
    if (version >= kVersionTemperature)
        Ignore(port_.QueryTemperature(address, converterIndex, attemptMode, temperature),
               "a failed read shows 0 degrees; the status read above tells the link");
    UpdateLinkQuality();
}

void TCommonControl::ClearChannels()
{
    channelState_.fill(kChannelUntested);
    channelValue_.fill(0);
    channelMeasured_.fill(false);
    channelFired_.fill(false);
}

TResult TCommonControl::MeasureChannel(int channel, double& value)
{
    value = 0;
    if (!ValidChannel(channel))
        return kResultBadChannel;
    const int saved = port_.ReplyTimeout;
    port_.ReplyTimeout = kMeasureWindowMs;
    const TResult result =
        port_.MeasureChannel(address, converterIndex, attemptMode, channel, value);
    port_.ReplyTimeout = saved;
    Record(result);
    return result;
}

TResult TCommonControl::FireChannel(int channel)
{
    if (!ValidChannel(channel))
        return kResultBadChannel;
    return port_.FireChannel(address, converterIndex, attemptMode, channel, 0);
}

int TCommonControl::LinkQuality() const
{
    return static_cast<int>(RoundHalfAway(static_cast<double>(pollOkCount) / pollCount * 100));
}

int TCommonControl::ConnectedCount() const
{
    return CountChannelsInState(kChannelConnected);
}

int TCommonControl::CountChannelsInState(uint8_t state) const
{
    const int used = std::clamp(channelCount, 0, kChannelSlots);
    return static_cast<int>(std::count(channelState_.begin(), channelState_.begin() + used, state));
}

void TCommonControl::ForgetMemory()
{
    memoryFingerprint.reset();
    motorMovesAtMost.reset();
}

void TCommonControl::ClearScenarioMarks()
{
    channelInScenario_.fill(false);
}

TResult TCommonControl::SetTestMode(bool on)
{
    const TResult result = SendMode(static_cast<uint8_t>((boostState != 0 ? 1 : 0) + (on ? 0 : 2)));
    // Before 0x151 no poll tells the mode: without this a boost command would put a module
    // the operator had set to fire mode back into test mode. Later firmware's next poll
    // confirms it.
    if (result == 0)
        modeState = on ? 1 : 0;
    return result;
}

TResult TCommonControl::SetBoost(bool off)
{
    const TResult result = SendMode(static_cast<uint8_t>((off ? 1 : 0) + (modeState != 0 ? 0 : 2)));
    if (result == 0)
        boostState = off ? 1 : 0;
    return result;
}

TResult TCommonControl::SendMode(uint8_t mode)
{
    const TResult result = port_.SetMode(address, converterIndex, attemptMode, mode);
    Platform().Sleep(kModePauseMs);
    Record(result);
    UpdateLinkQuality();
    return result;
}

TResult TCommonControl::ClassifyChannel(int channel, double value,
                                        const TConnectThresholds& thresholds)
{
    if (!ValidChannel(channel))
        return kResultBadChannel;
    channelMeasured_[channel] = true;
    if (deviceType == 3) {
        channelState_[channel] = kChannelConnected;
        channelValue_[channel] = value / 10;
    } else if (deviceType <= 2 && version < kVersionResistance) {
        channelState_[channel] = value >= kOldFirmwareConnected ? kChannelConnected : kChannelOpen;
    } else if (deviceType <= 2) {
        // The reading is a count of 0.1 ohm: value x 100 would put 29 ohms at 28.999...
        const double ohms = std::round(value * 1000) / 10;
        channelValue_[channel] = ohms;
        if (ohms < thresholds.connectResistLo)
            channelState_[channel] = kChannelFault;  // short circuit
        else if (ohms < thresholds.connectResist)
            channelState_[channel] = kChannelConnected;
        else if (ohms < thresholds.connectResistHi)
            channelState_[channel] = kChannelFault;
        else
            channelState_[channel] = kChannelOpen;
    }
    return kLinkOk;
}

uint8_t TCommonControl::ChannelState(int channel) const
{
    return ValidChannel(channel) ? channelState_[channel] : uint8_t{kChannelUntested};
}

TResult TCommonControl::SetChannelState(int channel, uint8_t state)
{
    if (!ValidChannel(channel))
        return kResultBadChannel;
    channelState_[channel] = state;
    channelMeasured_[channel] = false;
    return kLinkOk;
}

double TCommonControl::ChannelValue(int channel) const
{
    return ValidChannel(channel) ? channelValue_[channel] : 0;
}

bool TCommonControl::ChannelInScenario(int channel) const
{
    return ValidChannel(channel) && channelInScenario_[channel];
}

TResult TCommonControl::MarkInScenario(int channel)
{
    if (!ValidChannel(channel))
        return kResultBadChannel;
    channelInScenario_[channel] = true;
    return kLinkOk;
}

bool TCommonControl::ChannelMeasured(int channel) const
{
    return ValidChannel(channel) && channelMeasured_[channel];
}

bool TCommonControl::ChannelFired(int channel) const
{
    return ValidChannel(channel) && channelFired_[channel];
}

TResult TCommonControl::MarkFired(int channel)
{
    if (!ValidChannel(channel))
        return kResultBadChannel;
    channelFired_[channel] = true;
    return kLinkOk;
}

void TCommonControl::UpdateLinkQuality()
{
    if (pollCount > 10) {
        pollOkCount = LinkQuality() >= 15 ? 1 : 0;
        pollCount = 1;
    }
    pollCount += 1;
    if (lastResult == 0)
        pollOkCount += 1;
}

TCommonControl::TChannelResults TCommonControl::ChannelResults() const
{
    return {channelState_, channelValue_, channelFired_};
}

void TCommonControl::RestoreChannelResults(const TChannelResults& results)
{
    channelState_ = results.state;
    channelValue_ = results.value;
    channelFired_ = results.fired;
}

}  // namespace kv
