#include "field/devices/SimRadio.h"

namespace kv {

void TSimRadio::Hear(const TWireFrame& frame, TBusContext& bus)
{
    if (IsForMe(frame) && frame[0] == 0x80)
        SendVersion(bus);
}

}  // namespace kv
