#pragma once
// The remote controller at address 0. In write mode it takes every cue write on its line,
// whatever module the cue is for, and keeps the whole scenario; it hands the records back by
// number. From 0x146 its erase command clears the memory and opens write mode; before that
// the operator switches write mode by hand.

#include "field/devices/SimDevice.h"

#include <array>
#include <vector>

namespace kv {

struct TRemoteSetup {
    int converter = 0;
    int version = 0x146;
    int records = 1024;
    int eraseMs = 8000;
    bool writeMode = false;
};

class TSimRemote : public TSimDevice {
public:
    static constexpr int kEraseVersion = 0x146;
    using TRecord = std::array<uint8_t, 5>;  // four cue bytes and the module address

    explicit TSimRemote(const TRemoteSetup& setup);
    void Hear(const TWireFrame& frame, TBusContext& bus) override;

    bool WriteMode() const { return writeMode_; }
    void SetWriteMode(bool on) { writeMode_ = on; }
    int RecordCount() const { return static_cast<int>(written_); }

private:
    void Store(const TWireFrame& frame, TBusContext& bus);

    TRemoteSetup setup_;
    std::vector<TRecord> records_;
    size_t written_ = 0;
    bool writeMode_;
    int64_t busyUntilNs_ = 0;
};

}  // namespace kv
