#pragma once
// A radio link module (bus addresses 240-254).

#include "devices/kinds/ExtDevice.h"

namespace kv {

class TRadioModule : public TExtDevice {
public:
    TRadioModule(TPortProto& port, int32_t address) : TExtDevice(port, address)
    {
        deviceType = 5;
    }

    // A radio module has no status of its own: polling re-reads what it tells.
    void Poll() override { Refresh(); }
};

}  // namespace kv
