#pragma once
// The remote controller's copy of the scenario (bus address 0): it keeps every cue for a bus
// address and can play the show alone. Cues are taken in scenario order.

#include "devices/memory/ProgressEvent.h"
#include "devices/memory/ScenarioCue.h"
#include "link/Result.h"

namespace kv {

class TControls;
class TPortProto;
class TRemoteControl;

class TControllerTransfer {
public:
    // No controller registered: every call gives kLinkNotConnected.
    explicit TControllerTransfer(const TControls& registry, TProgressEvent progress = {});

    TResult WriteScenario(TCueView cues);
    // A difference found gives kLinkWriteFailed, the controller's way of saying "differs".
    TResult VerifyScenario(TCueView cues);

private:
    TPortProto& port_;
    TRemoteControl* controller_;
    const TProgressEvent progress_;
};

}  // namespace kv
