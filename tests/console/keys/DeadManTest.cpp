// The hold-to-fire key ([show] DeadMan=66: the B key, as a foot switch that shows up as a
// keyboard sends it), pressed and released through the windows: the keyboard's repeats, the
// release under a dialog or the warning, the focus gone to another program, and the waits.
#include "rigs/console/ConsoleFolder.h"
#include "rigs/console/ConsoleTestTools.h"
#include "rigs/console/ModalDriver.h"
#include "console/dialogs/ExtStartForm.h"
#include "console/dialogs/LockoutForm.h"
#include "console/dialogs/PresentWarningForm.h"
#include "console/dialogs/TimerForm.h"
#include "field/bus/Field.h"
#include "field/bus/WireFrame.h"
#include "show/player/ExtPlayer.h"

#include <QEvent>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTimeEdit>
#include <QTest>
#include <QWindow>
#include <gtest/gtest.h>

#include <algorithm>

namespace kv {
namespace {

const std::string kField = "[device1]\nKind=module\nAddress=1\nVersion=46B\nChannels=16\n";
const std::string kSettings = "[show]\nDeadMan=66\n";
const std::string kShow = "0:00.10\t1\t1\t|0:00.10|Left|Comet\n"
                          "0:00.20\t1\t2\t|0:00.20|Right|Comet\n"
                          "0:01.50\t1\t3\t|0:01.50|Left|Peony\n";
// Module 2 is in test mode: every start asks first.
const std::string kFieldAsking = kField + "[device2]\nKind=module\nAddress=2\nVersion=46B\nMode=test\n";
const std::string kShowAsking = kShow + "0:09.00\t2\t1\n";
// At a moment of its own: the same stop heard again within a second is one stop.
const TFrameRecord kRemoteStop{0x90, 0, 7, 0, 0, 0};

class DeadManTest : public AuxConsoleTest {
protected:
    ~DeadManTest() override { DropModalActions(); }
    QWindow* Main() { return Form().windowHandle(); }
    void Press(QWindow* window) { QTest::keyPress(window, Qt::Key_B); }
    void Release(QWindow* window) { QTest::keyRelease(window, Qt::Key_B); }
    QString State() { return Child<QLabel>(Form(), "DeadManLabel").text(); }
    bool Running() { return Form().Player().IsRunning(); }
    void SetApplicationState(Qt::ApplicationState state)
    {
        QApplicationStateChangeEvent event(state);
        QCoreApplication::sendEvent(qApp, &event);
    }
    // The warning that module 2 is in test mode, gone on with.
    static void GoOnPastTheWarning()
    {
        WhenModal<TPresentWarningForm>(
            [](TPresentWarningForm& warning) { QTest::keyClick(&warning, Qt::Key_Return); });
    }
    std::vector<int> ShotChannels()
    {
        std::vector<int> channels;
        for (const TShotEntry& shot : Field().Shots())
            channels.push_back(shot.channel + 1);
        return channels;
    }
    // Frames the console sent after the first stop form of the clock message; -1 without one.
    int FireFramesAfterTheStop()
    {
        int fires = -1;
        for (const TFrameEntry& frame : Field().Frames()) {
            if (frame.origin != TFrameOrigin::Pc || frame.bytes.size() < 6)
                continue;
            if (fires < 0 && frame.bytes[0] == 0x90 && frame.bytes[3] == 0)
                fires = 0;
            else if (fires >= 0 && frame.bytes[0] == 0x84)
                ++fires;
        }
        return fires;
    }
};

TEST_F(DeadManTest, AShowStartsOnlyHeldAndTheReleaseStopsItAtOnceTheRepeatsNot)
{
    TMainForm& form = Open(kField, kShow, {1}, kSettings);
    EXPECT_EQ(State(), "Ключ удержания: отпущен");
    Key(Qt::Key_F1);
    Key(Qt::Key_F5);
    EXPECT_FALSE(Running());
    EXPECT_TRUE(Logged("Запуск отменён: ключ удержания не нажат"));
    EXPECT_TRUE(Click("StartBtn"));
    EXPECT_FALSE(Running()) << "by mouse neither";

    Press(Main());
    EXPECT_EQ(State(), "Ключ удержания: нажат");
    Key(Qt::Key_F5);
    ASSERT_TRUE(Running());
    // The keyboard's repeats while the key stays down come as release and press pairs.
    for (int repeat = 0; repeat < 5; ++repeat) {
        qt_handleKeyEvent(Main(), QEvent::KeyRelease, Qt::Key_B, Qt::NoModifier, {}, true);
        EXPECT_TRUE(Running()) << repeat;
        qt_handleKeyEvent(Main(), QEvent::KeyPress, Qt::Key_B, Qt::NoModifier, {}, true);
    }
    EXPECT_EQ(State(), "Ключ удержания: нажат");
    ASSERT_TRUE(WaitFor([&] { return Field().Shots().size() >= 2; }, 3000));
    Release(Main());
    // Stopped before the window runs another event, the player's next tick among them.
    EXPECT_FALSE(Running());
    EXPECT_EQ(State(), "Ключ удержания: отпущен");
    EXPECT_TRUE(Logged("Ключ удержания отпущен: остановка"));
    EXPECT_TRUE(WaitFor([&] { return FireFramesAfterTheStop() >= 0; }, 3000)) << "no stop frame";
    QTest::qWait(1500);  // past the third cue
    EXPECT_EQ(ShotChannels(), (std::vector<int>{1, 2}));
    EXPECT_EQ(FireFramesAfterTheStop(), 0);
    EXPECT_EQ(form.LaunchState(), kLaunchReady);
}

TEST_F(DeadManTest, ReleasedUnderADialogOrTheWarningOrWithTheFocusElsewhereItStops)
{
    TMainForm& form = Open(kFieldAsking, kShowAsking, {1, 2}, kSettings);
    Key(Qt::Key_F1);
    // Let go while the start warning is read: "Продолжить" starts nothing.
    Press(Main());
    WhenModal<TPresentWarningForm>([&](TPresentWarningForm& warning) {
        Release(warning.windowHandle());
        QTest::keyClick(&warning, Qt::Key_Return);
    });
    Key(Qt::Key_F5);
    EXPECT_FALSE(Running());
    EXPECT_TRUE(Logged("Запуск отменён: ключ удержания не нажат"));

    // Let go in the lockout window, opened over the running show.
    Press(Main());
    GoOnPastTheWarning();
    Key(Qt::Key_F5);
    ASSERT_TRUE(Running());
    bool stoppedUnderTheWindow = false;
    WhenModal<TLockoutForm>([&](TLockoutForm& window) {
        Release(window.windowHandle());
        stoppedUnderTheWindow = !Running();
        window.reject();
    });
    Key(Qt::Key_L, Qt::ControlModifier);
    EXPECT_TRUE(stoppedUnderTheWindow);
    EXPECT_FALSE(Running());

    // Let go in the red warning, a show started by mouse behind it.
    Press(Main());
    form.Player().HandleMessage(kRemoteStop);
    auto& warning = Child<QWidget>(Form(), "TWarningForm");
    ASSERT_TRUE(warning.isVisible());
    GoOnPastTheWarning();
    EXPECT_TRUE(Click("StartBtn"));
    ASSERT_TRUE(Running());
    Release(warning.windowHandle());
    EXPECT_FALSE(Running());
    QTest::keyClick(warning.windowHandle(), Qt::Key_Escape);
    ASSERT_FALSE(warning.isVisible());
    // The offscreen platform gives the keyboard back to no window, as no window manager does.
    Form().activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&Form()));

    // Another program took the keyboard: a release there never comes.
    Press(Main());
    GoOnPastTheWarning();
    Key(Qt::Key_F5);
    ASSERT_TRUE(Running());
    SetApplicationState(Qt::ApplicationInactive);
    EXPECT_FALSE(Running());
    EXPECT_EQ(State(), "Ключ удержания: отпущен");
    // Back, the key still down: no press came, so no start.
    SetApplicationState(Qt::ApplicationActive);
    Key(Qt::Key_F5);
    EXPECT_FALSE(Running());
}

TEST_F(DeadManTest, AWaitForAStartBeginsOnlyHeldAndTheReleaseEndsIt)
{
    TMainForm& form = Open(kField, kShow, {1}, kSettings);
    Key(Qt::Key_F1);
    Key(Qt::Key_F5, Qt::ControlModifier);
    EXPECT_FALSE(form.Player().armed);
    EXPECT_TRUE(Logged("Запуск отменён: ключ удержания не нажат"));

    Press(Main());
    WhenModal<TExtStartForm>([](TExtStartForm& window) { QTest::keyClick(&window, Qt::Key_Return); });
    bool armed = false;
    bool ended = false;
    WhenModal<TTimerForm>([&](TTimerForm& window) {
        armed = form.Player().armed;
        Release(window.windowHandle());
        ended = QTest::qWaitFor([&] { return !window.isVisible(); }, 3000);
        if (!ended)
            window.reject();
    });
    Key(Qt::Key_F5, Qt::ControlModifier);
    EXPECT_TRUE(armed);
    EXPECT_TRUE(ended);
    EXPECT_FALSE(form.Player().armed);
    EXPECT_TRUE(Logged("Ожидание запуска снято: ключ удержания отпущен"));
    // Another master's start after the release starts nothing.
    Field().InjectFrame(0, Field().ElapsedMs(), MakeWireFrame(0x90, 0, 0, 0x80, 0, 0));
    EXPECT_TRUE(WaitFor([&] { return Logged("Внешняя команда запуска - отменено"); }, 5000));
    EXPECT_FALSE(Running());
    EXPECT_TRUE(Field().Shots().empty());

    // The countdown to a start by the clock ends so too.
    if (QTime::currentTime() > QTime(23, 58))
        return;  // a start a minute ahead would fall on the other side of midnight
    Press(Main());
    WhenModal<TExtStartForm>([](TExtStartForm& window) {
        QTest::mouseClick(&Child<QRadioButton>(window, "ClockRadio"), Qt::LeftButton);
        Child<QTimeEdit>(window, "TimePicker").setTime(QTime::currentTime().addSecs(60));
        QTest::mouseClick(&Child<QPushButton>(window, "StartBtn"), Qt::LeftButton);
    });
    bool counting = false;
    ended = false;
    WhenModal<TTimerForm>([&](TTimerForm& window) {
        counting = true;
        Release(window.windowHandle());
        ended = QTest::qWaitFor([&] { return !window.isVisible(); }, 3000);
        if (!ended)
            window.reject();
    });
    Key(Qt::Key_F5, Qt::ControlModifier);
    EXPECT_TRUE(counting);
    EXPECT_TRUE(ended);
    EXPECT_FALSE(Running());
    const auto log = TConsoleFolder::LogMessages(form.RunLogFile());
    EXPECT_EQ(std::count(log.begin(), log.end(), "Ожидание запуска снято: ключ удержания отпущен"), 2)
        << LogText();
}

}  // namespace
}  // namespace kv
