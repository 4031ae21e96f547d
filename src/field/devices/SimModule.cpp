#include "field/devices/SimModule.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace kv {

namespace {

char DefaultLetter(TModuleKind kind)
{
    switch (kind) {
    case TModuleKind::HighVoltage:
        return 'Q';
    case TModuleKind::Motor:
        return 'P';
    default:
        return 'A';
    }
}

int DefaultRecords(const TModuleSetup& setup)
{
    if (setup.records >= 0)
        return setup.records;
    return setup.kind == TModuleKind::Motor ? 384 : setup.channels;
}

uint16_t Clamp16(double value)
{
    return static_cast<uint16_t>(std::clamp(std::lround(value), 0L, 65535L));
}

}  // namespace

TSimModule::TSimModule(const TModuleSetup& setup)
    : TSimDevice(setup.address, setup.converter, setup.version),
      setup_(setup),
      memory_(setup.version, DefaultRecords(setup)),
      clock_(setup.clockDriftPpm),
      shots_(static_cast<size_t>(std::max(setup.channels, 0)), 0),
      fireMode_(setup.fireMode),
      boostOff_(setup.boostOff),
      hvOutputVolts_(setup.outputVolts)
{
    setup_.channelOhms.resize(shots_.size(), 8.0);
    if (setup_.kindLetter == 0)
        setup_.kindLetter = DefaultLetter(setup.kind);
    config_[kAddressConfig] = static_cast<uint8_t>(setup.address);
    config_[kHighVoltageConfig] = static_cast<uint8_t>(setup.hvSetting);
    for (int i = 0; i < setup.blackBoxEntries; ++i)
        blackBox_.Log(TBlackBoxEvent::FiredFromMemory, i % std::max(setup.channels, 1) + 1,
                      int64_t{i} * 500);
}

void TSimModule::Hear(const TWireFrame& f, TBusContext& bus)
{
    if (bus.NowNs() < busyUntilNs_)
        return;  // erasing: the firmware listens to nothing else
    if (f[0] == 0x90 && f[5] != 255) {
        ClockMessage(f, bus);
        return;
    }
    if (!IsForMe(f))
        return;
    HearRuntime(f, bus);
    HearMemory(f, bus);
}

TWireFrame TSimModule::Echo(uint8_t code, const TWireFrame& f) const
{
    return Answer(code, f[1], f[2], f[3], f[4]);
}

void TSimModule::HearRuntime(const TWireFrame& f, TBusContext& bus)
{
    switch (f[0]) {
    case 0x80:
        SendVersion(bus);
        break;
    case 0x8F:
        SendIdentification(bus, setup_.channels, setup_.trailer);
        // A new address written to the configuration takes over once the module has
        // confirmed itself under the old one.
        if (pendingAddress_ >= 0) {
            SetAddress(pendingAddress_);
            pendingAddress_ = -1;
        }
        break;
    case 0x89:
        if (setup_.answersClockQuery) {
            const int64_t t = clock_.ShowMsAt(bus.NowNs()) / 100;
            bus.Send(Answer(0x76, static_cast<uint8_t>(t >> 8), static_cast<uint8_t>(t),
                            static_cast<uint8_t>(setup_.kindLetter), 0));
        }
        break;
    case 0x85:
        AnswerStatus(bus);
        break;
    case 0x8D:
        AnswerTemperature(bus);
        break;
    case 0x83:
        AnswerMeasurement(f, bus);
        break;
    case 0x84:
        FireOrCharge(f, bus);
        break;
    case 0x88:
        SetMode(f, bus);
        break;
    case 0x8C:
        if (setup_.kind == TModuleKind::Motor)
            bus.Send(Echo(0x73, f));
        break;
    default:
        break;
    }
}

void TSimModule::AnswerStatus(TBusContext& bus)
{
    const bool highVoltage = setup_.kind == TModuleKind::HighVoltage;
    uint16_t first = highVoltage ? Clamp16(hvOutputVolts_ * 10) : Clamp16(setup_.outputVolts * 1000);
    first &= 0x7FFF;
    // The top bit tells test mode, on high-voltage modules too.
    if (!fireMode_ && Version() >= kStatusModeBitVersion)
        first |= 0x8000;
    const uint16_t supply = Clamp16(setup_.supplyVolts * 1000);
    bus.Send(Answer(0x7A, static_cast<uint8_t>(first >> 8), static_cast<uint8_t>(first),
                    static_cast<uint8_t>(supply >> 8), static_cast<uint8_t>(supply)));
}

void TSimModule::AnswerTemperature(TBusContext& bus)
{
    if (Version() < kTemperatureVersion)
        return;
    const int degrees = std::clamp(setup_.temperature, -99, 99);
    const int magnitude = std::abs(degrees);
    bus.Send(Answer(0x7F, degrees < 0 ? '-' : '+', static_cast<uint8_t>('0' + magnitude / 10),
                    static_cast<uint8_t>('0' + magnitude % 10), 0));
}

void TSimModule::AnswerMeasurement(const TWireFrame& f, TBusContext& bus)
{
    const int channel = f[1] + 256 * f[2] - 1;
    double ohms = kOpenOhms;
    if (channel >= 0 && channel < static_cast<int>(setup_.channelOhms.size()))
        ohms = setup_.channelOhms[static_cast<size_t>(channel)];
    uint16_t raw;
    if (setup_.kind == TModuleKind::HighVoltage)
        raw = std::isinf(ohms) ? 65535 : Clamp16(ohms * 100);
    else if (Version() >= kResistanceVersion)
        raw = std::isinf(ohms) ? 65535 : Clamp16(ohms * 10);
    else
        raw = std::isinf(ohms) ? 150 : 4800;  // old firmware only tells current from none
    bus.Send(Answer(0x7C, f[1], f[2], static_cast<uint8_t>(raw >> 8), static_cast<uint8_t>(raw)));
}

void TSimModule::FireOrCharge(const TWireFrame& f, TBusContext& bus)
{
    const int volts = ((f[3] & 0x7F) << 7) | (f[4] & 0x7F);
    const bool highVoltage = setup_.kind == TModuleKind::HighVoltage;
    if (f[4] & 0x80) {
        if (highVoltage) {
            chargeVolts_ = volts;
            hvOutputVolts_ = volts;
            bus.Send(Echo(0x7B, f));
        }
        return;
    }
    Fire(f[1] + 256 * f[2] - 1, TShotSource::Command, bus);
    if (highVoltage) {
        chargeVolts_ = volts;
        hvOutputVolts_ = volts;
    }
}

void TSimModule::Fire(int channel, TShotSource source, TBusContext& bus)
{
    // Test mode exists so that nothing can fire while the operator checks the igniters.
    if (!fireMode_ || channel < 0 || channel >= static_cast<int>(shots_.size()))
        return;
    const auto index = static_cast<size_t>(channel);
    const int shot = ++shots_[index];
    bus.RecordShot(channel, source, shot,
                   setup_.kind == TModuleKind::HighVoltage ? chargeVolts_ : 0);
    setup_.channelOhms[index] = kOpenOhms;  // the igniter burns through
    blackBox_.Log(source == TShotSource::Memory ? TBlackBoxEvent::FiredFromMemory
                                                : TBlackBoxEvent::FiredByCommand,
                  channel + 1, clock_.ShowMsAt(bus.NowNs()));
}

void TSimModule::SetMode(const TWireFrame& f, TBusContext& bus)
{
    boostOff_ = (f[1] & 1) != 0;
    fireMode_ = (f[1] & 2) != 0;
    if (f[3] == 1 && setup_.kind == TModuleKind::HighVoltage) {
        chargeVolts_ = 0;
        hvOutputVolts_ = 0;
        bus.Send(Echo(0x77, f));
    }
}

void TSimModule::Announce(TBusContext& bus)
{
    SendIdentification(bus, setup_.channels, setup_.trailer);
}

}  // namespace kv
