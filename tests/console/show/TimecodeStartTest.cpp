// The timecode start through the window: Shift+F5 arms it, the sound desk's timecode played
// into the null sink starts the show at the start point, and the launch page shows the lock.
// The timecode output: Ctrl+T during a show sends its clock to the null sink, whose monitor
// the project's own chase decodes.
#include "rigs/console/LaunchWindow.h"

#include "rigs/console/ConsoleTestTools.h"

#include "rigs/SoundtrackFiles.h"
#include "console/reports/GoNoGoForm.h"
#include "rigs/DeskPlayback.h"
#include "show/player/ExtPlayer.h"
#include "show/timecode/TimecodeOutput.h"
#include "show/timecode/TimecodeReceiver.h"
#include "support/platform/Platform.h"

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
    EXPECT_TRUE(indicator.text().contains(" до начала: 00:00:0")) << indicator.text().toStdString();
    EXPECT_FALSE(form.Player().IsRunning()) << "started before the start point";
    ASSERT_TRUE(TLaunchWindow::WaitFor([&] { return form.Player().IsRunning(); }, 4000));
    EXPECT_TRUE(form.Player().Chased());
    EXPECT_FALSE(arm.isChecked());
    TLaunchWindow::WaitFor([] { return false; }, 300);  // the indicator's next look
    Snapshot(form, "console-timecode");
    ASSERT_TRUE(TLaunchWindow::WaitFor([&] { return !form.Player().IsRunning(); }, 5000));

    const std::vector<std::string> log = From(window.Log(), "Запуск проекта");
    // A rehearsal's block, one line longer: the simulated field.
    ASSERT_GE(log.size(), 10u);
    EXPECT_EQ(log[5], "Точка запуска: 0:00:00");
    EXPECT_TRUE(log[6].starts_with("Запуск по таймкоду 01:00:00;")) << log[6];
    EXPECT_TRUE(log[6].ends_with(" (29.97 drop-frame)")) << log[6];
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

namespace kv {
namespace {

TEST_F(TimecodeStartTest, CtrlTDuringAShowSendsItsClockToTheSinkAndItStandsWithTheStop)
{
    TLaunchWindow window("[timecode]\nOutput=nullsink\nOutputRate=25\nOutputZero=10:00:00:00\n");
    TMainForm& form = window.Form();
    window.Register({1});
    window.LoadScenario("0:01.00\t1\t3\n0:09.00\t1\t4\n");
    TTimecodeSettings desk;
    desk.source = "nullsink.monitor";
    desk.zero = {10, 0, 0, 0};
    TTimecodeReceiver receiver(desk);
    std::string error;
    ASSERT_TRUE(receiver.Open(error)) << error;
    TTimecodeChase& chase = receiver.Chase();
    QAction& send = window.Child<QAction>("TimecodeOutAction");
    window.Key(Qt::Key_F1);
    window.Key(Qt::Key_F5);
    ASSERT_TRUE(form.Player().IsRunning());
    window.Key(Qt::Key_T, Qt::ControlModifier);
    ASSERT_TRUE(send.isChecked());
    EXPECT_EQ(window.LogCount("Передача таймкода включена: nullsink, 25, 10:00:00:00"), 1);

    const auto heard = [&] {
        chase.Poll(Platform().TickCount());
        return chase.Heard(Platform().TickCount());
    };
    ASSERT_TRUE(TLaunchWindow::WaitFor([&] { return heard().has_value(); }, 3000)) << "no lock";
    int ahead = 0;
    int far = 0;
    for (int i = 0; i < 40; ++i) {
        TLaunchWindow::WaitFor([] { return false; }, 25);
        const int32_t time = heard().value_or(-100000);
        const int32_t clock = form.Player().ClockLook(Platform().TickCount()).time;
        // Two frames, the sink's and the capture's latency readings, and the window's ticks.
        ahead += time > clock + TTimecodeOutput::kDropAheadMs;
        far += time < clock - 250;
    }
    EXPECT_EQ(ahead, 0);
    EXPECT_EQ(far, 0);
    EXPECT_EQ(chase.Rate(), TTimecodeRate::Fps25);

    window.Key(Qt::Key_F6);
    ASSERT_FALSE(form.Player().IsRunning());
    const int32_t stoppedAt = form.Player().CurrentTime();
    TLaunchWindow::WaitFor([] { return false; }, 500);
    const int32_t standing = heard().value_or(-100000);
    TLaunchWindow::WaitFor([] { return false; }, 400);
    EXPECT_EQ(heard().value_or(-100000), standing) << "the timecode ran on after the stop";
    // The stop leaves the clock of the show's last tick; the frame under way then is heard
    // through, and the chase takes it to its end.
    EXPECT_LE(standing, stoppedAt + 25 + 40 + TTimecodeOutput::kDropAheadMs);
    EXPECT_GE(standing, stoppedAt - 250);

    window.Key(Qt::Key_T, Qt::ControlModifier);
    EXPECT_FALSE(send.isChecked());
    EXPECT_EQ(window.LogCount("Передача таймкода выключена"), 1);
}

}  // namespace
}  // namespace kv
