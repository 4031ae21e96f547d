#include "console/mainwindow/ConsoleWindows.h"

#include "console/reports/ContinuityForm.h"
#include "console/dialogs/DebugForm.h"
#include "console/dialogs/ExtStartForm.h"
#include "console/reports/FiringReportForm.h"
#include "console/reports/GoNoGoForm.h"
#include "console/mainwindow/MainForm.h"
#include "console/dialogs/MemoryForm.h"
#include "console/dialogs/PresentWarningForm.h"
#include "console/dialogs/TimerForm.h"
#include "console/dialogs/WarningForm.h"

namespace kv {

TConsoleWindows::TConsoleWindows(const TFilePlaces& places)
    : main_(std::make_unique<TMainForm>(places))
{
    TMainForm* main = main_.get();
    auto* warning = new TWarningForm(main);
    main_->SetWarningForm(warning);
    TAuxForms forms;
    forms.memory = new TMemoryForm(main, main->Controls());
    forms.presentWarning = new TPresentWarningForm(main);
    forms.extStart = new TExtStartForm(main);
    forms.timer = new TTimerForm(main);
    forms.debug = new TDebugForm(main, main->Controls(), main->Port());
    forms.firingReport = new TFiringReportForm(main);
    forms.continuity = new TContinuityForm(main);
    forms.goNoGo = new TGoNoGoForm(main);
    main_->SetAuxForms(forms);
    others_ = {warning,     forms.memory, forms.presentWarning, forms.extStart,
               forms.timer, forms.debug,  forms.firingReport,   forms.continuity,
               forms.goNoGo};
}

TConsoleWindows::~TConsoleWindows() = default;

std::vector<std::string> TConsoleWindows::ClassNames() const
{
    std::vector<std::string> names{"TMainForm"};
    for (const TAuxForm* form : others_)
        names.push_back(form->ClassName());
    return names;
}

}  // namespace kv
