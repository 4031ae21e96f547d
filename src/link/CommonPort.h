#pragma once
// The byte transport under the frame exchange. Nothing above this interface knows whether
// real converters, pseudo-terminals or the simulated field are behind it.

#include <cstdint>

namespace kv {

class TCommonPort {
public:
    virtual ~TCommonPort() = default;

    virtual bool Open() = 0;   // connected
    virtual void Close() = 0;
    virtual bool Reopen() = 0;  // re-enumerates; connected
    virtual int DeviceCount() = 0;
    // Bytes waiting over all converters; 0 when not connected; -1 when a converter is lost.
    virtual int BytesAvailable() = 0;
    // converter -1: the first converter that has data. Returns the count read, -1 when not
    // connected.
    virtual int Read(uint8_t* buffer, int count, int converter) = 0;
    // Reads from the first converter that has data and names it (-1 when none had any).
    virtual int ReadAny(uint8_t* buffer, int count, int& converter) = 0;
    // Writes with the echo check; converter -1: every converter. count on success, -1 not
    // connected, -2 short write or bad echo.
    virtual int Write(const uint8_t* buffer, int count, int converter) = 0;
};

}  // namespace kv
