// mode and hv: the service panel's commands, test or fire mode for every firing module and a
// high-voltage module's charge energy setting.

#include "tools/kvctl/commands/Commands.h"

#include "devices/registry/Controls.h"
#include "devices/registry/FiringModes.h"
#include "devices/kinds/HVControl.h"
#include "support/lang/AddedMessages.h"
#include "tools/cli/CliTexts.h"
#include "tools/kvctl/CtlSession.h"

#include <cstdio>

namespace kv {

int RunMode(TCtlSession& session, const TCtlArguments& arguments)
{
    session.Search(arguments.addresses);
    const TModeResult result = SetFiringModulesTestMode(session.Controls(), arguments.testMode);
    const char* mode = arguments.testMode ? "test" : "fire";
    for (const int address : result.taken)
        std::printf("%d\t%s\n", address, mode);
    for (const int address : result.failed)
        std::fprintf(stderr, "kvctl: %s\n",
                     Fill(Localize(kMsgCtlModeNotTaken), {std::to_string(address), mode}).c_str());
    if (result.taken.empty() && result.failed.empty())
        std::fprintf(stderr, "kvctl: %s\n", Localize(kMsgCtlNoFiringModule).c_str());
    return result.failed.empty() && !result.taken.empty() ? kExitDone : kExitFailed;
}

int RunHighVoltage(TCtlSession& session, const TCtlArguments& arguments)
{
    session.Search(arguments.addresses);
    auto* module = dynamic_cast<THVControl*>(session.Controls().FindByAddress(arguments.address));
    if (!module) {
        std::fprintf(stderr, "kvctl: %s %d\n", Localize(kMsgCtlNoHVModuleAt).c_str(),
                     arguments.address);
        return kExitFailed;
    }
    if (arguments.energy && module->WriteHVSetting(*arguments.energy) != 0) {
        std::fprintf(stderr, "kvctl: %s %d\n", Localize(kMsgHVSettingNotWritten).c_str(),
                     module->address);
        return kExitFailed;
    }
    // Read back: what the module holds, not what was asked for.
    const int setting = module->ReadHVSetting();
    if (setting == kHVSettingUnknown) {
        std::fprintf(stderr, "kvctl: %s %d\n", Localize(kMsgHVSettingUnknown).c_str(),
                     module->address);
        return kExitFailed;
    }
    module->hvSetting = setting;
    std::printf("%d\t%d\n", module->address, setting);
    return arguments.energy && setting != *arguments.energy ? kExitFailed : kExitDone;
}

}  // namespace kv
