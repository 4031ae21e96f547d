#pragma once
// Measures how far the firing modules' clocks drift from the PC's: starts their show clocks
// together with its own and compares them ten times a second.

#include "console/dialogs/AuxForm.h"

#include <cstdint>
#include <functional>
#include <vector>

class QLabel;
class QTimer;
class QTreeWidget;

namespace kv {

class TCommonControl;
class TControls;
class TPortProto;

class TDebugForm : public TAuxForm {
public:
    static constexpr int kStepMs = 100;
    static constexpr int kTestCueMs = 3600000;  // an hour on: never reached during a test

    TDebugForm(QWidget* mainForm, TControls& controls, TPortProto& port);

    // Modal. The main window's device poll is switched off while a test runs.
    void Open();
    std::function<void(bool on)> SetPolling;

    void TestBtnClick();
    void StopBtnClick();
    bool TestRunning() const;

protected:
    void done(int result) override;

private:
    enum TColumn { kId, kChannels, kVersion, kVoltage, kLink, kSync };

    std::vector<TCommonControl*> FiringModules() const;
    void Step();

    TControls& controls_;
    TPortProto& port_;
    QTreeWidget* list_;
    QLabel* elapsed_;
    QTimer* timer_;
    uint32_t startTick_ = 0;
};

}  // namespace kv
