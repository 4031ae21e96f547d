#pragma once
// One scenario line: fire one channel of one module, or give one motor command, at a moment.
// The device memory transfer takes it as the TScenarioCue it is.

#include "devices/memory/ScenarioCue.h"

#include <cstdint>
#include <optional>
#include <string>

namespace kv {

// Highest bus address; module tables never hold more.
constexpr int32_t kMaxModuleAddress = 255;

struct TCue : TScenarioCue {
    std::string timeText;  // as written, at most 32 characters
    std::string note;      // at most 255 characters
    // From a show script, kept in the note (EffectNote.h): when the effect is seen, which
    // differs from the ignition time by the prefire; nullopt for a cue that never said.
    std::optional<int32_t> effectTime;
    std::string effect;    // the effect's name
    std::string position;  // where it stands in the field

    bool IsFiring() const { return kind == kKindFire; }
    bool IsMotor() const { return IsMotorKind(kind); }
    // A cue outside the bus addresses or the channel tables stays in the list to be shown,
    // but must never be marked, written into a module or fired.
    bool IsExecutable() const;
    // The effect time, or the cue time when the cue has none of its own.
    int32_t EffectTime() const { return effectTime.value_or(time); }
};

}  // namespace kv
