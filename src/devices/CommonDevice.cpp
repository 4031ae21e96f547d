#include "devices/CommonDevice.h"

#include "link/PortProto.h"

namespace kv {

TCommonDevice::TCommonDevice(TPortProto& port, int32_t address) : address(address), port_(port)
{
}

void TCommonDevice::Refresh()
{
    version = ReadVersion();
}

int TCommonDevice::Identify()
{
    return Record(port_.QueryIdentificationSingle(address, converterIndex));
}

void TCommonDevice::Poll()
{
}

int TCommonDevice::Record(int result)
{
    lastResult = result;
    return result;
}

}  // namespace kv
