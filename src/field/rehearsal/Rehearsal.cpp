#include "field/rehearsal/Rehearsal.h"

#include "devices/registry/Controls.h"
#include "devices/registry/FieldDescription.h"
#include "devices/kinds/HVControl.h"
#include "field/file/FieldFile.h"
#include "field/bus/FieldPort.h"
#include "link/PortProto.h"
#include "support/text/IniFile.h"

namespace kv {

TRehearsal::~TRehearsal() = default;

int TRehearsal::Begin(const TConnectThresholds& thresholds, std::string& problem)
{
    if (Active())
        return 0;
    const std::string description =
        DescribeFoundField(controls_, port_.ConverterCount(), thresholds);
    auto field = std::make_shared<TField>(clock_);
    if (BuildField(TIniFile::Parse(description), *field, problem) != 0)
        return -1;
    saved_.clear();
    for (int i = 0; i < controls_.Count(); ++i)
        if (const auto* module = dynamic_cast<const TCommonControl*>(controls_.DeviceAt(i))) {
            TRealModule& real = saved_[module->address];
            real.channels = module->ChannelResults();
            real.channelsTestedAt = module->channelsTestedAt;
            real.memoryFingerprint = module->memoryFingerprint;
            real.motorMovesAtLeast = module->motorMovesAtLeast;
            real.motorMovesAtMost = module->motorMovesAtMost;
            real.wentSilent = module->wentSilent;
            if (const auto* highVoltage = dynamic_cast<const THVControl*>(module))
                real.hvSetting = highVoltage->hvSetting;
        }
    real_ = port_.SwapTransport(std::make_unique<TFieldPort>(std::move(field)));
    return 0;
}

void TRehearsal::End()
{
    if (!Active())
        return;
    port_.SwapTransport(std::move(real_));
    // The model's shots burnt no real igniter and its tests measured none; a write went into
    // the model's memory, not a real module's, and a charge setting into the model's module.
    for (const auto& [address, real] : saved_) {
        auto* module = dynamic_cast<TCommonControl*>(controls_.FindByAddress(address));
        if (!module)
            continue;
        module->RestoreChannelResults(real.channels);
        module->channelsTestedAt = real.channelsTestedAt;
        module->memoryFingerprint = real.memoryFingerprint;
        module->motorMovesAtLeast = real.motorMovesAtLeast;
        module->motorMovesAtMost = real.motorMovesAtMost;
        // A search in the model made new entries of those that missed a real poll.
        module->wentSilent = real.wentSilent;
        if (auto* highVoltage = dynamic_cast<THVControl*>(module); highVoltage && real.hvSetting)
            highVoltage->hvSetting = *real.hvSetting;
    }
    saved_.clear();
}

}  // namespace kv
