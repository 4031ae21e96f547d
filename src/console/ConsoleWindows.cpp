#include "console/ConsoleWindows.h"

#include "console/ContinuityForm.h"
#include "console/DebugForm.h"
#include "console/ExtStartForm.h"
#include "console/FiringReportForm.h"
#include "console/GoNoGoForm.h"
#include "console/MainForm.h"
#include "console/MemoryForm.h"
#include "console/PresentWarningForm.h"
#include "console/TimerForm.h"
#include "console/WarningForm.h"

namespace kv {

TConsoleWindows::TConsoleWindows(const std::string& appFolder)
    : main_(std::make_unique<TMainForm>(appFolder))
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
