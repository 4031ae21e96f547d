#include "console/ConsoleWindows.h"

#include "console/DebugForm.h"
#include "console/ExtStartForm.h"
#include "console/MainForm.h"
#include "console/MemoryForm.h"
#include "console/PresentWarningForm.h"
#include "console/TimerForm.h"
#include "console/WarningForm.h"

namespace kv {

TConsoleWindows::TConsoleWindows(const std::string& appFolder)
    : main_(std::make_unique<TMainForm>(appFolder))
{
    auto* warning = new TWarningForm(main_.get());
    main_->SetWarningForm(warning);
    others_ = {warning,
               new TMemoryForm(main_.get()),
               new TPresentWarningForm(main_.get()),
               new TExtStartForm(main_.get()),
               new TTimerForm(main_.get()),
               new TDebugForm(main_.get())};
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
