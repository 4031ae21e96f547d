#pragma once
// The scenario memory operations as the operator runs them: write, verify, erase and the
// black-box read into a file, each with its title, progress, cancel, run-log line and report.
// The console's progress window and kvctl are two faces of this one runner.

#include "devices/memory/ProgressEvent.h"
#include "devices/memory/ScenarioCue.h"
#include "link/Result.h"

#include <functional>
#include <string>
#include <vector>

namespace kv {

class TControllerTransfer;
class TControls;
class TModuleTransfer;
class TRemoteControl;

class TMemoryOperation {
public:
    explicit TMemoryOperation(TControls& controls) : controls_(controls) {}

    // remote: the remote controller (address 0) instead of the firing modules.
    TResult Write(TCueView cues, bool remote);
    TResult Verify(TCueView cues, bool remote);
    TResult Erase();
    // Asks for the file name when any module's log was read whole; what the others gave is
    // saved with it, each record saying how its read went. A cancelled save is no success.
    TResult ReadBlackBoxToFile();
    // The operator's confirmation before an erase of every module.
    static bool ConfirmErase();

    // The black-box save dialog's filter.
    std::string saveFilter = "Файлы данных|*.dat";
    // Set by the operator's "Отмена"; the operation ends at its next progress step.
    bool cancelRequested = false;
    // The window: shown with the title, told every step (and pumps messages there, which is
    // how a cancel gets in), closed at the end.
    std::function<void(const std::string& title)> OnBegin;
    std::function<void(int percent, const std::string& label)> OnStep;
    std::function<void()> OnEnd;
    // A remote controller instruction the operator must carry out; false: not done, which
    // abandons the write. Unassigned: a plain message box.
    std::function<bool(const std::string& text, const std::string& caption)> Instruct;

    // The run-log line of the last report.
    const std::string& ReportLine() const { return reportLine_; }

private:
    TResult Run(const std::string& title, const std::function<TResult()>& operation);
    // The firing modules' memory, each step told to the window while the operation runs.
    TModuleTransfer Transfer() const;
    TControllerTransfer ControllerTransfer() const;
    TRemoteControl* Controller() const;
    TResult WriteRemote(TCueView cues);
    TResult SaveBlackBox();
    bool Carry(const std::string& text);
    // details: lines logged after the report line and shown under the status.
    TResult Report(TResult result, const std::vector<std::string>& details = {});

    TControls& controls_;
    std::string title_;
    TProgressEvent progress_;
    std::string reportLine_;
};

}  // namespace kv
