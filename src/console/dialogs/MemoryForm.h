#pragma once
// The progress window of the scenario memory operations: title, module and channel, gauge and
// "Отмена". Shown for one operation and closed at its end; the main window takes no input
// meanwhile.

#include "console/dialogs/AuxForm.h"
#include "devices/memory/MemoryOperation.h"

class QLabel;
class QProgressBar;

namespace kv {

class TControls;
class TFileDialog;

class TMemoryForm : public TAuxForm {
public:
    TMemoryForm(QWidget* mainForm, TControls& controls);

    int Write(TCueView cues, bool remote) { return operation_.Write(cues, remote); }
    int Verify(TCueView cues, bool remote) { return operation_.Verify(cues, remote); }
    int Erase() { return operation_.Erase(); }
    int ReadBlackBoxToFile();

    // Esc and the window's close request are "Отмена" as well.
    void reject() override;

private:
    void Begin(const std::string& title);
    void Step(int percent, const std::string& label);
    void End();

    TMemoryOperation operation_;
    QLabel* title_;
    QLabel* label1_;
    QProgressBar* gauge_;
    TFileDialog* saveDialog_;
};

}  // namespace kv
