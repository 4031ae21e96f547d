#include "field/bus/TransportChoice.h"

#include "field/file/FieldFile.h"
#include "field/bus/FieldPort.h"
#include "link/UsbPort.h"

namespace kv {

namespace {

constexpr int kMaxConverters = 16;
constexpr std::string_view kSimPrefix = "sim:";

}  // namespace

bool SimulatedField(const std::string& portSetting)
{
    return portSetting.starts_with(kSimPrefix);
}

std::unique_ptr<TCommonPort> MakeTransport(const std::string& portSetting, std::string* problem,
                                           std::function<void(const std::string& text)> onOpenProblem)
{
    if (!SimulatedField(portSetting)) {
        auto port = std::make_unique<TUSBPort>(kMaxConverters, portSetting);
        port->OnOpenProblem = std::move(onOpenProblem);
        return port;
    }
    std::string reason;
    auto field = LoadField(portSetting.substr(kSimPrefix.size()), reason);
    if (!field)
        field = std::make_shared<TField>();
    if (problem)
        *problem = reason;
    return std::make_unique<TFieldPort>(std::move(field), kMaxConverters);
}

}  // namespace kv
