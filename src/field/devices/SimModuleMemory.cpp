// The module's memory side: scenario records, erase, black box, configuration bytes, and the
// show clock that plays the scenario from memory.
#include "field/devices/SimModule.h"

#include <algorithm>

namespace kv {

void TSimModule::HearMemory(const TWireFrame& f, TBusContext& bus)
{
    // Writes come without an erase and without record numbers: any other command ends a run
    // of them, and the next run fills the list from its start, over an earlier scenario.
    if (f[0] != 0x91)
        memory_.Rewind();
    switch (f[0]) {
    case 0x91: {
        const TMemoryRecord stored = memory_.Write(&f[1]);
        if (Version() >= TScenarioMemory::kFineTimeVersion)
            bus.Send(Answer(0x6E, stored[0], stored[1], stored[2], stored[3]));
        break;
    }
    case 0x92:
        if (const auto record = memory_.Read(f[3] + 256 * f[4]))
            bus.Send(Answer(0x6D, (*record)[0], (*record)[1], (*record)[2], (*record)[3]));
        break;
    case 0x8A:
        if (Version() >= TScenarioMemory::kRecordListVersion)
            Erase(setup_.eraseMs, bus);
        break;
    case 0x95:
        if (Version() >= kFastEraseVersion)
            Erase(setup_.fastEraseMs, bus);
        break;
    case 0x94: {
        const auto word = blackBox_.Read(f[1] * 256 + f[2]);
        bus.Send(Answer(0x6B, word[0], word[1], word[2], word[3]));
        break;
    }
    case 0x8E:
        bus.Send(Answer(0x71, static_cast<uint8_t>(blackBox_.Count() >> 8),
                        static_cast<uint8_t>(blackBox_.Count()), 0, 0));
        break;
    case 0x81:
        WriteConfig(f, bus);
        break;
    case 0x82:
        ReadConfig(f, bus);
        break;
    default:
        break;
    }
}

void TSimModule::Erase(int64_t durationMs, TBusContext& bus)
{
    const int64_t durationNs = durationMs * 1'000'000;
    busyUntilNs_ = bus.NowNs() + durationNs;
    memory_.Erase();
    bus.Send(Answer(0x7F, 'C', 'l', 'E', 'e'), durationNs);
}

void TSimModule::WriteConfig(const TWireFrame& f, TBusContext& bus)
{
    const int address = f[1] * 256 + f[2];
    const uint8_t value = f[3];
    if (address == kAddressConfig) {
        // The firmware takes a new address only with its complement, and only from the
        // generation that can change it; the write is never answered.
        if (Version() < kAddressChangeVersion || f[4] != 255 - value)
            return;
        config_[address] = value;
        pendingAddress_ = value;
        return;
    }
    config_[address] = value;
    bus.Send(Echo(0x7E, f));
}

void TSimModule::ReadConfig(const TWireFrame& f, TBusContext& bus)
{
    const int address = f[1] * 256 + f[2];
    const auto found = config_.find(address);
    const uint8_t value = found == config_.end() ? 0 : found->second;
    const uint8_t check = address == kAddressConfig ? static_cast<uint8_t>(255 - value) : 255;
    bus.Send(Answer(0x7D, f[1], f[2], value, check));
}

void TSimModule::ClockMessage(const TWireFrame& f, TBusContext& bus)
{
    const int64_t showMs = (f[1] * 256 + f[2]) * int64_t{100};
    if (f[3] == 0x80) {
        if (!clock_.Running()) {
            // Cues before the start time never fire; one exactly at it fires at once.
            playedUpToMs_ = showMs - 1;
            blackBox_.Log(TBlackBoxEvent::ClockStarted, 0, showMs);
        }
        clock_.Start(bus.NowNs(), showMs);
    } else if (f[3] == 0 && Faults().missedStops > 0) {
        --Faults().missedStops;
    } else if (f[3] == 0 && clock_.Running()) {
        clock_.Stop(bus.NowNs());
        blackBox_.Log(TBlackBoxEvent::ClockStopped, 0, clock_.ShowMsAt(bus.NowNs()));
    }
}

const std::vector<TMemoryCue>& TSimModule::MemoryCues() const
{
    if (cuesGeneration_ != memory_.Generation()) {
        cues_ = setup_.kind == TModuleKind::Motor ? std::vector<TMemoryCue>{} : memory_.Cues();
        cuesGeneration_ = memory_.Generation();
    }
    return cues_;
}

std::vector<TMemoryCue>::const_iterator TSimModule::NextCue() const
{
    const auto& cues = MemoryCues();
    return std::upper_bound(cues.begin(), cues.end(), playedUpToMs_,
                            [](int64_t ms, const TMemoryCue& cue) { return ms < cue.timeMs; });
}

int64_t TSimModule::NextDueNs() const
{
    if (!clock_.Running() || !fireMode_)
        return kNeverNs;
    const auto next = NextCue();
    return next == cues_.end() ? kNeverNs : clock_.NsAtShowMs(next->timeMs);
}

void TSimModule::RunDue(TBusContext& bus)
{
    int64_t played = playedUpToMs_;
    for (auto next = NextCue(); next != cues_.end() && clock_.NsAtShowMs(next->timeMs) <= bus.NowNs();
         ++next) {
        Fire(next->channel, TShotSource::Memory, bus);
        played = next->timeMs;
    }
    playedUpToMs_ = played;
}

}  // namespace kv
