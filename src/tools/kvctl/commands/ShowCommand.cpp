// show: a show run as the console runs it in automatic firing, until it stops by itself or
// the operator stops it; then the fired channels not yet checked are checked, and the firing
// report is written when asked for. With a timecode source the show waits, armed, for the
// timecode to reach the start point, and follows it.

#include "tools/kvctl/commands/Commands.h"
#include "tools/kvctl/JsonOutput.h"
#include "tools/kvctl/commands/ShowEnd.h"

#include "devices/registry/Controls.h"
#include "devices/memory/ScenarioChecks.h"
#include "show/player/ExtPlayer.h"
#include "show/player/launch/PositionLockout.h"
#include "show/player/launch/ShowLaunch.h"
#include "show/player/launch/StartGate.h"
#include "show/scenario/ProjectList.h"
#include "show/timecode/TimecodeArm.h"
#include "show/timecode/TimecodeOutput.h"
#include "show/timecode/TimecodeReceiver.h"
#include "support/lang/AddedMessages.h"
#include "support/platform/Platform.h"
#include "support/log/RunLog.h"
#include "tools/cli/CliTexts.h"
#include "tools/kvctl/CtlPlatform.h"
#include "tools/kvctl/CtlSession.h"
#include "tools/kvctl/Interrupt.h"

#include <QEventLoop>

#include <algorithm>
#include <cstdio>

namespace kv {

namespace {

// How long the start waits for the timecode output's stream; past it the show starts anyway.
constexpr uint32_t kTimecodeOutOpenMs = 3000;
constexpr uint32_t kTimecodeOutPollMs = 5;

std::unique_ptr<TTimecodeReceiver> OpenTimecode(const TCtlSession& session,
                                                const TCtlArguments& arguments)
{
    TTimecodeSettings settings = session.Timecode();
    settings.source = arguments.timecode;
    if (arguments.timecodeZero)
        settings.zero = *arguments.timecodeZero;
    if (arguments.timecodeRate)
        settings.rate = *arguments.timecodeRate;
    auto receiver = std::make_unique<TTimecodeReceiver>(settings);
    std::string error;
    if (receiver->Open(error))
        return receiver;
    WriteLog(Localize(kMsgTimecodeNoCapture) + " " + settings.source + ": " + error);
    return nullptr;
}

// The show clock sent as timecode, from before the start (the start point's frame) on.
std::unique_ptr<TTimecodeOutput> SendTimecode(TCtlSession& session, const TCtlArguments& arguments)
{
    const std::string& sink = arguments.timecodeOut;
    TTimecodeOutputSettings settings = session.Timecode().output;
    if (arguments.timecodeOutRate)
        settings.rate = *arguments.timecodeOutRate;
    if (arguments.timecodeOutZero)
        settings.zero = *arguments.timecodeOutZero;
    settings.target.sink = sink;
    if (sink == "soundtrack") {
        settings.target.sink.clear();
        settings.target.side = TSoundSide::Right;
    }
    auto output = session.Engine().MakeTimecodeOutput(settings);
    output->Start();
    // The desk hears the start point before the show leaves it: a stream that opens late (a
    // loaded machine, a sink that holds new streams back) began its timecode past it.
    const uint32_t opening = Platform().TickCount();
    while (!output->Sending() && !output->Failed() &&
           Platform().TickCount() - opening < kTimecodeOutOpenMs)
        session.Wait(kTimecodeOutPollMs);
    WriteLog(Localize(kMsgTimecodeOutOn) + " " + sink + ", " + TimecodeRateName(settings.rate) +
             ", " + FormatTimecode(settings.zero, settings.rate == TTimecodeRate::Fps2997Drop));
    return output;
}

// A position mistyped would fire what the operator meant to lock out: nothing starts.
int CheckLockout(const TCtlArguments& arguments, const TProjectList& list)
{
    if (arguments.lockedPositions.empty())
        return kExitDone;
    if (arguments.autonomous) {
        std::fprintf(stderr, "kvctl: %s\n", Localize(kMsgLockoutAutonomous).c_str());
        return kExitUsage;
    }
    return CheckPositionsNamed(arguments, list);
}

}  // namespace

int CheckPositionsNamed(const TCtlArguments& arguments, const TProjectList& list)
{
    const std::vector<std::string> named = TPositionLockout::Positions(list.Cues());
    for (const std::string& position : arguments.lockedPositions)
        if (std::find(named.begin(), named.end(), position) == named.end()) {
            std::fprintf(stderr, "kvctl: %s\n",
                         Fill(Localize(kMsgCtlNotAPosition),
                              {"--lock", position, arguments.scenario})
                             .c_str());
            return kExitUsage;
        }
    return kExitDone;
}

int RunShow(TCtlSession& session, const TCtlArguments& arguments, TCtlPlatform& platform)
{
    platform.EchoLog(!arguments.json);
    CatchSuspendAndQuit();
    session.launchState = kLaunchReady;
    // A loss before the start leaves the search in doubt, and a start onto a dead bus would
    // fire the later cues whenever the converter came back.
    const int losses = session.lossesHeard;
    TProjectList list;
    if (!LoadScenario(arguments.scenario, list))
        return 1;
    if (const int status = CheckLockout(arguments, list); status != kExitDone)
        return status;
    if (!TraceAsAsked(session, arguments))
        return 1;
    TExtPlayer& player = session.Player();
    // A show meant to its music does not go without it.
    if (!arguments.soundtrack.empty() && !player.LoadSoundtrack(arguments.soundtrack)) {
        WriteLog(Localize(kMsgStartCalledOffSoundtrack) + ": " + arguments.soundtrack);
        return 1;
    }
    // A stop heard on the bus while the search runs is meant for this show too.
    bool stopHeard = false;
    player.OnRemoteStop = [&stopHeard] {
        stopHeard = true;
        LogRemoteStop();
    };
    session.Search(arguments.addresses);
    MarkScenarioChannels(session.Controls(), list.Cues());

    TShowSetup setup = player.Setup();
    setup.scenario = &list;
    setup.firingMode = kFiringAutomatic;
    setup.controlMode = arguments.autonomous ? kControlAutonomous : kControlDirect;
    // A show under way keeps its own.
    if (!player.Configure(setup))
        return 1;
    for (const std::string& position : arguments.lockedPositions)
        if (!player.LockPosition(position, true))
            return kExitFailed;
    player.SetTempo(arguments.tempo.value_or(1000));
    player.SetOffset(arguments.offset.value_or(0));
    player.SetStartPoint(arguments.from, player.FirstCueFrom(arguments.from));
    std::unique_ptr<TTimecodeReceiver> timecode;
    if (!arguments.timecode.empty() && !(timecode = OpenTimecode(session, arguments)))
        return 1;
    std::unique_ptr<TTimecodeOutput> output;
    if (!arguments.timecodeOut.empty())
        output = SendTimecode(session, arguments);

    // The console's gate, without its hold-to-fire key and go/no-go window. Its questions:
    // modules in test mode fire nothing, and a high-voltage channel never measured is charged
    // to the least, 1 V. A show already stopped is called off without them.
    TStartGate gate(player, {{},
                             [&] { return !session.converterLost && session.lossesHeard == losses; },
                             {},
                             [&] { return WarningsAccepted(ModuleStateWarnings(session.Controls(), list.Cues())); },
                             [&] { return Interrupted() || stopHeard ? 1 : 0; },
                             [](const std::string& why) { WriteLog(why); }});
    TStartVerdict verdict = gate.Open(TStartGate::TWay::Now);
    if (verdict == TStartVerdict::Open)
        verdict = gate.Confirm(TStartGate::TWay::Now);
    if (verdict == TStartVerdict::StopHeard)
        WriteLog(Localize(kMsgStartCalledOff));
    else if (verdict == TStartVerdict::OperatorDeclined)
        WriteLog(Localize(kMsgStartCalledOffWarning));
    if (verdict == TStartVerdict::ChargesRefused)
        return kExitFailed;
    if (verdict != TStartVerdict::Open)
        return 1;

    QEventLoop loop;
    TEnd end = TEnd::Running;
    WirePlayer(session, end, loop);
    std::unique_ptr<TTimecodeArm> arm;
    const auto disarm = [&] {
        arm->Disarm();
        WriteLog(Localize(kMsgTimecodeDisarmed));
        end = TEnd::Operator;
        loop.quit();
    };
    const auto watch = Platform().CreateTimer([&] {
        if (Interrupted() && player.IsRunning()) {
            end = TEnd::Operator;
            player.Stop(false);
        } else if (Interrupted() && arm && arm->Armed()) {
            disarm();
        }
    });
    watch->SetInterval(kInterruptPollMs);
    watch->SetEnabled(true);
    session.OnConverterLost = [&] {
        if (arm && arm->Armed()) {
            arm->Disarm();
            WriteLog(Localize(kMsgWaitEndedConverterLost));
            end = TEnd::ConverterLost;
            loop.quit();
        } else if (player.IsRunning()) {
            WriteLog(Localize(player.Setup().controlMode == kControlAutonomous
                                  ? kMsgAutonomousShowWithoutConverter
                                  : kMsgShowOnWithoutConverter));
        }
    };
    if (timecode) {
        arm = session.Engine().MakeTimecodeArm(
            timecode->Chase(),
            [&] {
                // The arm looks more often than the watch: a Ctrl+C it has not seen yet.
                if (Interrupted())
                    disarm();
                else
                    StartShowOnTimecode(player, timecode->Chase());
            },
            [&] {
                end = TEnd::Refused;
                loop.quit();
            });
        arm->Arm();
        WriteLog(Localize(kMsgTimecodeArmed) + " " + arguments.timecode);
    } else {
        StartShow(player);
    }
    if (player.IsRunning() || (arm && arm->Armed()))
        loop.exec();
    if (arm)
        arm->Disarm();
    session.OnConverterLost = nullptr;
    watch->SetEnabled(false);
    const bool gaveUp = player.GaveShowUp();
    if (gaveUp)
        HearStandbyShowOut(session);
    const bool outputFailed = output && output->Failed();
    if (outputFailed)
        WriteLog(Localize(kMsgTimecodeOutFailed) + " " + arguments.timecodeOut);
    output.reset();
    QJsonObject json;
    json["gave_show_to_standby"] = gaveUp;
    if (timecode)
        json["timecode"] = TimecodeJson(timecode->Chase(), Platform().TickCount());
    return FinishShow(session, arguments, player.FiringReport(), end, outputFailed, json);
}

}  // namespace kv
