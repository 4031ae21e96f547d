#include "devices/ScenarioCue.h"

#include "devices/ChannelIndex.h"

namespace kv {

bool IsMotorKind(int32_t kind)
{
    return kind >= kKindCenter && kind <= kKindRotateRight;
}

bool IsWritableFiringCue(const TScenarioCue& cue)
{
    return cue.kind == kKindFire && ValidChannel(cue.channel);
}

static bool IsRotation(int32_t kind)
{
    return kind == kKindRotateLeft || kind == kKindRotateRight;
}

int32_t MotorSpeed(const TScenarioCue& cue)
{
    return IsRotation(cue.kind) ? cue.parameter2 : cue.parameter1;
}

int32_t MotorDuration(const TScenarioCue& cue)
{
    return IsRotation(cue.kind) ? cue.parameter1 : 0;
}

uint8_t MotorSubCode(int32_t kind)
{
    switch (kind) {
    case kKindCenter: return 0x98;
    case kKindLeft: return 0x94;
    case kKindRight: return 0x92;
    case kKindRotateLeft: return 0x81;
    case kKindRotateRight: return 0x91;
    default: return 0;
    }
}

}  // namespace kv
