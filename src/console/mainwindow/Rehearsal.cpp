#include "console/mainwindow/Rehearsal.h"

#include "devices/Controls.h"
#include "devices/FieldDescription.h"
#include "field/FieldFile.h"
#include "field/FieldPort.h"
#include "link/PortProto.h"
#include "support/IniFile.h"

namespace kv {

TRehearsal::~TRehearsal() = default;

int TRehearsal::Begin(const TConnectThresholds& thresholds, std::string& problem)
{
    if (Active())
        return 0;
    const std::string description =
        DescribeFoundField(controls_, port_.ConverterCount(), thresholds);
    auto field = std::make_shared<TField>();
    if (BuildField(TIniFile::Parse(description), *field, problem) != 0)
        return -1;
    saved_.clear();
    for (int i = 0; i < controls_.Count(); ++i)
        if (const auto* module = dynamic_cast<const TCommonControl*>(controls_.DeviceAt(i)))
            saved_[module->address] = module->ChannelResults();
    real_ = port_.SwapTransport(std::make_unique<TFieldPort>(std::move(field)));
    return 0;
}

void TRehearsal::End()
{
    if (!Active())
        return;
    port_.SwapTransport(std::move(real_));
    // The model's shots burnt no real igniter and its tests measured none.
    for (const auto& [address, results] : saved_)
        if (auto* module = dynamic_cast<TCommonControl*>(controls_.FindByAddress(address)))
            module->RestoreChannelResults(results);
    saved_.clear();
}

}  // namespace kv
