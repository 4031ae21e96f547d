// write, verify, erase and blackbox: the memory operations as the console's window runs
// them, with the console's checks before a write or verify.

#include "tools/kvctl/commands/Commands.h"

#include "devices/registry/Controls.h"
#include "devices/memory/MemoryOperation.h"
#include "devices/memory/ScenarioChecks.h"
#include "show/scenario/ProjectList.h"
#include "support/lang/AddedMessages.h"
#include "support/lang/Localizer.h"
#include "support/platform/Platform.h"
#include "tools/kvctl/CtlPlatform.h"
#include "tools/kvctl/CtlSession.h"
#include "tools/kvctl/Interrupt.h"
#include "tools/kvctl/ProgressLine.h"

#include <cstdio>

namespace kv {

namespace {

int RunOperation(TCtlSession& session, const TCtlArguments& arguments, const TProjectList& list)
{
    TControls& controls = session.Controls();
    TMemoryOperation operation(controls);
    TProgressLine progress;
    std::string title;
    operation.OnBegin = [&title](const std::string& text) { title = text; };
    operation.OnStep = [&](int percent, const std::string& label) {
        if (Interrupted())
            operation.cancelRequested = true;
        progress.Show(title + " " + std::to_string(percent) + "% " + label);
        Platform().ProcessMessages();
    };
    operation.Instruct = [](const std::string& text, const std::string& caption) {
        return Platform().MessageBox(text, caption, TButtons::YesNo) == TAnswer::Yes;
    };
    const std::string& command = arguments.command;
    int result = 0;
    if (command == "write")
        result = operation.Write(list.Cues(), arguments.remote);
    else if (command == "verify")
        result = operation.Verify(list.Cues(), arguments.remote);
    else if (command == "erase")
        result = operation.Erase();
    else
        result = operation.ReadBlackBoxToFile();
    if (!operation.ReportLine().empty())
        std::printf("%s\n", operation.ReportLine().c_str());
    return result >= 0 ? 0 : 1;
}

}  // namespace

// The present-warning window: the message, the modules, and "Продолжить" or "Отмена".
bool WarningsAccepted(const std::vector<TScenarioWarning>& warnings)
{
    for (const TScenarioWarning& warning : warnings)
        if (Platform().MessageBox(warning.message + "\n" + ModuleListText(warning.modules),
                                  Localize(68, "Предупреждение"), TButtons::YesNo) != TAnswer::Yes)
            return false;
    return true;
}

int RunMemory(TCtlSession& session, const TCtlArguments& arguments, TCtlPlatform& platform)
{
    const std::string& command = arguments.command;
    const bool withScenario = command == "write" || command == "verify";
    TProjectList list;
    if (withScenario && !LoadScenario(arguments.scenario, list))
        return 1;
    if (command == "blackbox")
        platform.saveFileName = arguments.out;
    session.Search(arguments.addresses);
    TControls& controls = session.Controls();
    if (withScenario && !arguments.remote &&
        !WarningsAccepted(ScenarioWarnings(controls, list.Cues(), command == "write")))
        return 1;
    // Modules still on the line would take the controller's cue writes into their own memory:
    // the console's question, answered only by the operator or --yes.
    if (command == "write" && arguments.remote && controls.FiringModuleCount() > 0 &&
        Platform().MessageBox(Localize(69, "Необходимо выключить подключенные пульты.") + "\n" +
                                  Localize(kMsgWriteControllerAnyway),
                              Localize(68, "Предупреждение"), TButtons::YesNo) != TAnswer::Yes)
        return 1;
    if (command == "erase" && !TMemoryOperation::ConfirmErase())
        return 1;
    return RunOperation(session, arguments, list);
}

}  // namespace kv
