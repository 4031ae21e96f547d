#include "show/scenario/MotorCommand.h"

#include "show/scenario/CueTime.h"
#include "show/scenario/ScenarioFields.h"
#include "support/text/DivStrings.h"

#include <algorithm>
#include <limits>

namespace kv {

namespace {

constexpr int32_t kFullSpeed = 255;

bool SameWord(std::string_view text, std::string_view upperWord)
{
    return std::equal(text.begin(), text.end(), upperWord.begin(), upperWord.end(),
                      [](char a, char b) { return (a >= 'a' && a <= 'z' ? a - 32 : a) == b; });
}

// A percentage of full speed, not range-checked: 100 gives 255, 50 gives 127.
bool ParseSpeed(std::string_view text, int32_t& speed)
{
    int32_t percent = 0;
    if (!ParseDecimalInt(text, percent))
        return false;
    const int64_t value = int64_t{percent} * kFullSpeed / 100;
    speed = static_cast<int32_t>(std::clamp<int64_t>(value, std::numeric_limits<int32_t>::min(),
                                                     std::numeric_limits<int32_t>::max()));
    return true;
}

int32_t KindOf(std::string_view word)
{
    constexpr std::pair<std::string_view, int32_t> kWords[] = {
        {"C", kKindCenter}, {"L", kKindLeft},    {"R", kKindRight},
        {"LT", kKindRotateLeft}, {"RT", kKindRotateRight},
    };
    for (const auto& [name, kind] : kWords)
        if (SameWord(word, name))
            return kind;
    return kKindFire;
}

}  // namespace

bool ParseMotorCommand(std::string_view action, TCue& cue)
{
    // Items beyond the word and its two parameters are ignored.
    const TZkStrings items(action.substr(1), '#');
    cue.kind = KindOf(items.Get(0));
    if (cue.kind == kKindFire)
        return false;
    cue.parameter1 = kFullSpeed;
    if (cue.kind == kKindRotateLeft || cue.kind == kKindRotateRight) {
        cue.parameter2 = kFullSpeed;
        if (items.Count() > 1) {
            const std::optional<int32_t> duration = ParseCueTime(items.Get(1));
            if (!duration)
                return false;
            cue.parameter1 = *duration / 100;  // tenths of a second
        }
        return items.Count() < 3 || ParseSpeed(items.Get(2), cue.parameter2);
    }
    cue.parameter2 = 0;
    return items.Count() < 2 || ParseSpeed(items.Get(1), cue.parameter1);
}

}  // namespace kv
