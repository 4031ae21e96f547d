#pragma once
// The converters as the kernel's serial devices (termios): every USB serial converter found,
// or exactly the device paths the settings name.

#include "link/CommonPort.h"
#include "link/UsbDevices.h"

#include <mutex>
#include <string>
#include <vector>

namespace kv {

class TUSBPort : public TCommonPort {
public:
    // portSetting: "auto" or a comma-separated list of device paths; anything else is logged
    // and taken as "auto".
    TUSBPort(int maxConverters, std::string portSetting);
    ~TUSBPort() override;

    bool Open() override;
    void Close() override;
    bool Reopen() override;
    int DeviceCount() override;
    int BytesAvailable() override;
    int Read(uint8_t* buffer, int count, int converter) override;
    int ReadAny(uint8_t* buffer, int count, int& converter) override;
    int Write(const uint8_t* buffer, int count, int converter) override;

    // The converters of the last Open, in converter-index order.
    std::vector<ConverterInfo> Converters();

private:
    // Waits up to the read time-out for the first converter of the range that has data.
    // withHeld: bytes held back by a purge count as data.
    int WaitForData(int first, int last, bool withHeld = true);
    int ReadEcho(int converter, uint8_t* buffer, int count);
    int ReadFrom(int converter, uint8_t* buffer, int count);
    int ReadDevice(int converter, uint8_t* buffer, int count);
    int TakeHeld(int converter, uint8_t* buffer, int count);
    void HoldWaiting(int converter);
    int WriteTo(int converter, const uint8_t* buffer, int count);
    int WriteWithEcho(int converter, const uint8_t* buffer, int count);
    bool ConverterLost(int converter);

    const int maxConverters_;
    std::vector<std::string> paths_;  // empty: enumerate
    std::mutex lock_;                 // each single read and write
    bool connected_ = false;
    std::vector<ConverterInfo> converters_;
    std::vector<int> fds_;  // -1 where the device would not open
    // What a converter had received when a write purged its queue: kept for the next reads,
    // so the purge discards nothing that arrived (a remote stop among it).
    std::vector<std::vector<uint8_t>> held_;
};

}  // namespace kv
