#include "devices/registry/FiringModes.h"

#include "devices/kinds/CommonControl.h"
#include "devices/registry/Controls.h"

namespace kv {

TModeResult SetFiringModulesTestMode(TControls& controls, bool test)
{
    TModeResult result;
    for (int index = 0; index < controls.Count(); ++index)
        if (auto* module = dynamic_cast<TCommonControl*>(controls.DeviceAt(index));
            module && IsFiringModuleAddress(module->address))
            (module->SetTestMode(test) == 0 ? result.taken : result.failed)
                .push_back(module->address);
    return result;
}

}  // namespace kv
