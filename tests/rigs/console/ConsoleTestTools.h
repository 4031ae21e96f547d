#pragma once
// What the auxiliary windows' tests share: the console on a field of their own with a
// scenario loaded through F2, a message in the run log, and the documentation's screenshots.

#include "rigs/console/ConsoleTestPlatform.h"
#include "rigs/console/FieldConsole.h"

#include <initializer_list>
#include <string>
#include <vector>

namespace kv {

class AuxConsoleTest : public FieldConsoleTest {
protected:
    AuxConsoleTest();
    ~AuxConsoleTest() override;

    // The console on this field with these devices registered and the scenario loaded.
    TMainForm& Open(const std::string& field, const std::string& scenario,
                    std::initializer_list<int> addresses, const std::string& settings = {});
    void Key(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier);
    bool Logged(const std::string& message);
    // The go/no-go window's findings as Ctrl+G shows them; the window is closed again.
    std::vector<std::string> GoNoGoFindings();
    // The run log's messages, one a line, for a failure's report.
    std::string LogText();

    TConsoleTestPlatform& platform;
};

// Ctrl+Alt+D on the main window; true when the debug window came up (it is closed again).
bool DebugWindowOpens(QWidget& mainWindow);

// The timecode zero the settings window (Ctrl+Alt+S) shows for the current slot; it is
// closed again.
std::string ShownTimecodeZero(QWidget& mainWindow);

// With KV_SCREENSHOT_DIR set, saves the window as <dir>/<name>.png for the documentation.
void Snapshot(QWidget& window, const char* name);

}  // namespace kv
