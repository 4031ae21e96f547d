#pragma once
// A firing module's scenario memory as its firmware generation keeps it: one time per channel
// before 0x148, then a list of records filled in write order; from 0x165 times keep their
// 2 ms digit. Records hold the four argument bytes of the cue write that stored them.

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

namespace kv {

using TMemoryRecord = std::array<uint8_t, 4>;

struct TMemoryCue {
    int64_t timeMs = 0;
    int channel = 0;  // from 0
};

class TScenarioMemory {
public:
    static constexpr int kRecordListVersion = 0x148;
    static constexpr int kFineTimeVersion = 0x165;

    // capacity: records of the list, or channels of the per-channel memory.
    TScenarioMemory(int version, int capacity);

    // The record as stored; the empty record when the list is full or the channel is unknown.
    TMemoryRecord Write(const uint8_t* args);
    // number counts from 1 (a channel number before 0x148). Empty when out of range.
    std::optional<TMemoryRecord> Read(int number) const;
    void Erase();
    // The next write goes to the list's first record again; what is held stays.
    void Rewind() { writeIndex_ = 0; }
    // The firing cues held, in time order, without empty times.
    std::vector<TMemoryCue> Cues() const;
    // Changes whenever the memory does, so cached cue lists know when to rebuild.
    uint64_t Generation() const { return generation_; }

private:
    bool PerChannel() const { return version_ < kRecordListVersion; }
    TMemoryRecord EmptyRecord(int number) const;

    int version_;
    std::vector<TMemoryRecord> records_;
    size_t writeIndex_ = 0;
    uint64_t generation_ = 0;
};

}  // namespace kv
