// The commands that need no bus: a frame's wire bytes, a scenario's cues, a firing report's
// figures, a run log in UTF-8; and the scenario load every command shares.

#include "tools/kvctl/commands/Commands.h"
#include "tools/kvctl/JsonOutput.h"

#include "link/FrameCheck.h"
#include "link/FrameRecord.h"
#include "show/report/FiringReportFile.h"
#include "show/report/FiringSummary.h"
#include "show/scenario/ProjectList.h"
#include "show/scenario/ScenarioFile.h"
#include "show/scenario/ScenarioParser.h"
#include "support/lang/AddedMessages.h"
#include "support/text/TextEncoding.h"

#include <cstdio>
#include <filesystem>

namespace kv {

int RunFrame(const TCtlArguments& arguments)
{
    uint8_t wire[kFrameSize];
    for (size_t i = 0; i < 6; ++i)
        wire[i] = static_cast<uint8_t>(arguments.frameBytes.at(i));
    wire[6] = FrameCheck(wire, 6);
    std::printf("%02X %02X %02X %02X %02X %02X %02X\n", wire[0], wire[1], wire[2], wire[3],
                wire[4], wire[5], wire[6]);
    return 0;
}

bool LoadScenario(const std::string& path, TProjectList& list)
{
    std::string bytes;
    if (const std::string error = ReadScenarioFile(path, bytes); !error.empty()) {
        std::fprintf(stderr, "kvctl: %s\n", error.c_str());
        return false;
    }
    std::vector<TCue> cues;
    if (const size_t badLine = ParseScenarioText(DecodeText(bytes), cues); badLine != 0) {
        std::fprintf(stderr, "%s:%zu: %s %zu).\n", path.c_str(), badLine,
                     Localize(94, "Ошибка загрузки сценария (строка:").c_str(), badLine);
        return false;
    }
    list.Assign(std::move(cues), std::filesystem::path(path).filename().string());
    return true;
}

int RunScenario(const TCtlArguments& arguments)
{
    TProjectList list;
    if (!LoadScenario(arguments.scenario, list))
        return 1;
    if (arguments.json) {
        PrintJson({{"cues", CuesJson(list.Cues())}});
        return kExitDone;
    }
    for (const TCue& cue : list.Cues())
        std::printf("%d\t%d\t%d\t%d\t%d\t%d\t%s\t%s\n", cue.time, cue.module, cue.channel,
                    cue.kind, cue.parameter1, cue.parameter2, cue.timeText.c_str(),
                    cue.note.c_str());
    return 0;
}

int RunLog(const TCtlArguments& arguments)
{
    std::string bytes;
    if (const std::string error = ReadScenarioFile(arguments.input, bytes); !error.empty()) {
        std::fprintf(stderr, "kvctl: %s\n", error.c_str());
        return kExitFailed;
    }
    // Run logs are written in Windows-1251 for the operators' tools.
    std::fputs(DecodeText(bytes).c_str(), stdout);
    return kExitDone;
}

int RunReport(const TCtlArguments& arguments)
{
    std::vector<TCueRecord> records;
    size_t line = 0;
    const std::string problem = ReadFiringReport(arguments.input, records, &line);
    if (!problem.empty() && line == 0)
        std::fprintf(stderr, "kvctl: %s\n", problem.c_str());
    else if (!problem.empty())
        std::fprintf(stderr, "%s:%zu: %s\n", arguments.input.c_str(), line,
                     Localize(line == 1 ? kMsgReportNoHeader : kMsgReportLineUnreadable).c_str());
    if (!problem.empty())
        return kExitFailed;
    const TFiringSummary summary = SummarizeFiring(records);
    if (arguments.json)
        PrintJson(SummaryJson(summary));
    else
        for (const std::string& line : FiringSummaryLines(summary))
            std::printf("%s\n", line.c_str());
    return 0;
}

}  // namespace kv
