#pragma once
// A firing module: ordinary, high-voltage or motor, of any firmware generation. It answers
// the runtime, memory and configuration commands, keeps its scenario memory, its show clock
// and its black box, and fires channels on command or, while its clock runs, from memory.

#include "field/devices/BlackBox.h"
#include "field/devices/ModuleClock.h"
#include "field/devices/ScenarioMemory.h"
#include "field/devices/SimDevice.h"

#include <limits>
#include <map>
#include <vector>

namespace kv {

enum class TModuleKind { Ordinary, HighVoltage, Motor };

constexpr double kOpenOhms = std::numeric_limits<double>::infinity();

struct TModuleSetup {
    TModuleKind kind = TModuleKind::Ordinary;
    int address = 1;
    int converter = 0;
    int version = 0x36B;
    int channels = 16;
    int trailer = -1;      // byte sent with its complement after the identification answer
    char kindLetter = 0;   // 0: the letter of the kind
    bool answersClockQuery = true;  // old firmware does not
    double outputVolts = 12.0;      // high-voltage module: the idle output
    double supplyVolts = 12.5;
    int temperature = 20;
    std::vector<double> channelOhms;  // per channel; kOpenOhms: no igniter
    bool fireMode = true;
    bool boostOff = false;
    int records = -1;  // scenario memory capacity; -1: one per channel (motor: 384)
    int eraseMs = 2500;
    int fastEraseMs = 800;
    int hvSetting = 128;
    double clockDriftPpm = 0;
    int blackBoxEntries = 0;  // events already in the log at power-up
};

class TSimModule : public TSimDevice {
public:
    static constexpr int kStatusModeBitVersion = 0x151;
    static constexpr int kAddressChangeVersion = 0x167;
    static constexpr int kResistanceVersion = 0x268;
    static constexpr int kTemperatureVersion = 0x36B;
    static constexpr int kFastEraseVersion = 0x46B;
    static constexpr int kAddressConfig = 0x01FE;
    static constexpr int kHighVoltageConfig = 0x01FD;

    explicit TSimModule(const TModuleSetup& setup);

    void Hear(const TWireFrame& frame, TBusContext& bus) override;
    int64_t NextDueNs() const override;
    void RunDue(TBusContext& bus) override;
    void Announce(TBusContext& bus) override;

    TModuleKind Kind() const { return setup_.kind; }
    bool FireMode() const { return fireMode_; }
    bool BoostOff() const { return boostOff_; }
    int ChargeVolts() const { return chargeVolts_; }
    const TModuleClock& Clock() const { return clock_; }
    const TScenarioMemory& Memory() const { return memory_; }

private:
    void HearRuntime(const TWireFrame& f, TBusContext& bus);
    void HearMemory(const TWireFrame& f, TBusContext& bus);
    void AnswerStatus(TBusContext& bus);
    void AnswerTemperature(TBusContext& bus);
    void AnswerMeasurement(const TWireFrame& f, TBusContext& bus);
    void FireOrCharge(const TWireFrame& f, TBusContext& bus);
    void SetMode(const TWireFrame& f, TBusContext& bus);
    void ClockMessage(const TWireFrame& f, TBusContext& bus);
    void Erase(int64_t durationMs, TBusContext& bus);
    void WriteConfig(const TWireFrame& f, TBusContext& bus);
    void ReadConfig(const TWireFrame& f, TBusContext& bus);
    void Fire(int channel, TShotSource source, TBusContext& bus);
    const std::vector<TMemoryCue>& MemoryCues() const;
    std::vector<TMemoryCue>::const_iterator NextCue() const;
    TWireFrame Echo(uint8_t code, const TWireFrame& f) const;

    TModuleSetup setup_;
    TScenarioMemory memory_;
    TModuleClock clock_;
    TBlackBox blackBox_;
    std::vector<int> shots_;
    std::map<int, uint8_t> config_;
    bool fireMode_;
    bool boostOff_;
    int chargeVolts_ = 0;
    double hvOutputVolts_;
    int pendingAddress_ = -1;
    int64_t busyUntilNs_ = 0;
    int64_t playedUpToMs_ = 0;  // memory cues up to this show time have had their turn
    mutable std::vector<TMemoryCue> cues_;
    mutable uint64_t cuesGeneration_ = ~uint64_t{0};
};

}  // namespace kv
