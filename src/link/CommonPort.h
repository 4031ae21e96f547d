#pragma once
// The byte transport under the frame exchange. Nothing above this interface knows whether
// real converters, pseudo-terminals or the simulated field are behind it.

#include <cstdint>
#include <functional>
#include <vector>

namespace kv {

// What the port thread sleeps on while nothing is waiting: descriptors that turn readable (or
// report a hang-up) when bytes arrive or a converter goes, and the moment on the steady clock
// (nanoseconds, -1 none) by which to look again anyway, for bytes a transport works out from
// a clock rather than a descriptor.
struct TWakeSources {
    std::vector<int> fds;
    int64_t dueSteadyNs = -1;
};

// The steady clock the port thread wakes on.
int64_t SteadyNowNs();

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
    // Called by the port thread, under the transport lock, before it sleeps; adds to sources.
    virtual void WakeSources(TWakeSources& sources) = 0;
    // Opens, in their places, converters absent since the last opening that are there again;
    // true when one came back. Called by the port thread under the transport lock.
    virtual bool TakeBackAbsent() { return false; }
    // The converters of the list that are not open now: lost beside others that are.
    virtual std::vector<int> AbsentConverters() { return {}; }
};

// A write to every converter: count only when each one took it. A frame one converter
// missed has not reached the devices on its line, whatever the others did.
int WriteToEach(int converters, int count, const std::function<int(int converter)>& writeOne);

}  // namespace kv
