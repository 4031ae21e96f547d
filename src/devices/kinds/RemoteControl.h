#pragma once
// The remote controller (bus address 0): it can keep the whole scenario and play it alone.

#include "devices/kinds/ExtDevice.h"
#include "devices/memory/ProgressEvent.h"
#include "devices/memory/ScenarioCue.h"


namespace kv {

class TRemoteControl : public TExtDevice {
public:
    explicit TRemoteControl(TPortProto& port) : TExtDevice(port, 0) { deviceType = 6; }

    // Cues are taken in scenario order; a difference found by the verification gives -2.
    TResult WriteScenario(TCueView cues);
    TResult VerifyScenario(TCueView cues);
    TResult EraseScenario();

    TProgressEvent OnProgress;
};

}  // namespace kv
