#include "devices/memory/MemoryOperation.h"

#include "devices/memory/BlackBoxFile.h"
#include "devices/memory/ControllerTransfer.h"
#include "devices/kinds/CommonControl.h"
#include "devices/registry/Controls.h"
#include "devices/kinds/Firmware.h"
#include "devices/memory/MemoryTexts.h"
#include "devices/memory/ModuleTransfer.h"
#include "devices/kinds/RemoteControl.h"
#include "link/Result.h"
#include "support/lang/Localizer.h"
#include "support/platform/Platform.h"
#include "support/log/RunLog.h"

#include <vector>

namespace kv {

namespace {

std::string Confirmation()
{
    return Localize(59, "Подтверждение");
}

}  // namespace

TResult TMemoryOperation::Write(TCueView cues, bool remote)
{
    if (remote)
        return Run(Localize(72, "Запись сценария в ПДУ(Р)..."), [&] { return WriteRemote(cues); });
    return Run(Localize(73, "Запись сценария в пульты..."),
               [&] { return Report(Transfer().WriteScenario(cues)); });
}

TResult TMemoryOperation::Verify(TCueView cues, bool remote)
{
    if (!remote)
        return Run(Localize(77, "Проверка сценария в пультах..."),
                   [&] { return Report(Transfer().VerifyScenario(cues)); });
    return Run(Localize(76, "Проверка сценария в ПДУ(Р)..."),
               [&] { return Report(ControllerTransfer().VerifyScenario(cues)); });
}

TResult TMemoryOperation::Erase()
{
    return Run(Localize(80, "Удаление сценария в пультах..."),
               [&] { return Report(Transfer().EraseScenario()); });
}

TResult TMemoryOperation::ReadBlackBoxToFile()
{
    return Run(Localize(81, "Чтение показаний \"черного ящика\"..."), [&] { return SaveBlackBox(); });
}

bool TMemoryOperation::ConfirmErase()
{
    return Platform().MessageBox(
               Localize(58, "Вы действительно хотите удалить сценарий во всех пультах?"),
               Confirmation(), TButtons::YesNo) == TAnswer::Yes;
}

TResult TMemoryOperation::Run(const std::string& title, const std::function<TResult()>& operation)
{
    cancelRequested = false;
    title_ = title;
    if (OnBegin)
        OnBegin(title);
    if (OnStep)
        OnStep(0, {});
    progress_ = [this](int percent, int index, bool& abort, int channel, int address) {
        abort = cancelRequested;
        if (OnStep)
            OnStep(percent, MemoryProgressLabel(index, channel, address));
    };
    const TResult result = operation();
    progress_ = nullptr;
    if (OnEnd)
        OnEnd();
    return result;
}

TResult TMemoryOperation::WriteRemote(TCueView cues)
{
    TRemoteControl* controller = Controller();
    if (!controller)
        return Report(kLinkNotConnected);
    const bool oldFirmware = controller->version < kVersionRemoteErase;
    if (oldFirmware) {
        if (!Carry(Localize(74, "Переведите ПДУР в режим записи и нажмите <ОК>.")))
            return Report(kResultAborted);
    } else if (const TResult erased = controller->EraseScenario(); erased != kLinkOk) {
        // Not erased, the controller would keep the old show's cues beside the new ones, or
        // stay out of write mode and let the write look well while nothing was stored.
        return Report(erased);
    }
    // The controller's cue frames go out addressed to the cues' modules, and a firing module
    // on the line may store them: none of their memories is known after this.
    for (int i = 0; i < controls_.Count(); ++i)
        if (auto* module = dynamic_cast<TCommonControl*>(controls_.DeviceAt(i));
            module && IsFiringModuleAddress(module->address))
            module->ForgetMemory();
    const TResult result = Report(ControllerTransfer().WriteScenario(cues));
    if (result == 0) {
        if (oldFirmware)
            Carry(Localize(75, "Переведите ПДУР из режима записи и нажмите <ОК>."));
        Ignore(controller->Identify(), "kept in lastResult; the write's outcome is reported");
    }
    return result;
}

TModuleTransfer TMemoryOperation::Transfer() const
{
    return TModuleTransfer(controls_, progress_);
}

TControllerTransfer TMemoryOperation::ControllerTransfer() const
{
    return TControllerTransfer(controls_, progress_);
}

TRemoteControl* TMemoryOperation::Controller() const
{
    return dynamic_cast<TRemoteControl*>(controls_.FindByAddress(0));
}

TResult TMemoryOperation::SaveBlackBox()
{
    std::vector<uint8_t> buffer;
    const TResult read = Transfer().ReadBlackBox(buffer);
    TResult result = read;
    // What the modules that answered gave is kept, also when another fell silent.
    if (result != kResultAborted && AnyBlackBoxRead(buffer)) {
        const auto chosen = Platform().SaveFileName(saveFilter, ProposedBlackBoxFileName());
        if (!chosen) {
            // Nothing saved is no success.
            if (result == 0)
                result = kResultAborted;
        } else if (const std::string error = WriteBlackBoxFile(BlackBoxFileName(*chosen), buffer);
                   !error.empty()) {
            // A file error ends the operation with the general error message, unreported.
            Platform().MessageBox(error, Localize(66, "Ошибка"), TButtons::Ok);
            return kLinkNotConnected;
        }
    }
    // After a module's failure, which one it was and how the others went.
    const bool moduleFailed = read != 0 && read != kResultAborted;
    return Report(result, moduleFailed ? BlackBoxStatusLines(buffer) : std::vector<std::string>{});
}

bool TMemoryOperation::Carry(const std::string& text)
{
    if (Instruct)
        return Instruct(text, Confirmation());
    Platform().MessageBox(text, Confirmation(), TButtons::Ok);
    return true;
}

TResult TMemoryOperation::Report(TResult result, const std::vector<std::string>& details)
{
    const std::string status = ResultText(result);
    reportLine_ = title_ + " " + status;
    WriteLog(reportLine_);
    std::string text = result < 0 ? status : Localize(89, "Операция успешно завершена");
    for (const std::string& line : details) {
        WriteLog(line);
        text += "\n" + line;
    }
    Platform().MessageBox(text, Localize(88, "Сообщение"), TButtons::Ok);
    return result;
}

}  // namespace kv
