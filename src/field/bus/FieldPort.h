#pragma once
// The byte transport over the simulated field, in process: one converter per field converter
// that is plugged in when the port opens. Writes come back only after their echo, as with a
// real RS485 converter; reads give what has arrived and wait up to 20 ms when nothing has.
// A port thread sleeps on the field until its next byte, plug change or anything set going.

#include "field/bus/Field.h"
#include "link/CommonPort.h"

#include <memory>
#include <vector>

namespace kv {

class TFieldPort : public TCommonPort {
public:
    // converters: the field converters this station's PC has (another station has the
    // others); empty: all of them.
    explicit TFieldPort(std::shared_ptr<TField> field, int maxConverters = 16,
                        std::vector<int> converters = {});

    bool Open() override;
    void Close() override;
    bool Reopen() override;
    int DeviceCount() override;
    int BytesAvailable() override;
    int Read(uint8_t* buffer, int count, int converter) override;
    int ReadAny(uint8_t* buffer, int count, int& converter) override;
    int Write(const uint8_t* buffer, int count, int converter) override;
    void WakeSources(TWakeSources& sources) override;

    TField& Field() { return *field_; }

private:
    // Reads from the first of the port's converters (all when index is -1) that has data,
    // waiting up to the read time-out; names the one it read from.
    int ReadFirst(uint8_t* buffer, int count, int index, int& from);
    int WriteOne(const uint8_t* buffer, int count, int index);
    bool Lost(int index);

    std::shared_ptr<TField> field_;
    int maxConverters_;
    std::vector<int> own_;
    std::vector<int> bound_;  // field converter of each port converter index
    // What a converter had received when a write purged it, as the serial transport keeps it.
    std::vector<std::vector<uint8_t>> held_;
    int64_t openNs_ = 0;
    bool connected_ = false;
};

}  // namespace kv
