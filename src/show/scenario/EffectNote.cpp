#include "show/scenario/EffectNote.h"

#include "show/scenario/CueTime.h"

#include <string_view>

namespace kv {

std::string EffectNote(int32_t effectTime, const std::string& position, const std::string& effect)
{
    return "|" + ScenarioTimeText(effectTime) + "|" + position + "|" + effect;
}

void ReadEffectNote(TCue& cue)
{
    std::string_view note = cue.note;
    if (!note.starts_with('|'))
        return;
    note.remove_prefix(1);
    const size_t timeEnd = note.find('|');
    const size_t positionEnd =
        timeEnd == std::string_view::npos ? timeEnd : note.find('|', timeEnd + 1);
    if (positionEnd == std::string_view::npos)
        return;
    // A note of other words is only a note.
    const std::optional<int32_t> effectTime = ParseCueTime(note.substr(0, timeEnd));
    if (!effectTime)
        return;
    cue.effectTime = effectTime;
    cue.position = std::string(note.substr(timeEnd + 1, positionEnd - timeEnd - 1));
    cue.effect = std::string(note.substr(positionEnd + 1));
}

}  // namespace kv
