#include "show/EffectNote.h"

#include "show/CueTime.h"
#include "show/ScriptTime.h"

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
    const std::string_view time = note.substr(0, timeEnd);
    // ParseCueTime reads anything; a note of other words must not become an effect time of 0.
    if (time.empty() || time.find_first_not_of("-0123456789:.") != std::string_view::npos)
        return;
    cue.effectTime = ParseCueTime(time);
    cue.position = std::string(note.substr(timeEnd + 1, positionEnd - timeEnd - 1));
    cue.effect = std::string(note.substr(positionEnd + 1));
}

}  // namespace kv
