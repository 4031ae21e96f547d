// show: a show run as the console runs it in automatic firing, until it stops by itself or
// the operator stops it; then the fired channels not yet checked are checked, and the firing
// report is written when asked for.

#include "tools/kvctl/Commands.h"

#include "devices/CheckedChannel.h"
#include "devices/Controls.h"
#include "show/ExtPlayer.h"
#include "show/FiringReportFile.h"
#include "show/ProjectList.h"
#include "show/ShowLaunch.h"
#include "support/Platform.h"
#include "support/RunLog.h"
#include "tools/kvctl/CtlPlatform.h"
#include "tools/kvctl/CtlSession.h"
#include "tools/kvctl/Interrupt.h"

#include <QEventLoop>

#include <cstdio>

namespace kv {

namespace {

constexpr uint32_t kInterruptPollMs = 25;

enum class TEnd { Running, Finished, RemoteStop, Operator };

void WirePlayer(TCtlSession& session, TEnd& end, QEventLoop& loop)
{
    TExtPlayer& player = session.Player();
    TControls& controls = session.Controls();
    player.OnStateChange = [&session, &player, &end, &loop] {
        if (player.IsRunning()) {
            session.launchState = 2;
            return;
        }
        LogShowStop();
        session.launchState = 1;
        if (end == TEnd::Running)
            end = TEnd::Finished;
        loop.quit();
    };
    player.OnRemoteStop = [&end] {
        end = TEnd::RemoteStop;
        LogRemoteStop();
    };
    player.OnChecked = [&controls](int module, int channel) {
        WriteLog(CheckedChannelLogLine(controls, module, channel));
    };
    // The console's device poll, one device per quiet gap.
    player.OnIdle = [&controls, next = 0]() mutable {
        if (controls.Count() == 0)
            return;
        next %= controls.Count();
        controls.DeviceAt(next++)->Poll();
    };
}

// The console's idle timer goes on checking after the show; kvctl does so before it exits.
void CheckRemaining(TCtlSession& session)
{
    TExtPlayer& player = session.Player();
    while (player.HasUnchecked() && !Interrupted()) {
        session.Wait(TExtPlayer::kCheckDelayMs);
        player.CheckNext();
    }
}

}  // namespace

int RunShow(TCtlSession& session, const TCtlArguments& arguments, TCtlPlatform& platform)
{
    platform.EchoLog(true);
    session.launchState = 1;
    TProjectList list;
    if (!LoadScenario(arguments.positional[0], list, platform))
        return 1;
    if (!arguments.trace.empty() && !session.StartTrace(arguments.trace)) {
        std::fprintf(stderr, "cannot write %s\n", arguments.trace.c_str());
        return 1;
    }
    TExtPlayer& player = session.Player();
    if (!arguments.soundtrack.empty())
        player.LoadSoundtrack(arguments.soundtrack);
    session.Search(arguments.addresses);
    list.MarkUsedChannels(session.Controls());

    player.scenario = &list;
    player.firingMode = kFiringAutomatic;
    player.controlMode = arguments.autonomous ? kControlAutonomous : kControlDirect;
    player.SetTempo(arguments.tempo);
    player.offset = arguments.offset;
    player.currentTime = arguments.from;

    QEventLoop loop;
    TEnd end = TEnd::Running;
    WirePlayer(session, end, loop);
    const auto watch = Platform().CreateTimer([&] {
        if (Interrupted() && player.IsRunning()) {
            end = TEnd::Operator;
            player.Stop(false);
        }
    });
    watch->SetInterval(kInterruptPollMs);
    watch->SetEnabled(true);
    StartShow(player);
    if (player.IsRunning())
        loop.exec();
    watch->SetEnabled(false);
    CheckRemaining(session);
    player.UnloadSoundtrack();
    if (!arguments.report.empty() && !WriteFiringReport(player.FiringReport(), arguments.report)) {
        std::fprintf(stderr, "cannot write %s\n", arguments.report.c_str());
        return 1;
    }
    return end == TEnd::Finished ? 0 : 1;
}

}  // namespace kv
