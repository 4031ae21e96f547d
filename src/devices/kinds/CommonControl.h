#pragma once
// A firing module (bus addresses 1-199): channel tables, live readings and link quality.

#include "devices/kinds/ChannelIndex.h"
#include "devices/kinds/CommonDevice.h"

#include <array>
#include <optional>

namespace kv {

// Resistance limits in ohms, from the settings.
struct TConnectThresholds {
    double connectResistLo = 1;
    double connectResist = 20;
    double connectResistHi = 200;
};

enum TChannelState : uint8_t {
    kChannelUntested = 0,
    kChannelConnected = 1,
    kChannelOpen = 2,
    kChannelFault = 3,
};

class TCommonControl : public TCommonDevice {
public:
    TCommonControl(TPortProto& port, int32_t address);

    int ReadVersion() override;
    void Refresh() override;
    TResult Identify() override;
    void Poll() override;
    virtual void ClearChannels();
    // value: the module's reading; -1 (kResultBadChannel) for a channel outside the tables.
    virtual TResult MeasureChannel(int channel, double& value);
    virtual TResult FireChannel(int channel);

    int LinkQuality() const;
    int ConnectedCount() const;
    int CountChannelsInState(uint8_t state) const;
    void ClearScenarioMarks();
    TResult SetTestMode(bool on);
    TResult SetBoost(bool off);
    // Turns a successful measurement into the channel's state (and resistance) by kind and
    // firmware; a motor module's channels are left as they are.
    TResult ClassifyChannel(int channel, double value, const TConnectThresholds& thresholds);

    // Guarded table access: reads outside the tables give the empty value, writes are refused.
    uint8_t ChannelState(int channel) const;
    TResult SetChannelState(int channel, uint8_t state);
    double ChannelValue(int channel) const;
    // The state came from a reading of the module, not from a measurement that failed.
    bool ChannelMeasured(int channel) const;
    bool ChannelInScenario(int channel) const;
    TResult MarkInScenario(int channel);
    bool ChannelFired(int channel) const;
    TResult MarkFired(int channel);

    // What the channel test and the shots found, kept aside while a rehearsal changes them.
    struct TChannelResults {
        std::array<uint8_t, kChannelSlots> state{};
        std::array<double, kChannelSlots> value{};
        std::array<bool, kChannelSlots> fired{};
    };
    TChannelResults ChannelResults() const;
    void RestoreChannelResults(const TChannelResults& results);

    int32_t channelCount = 0;
    double outputVoltage = 0;
    double supplyVoltage = 0;
    uint8_t boostState = 2;  // 0 on, 1 off, 2 unknown
    uint8_t modeState = 2;   // 0 fire, 1 test, 2 unknown
    double temperature = 0;
    int32_t pollCount = 1;
    int32_t pollOkCount = 1;
    // The tick count when the channel test last measured the module.
    std::optional<uint32_t> channelsTestedAt;
    // What this run last wrote into the module's memory or found there by a verify (a
    // ModuleMemoryFingerprint); nullopt while unknown.
    std::optional<uint64_t> memoryFingerprint;
    // A motor module's moves as this run knows them: at least and at most so many (no upper
    // bound while nullopt). Its writes fill the list from the start and empty nothing, so
    // moves a longer earlier scenario left stay behind the new ones.
    int motorMovesAtLeast = 0;
    std::optional<int> motorMovesAtMost;
    // After a write into its memory that was no scenario write of this module (the debug
    // window's test cue, a controller's cue frames heard on the line): nothing known of it.
    void ForgetMemory();
    // A poll went unanswered: another module may have been put in at this address since.
    // What was known of the memory goes at once; the next search reads it as a new module.
    bool wentSilent = false;

protected:
    void UpdateLinkQuality();
    // The first status value: 15 bits for ordinary modules, 16 for high-voltage ones.
    virtual bool HighVoltageStatus() const { return false; }
    TResult SendMode(uint8_t mode);

private:
    std::array<uint8_t, kChannelSlots> channelState_{};
    std::array<double, kChannelSlots> channelValue_{};
    std::array<bool, kChannelSlots> channelMeasured_{};
    std::array<bool, kChannelSlots> channelInScenario_{};
    std::array<bool, kChannelSlots> channelFired_{};
};

}  // namespace kv
