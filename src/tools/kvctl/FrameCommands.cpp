// The commands that need no bus: a frame's wire bytes, a scenario's cues, a firing report's
// figures.

#include "tools/kvctl/Commands.h"

#include "link/FrameCheck.h"
#include "link/FrameRecord.h"
#include "show/FiringReportFile.h"
#include "show/FiringSummary.h"
#include "show/ProjectList.h"
#include "tools/kvctl/CtlPlatform.h"

#include <cstdio>

namespace kv {

int RunFrame(const TCtlArguments& arguments)
{
    uint8_t wire[kFrameSize];
    for (size_t i = 0; i < 6; ++i) {
        const auto byte = ParseHexByte(arguments.positional[i]);
        if (!byte) {
            std::fprintf(stderr, "not a hex byte: %s\n%s", arguments.positional[i].c_str(),
                         CtlUsage().c_str());
            return 2;
        }
        wire[i] = *byte;
    }
    wire[6] = FrameCheck(wire, 6);
    std::printf("%02X %02X %02X %02X %02X %02X %02X\n", wire[0], wire[1], wire[2], wire[3],
                wire[4], wire[5], wire[6]);
    return 0;
}

bool LoadScenario(const std::string& path, TProjectList& list, TCtlPlatform& platform)
{
    const int reported = platform.messageCount;
    list.Load(path);
    return platform.messageCount == reported;
}

int RunScenario(const TCtlArguments& arguments, TCtlPlatform& platform)
{
    TProjectList list;
    if (!LoadScenario(arguments.positional[0], list, platform))
        return 1;
    for (const TCue& cue : list.Cues())
        std::printf("%d\t%d\t%d\t%d\t%d\t%d\t%s\t%s\n", cue.time, cue.module, cue.channel,
                    cue.kind, cue.parameter1, cue.parameter2, cue.timeText.c_str(),
                    cue.note.c_str());
    return 0;
}

int RunReport(const TCtlArguments& arguments)
{
    std::vector<TCueRecord> records;
    const std::string problem = ReadFiringReport(arguments.positional[0], records);
    if (!problem.empty()) {
        std::fprintf(stderr, "%s\n", problem.c_str());
        return 1;
    }
    for (const std::string& line : FiringSummaryLines(SummarizeFiring(records)))
        std::printf("%s\n", line.c_str());
    return 0;
}

}  // namespace kv
