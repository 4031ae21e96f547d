// libFuzzer target: any bytes a show script may hold, with the options an operator may give,
// through the import and back through the scenario text it writes.
#include "FuzzRequire.h"
#include "show/import/ShowImport.h"
#include "show/scenario/ScenarioParser.h"
#include "show/scenario/ScenarioWriter.h"
#include "support/text/TextEncoding.h"

#include <cstdint>
#include <set>
#include <string_view>
#include <utility>
#include <vector>

using kv::fuzz::Require;

namespace {

// The first byte picks the options, so the corpus reaches every layout, rail size and frame
// count.
kv::TImportOptions Options(uint8_t choice)
{
    constexpr kv::TScriptFormat kFormats[] = {kv::TScriptFormat::Interchange,
                                              kv::TScriptFormat::Rail, kv::TScriptFormat::Frames,
                                              kv::TScriptFormat::Plain};
    kv::TImportOptions options;
    if (choice & 4)
        options.format = kFormats[choice & 3];
    options.railSize = (choice >> 3 & 3) * 8;
    options.fps = (choice & 0x20) ? 29.97 : (choice & 0x40) ? 30 : 0;
    options.dropFrame = (choice & 0x80) != 0;
    return options;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    const std::string_view bytes(reinterpret_cast<const char*>(data + 1), size - 1);
    const kv::TImportResult result = kv::ImportShowScript(bytes, Options(data[0]));
    if (!result.problem.empty()) {
        Require(result.cues.empty() && result.refused.empty());
        return 0;
    }
    size_t lastLine = 0;
    for (const kv::TImportRefusal& refusal : result.refused) {
        // A line can hold no more than its bytes.
        Require(refusal.line >= std::max<size_t>(lastLine, 1) && refusal.line <= bytes.size());
        Require(!refusal.reason.empty() && kv::IsValidUtf8(refusal.reason));
        lastLine = refusal.line;
    }
    std::set<std::pair<int32_t, int32_t>> channels;
    int32_t lastTime = INT32_MIN;
    for (const kv::TCue& cue : result.cues) {
        Require(cue.IsFiring() && cue.IsExecutable());
        Require(cue.module >= 1 && cue.module <= 239 && cue.channel >= 0 && cue.channel < 512);
        // Nothing fires twice: one cue a channel.
        Require(channels.insert({cue.module, cue.channel}).second);
        Require(cue.time >= lastTime);
        lastTime = cue.time;
        Require(kv::IsValidUtf8(cue.note) && kv::IsValidUtf8(cue.effect) &&
                kv::IsValidUtf8(cue.position));
    }
    // The scenario written loads again into the same cues.
    std::vector<kv::TCue> loaded;
    Require(kv::ParseScenarioText(kv::FiringScenarioText(result.cues), loaded) == 0);
    Require(loaded.size() == result.cues.size());
    for (size_t i = 0; i < loaded.size(); ++i) {
        const kv::TCue& cue = result.cues[i];
        Require(loaded[i].time == cue.time && loaded[i].module == cue.module &&
                loaded[i].channel == cue.channel && loaded[i].effectTime == cue.effectTime &&
                loaded[i].effect == cue.effect && loaded[i].position == cue.position);
    }
    return 0;
}
