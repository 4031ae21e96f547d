#include "show/MotorCommand.h"

#include "show/CueTime.h"
#include "show/ScenarioFields.h"

#include <algorithm>
#include <array>
#include <limits>

namespace kv {

namespace {

constexpr int32_t kFullSpeed = 255;

// The word and up to two parameters; items beyond them are never read.
struct TItems {
    std::array<std::string_view, 3> item;
    size_t count = 0;
};

TItems SplitItems(std::string_view text)
{
    TItems items;
    while (items.count < items.item.size()) {
        const size_t cut = text.find('#');
        items.item[items.count++] = text.substr(0, cut);
        if (cut == std::string_view::npos)
            break;
        text.remove_prefix(cut + 1);
    }
    return items;
}

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
        {"C", kCueMotorCenter}, {"L", kCueMotorLeft},    {"R", kCueMotorRight},
        {"LT", kCueRotateLeft}, {"RT", kCueRotateRight},
    };
    for (const auto& [name, kind] : kWords)
        if (SameWord(word, name))
            return kind;
    return kCueFire;
}

}  // namespace

bool ParseMotorCommand(std::string_view action, TCue& cue)
{
    const TItems items = SplitItems(action.substr(1));
    cue.kind = KindOf(items.item[0]);
    if (cue.kind == kCueFire)
        return false;
    cue.parameter1 = kFullSpeed;
    if (cue.kind == kCueRotateLeft || cue.kind == kCueRotateRight) {
        cue.parameter2 = kFullSpeed;
        if (items.count > 1)
            cue.parameter1 = ParseCueTime(items.item[1]) / 100;  // tenths of a second
        return items.count < 3 || ParseSpeed(items.item[2], cue.parameter2);
    }
    cue.parameter2 = 0;
    return items.count < 2 || ParseSpeed(items.item[1], cue.parameter1);
}

}  // namespace kv
