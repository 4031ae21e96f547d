#pragma once
// The simulated field installation: converters with their bus lines and the devices on them.
// Everything is worked out from field time, in order, when anyone looks: a frame's bytes take
// their line time, answers follow a turnaround later, module clocks fire their cues on time.
// Thread-safe; schedules take milliseconds since the field was made.

#include "field/bus/FieldClock.h"
#include "field/bus/FieldRecord.h"
#include "field/bus/SimConverter.h"
#include "field/devices/SimDevice.h"
#include "link/WakeEvent.h"

#include <functional>
#include <memory>
#include <mutex>
#include <queue>
#include <vector>

namespace kv {

class TField {
public:
    // Consumed: the writer checks the echo itself (the in-process port). Returned: the echo
    // goes back with the other bytes (a serial line, which checks it on the far side).
    enum class TEcho { Consumed, Returned };

    explicit TField(std::shared_ptr<TFieldClock> clock = std::make_shared<TSteadyFieldClock>());
    ~TField();
    TField(const TField&) = delete;
    TField& operator=(const TField&) = delete;

    void SetConverterCount(int count);
    int ConverterCount() const;
    // The converter is on withConverter's bus line: another station's converter, which hears
    // what that line carries, the other stations' frames too, and is heard on it.
    void ShareLine(int converter, int withConverter);
    void SetBaud(int baud);
    void SetTurnaroundUs(int64_t us);
    // Devices hear frames in the order they were added.
    void AddDevice(std::unique_ptr<TSimDevice> device);

    TFieldClock& Clock() { return *clock_; }
    int64_t StartNs() const { return startNs_; }
    int64_t ElapsedMs();
    // Line time of count bytes.
    int64_t LineNs(int count) const;

    void Unplug(int converter, int64_t atMs);
    void Plug(int converter, int64_t atMs);
    void SetBadEcho(int converter, bool bad);
    void InjectNoise(int converter, int64_t atMs, const std::vector<uint8_t>& bytes);
    // Another master's message: the PC gets it and the devices on the line obey it.
    void InjectFrame(int converter, int64_t atMs, const TWireFrame& frame);
    void Announce(int address, int64_t atMs);
    // Runs use on the device now at that address (on that converter, -1 any) under the
    // field's lock; false when there is none.
    bool WithDevice(int address, const std::function<void(TSimDevice&)>& use, int converter = -1);

    std::vector<TFrameEntry> Frames(size_t from = 0);
    std::vector<TShotEntry> Shots(size_t from = 0);
    void ClearRecord();

    // The transport side. Transmit returns when the last byte's echo is back, or -1 when
    // the converter is out. With a consumed echo the converter's receive queue is emptied
    // first, into *waiting when given: taken in the same step, so no byte that arrives
    // between a look at the queue and the write is lost.
    int64_t Transmit(int converter, const uint8_t* bytes, int count, TEcho echo,
                     std::vector<uint8_t>* waiting = nullptr);
    bool BadEcho(int converter);
    bool PluggedNow(int converter);
    bool OutSince(int converter, int64_t sinceNs);
    int Arrived(int converter);
    int Take(int converter, uint8_t* buffer, int count);
    void Purge(int converter);
    // The next moment anything can happen (kNeverNs when nothing is due).
    int64_t NextActivityNs();
    // For the one thread that sleeps on the field (a port thread, or kvfield's terminals): the
    // next moment anything can happen, and changeFd, which turns readable when anything new is
    // set going (looking clears it).
    int64_t Watch(int& changeFd);

private:
    class TContext;
    struct TEvent {
        int64_t ns;
        uint64_t order;
        std::function<void()> run;
        bool operator>(const TEvent& other) const
        {
            return ns != other.ns ? ns > other.ns : order > other.order;
        }
    };

    void Schedule(int64_t ns, std::function<void()> run);
    int64_t NextActivityAfter(int64_t now);
    void AdvanceTo(int64_t ns);
    int64_t Now();  // advanced
    TSimConverter* Converter(int index);
    // The first converter of the line the converter is on.
    int LineOf(int converter) const;
    // Every converter on the converter's line, itself included.
    std::vector<int> OnLine(int converter) const;
    void HearFromLine(int converter, const TWireFrame& frame, const TSimDevice* sender, int64_t ns);
    void PutOnLine(int converter, int64_t ns, std::vector<uint8_t> bytes, bool damaged,
                   const TSimDevice* heardFrom, bool heardByDevices);
    void SendFromDevice(TSimDevice& device, int64_t ns, TWireFrame frame,
                        std::vector<uint8_t> trailer, bool heardByDevices);
    void RecordShot(const TSimDevice& device, int64_t ns, int channel, TShotSource source,
                    int shot, int chargeVolts);
    int64_t MsToNs(int64_t ms) const { return startNs_ + ms * 1'000'000; }

    std::mutex mutex_;
    std::shared_ptr<TFieldClock> clock_;
    int64_t startNs_;
    int baud_ = 19200;
    int64_t turnaroundNs_ = 2'000'000;
    std::vector<TSimConverter> converters_;
    std::vector<std::unique_ptr<TSimDevice>> devices_;
    std::priority_queue<TEvent, std::vector<TEvent>, std::greater<TEvent>> events_;
    uint64_t nextOrder_ = 0;
    std::vector<TFrameEntry> frames_;
    std::vector<TShotEntry> shots_;
    TWakeEvent changed_;
};

}  // namespace kv
