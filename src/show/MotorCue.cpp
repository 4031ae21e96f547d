#include "show/MotorCue.h"

#include "devices/Controls.h"
#include "devices/MotorControl.h"
#include "devices/ScenarioCue.h"

namespace kv {

int RunMotorCue(TControls& controls, const TScenarioCue& cue)
{
    auto* motor = dynamic_cast<TMotorControl*>(controls.FindByAddress(cue.module));
    if (!motor)
        return 0;
    const int speed = MotorSpeed(cue);
    switch (cue.kind) {
    case kKindCenter:
        return motor->TurnCenter(speed);
    case kKindLeft:
        return motor->TurnLeft(speed);
    case kKindRight:
        return motor->TurnRight(speed);
    case kKindRotateLeft:
        return motor->RotateLeft(MotorDuration(cue), speed);
    case kKindRotateRight:
        return motor->RotateRight(MotorDuration(cue), speed);
    default:
        return 0;
    }
}

}  // namespace kv
