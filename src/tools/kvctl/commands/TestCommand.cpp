// test: the channel test of the given firing modules (all when none), then the list of
// connected channels, and with a scenario its continuity report.

#include "tools/kvctl/commands/Commands.h"
#include "tools/kvctl/JsonOutput.h"

#include "devices/readiness/ChannelTest.h"
#include "devices/readiness/ConnectedChannels.h"
#include "devices/readiness/ContinuityReport.h"
#include "devices/registry/Controls.h"
#include "show/scenario/ProjectList.h"
#include "support/lang/AddedMessages.h"
#include "support/platform/Platform.h"
#include "tools/kvctl/CtlPlatform.h"
#include "tools/kvctl/CtlSession.h"
#include "tools/kvctl/Interrupt.h"
#include "tools/kvctl/ProgressLine.h"

#include <cstdio>

namespace kv {

namespace {

TCommonControl* FiringModule(TControls& controls, int address)
{
    if (!IsFiringModuleAddress(address))
        return nullptr;
    return dynamic_cast<TCommonControl*>(controls.FindByAddress(address));
}

}  // namespace

int RunTest(TCtlSession& session, const TCtlArguments& arguments, TCtlPlatform& platform)
{
    const std::vector<int>& wanted = arguments.modules;
    session.Search(arguments.addresses);
    TControls& controls = session.Controls();
    TChannelTest test(controls);
    TProgressLine progress;
    session.Prepare(test, progress);
    bool completed = true;
    // Each module's run-log line is the result line.
    platform.EchoLog(!arguments.json);
    if (wanted.empty()) {
        completed = test.TestAll();
    } else {
        for (const int address : wanted) {
            TCommonControl* module = FiringModule(controls, address);
            if (!module) {
                std::fprintf(stderr, "kvctl: %s %d\n", Localize(kMsgCtlNoFiringModuleAt).c_str(),
                             address);
                completed = false;
                continue;
            }
            if (!test.TestModule(*module))
                break;
        }
    }
    platform.EchoLog(false);
    QJsonObject json{{"modules", ConnectedChannelsJson(controls)}};
    if (!arguments.json)
        for (const std::string& line : ConnectedChannelsLines(controls))
            std::printf("%s\n", line.c_str());
    const bool done = completed && !Interrupted();
    json["completed"] = done;
    TProjectList scenario;
    if (!done || arguments.scenario.empty() || !LoadScenario(arguments.scenario, scenario)) {
        if (arguments.json)
            PrintJson(json);
        return done && arguments.scenario.empty() ? 0 : 1;
    }
    const TContinuityReport report =
        BuildContinuityReport(controls, scenario.Cues(), test.thresholds);
    json["continuity"] = ContinuityJson(report);
    if (arguments.json)
        PrintJson(json);
    else
        for (const std::string& line : ContinuityReportLines(report))
            std::printf("%s\n", line.c_str());
    // A script must not go on to fire a show with channels that will not fire.
    return report.ShowStoppers() == 0 ? 0 : 1;
}

}  // namespace kv
