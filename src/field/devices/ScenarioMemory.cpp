#include "field/devices/ScenarioMemory.h"

#include <algorithm>

namespace kv {

namespace {

constexpr int kEmptyT = 0xFFFF;

int ChannelNumber(const TMemoryRecord& record)
{
    return record[2] + 256 * (record[3] & 1);
}

}  // namespace

TScenarioMemory::TScenarioMemory(int version, int capacity) : version_(version)
{
    records_.resize(static_cast<size_t>(std::max(capacity, 0)));
    Erase();
}

TMemoryRecord TScenarioMemory::EmptyRecord(int number) const
{
    if (!PerChannel())
        return {0xFF, 0xFF, 0, 0};
    return {0xFF, 0xFF, static_cast<uint8_t>(number), static_cast<uint8_t>((number >> 8) & 1)};
}

TMemoryRecord TScenarioMemory::Write(const uint8_t* args)
{
    // Older firmware keeps times in 10 ms steps: the 2 ms digit is dropped on the way in.
    const uint8_t keep = version_ >= kFineTimeVersion ? 0xFF : 0xF1;
    const TMemoryRecord record{args[0], args[1], args[2], static_cast<uint8_t>(args[3] & keep)};
    size_t index = writeIndex_;
    if (PerChannel())
        index = static_cast<size_t>(ChannelNumber(record) - 1);
    if (index >= records_.size())
        return EmptyRecord(0);
    records_[index] = record;
    if (!PerChannel())
        ++writeIndex_;
    ++generation_;
    return record;
}

std::optional<TMemoryRecord> TScenarioMemory::Read(int number) const
{
    if (number < 1 || static_cast<size_t>(number) > records_.size())
        return std::nullopt;
    return records_[static_cast<size_t>(number - 1)];
}

void TScenarioMemory::Erase()
{
    for (size_t i = 0; i < records_.size(); ++i)
        records_[i] = EmptyRecord(static_cast<int>(i + 1));
    writeIndex_ = 0;
    ++generation_;
}

std::vector<TMemoryCue> TScenarioMemory::Cues() const
{
    std::vector<TMemoryCue> cues;
    for (const TMemoryRecord& record : records_) {
        const int t = record[0] * 256 + record[1];
        if (t == kEmptyT)
            continue;
        const int64_t timeMs = int64_t{t} * 100 + (record[3] >> 4) * 10 + (record[3] & 0x0E);
        cues.push_back({timeMs, ChannelNumber(record) - 1});
    }
    std::stable_sort(cues.begin(), cues.end(),
                     [](const TMemoryCue& a, const TMemoryCue& b) { return a.timeMs < b.timeMs; });
    return cues;
}

}  // namespace kv
