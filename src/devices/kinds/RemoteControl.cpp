#include "devices/kinds/RemoteControl.h"

#include "devices/kinds/Firmware.h"
#include "link/PortProto.h"
#include "link/Result.h"

namespace kv {

TResult TRemoteControl::EraseScenario()
{
    if (version < kVersionRemoteErase)
        return kResultNotSupported;
    return port_.EraseController(converterIndex);
}

}  // namespace kv
