// The warning, present-warning, start and waiting windows, driven through the main window
// with the operator's keys and clicks on the simulated field.
#include "rigs/console/ConsoleFolder.h"
#include "devices/memory/ModuleTransfer.h"
#include "rigs/console/ConsoleTestTools.h"
#include "rigs/console/ModalDriver.h"
#include "console/dialogs/ExtStartForm.h"
#include "console/dialogs/PresentWarningForm.h"
#include "console/dialogs/TimerForm.h"
#include "console/dialogs/WarningForm.h"
#include "console/mainwindow/ConsoleWindows.h"
#include "console/mainwindow/MainForm.h"
#include "console/panels/launch/LaunchPage.h"
#include "devices/registry/Controls.h"
#include "field/bus/WireFrame.h"
#include "show/player/ExtPlayer.h"
#include "support/lang/AddedMessages.h"
#include "support/lang/Localizer.h"
#include "support/platform/Platform.h"

#include <QAction>
#include <QElapsedTimer>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTimeEdit>
#include <QTimer>
#include <QTreeWidget>
#include <QTest>
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>

namespace kv {
namespace {

// Two modules on one converter.
const std::string kField = "[device1]\nKind=module\nAddress=1\nVersion=46B\nChannels=16\n"
                           "[device2]\nKind=module\nAddress=2\nVersion=36B\nChannels=16\n";
// And a master on the bus that starts its show clock at 6 s and at 9 s, once the console is up.
const std::string kMasterField = kField + "[event1]\nAt=6000\nType=clock-start\nTime=0\nAddress=0\n"
                                 "[event2]\nAt=9000\nType=clock-start\nTime=0\nAddress=0\n";

class AuxWindowsTest : public AuxConsoleTest {
protected:
    TMainForm& Start(const std::string& scenario, const std::string& field = kField)
    {
        return Open(field, scenario, {1, 2});
    }
    void Arm()
    {
        Key(Qt::Key_F1);
        ASSERT_EQ(Form().LaunchState(), kLaunchReady);
    }
};

TEST_F(AuxWindowsTest, RemoteStopWarningClosesOnAKeyTheConverterBackOrAfterTenSeconds)
{
    TMainForm& form = Open("[device1]\nKind=module\nAddress=1\nChannels=16\n"
                           "[event1]\nAt=5000\nType=clock-stop\nTime=0\nAddress=0\n"
                           "[event2]\nAt=7000\nType=clock-stop\nTime=0\nAddress=0\n"
                           "[event3]\nAt=11000\nType=clock-stop\nTime=0\nAddress=0\n",
                           "0:30.00\t1\t1\n", {1});
    auto& warning = Child<TWarningForm>(form, "TWarningForm");
    EXPECT_EQ(warning.Text(), "Error !!!");
    const auto showRuns = [&] {
        form.Player().Start(0);
        ASSERT_TRUE(form.Player().IsRunning());
        ASSERT_TRUE(QTest::qWaitFor([&] { return warning.isVisible(); }, 15000));
    };

    showRuns();
    EXPECT_FALSE(form.Player().IsRunning());
    EXPECT_EQ(warning.Text(), "Экстренная остановка!");
    Snapshot(warning, "console-warning");
    QTest::keyClick(warning.windowHandle(), Qt::Key_Q);
    EXPECT_FALSE(warning.isVisible());
    EXPECT_TRUE(Logged("Получена внешняя команда остановки"));

    showRuns();
    QElapsedTimer shown;
    shown.start();
    Field().Unplug(0, Field().ElapsedMs());
    ASSERT_TRUE(QTest::qWaitFor([&] { return Logged("Ошибка преобразователя"); }));
    EXPECT_TRUE(warning.isVisible());
    Field().Plug(0, Field().ElapsedMs());
    EXPECT_TRUE(QTest::qWaitFor([&] { return !warning.isVisible(); }, 8000));
    EXPECT_LT(shown.elapsed(), 9000) << "the converter's return did not close it";

    showRuns();
    shown.start();
    EXPECT_TRUE(QTest::qWaitFor([&] { return !warning.isVisible(); }, 12000));
    // Seen some time after it was shown, on a busy machine up to a second.
    EXPECT_GE(shown.elapsed(), 9000);
}

TEST_F(AuxWindowsTest, MissingModulesAndEarlyCuesAskBeforeAWriteAndCancelLeavesModulesAlone)
{
    // Modules 7 and 9 are not on the bus; module 2 has a cue at the very start.
    TMainForm& form = Start("0:01.00\t1\t1\n0:00.00\t2\t1\n0:02.00\t9\t1\n0:03.00\t7\t2\n"
                            "0:04.00\t9\t3\n");
    auto& save = Child<QPushButton>(form, "SaveBtn");
    ASSERT_TRUE(save.isEnabled());
    const auto cues = form.Projects().Project(0)->Cues();
    std::vector<std::string> asked;
    // Answers the windows as they come, one key or button each.
    std::function<void(std::vector<const char*>)> answer = [&](std::vector<const char*> keys) {
        WhenModal<TPresentWarningForm>([&, keys](TPresentWarningForm& window) {
            if (asked.empty())
                Snapshot(window, "console-present-warning");
            asked.push_back(window.Message().toStdString() + " " +
                            window.Modules().toStdString());
            if (keys.size() > 1)
                answer({keys.begin() + 1, keys.end()});
            const std::string key = keys.front();
            if (key == "Esc" || key == "Enter")
                QTest::keyClick(&window, key == "Esc" ? Qt::Key_Escape : Qt::Key_Return);
            else
                QTest::mouseClick(&Child<QPushButton>(window, keys.front()), Qt::LeftButton);
        });
    };
    const std::string missing = "В сценарии обнаружены неподключенные пульты... 7, 9";
    const std::string early = "Сценарий может быть воспроизведен некорректно... 2";

    answer({"CancelBtn"});
    QTest::mouseClick(&save, Qt::LeftButton);
    EXPECT_EQ(asked, std::vector<std::string>{missing});
    EXPECT_FALSE(Logged("Запись сценария в пульты... Успешно"));
    EXPECT_EQ(TModuleTransfer(form.Controls()).VerifyScenario(cues), -100) << "the modules were written";
    EXPECT_TRUE(Child<QTimer>(form, "IdleTimer").isActive());

    // Enter still goes on, though the last answer left the focus on Cancel.
    asked.clear();
    answer({"Enter", "Esc"});
    QTest::mouseClick(&save, Qt::LeftButton);
    EXPECT_EQ(asked, (std::vector<std::string>{missing, early}));
    EXPECT_FALSE(Logged("Запись сценария в пульты... Успешно"));

    asked.clear();
    answer({"ContinueBtn", "Enter"});
    Key(Qt::Key_F8);
    EXPECT_EQ(asked, (std::vector<std::string>{missing, early}));
    EXPECT_TRUE(Logged("Запись сценария в пульты... Успешно"));
    EXPECT_EQ(TModuleTransfer(form.Controls()).VerifyScenario(cues), 0);

    // A verify asks about the missing modules only.
    asked.clear();
    answer({"ContinueBtn"});
    Key(Qt::Key_F9);
    EXPECT_EQ(asked, std::vector<std::string>{missing});
    EXPECT_TRUE(Logged("Проверка сценария в пультах... Успешно"));

    // A cue later than the modules' memory can hold is named before the write refuses it.
    folder.WriteFile("late.txt", "1:50:00\t2\t2\n");
    platform.openFiles = {folder.Path() + "late.txt"};
    Key(Qt::Key_F2);  // empties the slot
    Key(Qt::Key_F2);
    ASSERT_EQ(form.Projects().Project(0)->Count(), 1);
    asked.clear();
    answer({"ContinueBtn"});
    Key(Qt::Key_F8);
    EXPECT_EQ(asked, std::vector<std::string>{
                         "В сценарии есть команды, время которых не помещается в память пультов... 2"});
    EXPECT_TRUE(Logged("Запись сценария в пульты... Время команды вне диапазона памяти пульта."));
    EXPECT_TRUE(Child<QTimer>(form, "IdleTimer").isActive());
}

// Chooses the clock start at now + secondsAhead in the start window.
void ChooseClockStart(int secondsAhead)
{
    WhenModal<TExtStartForm>([secondsAhead](TExtStartForm& window) {
        QTest::mouseClick(&Child<QRadioButton>(window, "ClockRadio"), Qt::LeftButton);
        Child<QTimeEdit>(window, "TimePicker").setTime(QTime::currentTime().addSecs(secondsAhead));
        Snapshot(window, "console-start");
        QTest::mouseClick(&Child<QPushButton>(window, "StartBtn"), Qt::LeftButton);
    });
}

TEST_F(AuxWindowsTest, TimedStartCountsDownAndStartsOrAsksWhenTheTimeHasPassed)
{
    const QTime now = QTime::currentTime();
    if (now > QTime(23, 57) || now < QTime(0, 3))
        GTEST_SKIP() << "a start 90 s ahead would fall on the other side of midnight";
    TMainForm& form = Start("0:05.00\t1\t1\n");
    Arm();

    ChooseClockStart(90);
    QString first, topLine;
    WhenModal<TTimerForm>([&](TTimerForm& window) {
        QTest::qWait(350);
        first = window.ClockText();
        Snapshot(window, "console-waiting");
        topLine = Child<QLabel>(window, "TopLabel").text();
        platform.tickShift += 90000;  // the minute and a half passes
    });
    Key(Qt::Key_F5, Qt::ControlModifier);
    EXPECT_EQ(topLine, "Время до запуска:");
    EXPECT_TRUE(first.startsWith("0:01:29.") || first.startsWith("0:01:30.")) << first.toStdString();
    EXPECT_TRUE(form.Player().IsRunning());
    EXPECT_TRUE(Logged("Запуск проекта"));
    form.Player().Stop(true);
    ASSERT_EQ(form.LaunchState(), kLaunchReady);

    // A time a minute ago: nothing starts unless the operator says so.
    ChooseClockStart(-60);
    Key(Qt::Key_F5, Qt::ControlModifier);
    ASSERT_EQ(platform.messages.size(), 1u);
    EXPECT_EQ(platform.messages[0], "Время запуска уже прошло. Запустить сейчас?");
    EXPECT_FALSE(form.Player().IsRunning());

    platform.yesNo = TAnswer::Yes;
    ChooseClockStart(-60);
    Key(Qt::Key_F5, Qt::ControlModifier);
    EXPECT_TRUE(form.Player().IsRunning());
    form.Player().Stop(true);
}

TEST_F(AuxWindowsTest, ExternalStartWaitsArmedAndACancelledWaitDisarms)
{
    TMainForm& form = Start("0:05.00\t1\t1\n", kMasterField);
    Arm();
    const auto acceptExternal = [] {
        WhenModal<TExtStartForm>([](TExtStartForm& window) {
            EXPECT_TRUE(Child<QRadioButton>(window, "ExternalRadio").isChecked());
            QTest::keyClick(&window, Qt::Key_Return);
        });
    };

    acceptExternal();
    QString topLine, early, later;
    bool armed = false;
    WhenModal<TTimerForm>([&](TTimerForm& window) {
        topLine = Child<QLabel>(window, "TopLabel").text();
        armed = form.Player().armed;
        early = window.ClockText();
        QTest::qWait(450);
        later = window.ClockText();
    });
    Key(Qt::Key_F5, Qt::ControlModifier);  // returns at the bus's start
    EXPECT_EQ(topLine, "Ожидание команды запуска...");
    EXPECT_TRUE(armed);
    EXPECT_EQ(early, "0:00:00.0");
    EXPECT_TRUE(later.startsWith("0:00:00.3") || later.startsWith("0:00:00.4")) << later.toStdString();
    EXPECT_TRUE(form.Player().IsRunning());
    EXPECT_FALSE(form.Player().armed);
    EXPECT_TRUE(Logged("Внешняя команда запуска, время: 0"));
    // The same start block as the start key's, a rehearsal's on the simulated field.
    const auto log = TConsoleFolder::LogMessages(form.RunLogFile());
    const auto block = std::find(log.begin(), log.end(), "Запуск проекта");
    ASSERT_GE(log.end() - block, 7);
    EXPECT_EQ(std::vector<std::string>(block, block + 7),
              (std::vector<std::string>{"Запуск проекта", Localize(kMsgRehearsalShow),
                                        "Проект: 0:00:05",
                                        "Режимы: автомат, прямое управление",
                                        "Темп: 100.0%, смещение: 0 ms", "Точка запуска: 0:00:00",
                                        "Внешняя команда запуска, время: 0"}));
    form.Player().Stop(true);

    acceptExternal();
    WhenModal<TTimerForm>([](TTimerForm& window) {
        QTest::mouseClick(&Child<QPushButton>(window, "CancelBtn"), Qt::LeftButton);
    });
    Key(Qt::Key_F5, Qt::ControlModifier);
    EXPECT_FALSE(form.Player().armed);
    EXPECT_TRUE(QTest::qWaitFor([&] {
        return Logged("Внешняя команда запуска - отменено");
    }, 15000));
    EXPECT_FALSE(form.Player().IsRunning());
}

TEST_F(AuxWindowsTest, AWaitEndsOnTheExternalStartEvenWhenTheShowIsOverAtOnce)
{
    // The one cue fires in the first tick and the show ends half a second later, before
    // the waiting window looks again.
    TMainForm& form = Start("0:00.00\t1\t1\n", kMasterField);
    Arm();
    WhenModal<TExtStartForm>([](TExtStartForm& window) { QTest::keyClick(&window, Qt::Key_Return); });
    bool stillWaiting = true;
    WhenModal<TTimerForm>([&](TTimerForm& window) {
        EXPECT_TRUE(QTest::qWaitFor([&] { return Logged("Внешняя команда запуска, время: 0"); },
                                    15000));
        QTest::qWait(700);
        stillWaiting = window.isVisible();
        if (stillWaiting)
            QTest::mouseClick(&Child<QPushButton>(window, "CancelBtn"), Qt::LeftButton);
    });
    Key(Qt::Key_F5, Qt::ControlModifier);
    EXPECT_FALSE(stillWaiting) << "waiting, disarmed, after the show it waited for";
    EXPECT_EQ(form.Player().FiredCount(), 1);
}

TEST_F(AuxWindowsTest, AnEmergencyStopFromTheBusClosesTheStartDialog)
{
    TMainForm& form = Start("0:05.00\t1\t1\n");
    Arm();
    platform.yesNo = TAnswer::Yes;  // "start now" for a time that has passed
    bool closedByStop = false;
    WhenModal<TExtStartForm>([&](TExtStartForm& window) {
        Field().InjectFrame(0, Field().ElapsedMs(), MakeWireFrame(0x90, 0, 0, 0, 0, 0));
        closedByStop = QTest::qWaitFor([&] { return !window.isVisible(); }, 3000);
        if (closedByStop)
            return;
        // Left open, its "Запуск" would start the show the stop has just ended.
        QTest::mouseClick(&Child<QRadioButton>(window, "ClockRadio"), Qt::LeftButton);
        Child<QTimeEdit>(window, "TimePicker").setTime(QTime::currentTime().addSecs(-60));
        QTest::mouseClick(&Child<QPushButton>(window, "StartBtn"), Qt::LeftButton);
    });
    Key(Qt::Key_F5, Qt::ControlModifier);
    EXPECT_TRUE(closedByStop);
    EXPECT_TRUE(Logged("Получена внешняя команда остановки"));
    EXPECT_FALSE(form.Player().IsRunning());
    EXPECT_FALSE(Logged("Запуск проекта"));
}

TEST_F(AuxWindowsTest, AnEmergencyStopFromTheBusEndsAWaitForTheStart)
{
    const QTime now = QTime::currentTime();
    if (now > QTime(23, 57) || now < QTime(0, 3))
        GTEST_SKIP() << "a start 90 s ahead would fall on the other side of midnight";
    TMainForm& form = Start("0:05.00\t1\t1\n",
                            kField + "[event1]\nAt=6000\nType=clock-stop\nTime=0\nAddress=0\n"
                                     "[event2]\nAt=9000\nType=clock-stop\nTime=0\nAddress=0\n");
    Arm();
    // Waits for the stop, then lets the wait run on as long as it would have.
    bool stillWaiting = true;
    const auto stopHeard = [&](TTimerForm& window, int stops) {
        EXPECT_TRUE(QTest::qWaitFor([&] {
            const auto lines = TConsoleFolder::LogMessages(form.RunLogFile());
            return std::count(lines.begin(), lines.end(), "Получена внешняя команда остановки") ==
                   stops;
        }, 15000));
        platform.tickShift += 90000;
        QTest::qWait(300);
        stillWaiting = window.isVisible();
        if (stillWaiting && !form.Player().IsRunning())
            QTest::mouseClick(&Child<QPushButton>(window, "CancelBtn"), Qt::LeftButton);
    };

    ChooseClockStart(90);
    WhenModal<TTimerForm>([&](TTimerForm& window) { stopHeard(window, 1); });
    Key(Qt::Key_F5, Qt::ControlModifier);
    EXPECT_FALSE(stillWaiting);
    EXPECT_FALSE(form.Player().IsRunning()) << "the countdown started the show after the stop";
    EXPECT_FALSE(Logged("Запуск проекта"));

    // The first stop's red warning takes the next key for itself alone: once, the Ctrl+F5
    // below only closed it, and nothing here waited at all.
    auto& warning = Child<QWidget>(form, "TWarningForm");
    ASSERT_TRUE(warning.isVisible());
    Key(Qt::Key_Escape);
    ASSERT_FALSE(warning.isVisible());
    bool asked = false, waited = false;
    WhenModal<TExtStartForm>([&asked](TExtStartForm& window) {
        asked = true;
        QTest::mouseClick(&Child<QRadioButton>(window, "ExternalRadio"), Qt::LeftButton);
        QTest::mouseClick(&Child<QPushButton>(window, "StartBtn"), Qt::LeftButton);
    });
    WhenModal<TTimerForm>([&](TTimerForm& window) {
        waited = form.Player().armed;
        stopHeard(window, 2);
    });
    Key(Qt::Key_F5, Qt::ControlModifier);
    ASSERT_TRUE(asked);
    ASSERT_TRUE(waited) << "no wait, armed, for the external start";
    EXPECT_FALSE(stillWaiting) << "still waiting, disarmed, for a start that no longer comes";
    EXPECT_FALSE(form.Player().armed);
    EXPECT_EQ(form.LaunchState(), kLaunchReady);
}

// F6 is the console's stop key in its waiting window too: a stop reflex there once left the
// wait running, and another master's start or the countdown's end started the show.
TEST_F(AuxWindowsTest, F6InTheWaitingWindowCallsTheStartOff)
{
    const QTime now = QTime::currentTime();
    if (now > QTime(23, 57) || now < QTime(0, 3))
        GTEST_SKIP() << "a start 90 s ahead would fall on the other side of midnight";
    TMainForm& form = Start("0:00.00\t1\t1\n0:00.10\t1\t2\n0:00.20\t2\t1\n", kMasterField);
    Arm();
    // F6 in the waiting window, then the start that would have ended the wait comes.
    const auto stopWhileWaiting = [&](const std::function<void()>& startComes) {
        bool closedByKey = false;
        WhenModal<TTimerForm>([&](TTimerForm& window) {
            QTest::keyClick(window.windowHandle(), Qt::Key_F6);
            closedByKey = QTest::qWaitFor([&] { return !window.isVisible(); }, 1000);
            startComes();
            if (window.isVisible() && !form.Player().IsRunning())
                QTest::mouseClick(&Child<QPushButton>(window, "CancelBtn"), Qt::LeftButton);
        });
        Key(Qt::Key_F5, Qt::ControlModifier);
        return closedByKey;
    };

    WhenModal<TExtStartForm>([](TExtStartForm& window) { QTest::keyClick(&window, Qt::Key_Return); });
    EXPECT_TRUE(stopWhileWaiting([&] {
        // The master on the bus starts at 6 s and at 9 s.
        EXPECT_TRUE(QTest::qWaitFor([&] { return Field().ElapsedMs() > 9500; }, 15000));
    }));
    EXPECT_FALSE(form.Player().armed);
    ChooseClockStart(90);
    EXPECT_TRUE(stopWhileWaiting([&] {
        platform.tickShift += 90000;
        QTest::qWait(300);
    }));
    EXPECT_TRUE(QTest::qWaitFor([&] { return !form.Player().IsRunning(); }, 3000));
    EXPECT_FALSE(Logged("Запуск проекта")) << LogText();
    EXPECT_TRUE(Field().Shots().empty());
    EXPECT_EQ(form.LaunchState(), kLaunchReady);
}

// Started onto a dead bus, a show would fire its later cues when the converter came back, at
// a moment nobody chose: a loss ends every wait for the start, and neither a wait nor a show
// begins without it.
TEST_F(AuxWindowsTest, ALostConverterEndsEveryWaitForTheStartAndNoneBeginsWithoutIt)
{
    const QTime now = QTime::currentTime();
    if (now > QTime(23, 57) || now < QTime(0, 3))
        GTEST_SKIP() << "a start 90 s ahead would fall on the other side of midnight";
    TMainForm& form = Start("0:05.00\t1\t1\n");
    Arm();
    const std::string ended = Localize(kMsgWaitEndedConverterLost);
    const auto converterBack = [&](int times) {
        Field().Plug(0, Field().ElapsedMs());
        return QTest::qWaitFor([&] {
            const auto log = TConsoleFolder::LogMessages(form.RunLogFile());
            return std::count(log.begin(), log.end(), "Преобразователь подключен") == times;
        }, 5000);
    };

    // The countdown: its time comes while the converter is still lost.
    ChooseClockStart(90);
    bool closedByLoss = false;
    WhenModal<TTimerForm>([&](TTimerForm& window) {
        Field().Unplug(0, Field().ElapsedMs());
        closedByLoss = QTest::qWaitFor([&] { return !window.isVisible(); }, 5000);
        platform.tickShift += 90000;
        QTest::qWait(300);
    });
    Key(Qt::Key_F5, Qt::ControlModifier);
    EXPECT_TRUE(closedByLoss);
    EXPECT_TRUE(Logged(ended)) << LogText();
    EXPECT_FALSE(form.Player().IsRunning()) << "started onto the dead bus";
    if (form.Player().IsRunning())
        form.Player().Stop(true);

    // Without the converter no wait begins.
    const auto chooseExternal = [] {
        WhenModal<TExtStartForm>([](TExtStartForm& window) {
            QTest::mouseClick(&Child<QRadioButton>(window, "ExternalRadio"), Qt::LeftButton);
            QTest::mouseClick(&Child<QPushButton>(window, "StartBtn"), Qt::LeftButton);
        });
    };
    chooseExternal();
    // Set once the key is handled: the waiting window of the next wait is not this one's.
    auto waited = std::make_shared<bool>(false);
    auto handled = std::make_shared<bool>(false);
    WhenModal<TTimerForm>([waited, handled](TTimerForm& window) {
        if (*handled)
            return;
        *waited = true;
        QTest::mouseClick(&Child<QPushButton>(window, "CancelBtn"), Qt::LeftButton);
    }, 3000);
    Key(Qt::Key_F5, Qt::ControlModifier);
    *handled = true;
    EXPECT_FALSE(*waited);
    EXPECT_FALSE(form.Player().armed);
    ASSERT_FALSE(platform.messages.empty());
    EXPECT_EQ(platform.messages.back(), Localize(kMsgNoWaitWithoutConverter));
    // Nor does the start key start the show.
    Key(Qt::Key_F5);
    EXPECT_FALSE(form.Player().IsRunning()) << "started onto the dead bus";
    EXPECT_EQ(platform.messages.back(), Localize(kMsgStartCalledOffConverterLost));
    EXPECT_TRUE(Logged(Localize(kMsgStartCalledOffConverterLost)));
    if (form.Player().IsRunning())
        form.Player().Stop(true);
    ASSERT_TRUE(converterBack(1));

    // The external start: lost while armed, back, and then the start message comes.
    chooseExternal();
    bool armed = false;
    closedByLoss = false;
    WhenModal<TTimerForm>([&](TTimerForm& window) {
        armed = form.Player().armed;
        Field().Unplug(0, Field().ElapsedMs());
        closedByLoss = QTest::qWaitFor([&] { return !window.isVisible(); }, 5000);
        ASSERT_TRUE(converterBack(2));
        Field().InjectFrame(0, Field().ElapsedMs(), MakeWireFrame(0x90, 0, 0, 0x80, 0, 0));
        EXPECT_TRUE(QTest::qWaitFor([&] {
            return Logged("Внешняя команда запуска - отменено") || form.Player().IsRunning();
        }, 5000));
    });
    Key(Qt::Key_F5, Qt::ControlModifier);
    EXPECT_TRUE(armed);
    EXPECT_TRUE(closedByLoss);
    EXPECT_FALSE(form.Player().armed);
    EXPECT_TRUE(Logged("Внешняя команда запуска - отменено")) << LogText();
    EXPECT_FALSE(form.Player().IsRunning());
    EXPECT_FALSE(Logged("Запуск проекта")) << LogText();
    if (form.Player().IsRunning())
        form.Player().Stop(true);

    // A start by a time already passed: the converter goes while the operator is asked.
    platform.yesNo = TAnswer::Yes;
    platform.whileAsked = [&] {
        Field().Unplug(0, Field().ElapsedMs());
        EXPECT_TRUE(QTest::qWaitFor([&] {
            const auto log = TConsoleFolder::LogMessages(form.RunLogFile());
            return std::count(log.begin(), log.end(), "Ошибка преобразователя") == 3;
        }, 5000));
    };
    ChooseClockStart(-60);
    Key(Qt::Key_F5, Qt::ControlModifier);
    platform.whileAsked = nullptr;
    EXPECT_FALSE(form.Player().IsRunning()) << "started onto the dead bus";
    EXPECT_TRUE(Logged(Localize(kMsgStartCalledOffConverterLost))) << LogText();
    if (form.Player().IsRunning())
        form.Player().Stop(true);
}

// Modules playing a show from memory hear the stop only once the converter is back.
TEST_F(AuxWindowsTest, TheStopKeyPressedWhileTheConverterIsLostStopsTheBusOnceItIsBack)
{
    TMainForm& form = Start("0:30.00\t1\t1\n");
    form.Player().Start(0);
    ASSERT_TRUE(form.Player().IsRunning());
    Field().Unplug(0, Field().ElapsedMs());
    ASSERT_TRUE(QTest::qWaitFor([&] { return Logged("Ошибка преобразователя"); }, 5000));
    EXPECT_TRUE(Logged(Localize(kMsgShowOnWithoutConverter))) << LogText();
    Key(Qt::Key_F6);
    ASSERT_FALSE(form.Player().IsRunning());
    Field().ClearRecord();
    Field().Plug(0, Field().ElapsedMs());
    ASSERT_TRUE(QTest::qWaitFor([&] { return Logged("Преобразователь подключен"); }, 5000));
    const auto stops = SentFrames(0x90);
    ASSERT_EQ(stops.size(), 1u) << LogText();
    EXPECT_EQ(stops[0][3], 0) << "not the stop form";
    EXPECT_TRUE(Logged(Localize(kMsgStopSentAgain))) << LogText();
}

TEST_F(AuxWindowsTest, EachWindowTakesTheLanguageFileUnderItsOwnClassNameOnly)
{
    folder.WriteFile("kvshow.lng",
                     "[forms]\nTExtStartForm=Start\nTDebugForm=Debug\n"
                     "[buttons]\nTMainForm.StartBtn=Start\nTExtStartForm.StartBtn=Go\n"
                     "TMainForm.CancelBtn=Wrong window\nTMemoryForm.CancelBtn=Abort\n"
                     "TTimerForm.CancelBtn=Stop waiting\n"
                     "[radiobuttons]\nTExtStartForm.ClockRadio=By the clock\n"
                     "[labels]\nTMainForm.TopLabel=Wrong window\n"
                     "[listviews]\nTDebugForm.ReportList=ID|Channels\n");
    TMainForm& form = Start("0:05.00\t1\t1\n");
    auto& extStart = Child<QWidget>(form, "TExtStartForm");
    EXPECT_EQ(Child<QPushButton>(form.Launch(), "StartBtn").text(), "Start");
    EXPECT_EQ(Child<QPushButton>(extStart, "StartBtn").text(), "Go");
    EXPECT_EQ(Child<QRadioButton>(extStart, "ClockRadio").text(), "By the clock");
    EXPECT_EQ(Child<QPushButton>(extStart, "CancelBtn").text(), "Отмена");
    EXPECT_EQ(extStart.windowTitle(), "Start");
    EXPECT_EQ(Child<QPushButton>(Child<QWidget>(form, "TMemoryForm"), "CancelBtn").text(), "Abort");
    auto& timer = Child<QWidget>(form, "TTimerForm");
    EXPECT_EQ(Child<QPushButton>(timer, "CancelBtn").text(), "Stop waiting");
    EXPECT_EQ(Child<QLabel>(timer, "TopLabel").text(), "");
    auto& debug = Child<QWidget>(form, "TDebugForm");
    EXPECT_EQ(debug.windowTitle(), "Debug");
    auto& report = Child<QTreeWidget>(debug, "ReportList");
    EXPECT_EQ(report.headerItem()->text(1), "Channels");
    EXPECT_EQ(report.headerItem()->text(5), "Синх., мс");
}

}  // namespace
}  // namespace kv
