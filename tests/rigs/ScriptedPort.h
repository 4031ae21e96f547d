#pragma once
// A byte transport played by the test: converters with scripted incoming bytes, a record of
// every write, echo faults, loss and return. With nothing to read, a read lets time pass, so
// reply windows run on virtual time.

#include "link/CommonPort.h"

#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <vector>

namespace kv::test {

class TScriptedPort : public TCommonPort {
public:
    explicit TScriptedPort(int converters = 1);

    // Bytes that arrive on a converter, now or after a delay (in platform time).
    void Deliver(int converter, const std::vector<uint8_t>& bytes, uint32_t afterMs = 0);
    // A frame with its check byte.
    void DeliverFrame(int converter, const std::vector<uint8_t>& record, uint32_t afterMs = 0);

    // Called after each write that went out (after its purge and echo); may Deliver a reply.
    std::function<void(int converter, const std::vector<uint8_t>& frame)> onWrite;

    struct TWrite {
        int converter;
        std::vector<uint8_t> bytes;
        uint32_t tick;
    };
    std::vector<TWrite> Writes();
    int Opens();

    // Faults, set by the test.
    void FailOpens(int count);  // the next count opens find no converter
    void SetLost(bool lost);                // BytesAvailable fails until reopened
    void SetBadEcho(int converter, bool bad);
    // The machine holds the reader back: the next read lets ms pass after its look, whether
    // it found bytes or not.
    void HoldBackNextRead(uint32_t ms);

    bool Open() override;
    void Close() override;
    bool Reopen() override;
    int DeviceCount() override;
    int BytesAvailable() override;
    int Read(uint8_t* buffer, int count, int converter) override;
    int ReadAny(uint8_t* buffer, int count, int& converter) override;
    int Write(const uint8_t* buffer, int count, int converter) override;
    // Scripted bytes come on virtual time, which no descriptor follows: tests call Cycle.
    void WakeSources(TWakeSources&) override {}

private:
    struct TPending {
        uint32_t due;
        int converter;
        std::vector<uint8_t> bytes;
    };
    void MoveDueBytes();
    int Take(int converter, uint8_t* buffer, int count);
    int FirstWithData();
    int HeldBack(int got);

    std::recursive_mutex mutex_;
    std::vector<std::deque<uint8_t>> incoming_;
    std::vector<TPending> pending_;
    std::vector<bool> badEcho_;
    std::vector<TWrite> writes_;
    bool connected_ = false;
    int failOpens_ = 0;
    bool lost_ = false;
    int opens_ = 0;
    uint32_t holdBack_ = 0;
};

}  // namespace kv::test
