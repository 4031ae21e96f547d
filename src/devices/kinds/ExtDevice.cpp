#include "devices/kinds/ExtDevice.h"

#include "link/PortProto.h"

namespace kv {

int TExtDevice::ReadVersion()
{
    int read = 0;
    Record(port_.QueryVersion(address, converterIndex, attemptMode, read));
    return read;
}

}  // namespace kv
