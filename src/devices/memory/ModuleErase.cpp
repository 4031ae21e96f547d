// Erasing the scenario of every firing module and reading their black boxes.

#include "devices/memory/BlackBoxRecord.h"
#include "devices/kinds/CommonControl.h"
#include "devices/registry/Controls.h"
#include "devices/kinds/Firmware.h"
#include "devices/memory/ModuleCues.h"
#include "devices/memory/ModuleTransfer.h"
#include "link/PortProto.h"
#include "link/Result.h"
#include "support/text/Conversions.h"

#include <cstring>

namespace kv {

TResult TModuleTransfer::EraseScenario()
{
    eraseTotal_ = 0;
    eraseDone_ = 0;
    for (int index = 0; index < registry_.Count(); ++index) {
        TCommonDevice* device = registry_.DeviceAt(index);
        auto* module = dynamic_cast<TCommonControl*>(device);
        if (module && IsFiringModuleAddress(module->address))
            eraseTotal_ += module->channelCount;
    }
    const TResult result = EachModule([this](TCommonControl& module, int index) {
        if (const TResult identified = module.Identify())
            return identified;
        const TResult result = EraseModule(module, index);
        // Failed, the erase may have emptied the list or not.
        module.motorMovesAtLeast = 0;
        if (result == 0 && !aborted_)
            module.motorMovesAtMost = 0;
        return NoteMemory(module, result, TCueView());
    });
    return FinishTransfer(progress_, result, aborted_);
}

TResult TModuleTransfer::EraseModule(TCommonControl& module, int index)
{
    if (module.version >= kVersionRecordMemory) {
        const TResult result =
            module.version >= kVersionFastErase
                ? port_.FastEraseMemory(module.address, module.converterIndex, module.attemptMode)
                : port_.EraseMemory(module.address, module.converterIndex, module.attemptMode);
        if (result != 0)
            return result;
        eraseDone_ += module.channelCount;
        Progress(Percent(eraseDone_, eraseTotal_), index, module.channelCount, module.address);
        return kLinkOk;
    }
    // Channel 512 would go out as channel number 0 and erase nothing.
    for (int channel = 0; channel < module.channelCount && FitsModuleMemory(channel) && !aborted_;
         ++channel) {
        if (const TResult result =
                port_.WriteCue(module.address, module.converterIndex, kEmptyCueTime, channel))
            return result;
        eraseDone_ += 1;
        Progress(Percent(eraseDone_, eraseTotal_), index, channel + 1, module.address);
    }
    return kLinkOk;
}

TResult TModuleTransfer::ReadBlackBox(std::vector<uint8_t>& buffer)
{
    buffer.assign(static_cast<size_t>(registry_.FiringModuleCount()) * kBlackBoxRecordSize, 0);
    size_t record = 0;
    TResult firstFailure = kLinkOk;
    // A module that falls silent must not cost the logs of the others: its record keeps what
    // it gave and how its read ended, and the read goes on with the next module.
    const TResult everyModule = EachModule([&](TCommonControl& module, int index) {
        const TResult result =
            ReadModuleLog(module, index, buffer.data() + record++ * kBlackBoxRecordSize);
        if (firstFailure == kLinkOk)
            firstFailure = result;
        return kLinkOk;
    });
    Ignore(everyModule, "no step stops it: the first failure counts");
    return aborted_ ? kResultAborted : firstFailure;
}

TResult TModuleTransfer::ReadModuleLog(TCommonControl& module, int index, uint8_t* record)
{
    record[kBlackBoxAddressOffset] = static_cast<uint8_t>(module.address);
    PutInt32(record + kBlackBoxVersionOffset, module.version);
    PutInt32(record + kBlackBoxChannelsOffset, module.channelCount);
    PutDouble(record + kBlackBoxReadTimeOffset, NowInDays());
    PutDouble(record + kBlackBoxReadTimeAgainOffset, NowInDays());
    int counter = 0;
    Ignore(port_.ReadBlackBoxCounter(module.address, module.converterIndex, module.attemptMode,
                                     counter),
           "a counter not read is stored as 0; the record's status is the log's read");
    PutInt32(record + kBlackBoxCounterOffset, counter);
    const int64_t steps = static_cast<int64_t>(registry_.Count()) * kBlackBoxWords;
    TResult result = kLinkOk;
    int word = 0;
    for (; word < kBlackBoxWords && !aborted_; ++word) {
        std::array<uint8_t, 4> bytes{};
        result = port_.ReadMemory(module.address, module.converterIndex, module.attemptMode,
                                  kBlackBoxFirstAddress + 4 * word, bytes);
        if (result != 0)
            break;
        std::memcpy(record + kBlackBoxLogOffset + 4 * word, bytes.data(), bytes.size());
        Progress(Percent(static_cast<int64_t>(index) * kBlackBoxWords + word, steps), index, -1,
                 module.address);
    }
    PutInt32(record + kBlackBoxStatusOffset, result);
    PutInt32(record + kBlackBoxWordsReadOffset, word);
    return result;
}

}  // namespace kv
