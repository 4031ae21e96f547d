#include "devices/kinds/SoftControl.h"

#include "link/PortProto.h"

namespace kv {

TSoftControl::TSoftControl(TPortProto& port, int32_t stationId)
    : TExtDevice(port, 255), peerStationId(stationId)
{
    deviceType = 7;
}

int TSoftControl::ReadVersion()
{
    int peerVersion = 0;
    int peerId = 0;
    const TResult result = port_.QueryStation(converterIndex, peerStationId, peerVersion, peerId);
    Record(result);
    if (result == kLinkOk)
        peerStationId = peerId;
    return peerVersion;
}

}  // namespace kv
