// libFuzzer target: any replies the bus may give, through the command set's decoders. Each
// command written is answered by the next six input bytes with their check byte, on virtual
// time so missed reply windows cost nothing.
#include "FuzzRequire.h"

#include "link/FrameCheck.h"
#include "link/PortProto.h"
#include "support/platform/VirtualPlatform.h"

#include <array>
#include <cstdint>
#include <deque>
#include <memory>
#include <string>

namespace {

using kv::fuzz::Require;

class TReplyPort : public kv::TCommonPort {
public:
    TReplyPort(const uint8_t* data, size_t size) : data_(data), size_(size) {}

    bool Open() override { return true; }
    void Close() override {}
    bool Reopen() override { return true; }
    int DeviceCount() override { return 1; }
    int BytesAvailable() override { return static_cast<int>(waiting_.size()); }
    int Read(uint8_t* buffer, int count, int) override
    {
        int converter = 0;
        return ReadAny(buffer, count, converter);
    }
    int ReadAny(uint8_t* buffer, int count, int& converter) override
    {
        if (waiting_.empty()) {
            kv::Platform().Sleep(1);
            converter = -1;
            return 0;
        }
        int got = 0;
        while (got < count && !waiting_.empty()) {
            buffer[got++] = waiting_.front();
            waiting_.pop_front();
        }
        converter = 0;
        return got;
    }
    int Write(const uint8_t*, int count, int) override
    {
        if (at_ + 6 <= size_) {
            std::array<uint8_t, 7> frame{};
            std::copy(data_ + at_, data_ + at_ + 6, frame.begin());
            frame[6] = kv::FrameCheck(frame.data(), 6);
            waiting_.insert(waiting_.end(), frame.begin(), frame.end());
            at_ += 6;
        }
        return count;
    }
    void WakeSources(kv::TWakeSources&) override {}

private:
    const uint8_t* data_;
    size_t size_;
    size_t at_ = 0;
    std::deque<uint8_t> waiting_;
};

bool IsResult(int result)
{
    return result == 0 || result == -1 || result == -2 || result == -3;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    kv::TVirtualPlatform platform;
    kv::InstallPlatform(&platform);
    {
        kv::TPortProto port(std::make_unique<TReplyPort>(data, size));
        port.Reopen();
        int a = 0;
        int b = 0;
        int c = 0;
        int converter = 0;
        char letter = 0;
        double x = 0;
        double y = 0;
        std::string text;
        std::array<uint8_t, 4> bytes{};
        Require(IsResult(port.QueryVersion(1, 0, -1, a)));
        Require(IsResult(port.QueryVersionAny(2, converter, a)));
        Require(IsResult(port.QueryIdentification(3, 0, -1, a)));
        Require(IsResult(port.QueryIdentificationExtended(4, 0, a, b)));
        Require(b >= -1 && b <= 255);
        Require(IsResult(port.QueryClock(5, 0, -1, a, letter)));
        Require(IsResult(port.QueryStatus(6, 0, -1, true, x, y, a)));
        Require(IsResult(port.QueryTemperature(7, 0, -1, x)));
        Require(IsResult(port.MeasureChannel(8, 0, -1, 3, x)));
        Require(IsResult(port.ReadCue(9, 0, -1, 2, true, a, b)));
        Require(IsResult(port.ReadCue(9, 0, -1, 2, false, a, b)));
        Require(IsResult(port.ReadMotorCue(10, 0, -1, 1, a, text, b, c)));
        Require(IsResult(port.ReadControllerCue(0, -1, 4, a, b, c)));
        Require(IsResult(port.ReadMemory(11, 0, -1, 0x400, bytes)));
        Require(IsResult(port.ReadBlackBoxCounter(12, 0, -1, a)));
        Require(IsResult(port.ReadConfig(13, 0, -1, kv::kConfigBusAddress, a, b)));
        Require(IsResult(port.QueryStation(0, 9, a, b)));
        Require(IsResult(port.EraseController(0)));
    }
    kv::InstallPlatform(nullptr);
    return 0;
}
