#include "show/scenario/EffectNote.h"
#include "show/import/ScriptTime.h"
#include "show/import/ShowImport.h"
#include "show/scenario/ScenarioFields.h"
#include "support/lang/AddedMessages.h"

#include <algorithm>
#include <map>

namespace kv {

namespace {

constexpr size_t kNoteLength = 255;

void AddDistinct(std::string& joined, const std::string& part)
{
    if (part.empty())
        return;
    if (joined.empty()) {
        joined = part;
        return;
    }
    const std::string kSeparator = " + ";
    const std::string bounded = kSeparator + joined + kSeparator;
    if (bounded.find(kSeparator + part + kSeparator) == std::string::npos)
        joined += kSeparator + part;
}

TCue CueOfRows(const std::vector<const TScriptRow*>& rows)
{
    const TScriptRow& first = *rows.front();
    int32_t effectTime = first.effect;
    std::string effect;
    std::string position;
    for (const TScriptRow* row : rows) {
        effectTime = std::min(effectTime, row->effect);
        AddDistinct(effect, row->effectName);
        AddDistinct(position, row->position);
    }
    TCue cue;
    cue.time = first.ignition;
    cue.timeText = ScenarioTimeText(first.ignition);
    cue.module = first.module;
    cue.channel = first.channel;
    cue.kind = kKindFire;
    cue.note = CutToCharacters(EffectNote(effectTime, position, effect), kNoteLength);
    // The cue holds what its saved line will give back.
    ReadEffectNote(cue);
    return cue;
}

std::string LineList(const std::vector<const TScriptRow*>& rows)
{
    std::string lines;
    for (const TScriptRow* row : rows)
        lines += (lines.empty() ? " " : ", ") + std::to_string(row->line);
    return lines;
}

}  // namespace

std::vector<TCue> MergeScriptRows(const std::vector<TScriptRow>& rows,
                                  std::vector<TImportRefusal>& refused)
{
    std::map<std::pair<int32_t, int32_t>, std::vector<const TScriptRow*>> byChannel;
    for (const TScriptRow& row : rows)
        byChannel[{row.module, row.channel}].push_back(&row);
    std::vector<std::pair<size_t, TCue>> cues;  // with the first row's line
    for (const auto& entry : byChannel) {
        const std::vector<const TScriptRow*>& group = entry.second;
        const bool oneMoment = std::all_of(group.begin(), group.end(), [&](const TScriptRow* row) {
            return row->ignition == group.front()->ignition;
        });
        if (oneMoment) {
            cues.emplace_back(group.front()->line, CueOfRows(group));
            continue;
        }
        const std::string reason = Localize(kMsgImportTwoMoments) + LineList(group);
        for (const TScriptRow* row : group)
            refused.push_back({row->line, reason});
    }
    // Scripts need not be sorted; equal times keep the file's order.
    std::sort(cues.begin(), cues.end(), [](const auto& a, const auto& b) {
        return a.second.time != b.second.time ? a.second.time < b.second.time : a.first < b.first;
    });
    std::vector<TCue> sorted;
    sorted.reserve(cues.size());
    for (auto& entry : cues)
        sorted.push_back(std::move(entry.second));
    return sorted;
}

}  // namespace kv
