#pragma once
// One simulated USB-to-RS485 converter with its bus line: what the PC has not read yet, when
// the line is next free, and when the converter is plugged in.

#include "field/bus/WireFrame.h"

#include <cstdint>
#include <deque>
#include <utility>
#include <vector>

namespace kv {

class TSimConverter {
public:
    void SetPlugged(int64_t atNs, bool plugged);
    bool PluggedAt(int64_t ns) const;
    // Whether it was out at any moment in [fromNs, toNs].
    bool OutWithin(int64_t fromNs, int64_t toNs) const;
    // The first time it is plugged in or out after nowNs, or kNeverNs.
    int64_t NextPlugChangeNs(int64_t nowNs) const;

    // A byte reaches the PC side at ns; lost while the converter is out.
    void Deliver(int64_t ns, uint8_t byte);
    int Arrived(int64_t nowNs) const;
    int Take(int64_t nowNs, uint8_t* buffer, int count);
    void PurgeArrived(int64_t nowNs);
    // The first byte still on its way, or kNever.
    int64_t NextArrivalNs(int64_t nowNs) const;

    int64_t lineFreeNs = 0;  // kept by the first converter of a shared line
    int line = -1;           // the converter whose line this one is on; -1: its own
    bool badEcho = false;
    TFrameScanner scanner;  // what the devices make of the PC's bytes

private:
    struct TArrival {
        int64_t ns;
        uint8_t byte;
    };
    std::deque<TArrival> queue_;  // in order of arrival
    std::vector<std::pair<int64_t, bool>> plugChanges_;  // in order of time
};

}  // namespace kv
