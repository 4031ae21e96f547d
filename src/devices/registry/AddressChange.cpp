#include "devices/registry/AddressChange.h"

#include "devices/registry/Controls.h"
#include "devices/kinds/Firmware.h"
#include "link/PortProto.h"
#include "link/Result.h"
#include "support/text/Conversions.h"
#include "support/lang/Localizer.h"
#include "support/platform/Platform.h"

namespace kv {

namespace {

constexpr int kLowestNewAddress = 1;
constexpr int kHighestNewAddress = 239;

TResult Refuse(TResult result)
{
    Platform().MessageBox(Localize(65, "Ошибка изменения номера пульта."),
                          Localize(66, "Ошибка"), TButtons::Ok);
    return result;
}

}  // namespace

bool CanChangeAddress(const TCommonDevice& module)
{
    if (module.version >= kVersionAddressChange)
        return true;
    Platform().MessageBox(Localize(67, "Данная версия пульта не поддерживает изменение номера."),
                          Localize(68, "Предупреждение"), TButtons::Ok);
    return false;
}

TResult ChangeModuleAddress(TControls& controls, TPortProto& port, TCommonDevice& module,
                            const std::string& typed)
{
    const int64_t wanted = TextToIntOrZero(typed);
    if (wanted < kLowestNewAddress || wanted > kHighestNewAddress)
        return Refuse(kLinkNotConnected);
    const int address = static_cast<int>(wanted);
    if (const TCommonDevice* holder = controls.FindByAddress(address); holder && holder != &module)
        return Refuse(kLinkNotConnected);
    const TResult result =
        port.ChangeAddress(module.address, address, module.converterIndex, module.attemptMode);
    if (result != 0)
        return Refuse(result);
    module.address = address;
    return kLinkOk;
}

}  // namespace kv
