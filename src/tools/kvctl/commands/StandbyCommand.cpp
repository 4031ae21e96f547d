// standby: this station as the standby of a primary station on the same bus. It follows the
// primary's show and, when the primary falls silent mid-show, goes on with it where it stands,
// firing only what it did not hear fired. It ends with the show it followed or took over.

#include "tools/kvctl/commands/Commands.h"
#include "tools/kvctl/commands/ShowEnd.h"

#include "devices/memory/ScenarioChecks.h"
#include "devices/registry/Controls.h"
#include "show/player/ExtPlayer.h"
#include "show/scenario/ProjectList.h"
#include "show/session/ShowSession.h"
#include "show/standby/Standby.h"
#include "support/lang/AddedMessages.h"
#include "support/log/RunLog.h"
#include "support/platform/Platform.h"
#include "tools/kvctl/CtlPlatform.h"
#include "tools/kvctl/CtlSession.h"
#include "tools/kvctl/Interrupt.h"

#include <QEventLoop>

namespace kv {

namespace {

// The station numbers carry no show: the operator says it is the same one, or nothing is
// armed. Then the console's questions on the modules' state, as before a start.
bool Confirmed(TCtlSession& session, const TProjectList& list)
{
    const bool same = Platform().MessageBox(Localize(kMsgStandbySameShowUnchecked),
                                            Localize(68, "Предупреждение"),
                                            TButtons::YesNo) == TAnswer::Yes;
    if (same && WarningsAccepted(ModuleStateWarnings(session.Controls(), list.Cues())))
        return true;
    WriteLog(Localize(kMsgStartCalledOffWarning));
    return false;
}

// Waits until the followed show stops, or the show taken over ends, or the operator stops.
TEnd Follow(TCtlSession& session, TStandby& standby)
{
    TExtPlayer& player = session.Player();
    QEventLoop loop;
    TEnd end = TEnd::Running;
    WirePlayer(session, end, loop);
    const auto watch = Platform().CreateTimer([&] {
        if (player.IsRunning()) {
            if (Interrupted()) {
                end = TEnd::Operator;
                player.Stop(false);
            }
            return;
        }
        if (standby.TookOver())
            return;  // the player's end ends the wait
        const TFollowedShow show = standby.Follower()->Show();
        // The operator's stop stops the show it follows, on the primary too.
        if (Interrupted() && show == TFollowedShow::Running)
            player.Stop(false);
        if (Interrupted())
            end = TEnd::Operator;
        else if (show == TFollowedShow::Stopped)
            end = TEnd::Finished;
        else if (show == TFollowedShow::Silent)
            end = TEnd::Refused;  // silent, and not taken over: told in the log
        if (end != TEnd::Running)
            loop.quit();
    });
    watch->SetInterval(kInterruptPollMs);
    watch->SetEnabled(true);
    // A Ctrl+C the watch has not seen yet: the show taken over stops before its first cue.
    standby.OnTakeover = [&] {
        if (Interrupted()) {
            end = TEnd::Operator;
            player.Stop(false);
        }
    };
    loop.exec();
    standby.OnTakeover = nullptr;
    return end;
}

}  // namespace

int RunStandby(TCtlSession& session, const TCtlArguments& arguments, TCtlPlatform& platform)
{
    platform.EchoLog(!arguments.json);
    CatchSuspendAndQuit();
    session.launchState = kLaunchReady;
    TProjectList list;
    if (!LoadScenario(arguments.scenario, list) || !TraceAsAsked(session, arguments))
        return 1;
    session.Search(arguments.addresses);
    MarkScenarioChannels(session.Controls(), list.Cues());
    TExtPlayer& player = session.Player();
    TShowSetup setup = player.Setup();
    setup.scenario = &list;
    setup.firingMode = kFiringAutomatic;
    setup.controlMode = arguments.autonomous ? kControlAutonomous : kControlDirect;
    if (!player.Configure(setup) || Interrupted() || !Confirmed(session, list))
        return 1;
    player.SetTempo(arguments.tempo.value_or(1000));
    player.SetOffset(arguments.offset.value_or(0));

    TStandby& standby = session.Engine().ArmStandby(
        {arguments.primaryId, arguments.takeoverMs, player.Tempo()});
    const TEnd end = Follow(session, standby);
    const bool tookOver = standby.TookOver();
    const int primary = standby.Follower()->PrimaryId();
    const TFiringReport heard = standby.HeardReport();
    session.Engine().DisarmStandby();
    QJsonObject json{{"took_over", tookOver},
                     {"primary_station", primary != 0 ? QJsonValue(primary) : QJsonValue()}};
    return FinishShow(session, arguments, tookOver ? player.FiringReport() : heard, end, false,
                      json);
}

}  // namespace kv
