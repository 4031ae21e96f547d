#include "rigs/console/ConsoleTestTools.h"

#include "console/dialogs/DebugForm.h"
#include "console/dialogs/SettingsForm.h"
#include "console/reports/GoNoGoForm.h"

#include <QApplication>
#include <QPixmap>
#include <QTimer>
#include <QTest>
#include <QTreeWidget>

#include <algorithm>
#include <cstdlib>

namespace kv {

AuxConsoleTest::AuxConsoleTest() : platform(TestPlatform())
{
    platform.yesNo = TAnswer::No;
    platform.whileAsked = nullptr;
    platform.tickShift = 0;
    platform.openFiles.clear();
}

AuxConsoleTest::~AuxConsoleTest()
{
    platform.tickShift = 0;
}

TMainForm& AuxConsoleTest::Open(const std::string& field, const std::string& scenario,
                                std::initializer_list<int> addresses, const std::string& settings)
{
    Start(field, settings);
    for (const int address : addresses)
        Register(address);
    folder.WriteFile("show.txt", scenario);
    platform.openFiles = {folder.Path() + "show.txt"};
    Key(Qt::Key_F2);
    EXPECT_GT(Form().Projects().Project(0)->Count(), 0);
    return Form();
}

void AuxConsoleTest::Key(Qt::Key key, Qt::KeyboardModifiers modifiers)
{
    // The keys reach only the active window.
    EXPECT_TRUE(QTest::qWaitForWindowActive(&Form()));
    QTest::keyClick(Form().windowHandle(), key, modifiers);
}

bool AuxConsoleTest::Logged(const std::string& message)
{
    const auto messages = TConsoleFolder::LogMessages(Form().RunLogFile());
    return std::find(messages.begin(), messages.end(), message) != messages.end();
}

std::vector<std::string> AuxConsoleTest::GoNoGoFindings()
{
    Key(Qt::Key_G, Qt::ControlModifier);
    auto& window = Child<TGoNoGoForm>(Form(), "TGoNoGoForm");
    EXPECT_TRUE(QTest::qWaitFor([&] { return QApplication::activeWindow() == &window; }, 3000));
    const auto& list = Child<QTreeWidget>(window, "FindingList");
    std::vector<std::string> lines;
    for (int i = 0; i < list.topLevelItemCount(); ++i)
        lines.push_back(list.topLevelItem(i)->text(1).toStdString());
    QTest::keyClick(window.windowHandle(), Qt::Key_Escape);
    EXPECT_TRUE(QTest::qWaitFor([&] { return QApplication::activeWindow() == &Form(); }, 3000));
    return lines;
}

std::string AuxConsoleTest::LogText()
{
    std::string text;
    for (const std::string& message : TConsoleFolder::LogMessages(Form().RunLogFile()))
        text += message + "\n";
    return text;
}

bool DebugWindowOpens(QWidget& mainWindow)
{
    bool opened = false;
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [&] {
        if (auto* window = dynamic_cast<TDebugForm*>(QApplication::activeModalWidget())) {
            opened = true;
            window->reject();
        }
    });
    watch.start(5);
    QTest::keyClick(mainWindow.windowHandle(), Qt::Key_D, Qt::ControlModifier | Qt::AltModifier);
    QTest::qWait(200);
    return opened;
}

std::string ShownTimecodeZero(QWidget& mainWindow)
{
    auto& settings = Child<TSettingsForm>(mainWindow, "TSettingsForm");
    QTest::keyClick(mainWindow.windowHandle(), Qt::Key_S, Qt::ControlModifier | Qt::AltModifier);
    EXPECT_TRUE(QTest::qWaitForWindowActive(&settings));
    const std::string text = Child<QLabel>(settings, "TimecodeZeroValue").text().toStdString();
    QTest::keyClick(settings.windowHandle(), Qt::Key_Escape);
    return text;
}

void Snapshot(QWidget& window, const char* name)
{
    if (const char* folder = std::getenv("KV_SCREENSHOT_DIR"))
        window.grab().save(QString(folder) + "/" + name + ".png");
}

}  // namespace kv
