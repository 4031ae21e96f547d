#include "show/scenario/Cue.h"

namespace kv {

bool TCue::IsExecutable() const
{
    if (module < 0 || module > kMaxModuleAddress)
        return false;
    return IsMotor() || IsWritableFiringCue(*this);
}

}  // namespace kv
