#include "devices/kinds/CommonDevice.h"

#include "link/PortProto.h"

namespace kv {

TCommonDevice::TCommonDevice(TPortProto& port, int32_t address) : address(address), port_(port)
{
}

void TCommonDevice::Refresh()
{
    version = ReadVersion();
}

TResult TCommonDevice::Identify()
{
    const TResult result = port_.QueryIdentificationSingle(address, converterIndex);
    Record(result);
    return result;
}

void TCommonDevice::Poll()
{
}

void TCommonDevice::Record(TResult result)
{
    lastResult = result;
}

}  // namespace kv
