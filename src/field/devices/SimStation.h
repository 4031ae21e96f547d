#pragma once
// Another operator station on the bus (address 255): it answers station searches and queries
// meant for it and status queries, with its own state.

#include "field/devices/SimDevice.h"

namespace kv {

struct TStationSetup {
    int converter = 0;
    int stationId = 200;
    int programVersion = 1;
    int launchState = 0;
    int firingMode = 0;
    int controlMode = 0;
    int answerDelayMs = -1;  // the station's pause before a search answer; -1: from its number
};

class TSimStation : public TSimDevice {
public:
    explicit TSimStation(const TStationSetup& setup);
    void Hear(const TWireFrame& frame, TBusContext& bus) override;
    int StationId() const { return setup_.stationId; }

private:
    TStationSetup setup_;
};

}  // namespace kv
