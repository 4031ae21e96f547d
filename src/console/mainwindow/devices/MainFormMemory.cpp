// The scenario memory operations of the main window: the checks before a write or verify,
// and the progress window around each operation with the device poll stopped.
#include "console/mainwindow/MainForm.h"

#include "console/panels/launch/LaunchPage.h"
#include "console/dialogs/MemoryForm.h"
#include "console/dialogs/PresentWarningForm.h"
#include "devices/registry/Controls.h"
#include "devices/memory/MemoryOperation.h"
#include "devices/memory/ScenarioChecks.h"
#include "support/lang/AddedMessages.h"
#include "support/lang/Localizer.h"
#include "support/platform/Platform.h"

#include <QAction>
#include <QPushButton>
#include <QTimer>

namespace kv {

void TMainForm::RunMemoryOperation(const std::function<void()>& operation)
{
    // Keys still reach the main window's shortcuts while an operation pumps messages.
    if (memoryOperation_)
        return;
    memoryOperation_ = true;
    idleTimer_->stop();
    operation();
    memoryOperation_ = false;
    ResumeIdlePoll();
    TakeKeysBack();
}

void TMainForm::SaveBtnClick()
{
    RunMemoryOperation([this] {
        if (OperatorAllowsTransfer(true))
            aux_.memory->Write(projects_.Project(currentSlot_)->Cues(), false);
    });
}

void TMainForm::CheckBtnClick()
{
    RunMemoryOperation([this] {
        if (OperatorAllowsTransfer(false))
            aux_.memory->Verify(projects_.Project(currentSlot_)->Cues(), false);
    });
}

bool TMainForm::OperatorAllowsTransfer(bool write)
{
    const auto cues = projects_.Project(currentSlot_)->Cues();
    std::vector<TScenarioWarning> warnings = ScenarioWarnings(*controls_, cues, write);
    for (TScenarioWarning& warning : ModuleStateWarnings(*controls_, cues))
        warnings.push_back(std::move(warning));
    return OperatorGoesOn(warnings);
}

bool TMainForm::OperatorAllowsStart()
{
    const bool allowed =
        OperatorGoesOn(ModuleStateWarnings(*controls_, projects_.Project(currentSlot_)->Cues()));
    TakeKeysBack();
    return allowed;
}

bool TMainForm::OperatorGoesOn(const std::vector<TScenarioWarning>& warnings)
{
    for (const TScenarioWarning& warning : warnings)
        if (!aux_.presentWarning->Ask(warning.message, warning.modules))
            return false;
    return true;
}

void TMainForm::ClearMemActionExecute()
{
    RunMemoryOperation([this] {
        if (TMemoryOperation::ConfirmErase())
            aux_.memory->Erase();
    });
}

void TMainForm::ReadMemLogActionExecute()
{
    RunMemoryOperation([this] { aux_.memory->ReadBlackBoxToFile(); });
}

void TMainForm::SavePDUActionExecute()
{
    RunMemoryOperation([this] {
        // Modules still on the line would take the controller's cue writes into their own
        // memory: the write goes ahead only on the operator's word.
        if (controls_->FiringModuleCount() > 0 &&
            Platform().MessageBox(Localize(69, "Необходимо выключить подключенные пульты.") +
                                      "\n" + Localize(kMsgWriteControllerAnyway),
                                  Localize(68, "Предупреждение"),
                                  TButtons::YesNo) != TAnswer::Yes)
            return;
        aux_.memory->Write(projects_.Project(currentSlot_)->Cues(), true);
    });
}

void TMainForm::CheckPDUActionExecute()
{
    RunMemoryOperation(
        [this] { aux_.memory->Verify(projects_.Project(currentSlot_)->Cues(), true); });
}

}  // namespace kv
