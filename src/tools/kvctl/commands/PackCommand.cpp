// Show packages on kvctl's command line: `pack` makes one, and a package named where a
// scenario is asked for brings its soundtrack and settings along.

#include "tools/kvctl/commands/Commands.h"

#include "show/scenario/ProjectList.h"
#include "show/scenario/ScenarioFile.h"
#include "show/scenario/ShowOpen.h"

#include <cstdio>
#include <filesystem>

namespace kv {

int RunPack(const TCtlArguments& arguments)
{
    TProjectList list;
    if (!LoadScenario(arguments.scenario, list))
        return kExitFailed;
    if (const int status = CheckPositionsNamed(arguments, list); status != kExitDone)
        return status;
    TShowPackage package;
    package.scenarioName = list.Name();
    package.scenario = list.Source();
    if (!arguments.soundtrack.empty()) {
        if (const std::string error = ReadScenarioFile(arguments.soundtrack, package.soundtrack);
            !error.empty()) {
            std::fprintf(stderr, "kvctl: %s\n", error.c_str());
            return kExitFailed;
        }
        package.soundtrackName = std::filesystem::path(arguments.soundtrack).filename().string();
    }
    package.settings.tempo = arguments.tempo.value_or(package.settings.tempo);
    package.settings.offset = arguments.offset.value_or(package.settings.offset);
    package.settings.timecodeZero = arguments.timecodeZero;
    package.settings.timecodeRate = arguments.timecodeRate;
    package.settings.lockedPositions = arguments.lockedPositions;
    if (const std::string error = WriteShowPackage(arguments.out, package); !error.empty()) {
        std::fprintf(stderr, "kvctl: %s\n", error.c_str());
        return kExitFailed;
    }
    std::printf("%s: %s, %d cues%s%s\n", arguments.out.c_str(), package.scenarioName.c_str(),
                list.Count(), package.soundtrackName.empty() ? "" : ", ",
                package.soundtrackName.c_str());
    return kExitDone;
}

int OpenPackageArguments(TCtlArguments& arguments, const std::string& stateFolder)
{
    if (arguments.command == "pack" || !IsShowPackage(arguments.scenario))
        return kExitDone;
    TOpenedShow show;
    if (const std::string error = OpenShowPackage(arguments.scenario, stateFolder, show);
        !error.empty()) {
        std::fprintf(stderr, "kvctl: %s: %s\n", arguments.scenario.c_str(), error.c_str());
        return kExitFailed;
    }
    arguments.package = arguments.scenario;
    arguments.scenario = show.scenarioFile;
    // What the command line names goes before what the package holds.
    if (arguments.soundtrack.empty())
        arguments.soundtrack = show.soundtrackFile;
    if (arguments.lockedPositions.empty())
        arguments.lockedPositions = show.settings.lockedPositions;
    if (!arguments.tempo)
        arguments.tempo = show.settings.tempo;
    if (!arguments.offset)
        arguments.offset = show.settings.offset;
    if (!arguments.timecodeZero)
        arguments.timecodeZero = show.settings.timecodeZero;
    if (!arguments.timecodeRate)
        arguments.timecodeRate = show.settings.timecodeRate;
    return kExitDone;
}

}  // namespace kv
