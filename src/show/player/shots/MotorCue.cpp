#include "show/player/shots/MotorCue.h"

#include "devices/registry/Controls.h"
#include "devices/kinds/MotorControl.h"
#include "devices/memory/ScenarioCue.h"
#include "support/lang/AddedMessages.h"
#include "support/log/RunLog.h"

#include <algorithm>
#include <string>

namespace kv {

namespace {

constexpr int kFullSpeed = 255;

}  // namespace

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

void RestoreMotorPosition(TControls& controls, std::span<const TCue> cues, int module,
                          const std::function<bool(const TCue&)>& counts)
{
    if (!dynamic_cast<TMotorControl*>(controls.FindByAddress(module)))
        return;
    const auto last = std::find_if(cues.rbegin(), cues.rend(), [&](const TCue& cue) {
        return cue.module == module && cue.IsMotor() && counts(cue);
    });
    if (last == cues.rend())
        return;
    const std::string which = " " + std::to_string(module);
    // How far a rotation turned the launcher depends on where it began and on the motor.
    if (last->kind == kKindRotateLeft || last->kind == kKindRotateRight) {
        WriteLog(Localize(kMsgMotorPositionUnknown) + which);
        return;
    }
    TScenarioCue turn = *last;
    turn.parameter1 = kFullSpeed;
    if (RunMotorCue(controls, turn) != 0)
        WriteLog(Localize(kMsgMotorPositionNotTaken) + which);
    else
        WriteLog(Localize(kMsgMotorPositionSet) + which + " (" + MotorLetter(turn.kind) + ")");
}

}  // namespace kv
