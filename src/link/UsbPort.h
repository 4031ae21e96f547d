#pragma once
// The converters as the kernel's serial devices (termios): every USB-to-serial bridge found,
// or exactly the device paths the settings name. A device that will not open as a terminal is
// left out and reported once with the system's reason; the others work. A converter keeps its
// index from its first opening on: one absent at a reopening leaves its place empty.

#include "link/CommonPort.h"
#include "link/UsbDevices.h"

#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <vector>

namespace kv {

class TUSBPort : public TCommonPort {
public:
    // portSetting: "auto" or a comma-separated list of device paths; anything else is logged
    // and taken as "auto".
    TUSBPort(int maxConverters, std::string portSetting, TDeviceRoots roots = TDeviceRoots());
    ~TUSBPort() override;

    bool Open() override;
    void Close() override;
    bool Reopen() override;
    int DeviceCount() override;
    int BytesAvailable() override;
    int Read(uint8_t* buffer, int count, int converter) override;
    int ReadAny(uint8_t* buffer, int count, int& converter) override;
    int Write(const uint8_t* buffer, int count, int converter) override;
    // The converters' descriptors; a hung-up converter wakes the sleeper as well.
    void WakeSources(TWakeSources& sources) override;
    // Looks for them once a second.
    bool TakeBackAbsent() override;
    std::vector<int> AbsentConverters() override;

    // The converters at their indices, absent ones too; none while not connected.
    std::vector<ConverterInfo> Converters();

    // Told, besides the run log, of every device that newly fails to open (port thread too).
    std::function<void(const std::string& text)> OnOpenProblem;

private:
    // Waits up to the read time-out for the first converter of the range that has data.
    // withHeld: bytes held back by a purge count as data.
    int WaitForData(int first, int last, bool withHeld = true);
    // wait: up to the read time-out; otherwise only what is already there.
    int ReadEcho(int converter, uint8_t* buffer, int count, bool wait);
    int ReadFrom(int converter, uint8_t* buffer, int count);
    int ReadDevice(int converter, uint8_t* buffer, int count);
    int TakeHeld(int converter, uint8_t* buffer, int count);
    void HoldWaiting(int converter);
    int WriteTo(int converter, const uint8_t* buffer, int count);
    int WriteWithEcho(int converter, const uint8_t* buffer, int count);
    // What is left of the bus's idle time before a command on converters first..last.
    uint32_t PauseBeforeWrite(int first, int last);
    bool ConverterLost(int converter);
    std::vector<ConverterInfo> Present() const;
    // Opens the absent converters found again, each in its place, and takes them out of
    // found; gives their places.
    std::vector<size_t> OpenInPlace(std::vector<ConverterInfo>& found);
    // The device opened and set up as a terminal, or -1 with the problem reported.
    int OpenConverter(const ConverterInfo& info);
    void ReportTaken();

    const int maxConverters_;
    std::vector<std::string> paths_;  // empty: enumerate
    const TDeviceRoots roots_;
    std::map<std::string, std::string> problems_;  // reported, by path: Reopen retries often
    std::vector<std::string> reportedTaken_;
    std::mutex lock_;                 // each single read and write
    bool connected_ = false;
    std::vector<ConverterInfo> converters_;
    std::vector<int> fds_;  // one per converter
    // What a converter had received when a write purged its queue: kept for the next reads,
    // so the purge discards nothing that arrived (a remote stop among it).
    std::vector<std::vector<uint8_t>> held_;
    std::vector<uint32_t> lastActivity_;  // tick of the last byte read, the echo among them
    int64_t nextAbsentLookNs_ = 0;  // steady clock
};

}  // namespace kv
