#pragma once
// A device on a simulated bus line. Each kind answers the frames meant for it with its own
// decoding, written from the byte tables; the field decides when the answer is on the line.

#include "field/bus/FieldRecord.h"
#include "field/bus/WireFrame.h"

#include <climits>
#include <cstdint>
#include <vector>

namespace kv {

constexpr int64_t kNeverNs = INT64_MAX;

// What a device may do on its line at the moment it acts.
class TBusContext {
public:
    virtual ~TBusContext() = default;
    virtual int64_t NowNs() const = 0;
    // The frame goes on the line a turnaround after now plus delayNs; raw trailer bytes follow
    // it at once. A master's message (heardByDevices) is obeyed by the other devices too.
    virtual void Send(const TWireFrame& frame, int64_t delayNs = 0,
                      const std::vector<uint8_t>& trailer = {}, bool heardByDevices = false) = 0;
    virtual void RecordShot(int channel, TShotSource source, int shot, int chargeVolts) = 0;
};

struct TDeviceFaults {
    int64_t silentFromNs = kNeverNs;  // no answers from then until silentUntilNs
    int64_t silentUntilNs = kNeverNs;
    int badCheckReplies = 0;  // the next n answers carry a wrong check byte
    int shortReplies = 0;     // the next n answers stop after four bytes
    int missedStops = 0;      // a module misses the next n stop forms of the clock message
    bool SilentAt(int64_t ns) const { return ns >= silentFromNs && ns < silentUntilNs; }
};

class TSimDevice {
public:
    TSimDevice(int address, int converter, int version);
    virtual ~TSimDevice() = default;
    TSimDevice(const TSimDevice&) = delete;
    TSimDevice& operator=(const TSimDevice&) = delete;

    int Address() const { return address_; }
    int Converter() const { return converter_; }
    int Version() const { return version_; }
    TDeviceFaults& Faults() { return faults_; }
    // Negative: the field's turnaround.
    int64_t TurnaroundNs() const { return turnaroundNs_; }
    void SetTurnaroundNs(int64_t ns) { turnaroundNs_ = ns; }

    virtual void Hear(const TWireFrame& frame, TBusContext& bus) = 0;
    // The device's own next timed action (a cue from memory), kNeverNs when none.
    virtual int64_t NextDueNs() const { return kNeverNs; }
    virtual void RunDue(TBusContext&) {}
    // Sends the message a device sends on its own after power-up; most kinds send none.
    virtual void Announce(TBusContext&) {}

protected:
    void SetAddress(int address) { address_ = address; }
    TWireFrame Answer(uint8_t code, uint8_t b1, uint8_t b2, uint8_t b3, uint8_t b4) const;
    bool IsForMe(const TWireFrame& frame) const { return frame[5] == address_; }
    void SendVersion(TBusContext& bus) const;
    void SendIdentification(TBusContext& bus, int count, int trailer) const;

private:
    int address_;
    int converter_;
    int version_;
    int64_t turnaroundNs_ = -1;
    TDeviceFaults faults_;
};

}  // namespace kv
