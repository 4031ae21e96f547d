#include "console/mainwindow/devices/MotorWord.h"

#include "devices/memory/ScenarioCue.h"
#include "support/lang/Localizer.h"

namespace kv {

std::string MotorWord(int32_t kind)
{
    switch (kind) {
    case kKindCenter:
        return Localize(27, "ЦЕНТР");
    case kKindLeft:
        return Localize(28, "ВЛЕВО");
    case kKindRight:
        return Localize(29, "ВПРАВО");
    case kKindRotateLeft:
        return Localize(30, "Л. ВРАЩ.");
    case kKindRotateRight:
        return Localize(31, "П. ВРАЩ.");
    default:
        return {};
    }
}

}  // namespace kv
