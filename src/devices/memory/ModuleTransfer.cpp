#include "devices/memory/ModuleTransfer.h"

#include "devices/kinds/CommonControl.h"
#include "devices/registry/Controls.h"
#include "devices/memory/ModuleCues.h"
#include "support/text/Conversions.h"

#include <algorithm>
#include <utility>

namespace kv {

TModuleTransfer::TModuleTransfer(const TControls& registry, TProgressEvent progress)
    : port_(registry.Port()), registry_(registry), progress_(std::move(progress))
{
}

void TModuleTransfer::SortCues(TCueView cues)
{
    cues_.clear();
    cues_.reserve(cues.size());
    for (size_t i = 0; i < cues.size(); ++i)
        cues_.push_back(cues[i]);
    std::stable_sort(cues_.begin(), cues_.end(),
                     [](const TScenarioCue& a, const TScenarioCue& b) { return a.time < b.time; });
}

void TModuleTransfer::Progress(int percent, int index, int channel, int address)
{
    if (RaiseProgress(progress_, percent, index, channel, address))
        aborted_ = true;
}

TResult TModuleTransfer::EachModule(const TModuleStep& step)
{
    TResult result = kLinkOk;
    for (int index = 0; index < registry_.Count() && result == kLinkOk && !aborted_; ++index) {
        TCommonDevice* device = registry_.DeviceAt(index);
        if (!IsFiringModuleAddress(device->address))
            continue;
        if (auto* module = dynamic_cast<TCommonControl*>(device))
            result = step(*module, index);
    }
    return result;
}

TResult TModuleTransfer::EachCue(TCommonControl& module, int index, const TCueStep& step)
{
    const int64_t count = static_cast<int64_t>(cues_.size());
    const int64_t devices = registry_.Count();
    const bool motor = module.deviceType == 4;
    for (int64_t c = 0; c < count && !aborted_; ++c) {
        const TScenarioCue& cue = cues_[static_cast<size_t>(c)];
        if (!BelongsToModule(cue, module))
            continue;
        if (const TResult result = step(cue))
            return result;
        Progress(Percent(count * index + c, count * devices), index, motor ? 1 : cue.channel + 1,
                 module.address);
    }
    return kLinkOk;
}

TResult TModuleTransfer::WriteScenario(TCueView cues)
{
    SortCues(cues);
    const TResult result = EachModule([this](TCommonControl& module, int index) {
        Ignore(module.Identify(), "refreshes the channel count the padding needs; the write's "
                                  "own outcome is what counts");
        return NoteMemory(module, WriteModule(module, index), cues_);
    });
    return FinishTransfer(progress_, result, aborted_);
}

TResult TModuleTransfer::NoteMemory(TCommonControl& module, TResult result, TCueView cues) const
{
    // Half written or aborted, the memory holds nothing the console can name.
    module.memoryFingerprint.reset();
    if (result == 0 && !aborted_)
        module.memoryFingerprint = ModuleMemoryFingerprint(cues, module);
    return result;
}

TResult TModuleTransfer::VerifyScenario(TCueView cues)
{
    return Verify(cues, false);
}

TResult TModuleTransfer::VerifyEachModule(TCueView cues)
{
    return Verify(cues, true);
}

TResult TModuleTransfer::Verify(TCueView cues, bool eachModule)
{
    SortCues(cues);
    TResult firstFailure = kLinkOk;
    const TResult everyModule = EachModule([&](TCommonControl& module, int index) {
        Ignore(module.Identify(), "refreshes the channel count; the verify's own outcome is "
                                  "what counts");
        const TResult result = NoteMemory(module, VerifyModule(module, index), cues_);
        if (firstFailure == kLinkOk)
            firstFailure = result;
        return eachModule ? kLinkOk : result;
    });
    Ignore(everyModule, "the first failure counts, also when a step stopped it");
    return FinishTransfer(progress_, firstFailure, aborted_);
}

}  // namespace kv
