// search: one line per registered device, in address order.

#include "tools/kvctl/JsonOutput.h"
#include "tools/kvctl/commands/Commands.h"

#include "devices/kinds/CommonControl.h"
#include "devices/registry/Controls.h"
#include "devices/kinds/SoftControl.h"
#include "tools/kvctl/CtlSession.h"

#include <cstdio>

namespace kv {

namespace {

void PrintDevice(const TCommonDevice& device)
{
    const auto* module = dynamic_cast<const TCommonControl*>(&device);
    const auto* station = dynamic_cast<const TSoftControl*>(&device);
    const std::string kind = device.kindLetter ? std::string(1, device.kindLetter) : "-";
    const std::string peer = station ? std::to_string(station->peerStationId) : "-";
    std::printf("%d\t%d\t%03X\t%d\t%d\t%d\t%s\t%d\t%s\n", device.address, device.deviceType,
                device.version & 0xFFF, module ? module->channelCount : 0, device.converterIndex,
                device.attemptMode, kind.c_str(), device.lastResult, peer.c_str());
}

}  // namespace

int RunSearch(TCtlSession& session, const TCtlArguments& arguments)
{
    session.Search(arguments.addresses);
    const TControls& controls = session.Controls();
    QJsonArray devices;
    for (int index = 0; index < controls.Count(); ++index)
        if (arguments.json)
            devices.append(DeviceJson(*controls.DeviceAt(index)));
        else
            PrintDevice(*controls.DeviceAt(index));
    if (arguments.json)
        PrintJson({{"devices", devices}});
    return 0;
}

}  // namespace kv
