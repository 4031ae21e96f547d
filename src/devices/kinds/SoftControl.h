#pragma once
// Another operator station on the bus, kept under address 255 and told apart by its number.

#include "devices/kinds/ExtDevice.h"

namespace kv {

class TSoftControl : public TExtDevice {
public:
    TSoftControl(TPortProto& port, int32_t stationId);

    int ReadVersion() override;
    void Poll() override { lastResult = 0; }

    int32_t peerStationId;
    bool unseen = false;
};

}  // namespace kv
