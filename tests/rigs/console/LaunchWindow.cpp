#include "rigs/console/LaunchWindow.h"

#include "rigs/console/ConsoleTestPlatform.h"
#include "devices/registry/Controls.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTest>
#include <QWindow>

#include <algorithm>
#include <gtest/gtest.h>

namespace kv {

TLaunchWindow::TLaunchWindow(const std::string& settings)
{
    folder_.WriteSettings(settings);
    windows_ = std::make_unique<TConsoleWindows>(PlacesIn(folder_.Path()));
    TMainForm& form = Form();
    form.resize(1280, 760);
    form.show();
    form.activateWindow();
    EXPECT_TRUE(QTest::qWaitForWindowActive(&form));
}

void TLaunchWindow::Key(Qt::Key key, Qt::KeyboardModifiers modifiers)
{
    QTest::keyClick(Form().windowHandle(), key, modifiers);
}

void TLaunchWindow::Register(std::initializer_list<int> addresses)
{
    for (const int address : addresses) {
        // Modules 7 and 8 hang on the demo field's second converter.
        const int converter = address >= 7 ? 1 : 0;
        ASSERT_NE(Form().Controls().AddOrRefresh(address, converter), nullptr) << address;
    }
}

void TLaunchWindow::LoadScenario(const std::string& lines)
{
    static int number = 0;
    const std::string name = "scenario" + std::to_string(++number) + ".txt";
    folder_.WriteFile(name, lines);
    TestPlatform().openFiles = {folder_.Path() + name};
    Key(Qt::Key_F2);
    TestPlatform().openFiles.clear();
}

bool TLaunchWindow::WaitFor(const std::function<bool()>& done, int timeoutMs)
{
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        if (clock.elapsed() > timeoutMs)
            return done();
        QTest::qWait(10);
    }
    return true;
}

std::vector<std::string> TLaunchWindow::Log() const
{
    return TConsoleFolder::LogMessages(windows_->Main().RunLogFile());
}

int TLaunchWindow::LogCount(const std::string& line) const
{
    const auto log = Log();
    return static_cast<int>(std::count(log.begin(), log.end(), line));
}

}  // namespace kv
