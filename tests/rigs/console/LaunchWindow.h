#pragma once
// The console's main window on the demo field, shown, active and driven by real key events
// through its platform window, as the operator's keyboard drives it.

#include "rigs/console/ConsoleFolder.h"
#include "rigs/console/WindowProbe.h"
#include "console/mainwindow/ConsoleWindows.h"
#include "console/mainwindow/MainForm.h"

#include <QWidget>
#include <Qt>

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace kv {

class TLaunchWindow {
public:
    explicit TLaunchWindow(const std::string& settings = {});

    TMainForm& Form() { return windows_->Main(); }
    const TConsoleFolder& Folder() const { return folder_; }
    void Key(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier);
    // Registers the demo field's modules as a bus search would find them.
    void Register(std::initializer_list<int> addresses);
    // Loads a scenario file with these lines into the current slot through F2.
    void LoadScenario(const std::string& lines);
    // Processes events until done or the time is up; the result of the last test of done.
    static bool WaitFor(const std::function<bool()>& done, int timeoutMs);
    std::vector<std::string> Log() const;
    // How many log messages equal line.
    int LogCount(const std::string& line) const;

    template <typename T>
    T& Child(const char* name)
    {
        return kv::Child<T>(Form(), name);
    }

private:
    TConsoleFolder folder_;
    std::unique_ptr<TConsoleWindows> windows_;
};

}  // namespace kv
