// The go/no-go check before a show (Ctrl+G, the "Сценарий" menu, and with [show]
// GoNoGoBeforeStart before every start): the show in the current slot against what the
// console knows of the installation. Not while a show runs: the window that has the keys must
// stay the one that stops it.
#include "console/mainwindow/MainForm.h"

#include "console/reports/GoNoGoForm.h"
#include "devices/readiness/GoNoGo.h"
#include "link/PortProto.h"
#include "show/player/ExtPlayer.h"
#include "show/scenario/ProjectList.h"
#include "support/lang/AddedMessages.h"
#include "support/platform/Platform.h"
#include "support/log/RunLog.h"

#include <algorithm>

namespace kv {

namespace {

std::vector<std::string> Lines(const std::vector<TGoFinding>& findings)
{
    std::vector<std::string> lines;
    for (const TGoFinding& finding : findings)
        lines.push_back(GoFindingLine(finding));
    return lines;
}

}  // namespace

std::vector<TGoFinding> TMainForm::GoNoGoFindings()
{
    TGoNoGoFacts facts;
    facts.cues = projects_.Project(currentSlot_)->Cues();
    facts.thresholds = settings_.thresholds;
    facts.converterCount = port_->ConverterCount();
    facts.absentConverters = port_->AbsentConverters();
    facts.converterLost = converterFault_;
    facts.autonomous = player_->Setup().controlMode == kControlAutonomous;
    facts.from = player_->CurrentTime();
    TBassPlayer& soundtrack = player_->Soundtrack();
    facts.soundtrackLoaded = soundtrack.Loaded();
    facts.soundtrackMs = soundtrack.Loaded() ? soundtrack.TimeLength() : 0;
    facts.now = Platform().TickCount();
    facts.standby = standbyAsked_ || StandbyFollowing();
    return CheckGoNoGo(*controls_, facts);
}

void TMainForm::GoNoGoActionExecute()
{
    if (player_->IsRunning())
        return;
    ShowGoNoGo(GoNoGoFindings());
}

void TMainForm::ShowGoNoGo(const std::vector<TGoFinding>& findings)
{
    aux_.goNoGo->ShowFindings(findings, true);
    goNoGoGate_.Shown(Lines(findings), remoteStops_);
    WriteLog(Localize(kMsgGoShown) + " " +
             std::to_string(std::count_if(findings.begin(), findings.end(), [](const auto& f) {
                 return f.level == TGoLevel::NoGo;
             })));
}

bool TMainForm::GoNoGoLetsStart()
{
    if (!settings_.goNoGoBeforeStart)
        return true;
    const std::vector<TGoFinding> findings = GoNoGoFindings();
    if (goNoGoGate_.Read(Lines(findings), remoteStops_) || findings.empty())
        return true;
    ShowGoNoGo(findings);
    WriteLog(Localize(kMsgGoStartHeld));
    return false;
}

}  // namespace kv
