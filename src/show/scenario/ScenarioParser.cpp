#include "show/scenario/ScenarioParser.h"

#include "show/scenario/CueTime.h"
#include "show/scenario/EffectNote.h"
#include "show/scenario/MotorCommand.h"
#include "show/scenario/ScenarioFields.h"

#include <limits>
#include <optional>

namespace kv {

namespace {

constexpr size_t kTimeTextLength = 32;
constexpr size_t kNoteLength = 255;

bool ParseChannel(std::string_view field, int32_t& channel)
{
    int32_t number = 0;
    // The lowest number has no zero-based channel below it.
    if (!ParseDecimalInt(field, number) || number == std::numeric_limits<int32_t>::min())
        return false;
    channel = number - 1;
    return true;
}

// Cuts the next line off text; a CR LF pair, a lone LF and a lone CR each end one line.
std::string_view NextLine(std::string_view& text)
{
    const size_t end = text.find_first_of("\r\n");
    const std::string_view line = text.substr(0, end);
    if (end == std::string_view::npos) {
        text = {};
    } else {
        const bool crlf = text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n';
        text.remove_prefix(end + (crlf ? 2 : 1));
    }
    return line;
}

}  // namespace

bool ParseCueLine(std::string_view line, TCue& cue)
{
    const std::string_view timeField = NextField(line);
    const std::optional<int32_t> time = ParseCueTime(timeField);
    if (!time)
        return false;
    cue.time = *time;
    cue.timeText = CutToCharacters(timeField, kTimeTextLength);
    if (!ParseDecimalInt(NextField(line), cue.module))
        return false;
    const std::string_view action = NextField(line);
    const bool actionRead = !action.empty() && action.front() == '#'
                                ? ParseMotorCommand(action, cue)
                                : ParseChannel(action, cue.channel);
    if (!actionRead)
        return false;
    cue.note = CutToCharacters(NoteField(line), kNoteLength);
    ReadEffectNote(cue);
    return true;
}

size_t ParseScenarioText(std::string_view text, std::vector<TCue>& cues)
{
    size_t lineNumber = 0;
    while (!text.empty()) {
        const std::string_view line = NextLine(text);
        ++lineNumber;
        if (line.empty())
            continue;
        TCue cue;
        if (!ParseCueLine(line, cue)) {
            cues.clear();
            return lineNumber;
        }
        cues.push_back(std::move(cue));
    }
    return 0;
}

}  // namespace kv
