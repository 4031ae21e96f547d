// The timecode start through the window: Shift+F5 arms it, the sound desk's timecode played
// into the null sink starts the show at the start point, and the launch page shows the lock.
#include "LaunchWindow.h"

#include "ConsoleTestTools.h"

#include "audio/SoundtrackFiles.h"
#include "console/reports/GoNoGoForm.h"
#include "show/DeskPlayback.h"
#include "show/ExtPlayer.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QTest>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

namespace kv {
namespace {

const std::string kSettings =
    "[timecode]\nSource=nullsink.monitor\nZero=01:00:00:00\nRate=29.97df\n";

std::vector<std::string> From(const std::vector<std::string>& log, const std::string& line)
{
    const auto start = std::find(log.begin(), log.end(), line);
    return {start, log.end()};
}

class TimecodeStartTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!RequireAudioServer())
            return;
    }
};

TEST_F(TimecodeStartTest, ArmedByKeyTheShowStartsOnTheTimecodeAndFollowsIt)
{
    TLaunchWindow window(kSettings);
    TMainForm& form = window.Form();
    window.Register({1, 2});
    window.LoadScenario("0:00.30\t1\t3\n0:00.30\t2\t3\n0:01.00\t1\t4\n");
    QAction& arm = window.Child<QAction>("TimecodeAction");
    window.Key(Qt::Key_F5, Qt::ShiftModifier);
    EXPECT_FALSE(arm.isChecked()) << "armed before the console was ready";
    window.Key(Qt::Key_F1);
    ASSERT_EQ(form.LaunchState(), kLaunchReady);
    window.Key(Qt::Key_F5, Qt::ShiftModifier);
    ASSERT_TRUE(arm.isChecked());
    EXPECT_EQ(window.LogCount("Ожидание таймкода, источник: nullsink.monitor"), 1);

    kvtest::TLtcSignal signal(TTimecodeRate::Fps2997Drop, {1, 0, 0, 0});
    signal.CueShowMs(-2500);
    signal.Play(150);
    kvtest::TDeskPlayback desk(signal);
    ASSERT_TRUE(desk.Playing());
    const QLabel& indicator = window.Child<QLabel>("TimecodeLabel");
    ASSERT_TRUE(TLaunchWindow::WaitFor([&] { return indicator.text().startsWith("Таймкод: 00:59:5"); }, 4000))
        << indicator.text().toStdString();
    EXPECT_TRUE(indicator.text().contains(" 29.97 drop-frame ")) << indicator.text().toStdString();
    EXPECT_FALSE(form.Player().IsRunning()) << "started before the start point";
    ASSERT_TRUE(TLaunchWindow::WaitFor([&] { return form.Player().IsRunning(); }, 4000));
    EXPECT_TRUE(form.Player().Chased());
    EXPECT_FALSE(arm.isChecked());
    TLaunchWindow::WaitFor([] { return false; }, 300);  // the indicator's next look
    Snapshot(form, "console-timecode");
    ASSERT_TRUE(TLaunchWindow::WaitFor([&] { return !form.Player().IsRunning(); }, 5000));

    const std::vector<std::string> log = From(window.Log(), "Запуск проекта");
    ASSERT_GE(log.size(), 9u);
    EXPECT_EQ(log[4], "Точка запуска: 0:00:00");
    EXPECT_TRUE(log[5].starts_with("Запуск по таймкоду 01:00:00;")) << log[5];
    EXPECT_TRUE(log[5].ends_with(" (29.97 drop-frame)")) << log[5];
    for (const char* shot : {"Запуск, пульт: 1, канал: 3", "Запуск, пульт: 2, канал: 3",
                             "Запуск, пульт: 1, канал: 4"})
        EXPECT_EQ(std::count(log.begin(), log.end(), shot), 1) << shot;
    EXPECT_EQ(std::count(log.begin(), log.end(), "Остановка проекта"), 1);
}

TEST_F(TimecodeStartTest, TheConsoleDisarmedOrTheKeyAgainEndsTheWait)
{
    TLaunchWindow window(kSettings);
    TMainForm& form = window.Form();
    window.Register({1});
    window.LoadScenario("0:00.30\t1\t3\n");
    QAction& arm = window.Child<QAction>("TimecodeAction");
    window.Key(Qt::Key_F1);
    window.Key(Qt::Key_F5, Qt::ShiftModifier);
    ASSERT_TRUE(arm.isChecked());
    window.Key(Qt::Key_F5, Qt::ShiftModifier);
    EXPECT_FALSE(arm.isChecked());
    window.Key(Qt::Key_F5, Qt::ShiftModifier);
    ASSERT_TRUE(arm.isChecked());
    window.Key(Qt::Key_F1);  // the console no longer ready
    EXPECT_FALSE(arm.isChecked());
    EXPECT_EQ(window.LogCount("Ожидание таймкода снято"), 2);

    // The desk rolls now: nothing may start.
    kvtest::TLtcSignal signal(TTimecodeRate::Fps25, {1, 0, 0, 0});
    signal.CueShowMs(-1000);
    signal.Play(75);
    kvtest::TDeskPlayback desk(signal);
    TLaunchWindow::WaitFor([&] { return desk.Done(); }, 5000);
    EXPECT_FALSE(form.Player().IsRunning());
    EXPECT_EQ(window.LogCount("Запуск проекта"), 0);
}

// The go/no-go window before the start: the wait is armed only after it was read, and a
// start by the timecode while the operator has it open again puts it away: the console, which
// stops the show, has the keys.
TEST_F(TimecodeStartTest, WithTheCheckBeforeTheStartTheWaitIsArmedOnlyOnceItWasRead)
{
    TLaunchWindow window(kSettings + "[show]\nGoNoGoBeforeStart=1\n");
    TMainForm& form = window.Form();
    window.Register({1});
    window.LoadScenario("0:00.30\t1\t3\n0:00.40\t9\t1\n");  // module 9 is not on the bus
    QAction& arm = window.Child<QAction>("TimecodeAction");
    auto& check = window.Child<TGoNoGoForm>("TGoNoGoForm");
    const auto active = [](QWidget& shown) {
        return TLaunchWindow::WaitFor([&] { return QApplication::activeWindow() == &shown; }, 3000);
    };
    window.Key(Qt::Key_F1);
    window.Key(Qt::Key_F5, Qt::ShiftModifier);
    ASSERT_TRUE(active(check));
    EXPECT_FALSE(arm.isChecked());
    QTest::keyClick(check.windowHandle(), Qt::Key_Escape);
    ASSERT_TRUE(active(form));
    EXPECT_EQ(window.LogCount("Ожидание таймкода, источник: nullsink.monitor"), 0);
    window.Key(Qt::Key_F5, Qt::ShiftModifier);
    ASSERT_TRUE(arm.isChecked());

    window.Key(Qt::Key_G, Qt::ControlModifier);
    ASSERT_TRUE(active(check));
    kvtest::TLtcSignal signal(TTimecodeRate::Fps2997Drop, {1, 0, 0, 0});
    signal.CueShowMs(-2500);
    signal.Play(150);
    kvtest::TDeskPlayback desk(signal);
    ASSERT_TRUE(TLaunchWindow::WaitFor([&] { return form.Player().IsRunning(); }, 8000));
    EXPECT_FALSE(check.isVisible());
    ASSERT_TRUE(active(form));
    window.Key(Qt::Key_Escape);
    EXPECT_FALSE(form.Player().IsRunning());
    EXPECT_EQ(window.LogCount("Запуск проекта"), 1);
}

}  // namespace
}  // namespace kv
