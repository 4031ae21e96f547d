#include "devices/registry/FieldDescription.h"

#include "devices/registry/Controls.h"
#include "devices/kinds/HVControl.h"
#include "devices/kinds/SoftControl.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>

namespace kv {

namespace {

constexpr int kMostConverters = 16;
constexpr int kMotorType = 4;
constexpr int kHighVoltageType = 3;

// Without the locale: the field reads "." as the decimal point whatever the desktop uses.
std::string Decimal(double value)
{
    char text[32];
    const auto [end, error] =
        std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, 3);
    return error == std::errc() ? std::string(text, end) : "0";
}

std::string Hex3(int version)
{
    char text[8];
    std::snprintf(text, sizeof text, "%03X", std::clamp(version, 0, 0xFFF));
    return text;
}

class TFieldText {
public:
    void Section(const std::string& name) { text_ += "[" + name + "]\n"; }
    void Key(const std::string& key, const std::string& value)
    {
        if (!value.empty())
            text_ += key + "=" + value + "\n";
    }
    void Key(const std::string& key, int value) { Key(key, std::to_string(value)); }
    std::string Text() const { return text_; }

private:
    std::string text_;
};

std::string NumberList(const std::vector<int>& numbers)
{
    std::string list;
    for (const int number : numbers)
        list += (list.empty() ? "" : ",") + std::to_string(number);
    return list;
}

// Within the thresholds' connected band, so an untested channel tests connected.
double ConnectedOhms(const TConnectThresholds& thresholds)
{
    return std::max((thresholds.connectResistLo + thresholds.connectResist) / 2, 0.0);
}

void DescribeChannels(TFieldText& out, const TCommonControl& module,
                      const TConnectThresholds& thresholds)
{
    out.Key("Resistance", Decimal(ConnectedOhms(thresholds)));
    // A motor module's test classifies nothing: its channels tell nothing to copy.
    if (module.deviceType == kMotorType)
        return;
    std::vector<int> open;
    std::vector<int> shorts;
    std::string measured;
    for (int channel = 0; channel < module.channelCount; ++channel) {
        const uint8_t state = module.ChannelState(channel);
        const double ohms = module.ChannelValue(channel);
        if (state == kChannelOpen)
            open.push_back(channel + 1);
        else if ((state == kChannelConnected || state == kChannelFault) && ohms > 0)
            measured += (measured.empty() ? "" : ",") + std::to_string(channel + 1) + ":" +
                        Decimal(ohms);
        else if (state == kChannelFault)
            shorts.push_back(channel + 1);  // no reading: old firmware, or no answer
    }
    out.Key("Resistances", measured);
    out.Key("Open", NumberList(open));
    out.Key("Short", NumberList(shorts));
}

void DescribeModule(TFieldText& out, const TCommonControl& module,
                    const TConnectThresholds& thresholds)
{
    const char* kind = module.deviceType == kHighVoltageType ? "hv"
                       : module.deviceType == kMotorType     ? "motor"
                                                             : "module";
    out.Key("Kind", kind);
    out.Key("Address", module.address);
    out.Key("Channels", module.channelCount);
    if (module.attemptMode >= 0 && module.attemptMode <= 255)
        out.Key("Trailer", module.attemptMode);
    // A module registered without its letter never answered the clock query.
    if (module.kindLetter > ' ' && module.kindLetter < 127)
        out.Key("KindLetter", std::string(1, module.kindLetter));
    else
        out.Key("ClockQuery", 0);
    out.Key("Output", Decimal(module.outputVoltage));
    out.Key("Supply", Decimal(module.supplyVoltage));
    out.Key("Temperature", std::clamp(static_cast<int>(std::lround(module.temperature)), -99, 99));
    out.Key("Mode", module.modeState == 1 ? "test" : "fire");
    out.Key("Boost", module.boostState == 1 ? "off" : "on");
    if (const auto* hv = dynamic_cast<const THVControl*>(&module))
        out.Key("HVSetting", std::clamp(hv->hvSetting, 0, 255));
    DescribeChannels(out, module, thresholds);
}

void DescribeDevice(TFieldText& out, const TCommonDevice& device,
                    const TConnectThresholds& thresholds)
{
    if (const auto* module = dynamic_cast<const TCommonControl*>(&device)) {
        DescribeModule(out, *module, thresholds);
    } else if (const auto* station = dynamic_cast<const TSoftControl*>(&device)) {
        out.Key("Kind", "station");
        out.Key("StationId", station->peerStationId);
        out.Key("ProgramVersion", std::clamp(station->version, 0, 255));
        return;
    } else if (device.address == 0) {
        out.Key("Kind", "remote");
    } else {
        out.Key("Kind", "radio");
        out.Key("Address", device.address);
    }
    out.Key("Version", Hex3(device.version));
}

}  // namespace

std::string DescribeFoundField(const TControls& controls, int converterCount,
                               const TConnectThresholds& thresholds)
{
    int converters = std::max(converterCount, 1);
    for (int i = 0; i < controls.Count(); ++i)
        converters = std::max(converters, controls.DeviceAt(i)->converterIndex + 1);
    TFieldText out;
    out.Section("field");
    out.Key("Converters", std::min(converters, kMostConverters));
    for (int i = 0; i < controls.Count(); ++i) {
        const TCommonDevice& device = *controls.DeviceAt(i);
        out.Section("device" + std::to_string(i + 1));
        out.Key("Converter", std::clamp(device.converterIndex, 0, kMostConverters - 1));
        DescribeDevice(out, device, thresholds);
    }
    return out.Text();
}

}  // namespace kv
