// readdress: a firing module renumbered, with the console's checks.

#include "tools/kvctl/commands/Commands.h"

#include "devices/registry/AddressChange.h"
#include "devices/registry/Controls.h"
#include "support/lang/AddedMessages.h"
#include "tools/kvctl/CtlSession.h"

#include <cstdio>

namespace kv {

int RunReaddress(TCtlSession& session, const TCtlArguments& arguments)
{
    const int old = arguments.oldAddress;
    session.Search(arguments.addresses);
    TControls& controls = session.Controls();
    TCommonDevice* module = controls.FindByAddress(old);
    if (!module || !IsFiringModuleAddress(old)) {
        std::fprintf(stderr, "kvctl: %s %d\n", Localize(kMsgCtlNoFiringModuleAt).c_str(), old);
        return 1;
    }
    if (!CanChangeAddress(*module))
        return 1;
    if (ChangeModuleAddress(controls, session.Port(), *module, arguments.newAddress) != 0)
        return 1;
    std::printf("%d\t%d\n", old, module->address);
    return 0;
}

}  // namespace kv
