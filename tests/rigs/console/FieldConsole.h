#pragma once
// The console started on a field of the test's own, with the field at hand to change and to
// listen to, and the operator's clicks.

#include "rigs/console/ConsoleFolder.h"
#include "rigs/console/WindowProbe.h"
#include "console/mainwindow/ConsoleWindows.h"
#include "console/mainwindow/MainForm.h"
#include "field/bus/Field.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace kv {

class FieldConsoleTest : public ::testing::Test {
protected:
    FieldConsoleTest();
    ~FieldConsoleTest() override;

    // fieldText: a field file; the console's window is shown.
    TMainForm& Start(const std::string& fieldText, const std::string& settings = {});
    TMainForm& Form() { return windows->Main(); }
    TField& Field();
    // Registers the device answering at this address, as a search would.
    void Register(int address);
    // A real mouse click on the named button; false when it is disabled.
    bool Click(const char* name);
    // Runs the window's events until the condition holds; false on time-out.
    static bool WaitFor(const std::function<bool()>& condition, int ms = 5000);
    // From now on the idle poll does not run, though the console starts its timer again.
    void HoldIdlePoll();
    // The poll and the blink sped up, so that a test needs not wait their real periods.
    void SpeedUpTimers();
    QString RowText(int row);
    // Frames of this code the console sent since the field record was last cleared.
    std::vector<std::vector<uint8_t>> SentFrames(uint8_t code);
    // The test page entered by its button.
    void EnterTestPage();
    // Loads a scenario of these lines into the current slot through F2.
    void LoadScenario(const std::string& lines);
    void Key(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier);

    TConsoleFolder folder;
    std::unique_ptr<TConsoleWindows> windows;
};

}  // namespace kv
