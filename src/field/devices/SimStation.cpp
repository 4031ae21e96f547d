#include "field/devices/SimStation.h"

namespace kv {

namespace {

TStationSetup WithDelay(TStationSetup setup)
{
    // Real stations draw 0-149 ms; a fixed pause per station keeps runs repeatable.
    if (setup.answerDelayMs < 0)
        setup.answerDelayMs = (setup.stationId * 37) % 150;
    return setup;
}

}  // namespace

TSimStation::TSimStation(const TStationSetup& setup)
    : TSimDevice(255, setup.converter, setup.programVersion), setup_(WithDelay(setup))
{
}

void TSimStation::Hear(const TWireFrame& f, TBusContext& bus)
{
    if (!IsForMe(f) || (f[4] != 0 && f[4] != setup_.stationId))
        return;
    const auto id = static_cast<uint8_t>(setup_.stationId);
    if (f[0] == 0x01) {
        bus.Send(Answer(0x02, static_cast<uint8_t>(setup_.programVersion), 0, id, f[3]),
                 int64_t{setup_.answerDelayMs} * 1'000'000);
    } else if (f[0] == 0x03) {
        const auto state = static_cast<uint8_t>((setup_.launchState & 15) |
                                                ((setup_.firingMode & 15) << 4));
        bus.Send(Answer(0x04, state, static_cast<uint8_t>(setup_.controlMode & 15), id, f[3]));
    }
}

}  // namespace kv
