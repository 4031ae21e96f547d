#include "devices/memory/ScenarioCue.h"

#include "devices/kinds/ChannelIndex.h"
#include "link/PortProto.h"

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

namespace {
struct TMotorKind {
    int32_t kind;
    uint8_t subCode;
    const char* letter;
};
constexpr TMotorKind kMotorKinds[] = {
    {kKindCenter, kMotorCenter, "C"},
    {kKindLeft, kMotorLeft, "L"},
    {kKindRight, kMotorRight, "R"},
    {kKindRotateLeft, kMotorRotateLeft, "LT"},
    {kKindRotateRight, kMotorRotateRight, "RT"},
};
}  // namespace

uint8_t MotorSubCode(int32_t kind)
{
    for (const TMotorKind& motor : kMotorKinds)
        if (motor.kind == kind)
            return motor.subCode;
    return 0;
}

const char* MotorLetter(int32_t kind)
{
    for (const TMotorKind& motor : kMotorKinds)
        if (motor.kind == kind)
            return motor.letter;
    return "";
}

}  // namespace kv
