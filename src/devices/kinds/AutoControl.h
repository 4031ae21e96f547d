#pragma once
// An ordinary firing module.

#include "devices/kinds/CommonControl.h"

namespace kv {

class TAutoControl : public TCommonControl {
public:
    TAutoControl(TPortProto& port, int32_t address) : TCommonControl(port, address)
    {
        deviceType = 2;
    }
};

}  // namespace kv
