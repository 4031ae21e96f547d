#pragma once
// A device that fires nothing itself: radio module, remote controller, another station.

#include "devices/kinds/CommonDevice.h"

namespace kv {

class TExtDevice : public TCommonDevice {
public:
    using TCommonDevice::TCommonDevice;

    int ReadVersion() override;
};

}  // namespace kv
