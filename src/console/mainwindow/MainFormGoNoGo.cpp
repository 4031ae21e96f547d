// The go/no-go check before a show (Ctrl+G, the "Сценарий" menu): the show in the current
// slot against what the console knows of the installation. Not while a show runs: the window
// that has the keys must stay the one that stops it.
#include "console/mainwindow/MainForm.h"

#include "console/reports/GoNoGoForm.h"
#include "devices/GoNoGo.h"
#include "link/PortProto.h"
#include "show/ExtPlayer.h"
#include "show/ProjectList.h"
#include "support/AddedMessages.h"
#include "support/Platform.h"
#include "support/RunLog.h"

#include <algorithm>

namespace kv {

std::vector<TGoFinding> TMainForm::GoNoGoFindings()
{
    TGoNoGoFacts facts;
    facts.cues = projects_.Project(currentSlot_)->Cues();
    facts.thresholds = settings_.thresholds;
    facts.converterCount = port_->ConverterCount();
    facts.converterLost = converterFault_;
    facts.autonomous = player_->controlMode == kControlAutonomous;
    TBassPlayer& soundtrack = player_->Soundtrack();
    facts.soundtrackLoaded = soundtrack.Loaded();
    facts.soundtrackMs = soundtrack.Loaded() ? soundtrack.TimeLength() : 0;
    facts.now = Platform().TickCount();
    return CheckGoNoGo(*controls_, facts);
}

void TMainForm::GoNoGoActionExecute()
{
    if (player_->IsRunning())
        return;
    const std::vector<TGoFinding> findings = GoNoGoFindings();
    aux_.goNoGo->ShowFindings(findings, true);
    WriteLog(Localize(kMsgGoShown) + " " +
             std::to_string(std::count_if(findings.begin(), findings.end(), [](const auto& f) {
                 return f.level == TGoLevel::NoGo;
             })));
}

}  // namespace kv
