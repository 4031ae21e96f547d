// What kvctl's show and standby share around a running show.
#include "tools/kvctl/commands/ShowEnd.h"

#include "devices/readiness/CheckedChannel.h"
#include "devices/registry/Controls.h"
#include "show/player/ExtPlayer.h"
#include "show/player/launch/ShowLaunch.h"
#include "show/report/FiringReportFile.h"
#include "show/report/FiringSummary.h"
#include "show/scenario/ProjectList.h"
#include "support/lang/AddedMessages.h"
#include "support/lang/Localizer.h"
#include "support/log/RunLog.h"
#include "support/platform/Platform.h"
#include "tools/kvctl/CtlArguments.h"
#include "tools/kvctl/CtlSession.h"
#include "tools/kvctl/Interrupt.h"
#include "tools/kvctl/JsonOutput.h"

#include <QEventLoop>

#include <algorithm>
#include <cstdio>

namespace kv {

namespace {

// A stop the converters did not take goes again while the modules may play on from their
// memory: kvctl ends with its session, so it stays for that unless the operator stops again.
// False when it is still owed.
bool DeliverOwedStop(TCtlSession& session)
{
    TExtPlayer& player = session.Player();
    if (player.StopRepeating()) {
        // Counted before the line: a Ctrl+C that follows the line ends the wait.
        const int interrupts = Interrupts();
        WriteLog(Localize(kMsgStopOwedWait));
        while (player.StopRepeating() && Interrupts() == interrupts)
            session.Wait(kInterruptPollMs);
    }
    if (!player.StopOwed())
        return true;
    WriteLog(Localize(kMsgStopNotDelivered));
    return false;
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

// Cues the show was to fire and did not, each reason logged: a show that left them must not
// end as a success. Those before the start point were never the show's, and a stop has its
// own status.
int CuesNotFired(const TFiringReport& report)
{
    const TFiringSummary summary = SummarizeFiring(report.Records());
    // The frames the port could not send.
    const int notSent =
        summary.MissedBy(TMissReason::ConverterLost) + summary.MissedBy(TMissReason::NoEcho);
    if (notSent > 0)
        WriteLog(Localize(kMsgShotsNotSent) + " " + std::to_string(notSent));
    int notFired = notSent;
    for (const TMissReason reason :
         {TMissReason::ModuleAbsent, TMissReason::OutsideTables, TMissReason::TimecodeJump,
          TMissReason::TooLate}) {
        const int missed = summary.MissedBy(reason);
        if (missed > 0)
            WriteLog(Localize(kMsgCuesNotFired) + " " + std::to_string(missed) + " (" +
                     MissReasonText(reason) + ")");
        notFired += missed;
    }
    return notFired;
}

}  // namespace

void WirePlayer(TCtlSession& session, TEnd& end, QEventLoop& loop)
{
    TExtPlayer& player = session.Player();
    TControls& controls = session.Controls();
    player.OnStateChange = [&session, &player, &end, &loop] {
        if (player.IsRunning()) {
            session.launchState = kLaunchRunning;
            return;
        }
        LogShowStop();
        session.launchState = kLaunchReady;
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

void HearStandbyShowOut(TCtlSession& session)
{
    constexpr int64_t kSlackMs = 2000;
    TExtPlayer& player = session.Player();
    const int64_t left = std::max(player.Setup().scenario->Duration() - player.CurrentTime(), 0);
    const uint32_t until =
        Platform().TickCount() + static_cast<uint32_t>(left * 1000 / player.Tempo() + kSlackMs);
    while (player.GaveShowUp() && !Interrupted() &&
           static_cast<int32_t>(until - Platform().TickCount()) > 0)
        session.Wait(kInterruptPollMs);
}

bool TraceAsAsked(TCtlSession& session, const TCtlArguments& arguments)
{
    if (arguments.trace.empty() || session.StartTrace(arguments.trace))
        return true;
    std::fprintf(stderr, "kvctl: %s %s\n", Localize(kMsgCtlNotWritten).c_str(),
                 arguments.trace.c_str());
    return false;
}

int FinishShow(TCtlSession& session, const TCtlArguments& arguments, const TFiringReport& report,
               TEnd end, bool failedBesides, QJsonObject json)
{
    const bool stopDelivered = DeliverOwedStop(session);
    CheckRemaining(session);
    session.Player().UnloadSoundtrack();
    if (!arguments.report.empty() && !WriteFiringReport(report, arguments.report)) {
        std::fprintf(stderr, "kvctl: %s %s\n", Localize(kMsgCtlNotWritten).c_str(),
                     arguments.report.c_str());
        return 1;
    }
    const int notFired = CuesNotFired(report);
    const bool done = end == TEnd::Finished && !failedBesides && notFired == 0 && stopDelivered;
    if (arguments.json) {
        json["completed"] = done;
        json["stopped"] = end == TEnd::Operator || end == TEnd::RemoteStop;
        json["stop_delivered"] = stopDelivered;
        json["firing"] = SummaryJson(SummarizeFiring(report.Records()));
        PrintJson(json);
    }
    return done ? 0 : 1;
}

}  // namespace kv
