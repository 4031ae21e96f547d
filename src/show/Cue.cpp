#include "show/Cue.h"

namespace kv {

bool TCue::IsExecutable() const
{
    if (module < 0 || module > kMaxModuleAddress)
        return false;
    if (IsMotor())
        return true;
    return IsFiring() && channel >= 0 && channel < kChannelTableSize;
}

}  // namespace kv
