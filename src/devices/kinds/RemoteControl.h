#pragma once
// The remote controller (bus address 0): it can keep the whole scenario and play it alone.

#include "devices/kinds/ExtDevice.h"

namespace kv {

class TRemoteControl : public TExtDevice {
public:
    explicit TRemoteControl(TPortProto& port) : TExtDevice(port, 0) { deviceType = 6; }

    TResult EraseScenario();
};

}  // namespace kv
