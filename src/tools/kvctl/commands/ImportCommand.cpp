// kvctl import: a design program's show script into a scenario file.
#include "show/import/ShowImport.h"
#include "show/scenario/ScenarioFile.h"
#include "show/scenario/ScenarioWriter.h"
#include "tools/kvctl/commands/Commands.h"
#include "tools/kvctl/JsonOutput.h"

#include <cstdio>

namespace kv {

int RunImport(const TCtlArguments& arguments)
{
    const std::string& path = arguments.input;
    std::string bytes;
    if (const std::string error = ReadScenarioFile(path, bytes); !error.empty()) {
        std::fprintf(stderr, "kvctl: %s\n", error.c_str());
        return 1;
    }
    const TImportResult result =
        ImportShowScript(bytes, {.format = arguments.format,
                                 .railSize = arguments.railSize,
                                 .fps = arguments.fps,
                                 .dropFrame = arguments.dropFrame});
    if (!result.problem.empty()) {
        std::fprintf(stderr, "kvctl: %s: %s\n", path.c_str(), result.problem.c_str());
        return 1;
    }
    for (const TImportRefusal& refusal : result.refused)
        std::fprintf(stderr, "%s:%zu: %s\n", path.c_str(), refusal.line, refusal.reason.c_str());
    const std::string format(ScriptFormatName(result.format));
    // A show with holes in it is written only when the operator asked for it.
    const bool write = (result.refused.empty() || arguments.partial) && !result.cues.empty();
    if (arguments.json)
        PrintJson({{"format", QString::fromStdString(format)},
                   {"cues", CuesJson(result.cues)},
                   {"refused", RefusalsJson(result.refused)},
                   {"written", write}});
    if (!write)
        return 1;
    if (const std::string error = WriteScenarioFile(arguments.out, FiringScenarioText(result.cues));
        !error.empty()) {
        std::fprintf(stderr, "kvctl: %s\n", error.c_str());
        return 1;
    }
    if (arguments.json)
        return 0;
    std::printf("%s: %zu cues, %zu rows refused\n", format.c_str(), result.cues.size(),
                result.refused.size());
    return 0;
}

}  // namespace kv
