// gonogo: the go/no-go check of a scenario against the field as this run finds it. The
// search, a channel test of the modules the scenario fires, and in autonomous control a
// verify of every module's memory; then the headline and the lines, worst first.

#include "tools/kvctl/commands/Commands.h"
#include "tools/kvctl/JsonOutput.h"

#include "devices/readiness/ChannelTest.h"
#include "devices/kinds/CommonControl.h"
#include "devices/registry/Controls.h"
#include "devices/memory/ModuleTransfer.h"
#include "devices/readiness/GoNoGo.h"
#include "show/player/ExtPlayer.h"
#include "show/scenario/ProjectList.h"
#include "support/platform/Platform.h"
#include "tools/kvctl/CtlSession.h"
#include "tools/kvctl/Interrupt.h"
#include "tools/kvctl/ProgressLine.h"

#include <cstdio>
#include <set>

namespace kv {

namespace {

// false when the operator stopped it.
bool TestScenarioModules(TCtlSession& session, TCueView cues)
{
    TControls& controls = session.Controls();
    std::set<int> fired;
    for (size_t i = 0; i < cues.size(); ++i)
        if (cues[i].kind == kKindFire)
            fired.insert(cues[i].module);
    TChannelTest test(controls);
    TProgressLine progress;
    session.Prepare(test, progress);
    for (int index = 0; index < controls.Count(); ++index) {
        auto* module = dynamic_cast<TCommonControl*>(controls.DeviceAt(index));
        if (module && IsFiringModuleAddress(module->address) && fired.contains(module->address) &&
            !test.TestModule(*module))
            return false;
    }
    return !Interrupted();
}

// What each module's memory holds of the scenario: a fresh run knows none of it.
bool VerifyMemories(TControls& controls, TCueView cues)
{
    TProgressLine progress;
    TModuleTransfer transfer(controls, [&progress](int percent, int, bool& abort, int, int address) {
        progress.Show("verify " + std::to_string(address) + " " + std::to_string(percent) + "%");
        Platform().ProcessMessages();
        abort = Interrupted();
    });
    Ignore(transfer.VerifyEachModule(cues), "each module keeps what its memory was found to hold");
    return !Interrupted();
}

}  // namespace

int RunGoNoGo(TCtlSession& session, const TCtlArguments& arguments)
{
    TProjectList list;
    if (!LoadScenario(arguments.scenario, list))
        return 1;
    TExtPlayer& player = session.Player();
    if (!arguments.soundtrack.empty())
        player.LoadSoundtrack(arguments.soundtrack);
    session.Search(arguments.addresses);
    TControls& controls = session.Controls();
    // Stopped half way, the check would call go what it never looked at.
    if (Interrupted() || !TestScenarioModules(session, list.Cues()) ||
        (arguments.autonomous && !VerifyMemories(controls, list.Cues())))
        return 1;

    TGoNoGoFacts facts;
    facts.cues = list.Cues();
    facts.thresholds = session.Thresholds();
    facts.converterCount = session.Port().ConverterCount();
    facts.absentConverters = session.Port().AbsentConverters();
    facts.converterLost = session.converterLost;
    facts.autonomous = arguments.autonomous;
    TBassPlayer& soundtrack = player.Soundtrack();
    facts.soundtrackLoaded = soundtrack.Loaded();
    facts.soundtrackMs = soundtrack.Loaded() ? soundtrack.TimeLength() : 0;
    facts.now = Platform().TickCount();
    const std::vector<TGoFinding> findings = CheckGoNoGo(controls, facts);
    if (arguments.json) {
        PrintJson(GoNoGoJson(findings));
    } else {
        std::printf("%s\n", GoNoGoSummary(findings).c_str());
        for (const TGoFinding& finding : findings)
            std::printf("%s\n", GoFindingLine(finding).c_str());
    }
    player.UnloadSoundtrack();
    return IsNoGo(findings) ? 1 : 0;
}

}  // namespace kv
