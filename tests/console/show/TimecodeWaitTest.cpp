// The timecode wait through the window: armed, the console refuses what it refuses under a
// show, asks the start warnings' questions first, starts nothing under a dialog, and every way
// the operator leaves the wait (the stop key, a new start point or offset, closing) ends it.
// The sound desk's timecode is played into the null sink.
#include "rigs/console/LaunchWindow.h"

#include "rigs/console/ConsoleTestPlatform.h"
#include "rigs/console/ConsoleTestTools.h"
#include "rigs/console/ModalDriver.h"
#include "rigs/SoundtrackFiles.h"
#include "console/dialogs/LockoutForm.h"
#include "console/dialogs/PresentWarningForm.h"
#include "field/bus/Field.h"
#include "field/bus/FieldPort.h"
#include "link/PortProto.h"
#include "rigs/DeskPlayback.h"
#include "show/player/ExtPlayer.h"
#include "show/scenario/ShowPackage.h"
#include "support/lang/AddedMessages.h"
#include "support/lang/Localizer.h"

#include <QAction>
#include <QApplication>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include <algorithm>

namespace kv {
namespace {

const std::string kSettings =
    "[timecode]\nSource=nullsink.monitor\nZero=01:00:00:00\nRate=25\n";
const std::string kArmed = "Ожидание таймкода, источник: nullsink.monitor";
const std::string kDisarmed = "Ожидание таймкода снято";

// The desk rolls from a second before show time 0 for three seconds.
class TDeskRolling {
public:
    TDeskRolling() : signal_(TTimecodeRate::Fps25, {1, 0, 0, 0})
    {
        signal_.CueShowMs(-1000);
        signal_.Play(75);
        desk_ = std::make_unique<kvtest::TDeskPlayback>(signal_);
    }
    bool Done() const { return desk_->Done(); }

private:
    kvtest::TLtcSignal signal_;
    std::unique_ptr<kvtest::TDeskPlayback> desk_;
};

int LinesStarting(const std::vector<std::string>& log, const std::string& start)
{
    return static_cast<int>(std::count_if(log.begin(), log.end(), [&](const std::string& line) {
        return line.starts_with(start);
    }));
}

// Every modal window that comes up while it lives is named and answered with this key.
class TDialogAnswers {
public:
    explicit TDialogAnswers(Qt::Key key)
    {
        QObject::connect(&poll_, &QTimer::timeout, [this, key] {
            QWidget* window = QApplication::activeModalWidget();
            if (busy_ || !window || !window->isVisible())
                return;
            busy_ = true;
            seen.push_back(window->objectName().toStdString());
            QTest::keyClick(window, key);
            busy_ = false;
        });
        poll_.start(10);
    }
    std::vector<std::string> seen;

private:
    QTimer poll_;
    bool busy_ = false;
};

TField& FieldOf(TMainForm& form)
{
    return dynamic_cast<TFieldPort&>(form.Port().Transport()).Field();
}

bool Active(QWidget& window)
{
    return TLaunchWindow::WaitFor([&] { return QApplication::activeWindow() == &window; }, 3000);
}

int ModeCommands(TField& field)
{
    const auto frames = field.Frames();
    return static_cast<int>(std::count_if(frames.begin(), frames.end(), [](const auto& entry) {
        return entry.origin == TFrameOrigin::Pc && !entry.bytes.empty() && entry.bytes[0] == 0x88;
    }));
}

class TimecodeWaitTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!RequireAudioServer())
            return;
    }
};

// In a rehearsal, so that the wait also shows it cannot leave the model for the real bus.
TEST_F(TimecodeWaitTest, ArmedTheConsoleRefusesWhatAShowRefusesAndTheTimecodeStartsOnce)
{
    TLaunchWindow window(kSettings);
    TMainForm& form = window.Form();
    window.Register({1, 2});
    window.LoadScenario("0:00.30\t1\t3\n0:00.60\t2\t3\n");
    QAction& arm = window.Child<QAction>("TimecodeAction");
    QAction& rehearsal = window.Child<QAction>("RehearsalAction");
    window.Key(Qt::Key_F10, Qt::ControlModifier);
    ASSERT_TRUE(rehearsal.isChecked());
    TField& model = FieldOf(form);
    window.Key(Qt::Key_F1);
    window.Key(Qt::Key_F5, Qt::ShiftModifier);
    ASSERT_TRUE(arm.isChecked());
    model.ClearRecord();
    TestPlatform().messages.clear();
    TestPlatform().prompts.clear();

    {
        TDialogAnswers answers(Qt::Key_Escape);
        // Write, verify, erase, black box, controller write and verify, timed start, debug
        // window, the modules' modes and boost, the rehearsal switch, the settings window, and
        // the start key.
        const std::pair<Qt::Key, Qt::KeyboardModifiers> keys[] = {
            {Qt::Key_F8, Qt::NoModifier},       {Qt::Key_F9, Qt::NoModifier},
            {Qt::Key_F8, Qt::ControlModifier},  {Qt::Key_F9, Qt::ControlModifier},
            {Qt::Key_F8, Qt::ShiftModifier},    {Qt::Key_F9, Qt::ShiftModifier},
            {Qt::Key_F5, Qt::ControlModifier},  {Qt::Key_D, Qt::ControlModifier | Qt::AltModifier},
            {Qt::Key_F11, Qt::NoModifier},      {Qt::Key_F12, Qt::NoModifier},
            {Qt::Key_Insert, Qt::ControlModifier}, {Qt::Key_F10, Qt::ControlModifier},
            {Qt::Key_S, Qt::ControlModifier | Qt::AltModifier}, {Qt::Key_F5, Qt::NoModifier}};
        for (const auto& [key, modifiers] : keys)
            window.Key(key, modifiers);
        TLaunchWindow::WaitFor([] { return false; }, 100);
        std::string seen;
        for (const std::string& name : answers.seen)
            seen += name + " ";
        EXPECT_TRUE(answers.seen.empty()) << seen;
    }
    EXPECT_TRUE(TestPlatform().messages.empty()) << TestPlatform().messages.front();
    EXPECT_TRUE(TestPlatform().prompts.empty()) << TestPlatform().prompts.front();
    ASSERT_TRUE(rehearsal.isChecked()) << "the bus left the model under the wait";
    EXPECT_EQ(ModeCommands(model), 0);
    EXPECT_TRUE(arm.isChecked());
    EXPECT_FALSE(form.Player().IsRunning()) << "started by key under the wait";

    TDeskRolling desk;
    ASSERT_TRUE(TLaunchWindow::WaitFor([&] { return form.Player().IsRunning(); }, 6000));
    ASSERT_TRUE(TLaunchWindow::WaitFor([&] { return !form.Player().IsRunning(); }, 5000));
    EXPECT_EQ(window.LogCount("Запуск проекта"), 1);
    EXPECT_EQ(window.LogCount(Localize(kMsgRehearsalShow)), 1);
    EXPECT_EQ(LinesStarting(window.Log(), "Запуск по таймкоду 01:00:00:"), 1);
}

// Armed once the desk has passed show time 0, the wait starts nothing and says so; with
// [timecode] JoinLate=1 the show joins the desk where it is, the cue passed left out.
TEST_F(TimecodeWaitTest, ArmedPastTheStartPointNothingStartsUnlessTheSettingsLetItJoin)
{
    for (const bool join : {false, true}) {
        SCOPED_TRACE(join ? "JoinLate=1" : "by default");
        TLaunchWindow window(kSettings + (join ? "JoinLate=1\n" : ""));
        TMainForm& form = window.Form();
        window.Register({1});
        window.LoadScenario("0:00.30\t1\t3\n0:01.80\t1\t4\n");
        QAction& arm = window.Child<QAction>("TimecodeAction");
        window.Key(Qt::Key_F1);
        TDeskRolling desk;
        TLaunchWindow::WaitFor([] { return false; }, 1600);
        TestPlatform().messages.clear();
        window.Key(Qt::Key_F5, Qt::ShiftModifier);
        ASSERT_TRUE(arm.isChecked());
        ASSERT_TRUE(TLaunchWindow::WaitFor([&] { return !arm.isChecked(); }, 3000));
        TLaunchWindow::WaitFor([&] { return desk.Done() && !form.Player().IsRunning(); }, 5000);
        const std::vector<std::string> log = window.Log();
        const std::string refused = Localize(kMsgTimecodeJoinRefused);
        EXPECT_EQ(LinesStarting(log, refused), join ? 0 : 1);
        EXPECT_EQ(LinesStarting(TestPlatform().messages, refused), join ? 0 : 1);
        EXPECT_EQ(LinesStarting(log, "Запуск по таймкоду 01:00:0"), join ? 1 : 0);
        EXPECT_EQ(window.LogCount("Запуск, пульт: 1, канал: 3"), 0);
        EXPECT_EQ(window.LogCount("Запуск, пульт: 1, канал: 4"), join ? 1 : 0);
    }
}

// The lockout window is open to the operator during the wait, as during a show.
TEST_F(TimecodeWaitTest, TheTimecodeComingDueUnderADialogStartsNothingAndEndsTheWait)
{
    TLaunchWindow window(kSettings);
    TMainForm& form = window.Form();
    window.Register({1});
    window.LoadScenario("0:00.30\t1\t3\n");
    QAction& arm = window.Child<QAction>("TimecodeAction");
    window.Key(Qt::Key_F1);
    window.Key(Qt::Key_F5, Qt::ShiftModifier);
    ASSERT_TRUE(arm.isChecked());

    TDeskRolling desk;
    bool waitEnded = false, startedUnder = true;
    WhenModal<TLockoutForm>([&](TLockoutForm& lockout) {
        waitEnded = TLaunchWindow::WaitFor([&] { return !arm.isChecked(); }, 6000);
        startedUnder = form.Player().IsRunning();
        QTest::keyClick(&lockout, Qt::Key_Escape);
    });
    window.Key(Qt::Key_L, Qt::ControlModifier);
    EXPECT_TRUE(waitEnded);
    EXPECT_FALSE(startedUnder);
    TLaunchWindow::WaitFor([&] { return desk.Done(); }, 5000);
    EXPECT_FALSE(form.Player().IsRunning());
    EXPECT_EQ(window.LogCount("Запуск проекта"), 0);
    EXPECT_EQ(window.LogCount(Localize(kMsgTimecodeUnderDialog)), 1);
}

// Module 20 charges its channels with 1 V: nobody measured them.
TEST_F(TimecodeWaitTest, ArmingAsksTheStartWarningsFirstAndCancelArmsNothing)
{
    TLaunchWindow window(kSettings);
    window.Register({1, 20});
    window.LoadScenario("0:00.30\t1\t3\n0:00.60\t20\t1\n");
    QAction& arm = window.Child<QAction>("TimecodeAction");
    window.Key(Qt::Key_F1);
    std::string named;
    WhenModal<TPresentWarningForm>([&](TPresentWarningForm& warning) {
        named = warning.Modules().toStdString();
        QTest::keyClick(&warning, Qt::Key_Escape);
    });
    window.Key(Qt::Key_F5, Qt::ShiftModifier);
    EXPECT_EQ(named, "20");
    EXPECT_FALSE(arm.isChecked());
    EXPECT_EQ(window.LogCount(kArmed), 0);

    {
        TDialogAnswers answers(Qt::Key_Return);
        window.Key(Qt::Key_F5, Qt::ShiftModifier);
        EXPECT_FALSE(answers.seen.empty());
    }
    EXPECT_TRUE(arm.isChecked());
    EXPECT_EQ(window.LogCount(kArmed), 1);
}

// The desk reaches the start point while the converter is lost, which is back before the
// second cue: armed still, the show would have started onto the dead bus and fired it.
TEST_F(TimecodeWaitTest, ALostConverterEndsTheWaitAndNoneIsArmedWithoutIt)
{
    TLaunchWindow window(kSettings);
    TMainForm& form = window.Form();
    window.Register({1});
    window.LoadScenario("0:00.30\t1\t3\n0:01.50\t1\t4\n");
    QAction& arm = window.Child<QAction>("TimecodeAction");
    TField& field = FieldOf(form);
    window.Key(Qt::Key_F1);
    window.Key(Qt::Key_F5, Qt::ShiftModifier);
    ASSERT_TRUE(arm.isChecked());
    field.Unplug(0, field.ElapsedMs());
    EXPECT_TRUE(TLaunchWindow::WaitFor([&] { return !arm.isChecked(); }, 5000));
    EXPECT_EQ(window.LogCount(Localize(kMsgWaitEndedConverterLost)), 1);

    TestPlatform().messages.clear();
    window.Key(Qt::Key_F5, Qt::ShiftModifier);
    EXPECT_FALSE(arm.isChecked());
    EXPECT_EQ(TestPlatform().messages,
              std::vector<std::string>{Localize(kMsgNoWaitWithoutConverter)});
    EXPECT_EQ(window.LogCount(kArmed), 1);

    TDeskRolling desk;
    TLaunchWindow::WaitFor([] { return false; }, 1500);
    field.Plug(0, field.ElapsedMs());
    TLaunchWindow::WaitFor([&] { return desk.Done(); }, 5000);
    EXPECT_FALSE(form.Player().IsRunning());
    EXPECT_EQ(window.LogCount("Запуск проекта"), 0);
    EXPECT_TRUE(field.Shots().empty()) << "fired on the converter's return";
}

// F6, F4, Enter on an earlier cue, the offset keys, F6 in the lockout and the go/no-go windows,
// and closing the window. The desk rolls only after the window is closed: nothing may start.
TEST_F(TimecodeWaitTest, EveryWayTheOperatorLeavesTheWaitEndsIt)
{
    TLaunchWindow window(kSettings);
    TMainForm& form = window.Form();
    window.Register({1});
    window.LoadScenario("0:00.30\t1\t3\n0:01.00\t1\t4\n0:02.00\t1\t5\n");
    QAction& arm = window.Child<QAction>("TimecodeAction");
    window.Key(Qt::Key_F1);
    window.Key(Qt::Key_PageDown);
    window.Key(Qt::Key_PageDown);
    window.Key(Qt::Key_Return);
    ASSERT_EQ(form.Player().CurrentTime(), 2000);

    const std::pair<const char*, std::function<void()>> ways[] = {
        {"F6", [&] { window.Key(Qt::Key_F6); }},
        {"Enter on an earlier cue",
         [&] {
             window.Key(Qt::Key_PageUp);
             window.Key(Qt::Key_Return);
         }},
        {"F4", [&] { window.Key(Qt::Key_F4); }},
        {"offset", [&] { window.Key(Qt::Key_Plus, Qt::KeypadModifier); }},
        {"F6 in the lockout window",
         [&] {
             WhenModal<TLockoutForm>([](TLockoutForm& lockout) {
                 QTest::keyClick(lockout.windowHandle(), Qt::Key_F6);
                 QTest::keyClick(lockout.windowHandle(), Qt::Key_Escape);
             });
             window.Key(Qt::Key_L, Qt::ControlModifier);
         }},
        {"F6 in the go/no-go window",
         [&] {
             window.Key(Qt::Key_G, Qt::ControlModifier);
             auto& goNoGo = window.Child<QWidget>("TGoNoGoForm");
             ASSERT_TRUE(Active(goNoGo));
             QTest::keyClick(goNoGo.windowHandle(), Qt::Key_F6);
             QTest::keyClick(goNoGo.windowHandle(), Qt::Key_Escape);
             ASSERT_TRUE(Active(form));
         }},
    };
    for (const auto& [name, leave] : ways) {
        if (!arm.isChecked())
            window.Key(Qt::Key_F5, Qt::ShiftModifier);
        ASSERT_TRUE(arm.isChecked()) << name;
        leave();
        EXPECT_FALSE(arm.isChecked()) << name;
    }
    EXPECT_EQ(window.LogCount(kDisarmed), 6);
    EXPECT_EQ(form.LaunchState(), kLaunchReady);
    EXPECT_EQ(form.Player().CurrentTime(), 0);
    EXPECT_EQ(form.Player().Offset(), 50);

    if (!arm.isChecked())
        window.Key(Qt::Key_F5, Qt::ShiftModifier);
    ASSERT_TRUE(arm.isChecked());
    ASSERT_TRUE(form.close());
    EXPECT_FALSE(arm.isChecked());
    const std::vector<std::string> log = window.Log();
    const auto exit = std::find(log.begin(), log.end(), "Выход из программы");
    EXPECT_EQ(std::count(log.begin(), exit, kDisarmed), 7);

    TDeskRolling desk;
    TLaunchWindow::WaitFor([&] { return desk.Done(); }, 5000);
    EXPECT_FALSE(form.Player().IsRunning());
    EXPECT_EQ(window.LogCount("Запуск проекта"), 0);
}

// The desk's zero and rate come with a show package, at 25 frames where the settings say 30:
// on the settings' timecode the desk would never lock. A plain scenario keeps the settings'.
TEST_F(TimecodeWaitTest, AShowPackageCuesTheWaitToItsOwnTimecodeZeroAndRate)
{
    TLaunchWindow window("[timecode]\nSource=nullsink.monitor\nZero=10:00:00:00\nRate=30\n");
    TMainForm& form = window.Form();
    window.Register({1});
    TShowPackage package;
    package.scenarioName = "finale.txt";
    package.scenario = "0:00.30\t1\t3\r\n";
    package.settings.timecodeZero = TTimecodeLabel{1, 0, 0, 0};
    package.settings.timecodeRate = TTimecodeRate::Fps25;
    const std::string file = window.Folder().Path() + "finale.kvshow";
    ASSERT_EQ(WriteShowPackage(file, package), "");
    TestPlatform().openFiles = {file};
    window.Key(Qt::Key_F2);
    QAction& arm = window.Child<QAction>("TimecodeAction");
    window.Key(Qt::Key_F1);
    window.Key(Qt::Key_F5, Qt::ShiftModifier);
    ASSERT_TRUE(arm.isChecked());
    const std::string packaged = "01:00:00:00, 25, из пакета шоу";
    EXPECT_EQ(window.LogCount("Ноль таймкода шоу: " + packaged), 1);
    // Under the wait neither a scenario nor another slot takes the place of the one armed.
    window.Folder().WriteFile("plain.txt", "0:00.30\t1\t4\n");
    TestPlatform().openFiles = {window.Folder().Path() + "plain.txt"};
    window.Key(Qt::Key_F2);
    window.Key(Qt::Key_2);
    ASSERT_EQ(form.CurrentSlot(), 0);

    TDeskRolling desk;
    ASSERT_TRUE(TLaunchWindow::WaitFor([&] { return form.Player().IsRunning(); }, 6000));
    ASSERT_TRUE(TLaunchWindow::WaitFor([&] { return !form.Player().IsRunning(); }, 5000));
    EXPECT_EQ(LinesStarting(window.Log(), "Запуск по таймкоду 01:00:00:"), 1);
    EXPECT_EQ(window.LogCount("Запуск, пульт: 1, канал: 3"), 1);
    EXPECT_EQ(window.LogCount("Запуск, пульт: 1, канал: 4"), 0);

    window.Key(Qt::Key_F1);
    ASSERT_EQ(form.LaunchState(), kLaunchIdle);
    EXPECT_EQ(ShownTimecodeZero(form), packaged);
    window.Key(Qt::Key_2);
    window.LoadScenario("0:00.30\t1\t4\n");
    const std::string own = "10:00:00:00, 30, из настроек";
    EXPECT_EQ(ShownTimecodeZero(form), own);
    window.Key(Qt::Key_F1);
    window.Key(Qt::Key_F5, Qt::ShiftModifier);
    ASSERT_TRUE(arm.isChecked());
    EXPECT_EQ(window.LogCount("Ноль таймкода шоу: " + own), 1);
    window.Key(Qt::Key_F6);
    EXPECT_FALSE(arm.isChecked());
}

}  // namespace
}  // namespace kv
