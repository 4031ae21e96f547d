// Shows run from the keyboard on the simulated demo field, read back from the run log.
#include "rigs/console/LaunchWindow.h"

#include "rigs/console/ConsoleTestPlatform.h"
#include "rigs/console/ConsoleTestTools.h"
#include "audio/AudioLibrary.h"
#include "console/app/EndSignals.h"
#include "console/widgets/Colors.h"
#include "show/player/ExtPlayer.h"
#include "support/lang/AddedMessages.h"
#include "support/text/Conversions.h"

#include <QFrame>
#include <QTest>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <cstring>

namespace kv {
namespace {

const std::string kSoundtrack = std::string(KV_SHARE_DIR) + "/sample-soundtrack.ogg";

// The log from the first occurrence of line on.
std::vector<std::string> From(const std::vector<std::string>& log, const std::string& line)
{
    const auto start = std::find(log.begin(), log.end(), line);
    return {start, log.end()};
}

TEST(LaunchShowTest, ShowStartedByKeysFiresEveryCueAndChecksTheShotsInTheQuietGaps)
{
    TLaunchWindow window;
    TMainForm& form = window.Form();
    window.Register({1, 2});
    window.LoadScenario("0:00.20\t1\t3\tfirst\n0:00.20\t2\t3\tsame moment\n"
                        "0:03.50\t1\t4\tafter a long gap\n");
    // The scenario filter first; show packages are offered beside it.
    EXPECT_EQ(TestPlatform().filters.back(), "Текстовые файлы|*.txt|Пакеты шоу|*.kvshow");
    ASSERT_EQ(form.Projects().Project(0)->Count(), 3);

    window.Key(Qt::Key_F1);
    ASSERT_EQ(form.LaunchState(), kLaunchReady);
    window.Key(Qt::Key_F5);
    ASSERT_TRUE(form.Player().IsRunning());
    EXPECT_EQ(form.LaunchState(), kLaunchRunning);
    ASSERT_TRUE(TLaunchWindow::WaitFor([&] { return !form.Player().IsRunning(); }, 10000));
    EXPECT_EQ(form.LaunchState(), kLaunchReady);
    // The last shot is checked by the device poll once the show is over.
    const std::string lastCheck = "Тест канала, пульт: 1, канал: 4, состояние: неподключен";
    EXPECT_TRUE(TLaunchWindow::WaitFor([&] { return window.LogCount(lastCheck) == 1; }, 3000));

    const std::vector<std::string> expected{
        "Запуск проекта",
        // The simulated field: a rehearsal, never a real show's record.
        Localize(kMsgRehearsalShow),
        "Проект: 0:00:03",
        "Режимы: автомат, прямое управление",
        "Темп: 100.0%, смещение: 0 ms",
        "Точка запуска: 0:00:00",
        "Запуск, пульт: 1, канал: 3",
        "Запуск, пульт: 2, канал: 3",
        // Checked while the show waits for its last cue.
        "Тест канала, пульт: 1, канал: 3, состояние: неподключен",
        "Тест канала, пульт: 2, канал: 3, состояние: неподключен",
        "Запуск, пульт: 1, канал: 4",
        "Остановка проекта",
        lastCheck};
    EXPECT_EQ(From(window.Log(), "Запуск проекта"), expected);
    EXPECT_EQ(window.Child<QLabel>("TimeLabel").text(), "0:00:03.5");
    EXPECT_EQ(window.Child<QLabel>("ScenarioRestLabel").text(), "0:00:00.0");
}

TEST(LaunchShowTest, ShowStartedAndStoppedByKeyShowsTheStopTimeAndTheNextCueStillToFire)
{
    // A stop between two time reports left the clock and the highlighted "next" cue of the
    // last report: a cue already fired, which Enter and F5 would fire again.
    TLaunchWindow window;
    TMainForm& form = window.Form();
    window.Register({1, 2});
    window.LoadScenario("0:00.20\t1\t3\n0:00.40\t2\t3\n0:05.00\t1\t4\n");
    form.Player().timeReportInterval = 1000000;  // no report falls between the shots and the stop
    window.Key(Qt::Key_F1);
    window.Key(Qt::Key_F5);
    ASSERT_TRUE(TLaunchWindow::WaitFor([&] { return form.Player().FiredCount() == 2; }, 5000));
    window.Key(Qt::Key_F6);
    ASSERT_FALSE(form.Player().IsRunning());
    EXPECT_EQ(window.Child<QLabel>("TimeLabel").text().toStdString(),
              ClockText(form.Player().CurrentTime(), 1));
    const QTreeWidget& list = window.Child<QTreeWidget>("CueList");
    ASSERT_NE(list.currentItem(), nullptr);
    EXPECT_EQ(list.indexOfTopLevelItem(list.currentItem()), 2);

    window.Key(Qt::Key_Return);
    window.Key(Qt::Key_F5);
    EXPECT_TRUE(TLaunchWindow::WaitFor([&] { return form.Player().FiredCount() == 1; }, 3000));
    window.Key(Qt::Key_F6);
    EXPECT_EQ(window.LogCount("Запуск, пульт: 1, канал: 3"), 1);
    EXPECT_EQ(window.LogCount("Запуск, пульт: 2, канал: 3"), 1);
    EXPECT_EQ(window.LogCount("Запуск, пульт: 1, канал: 4"), 1) << "the cue at the start point";
}

TEST(LaunchShowTest, StopKeyStopsTheShowFirstAndTheMusicSecondAndStartJoinsPlayingMusic)
{
    TLaunchWindow window;
    if (!AudioAvailable())
        GTEST_SKIP() << "no audio device";
    TMainForm& form = window.Form();
    TBassPlayer& music = form.Player().Soundtrack();
    window.LoadScenario("0:30.00\t1\t1\tlate\n");
    TestPlatform().openFiles = {kSoundtrack};
    window.Key(Qt::Key_F3);
    EXPECT_EQ(TestPlatform().filters.back(), "Аудиофайлы|*.wav; *.mp3; *.wma; *.ogg");
    ASSERT_TRUE(music.Loaded());
    EXPECT_EQ(window.Child<QLabel>("SoundName").text(), "sample-soundtrack.ogg");
    EXPECT_EQ(window.Child<QLabel>("SLabel0").text(), "0:01:40");

    window.Key(Qt::Key_F1);
    window.Key(Qt::Key_F5);
    ASSERT_TRUE(form.Player().IsRunning());
    EXPECT_EQ(From(window.Log(), "Запуск проекта"),
              (std::vector<std::string>{"Запуск проекта", Localize(kMsgRehearsalShow),
                                        "Проект: 0:00:30",
                                        "Фонограмма: sample-soundtrack.ogg [0:01:40]",
                                        "Режимы: автомат, прямое управление",
                                        "Темп: 100.0%, смещение: 0 ms",
                                        "Точка запуска: 0:00:00"}));
    QTest::qWait(1200);

    window.Key(Qt::Key_F6);
    EXPECT_FALSE(form.Player().IsRunning());
    EXPECT_TRUE(music.IsPlaying()) << "the first press stops the show only";
    EXPECT_EQ(form.LaunchState(), kLaunchReady);
    EXPECT_EQ(window.LogCount("Остановка проекта"), 1);

    // Started again while the music plays, the show joins it where it is.
    window.Key(Qt::Key_F5);
    ASSERT_TRUE(form.Player().IsRunning());
    const auto log = window.Log();
    EXPECT_EQ(log.back(), "Точка запуска: по фонограмме 0:00:01");
    EXPECT_GE(form.Player().CurrentTime(), 1000);
    window.Key(Qt::Key_Escape);  // Esc stops a running show as F6 does
    EXPECT_FALSE(form.Player().IsRunning());
    EXPECT_TRUE(music.IsPlaying());
    EXPECT_EQ(window.LogCount("Остановка проекта"), 2);

    // Stopping the music logs the stop again; the log folds the repeat into one line.
    window.Key(Qt::Key_F6);
    EXPECT_FALSE(music.IsPlaying());
    EXPECT_EQ(window.Log().back(), "Остановка проекта ( X 2 )");
    EXPECT_FALSE(window.Child<QWidget>("StopBtn").isEnabled());
    window.Key(Qt::Key_F6);
    EXPECT_EQ(window.Log().back(), "Остановка проекта ( X 2 )");
}

// Stands in for the default action, which would freeze or end the test program itself.
void SignalNotTaken(int signal)
{
    ADD_FAILURE() << sigabbrev_np(signal) << " not taken by the console";
}

TEST(LaunchShowTest, ASignalThatEndsTheProgramStopsTheShowFirst)
{
    // A kill, a closed session or Ctrl+C in the console's terminal used to end it in the
    // middle of a show: no stop frame, the high voltage left on. Ctrl+Z froze it, and on fg
    // every cue due meanwhile went at once; Ctrl+\ ended it with the modules playing on.
    for (const int signal : {SIGTERM, SIGTSTP, SIGQUIT}) {
        const char* name = sigabbrev_np(signal);
        std::signal(signal, SignalNotTaken);
        TLaunchWindow window;
        TMainForm& form = window.Form();
        const TEndSignals endSignals([&form](int taken) { form.EndBySignal(taken); });
        window.Register({1});
        window.LoadScenario("0:00.20\t1\t3\n0:05.00\t1\t4\n");
        window.Key(Qt::Key_F1);
        window.Key(Qt::Key_F5);
        ASSERT_TRUE(form.Player().IsRunning()) << name;
        const std::string shot = "Запуск, пульт: 1, канал: 3";
        ASSERT_TRUE(TLaunchWindow::WaitFor([&] { return window.LogCount(shot) == 1; }, 3000));
        std::raise(signal);
        EXPECT_TRUE(TLaunchWindow::WaitFor([&] { return !form.isVisible(); }, 3000)) << name;
        EXPECT_FALSE(form.Player().IsRunning()) << name;
        const std::vector<std::string> log = From(window.Log(), shot);
        ASSERT_GE(log.size(), 4u) << name;
        EXPECT_EQ(std::vector<std::string>(log.begin(), log.begin() + 3),
                  (std::vector<std::string>{
                      shot, "Программа завершается по сигналу системы: SIG" + std::string(name),
                      "Остановка проекта"}));
        EXPECT_EQ(window.LogCount("Выход из программы"), 1) << name;
        if (form.Player().IsRunning())
            form.Player().Stop(true);
    }
}

TEST(LaunchShowTest, SoundtrackTestOnTheTestPagePlaysAndStopsByMouseAndByKey)
{
    TLaunchWindow window;
    if (!AudioAvailable())
        GTEST_SKIP() << "no audio device";
    TBassPlayer& music = window.Form().Player().Soundtrack();
    TestPlatform().openFiles = {kSoundtrack};
    window.Key(Qt::Key_F3);
    ASSERT_TRUE(music.Loaded());
    window.Key(Qt::Key_Tab);
    // The button once did nothing by mouse: only the F5 key played the music.
    QTest::mouseClick(&window.Child<QPushButton>("SoundTestBtn"), Qt::LeftButton);
    EXPECT_TRUE(music.IsPlaying());
    window.Key(Qt::Key_F5);
    EXPECT_FALSE(music.IsPlaying());
    window.Key(Qt::Key_F5);
    EXPECT_TRUE(music.IsPlaying());
    music.StopPlaying();
}

TEST(LaunchShowTest, DebugWindowStaysShutWhileTheMusicPlays)
{
    TLaunchWindow window;
    if (!AudioAvailable())
        GTEST_SKIP() << "no audio device";
    TBassPlayer& music = window.Form().Player().Soundtrack();
    TestPlatform().openFiles = {kSoundtrack};
    window.Key(Qt::Key_F3);
    window.Key(Qt::Key_Tab);
    QTest::mouseClick(&window.Child<QPushButton>("SoundTestBtn"), Qt::LeftButton);
    ASSERT_TRUE(music.IsPlaying());
    EXPECT_FALSE(DebugWindowOpens(window.Form()));
    window.Key(Qt::Key_F5);
    ASSERT_FALSE(music.IsPlaying());
    EXPECT_TRUE(DebugWindowOpens(window.Form()));
}

TEST(LaunchShowTest, ManualKeysFireTheChannelsOfTheShownPageOnly)
{
    TLaunchWindow window;
    TMainForm& form = window.Form();
    window.Register({1, 2});  // module 2 has 64 channels
    window.Key(Qt::Key_F1, Qt::ControlModifier);
    ASSERT_EQ(form.Player().Setup().firingMode, kFiringManual);
    EXPECT_TRUE(window.Child<QWidget>("CueList").isHidden());
    EXPECT_FALSE(window.Child<QWidget>("ManualPanel").isHidden());

    window.Key(Qt::Key_Down);  // the first firing module
    window.Key(Qt::Key_Down);
    EXPECT_EQ(window.Child<QLabel>("ManualModuleLabel").text(), "2");
    window.Key(Qt::Key_Right);
    window.Key(Qt::Key_Right);  // no third page
    EXPECT_EQ(form.ManualPage(), 1);
    EXPECT_EQ(window.Child<QLabel>("ManualPageLabel").text(), "2");
    window.Key(Qt::Key_Left);
    window.Key(Qt::Key_Left);
    EXPECT_EQ(form.ManualPage(), 0);
    window.Key(Qt::Key_Right);
    EXPECT_EQ(window.Child<QLabel>("LKey0").text(), "41");
    EXPECT_EQ(window.Child<QLabel>("LKey23").text(), "64");
    EXPECT_EQ(window.Child<QLabel>("LKey24").text(), "");

    // Keys fire only while the show runs; with no scenario, manual firing may start.
    window.Key(Qt::Key_Q);
    EXPECT_EQ(form.Player().FiredCount(), 0);
    window.Key(Qt::Key_F1);
    window.Key(Qt::Key_F5);
    ASSERT_TRUE(form.Player().IsRunning());
    EXPECT_EQ(window.Log().back(), "Точка запуска: 0:00:00");

    window.Key(Qt::Key_Q);
    EXPECT_EQ(window.Log().back(), "Ручной запуск, пульт: 2, канал: 51");
    EXPECT_EQ(TextColor(window.Child<QLabel>("BKey10")), QColor(63, 63, 63));
    EXPECT_EQ(TextColor(window.Child<QLabel>("BKey11")), kBlack);
    // Checked in the show's quiet time, the burnt igniter turns its key blue.
    EXPECT_TRUE(TLaunchWindow::WaitFor(
        [&] {
            return window.LogCount("Тест канала, пульт: 2, канал: 51, состояние: неподключен") ==
                   1;
        },
        3000));
    EXPECT_EQ(window.Child<QFrame>("Key10").palette().color(QPalette::Window), QColor(0, 0, 255));
    EXPECT_EQ(TextColor(window.Child<QLabel>("LKey10")), QColor(255, 255, 255));
    // Beyond the module's 64 channels the key is blank and fires nothing.
    window.Key(Qt::Key_L);
    EXPECT_EQ(form.Player().FiredCount(), 1);
    EXPECT_EQ(window.LogCount("Ручной запуск, пульт: 2, канал: 69"), 0);
    // A slot key while the show runs is a firing key, not a slot change.
    window.Key(Qt::Key_2);
    EXPECT_EQ(form.CurrentSlot(), 0);
    EXPECT_EQ(window.Log().back(), "Ручной запуск, пульт: 2, канал: 42");

    window.Key(Qt::Key_F6);
    EXPECT_FALSE(form.Player().IsRunning());
    window.Key(Qt::Key_W);
    EXPECT_EQ(form.Player().FiredCount(), 2);
}

TEST(LaunchShowTest, StepKeyFiresOneTimeStepPerPressInManualMode)
{
    TLaunchWindow window;
    TMainForm& form = window.Form();
    window.Register({1, 2});
    window.LoadScenario("0:10.00\t1\t5\n0:10.00\t2\t6\n0:10.00\t30\t#L#60\tmotor\n"
                        "0:10.00\t1\t7\n0:12.00\t2\t8\n0:12.00\t300\t1\n");
    window.Key(Qt::Key_F1, Qt::ControlModifier);
    window.Key(Qt::Key_F1);
    window.Key(Qt::Key_F7);  // not running yet
    EXPECT_EQ(form.Player().FiredCount(), 0);
    window.Key(Qt::Key_F5);
    ASSERT_TRUE(form.Player().IsRunning());

    window.Key(Qt::Key_F7);
    auto log = window.Log();
    // The step passes the motor cue over: the log must not leave the operator believing the
    // motor turned.
    EXPECT_EQ(std::vector<std::string>(log.end() - 4, log.end()),
              (std::vector<std::string>{"Пошаговый запуск, пульт: 1, канал: 5",
                                        "Пошаговый запуск, пульт: 2, канал: 6",
                                        "Пропущена команда сценария, пульт: 30, ВЛЕВО",
                                        "Пошаговый запуск, пульт: 1, канал: 7"}));
    EXPECT_EQ(form.Player().FiredCount(), 3) << "a motor cue fires no igniter";
    auto& list = window.Child<QTreeWidget>("CueList");
    EXPECT_EQ(list.indexOfTopLevelItem(list.currentItem()), 4);

    window.Key(Qt::Key_F7);
    log = window.Log();
    EXPECT_EQ(std::vector<std::string>(log.end() - 2, log.end()),
              (std::vector<std::string>{"Пошаговый запуск, пульт: 2, канал: 8",
                                        "Пропущена команда сценария, пульт: 300, канал: 1"}))
        << "no bus address 300: nothing fired, nothing to log as fired";
    window.Key(Qt::Key_F7);  // nothing left
    EXPECT_EQ(form.Player().FiredCount(), 4);
    window.Key(Qt::Key_F6);
}

}  // namespace
}  // namespace kv
