#include "show/scenario/ScenarioWriter.h"

namespace kv {

std::string FiringScenarioText(std::span<const TCue> cues)
{
    std::string text;
    for (const TCue& cue : cues) {
        if (!cue.IsFiring())
            continue;
        text += cue.timeText + "\t" + std::to_string(cue.module) + "\t" +
                std::to_string(cue.channel + 1);
        if (!cue.note.empty())
            text += "\t" + cue.note;
        text += "\r\n";
    }
    return text;
}

}  // namespace kv
