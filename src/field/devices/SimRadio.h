#pragma once
// A radio link module (addresses 240-254): it only tells its firmware version.

#include "field/devices/SimDevice.h"

namespace kv {

class TSimRadio : public TSimDevice {
public:
    using TSimDevice::TSimDevice;
    void Hear(const TWireFrame& frame, TBusContext& bus) override;
};

}  // namespace kv
