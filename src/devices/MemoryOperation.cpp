#include "devices/MemoryOperation.h"

#include "devices/BlackBoxFile.h"
#include "devices/Controls.h"
#include "devices/DeviceResults.h"
#include "devices/Firmware.h"
#include "devices/MemoryTexts.h"
#include "devices/RemoteControl.h"
#include "support/Localizer.h"
#include "support/Platform.h"
#include "support/RunLog.h"

#include <vector>

namespace kv {

namespace {

std::string Confirmation()
{
    return Localize(59, "Подтверждение");
}

}  // namespace

int TMemoryOperation::Write(TCueView cues, bool remote)
{
    if (remote)
        return Run(Localize(72, "Запись сценария в ПДУ(Р)..."), [&] { return WriteRemote(cues); });
    return Run(Localize(73, "Запись сценария в пульты..."),
               [&] { return Report(controls_.WriteScenario(cues)); });
}

int TMemoryOperation::Verify(TCueView cues, bool remote)
{
    if (!remote)
        return Run(Localize(77, "Проверка сценария в пультах..."),
                   [&] { return Report(controls_.VerifyScenario(cues)); });
    return Run(Localize(76, "Проверка сценария в ПДУ(Р)..."), [&] {
        TRemoteControl* controller = Controller();
        return Report(controller ? controller->VerifyScenario(cues) : kLinkNotConnected);
    });
}

int TMemoryOperation::Erase()
{
    return Run(Localize(80, "Удаление сценария в пультах..."),
               [&] { return Report(controls_.EraseScenario()); });
}

int TMemoryOperation::ReadBlackBoxToFile()
{
    return Run(Localize(81, "Чтение показаний \"черного ящика\"..."), [&] { return SaveBlackBox(); });
}

bool TMemoryOperation::ConfirmErase()
{
    return Platform().MessageBox(
               Localize(58, "Вы действительно хотите удалить сценарий во всех пультах?"),
               Confirmation(), TButtons::YesNo) == TAnswer::Yes;
}

int TMemoryOperation::Run(const std::string& title, const std::function<int()>& operation)
{
    cancelRequested = false;
    title_ = title;
    if (OnBegin)
        OnBegin(title);
    if (OnStep)
        OnStep(0, {});
    const TProgressEvent handler = [this](int percent, int index, bool& abort, int channel,
                                          int address) {
        abort = cancelRequested;
        if (OnStep)
            OnStep(percent, MemoryProgressLabel(index, channel, address));
    };
    const TProgressEvent saved = controls_.OnProgress;
    controls_.OnProgress = handler;
    TRemoteControl* controller = Controller();
    TProgressEvent savedRemote;
    if (controller) {
        savedRemote = controller->OnProgress;
        controller->OnProgress = handler;
    }
    const int result = operation();
    controls_.OnProgress = saved;
    if (controller)
        controller->OnProgress = savedRemote;
    if (OnEnd)
        OnEnd();
    return result;
}

int TMemoryOperation::WriteRemote(TCueView cues)
{
    TRemoteControl* controller = Controller();
    if (!controller)
        return Report(kLinkNotConnected);
    const bool oldFirmware = controller->version < kVersionRemoteErase;
    if (oldFirmware) {
        if (!Carry(Localize(74, "Переведите ПДУР в режим записи и нажмите <ОК>.")))
            return Report(kResultAborted);
    } else {
        controller->EraseScenario();  // opens the write mode; a failure shows in the write
    }
    const int result = Report(controller->WriteScenario(cues));
    if (result == 0) {
        if (oldFirmware)
            Carry(Localize(75, "Переведите ПДУР из режима записи и нажмите <ОК>."));
        controller->Identify();
    }
    return result;
}

TRemoteControl* TMemoryOperation::Controller() const
{
    return dynamic_cast<TRemoteControl*>(controls_.FindByAddress(0));
}

int TMemoryOperation::SaveBlackBox()
{
    std::vector<uint8_t> buffer;
    const int result = controls_.ReadBlackBox(buffer);
    if (result == 0) {
        const auto chosen =
            Platform().SaveFileName("Файлы данных|*.dat", ProposedBlackBoxFileName());
        if (chosen) {
            if (const std::string error = WriteBlackBoxFile(BlackBoxFileName(*chosen), buffer);
                !error.empty()) {
                // A file error ends the operation with the general error message, unreported.
                Platform().MessageBox(error, Localize(66, "Ошибка"), TButtons::Ok);
                return kLinkNotConnected;
            }
        }
    }
    return Report(result);
}

bool TMemoryOperation::Carry(const std::string& text)
{
    if (Instruct)
        return Instruct(text, Confirmation());
    Platform().MessageBox(text, Confirmation(), TButtons::Ok);
    return true;
}

int TMemoryOperation::Report(int result)
{
    const std::string status = MemoryStatusText(result);
    reportLine_ = title_ + " " + status;
    WriteLog(reportLine_);
    Platform().MessageBox(result < 0 ? status : Localize(89, "Операция успешно завершена"),
                          Localize(88, "Сообщение"), TButtons::Ok);
    return result;
}

}  // namespace kv
