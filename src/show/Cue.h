#pragma once
// One scenario line: fire one channel of one module, or give one motor command, at a moment.
// The device memory transfer takes it as the TScenarioCue it is.

#include "devices/ScenarioCue.h"

#include <cstdint>
#include <string>

namespace kv {

// Highest bus address; module tables never hold more.
constexpr int32_t kMaxModuleAddress = 255;

struct TCue : TScenarioCue {
    std::string timeText;  // as written, at most 32 characters
    std::string note;      // at most 255 characters

    bool IsFiring() const { return kind == kKindFire; }
    bool IsMotor() const { return IsMotorKind(kind); }
    // A cue outside the bus addresses or the channel tables stays in the list to be shown,
    // but must never be marked, written into a module or fired.
    bool IsExecutable() const;
};

}  // namespace kv
