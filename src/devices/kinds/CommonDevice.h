#pragma once
// A device on the bus as the program knows it. Each operation is a short sequence of bus
// commands on the device's address, converter and attempt mode; the outcome of the exchanges
// that matter is kept in lastResult, which the console shows in red when it is not 0.

#include "link/Result.h"

#include <cstdint>

namespace kv {

class TPortProto;

class TCommonDevice {
public:
    TCommonDevice(TPortProto& port, int32_t address);
    virtual ~TCommonDevice() = default;
    TCommonDevice(const TCommonDevice&) = delete;
    TCommonDevice& operator=(const TCommonDevice&) = delete;

    virtual int ReadVersion() = 0;
    virtual void Refresh();
    virtual TResult Identify();
    virtual void Poll();

    int32_t address;
    // -1: one attempt per request; otherwise up to three reply windows.
    int32_t attemptMode = -1;
    int32_t converterIndex = -1;
    int32_t version = 0;
    int32_t lastResult = 0;
    uint8_t deviceType = 0;
    char kindLetter = 0;

protected:
    void Record(TResult result);
    TPortProto& port_;
};

}  // namespace kv
