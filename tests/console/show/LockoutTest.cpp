// Positions of an imported show locked out through the console's keys while the show runs on
// the simulated field: Ctrl+L, the list of the show's positions, Space; the stop keys from the
// lockout window; autonomous control refuses; the step key on a locked channel.
#include "rigs/console/ConsoleTestTools.h"
#include "rigs/console/ModalDriver.h"
#include "console/dialogs/ImportForm.h"
#include "console/dialogs/LockoutForm.h"
#include "console/dialogs/PresentWarningForm.h"
#include "console/mainwindow/MainForm.h"
#include "field/bus/FieldRecord.h"
#include "show/player/ExtPlayer.h"

#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <mutex>
#include <set>
#include <thread>

namespace kv {
namespace {

const std::string kField = "[field]\nConverters=1\n"
                           "[device1]\nKind=module\nAddress=1\nChannels=16\n";

// Left fires at 0.3 s and 4 s, Right at 3 s and 6 s.
const std::string kScript = "Module ID,Rail,Channel,Time,Sequence,DMX Value,RampX,Duration or "
                            "Rate,Position,SafetyZone,Channel Name,Sequence Name\r\n"
                            "1,1,1,300,,,,,Left,,Comet,\r\n"
                            "1,1,2,3000,,,,,Right,,Peony,\r\n"
                            "1,1,3,4000,,,,,Left,,Comet,\r\n"
                            "1,1,4,6000,,,,,Right,,Peony,\r\n";

// A key that never returns ends the test program with a failure instead of holding ctest
// until its time-out.
class THangGuard {
public:
    explicit THangGuard(std::chrono::seconds limit)
        : watch_([this, limit] {
              std::unique_lock lock(mutex_);
              if (!disarmed_.wait_for(lock, limit, [this] { return done_; })) {
                  std::fprintf(stderr, "the console hung: no return within %lld s\n",
                               static_cast<long long>(limit.count()));
                  std::_Exit(3);
              }
          })
    {
    }
    ~THangGuard()
    {
        {
            std::lock_guard lock(mutex_);
            done_ = true;
        }
        disarmed_.notify_one();
        watch_.join();
    }

private:
    std::mutex mutex_;
    std::condition_variable disarmed_;
    bool done_ = false;
    std::thread watch_;
};

std::vector<std::string> Items(const QListWidget& list)
{
    std::vector<std::string> texts;
    for (int i = 0; i < list.count(); ++i)
        texts.push_back(list.item(i)->text().toStdString());
    return texts;
}

class LockoutTest : public AuxConsoleTest {
protected:
    TMainForm& OpenImported()
    {
        TMainForm& form = Open(kField, "0:05\t1\t5\n", {1});
        SpeedUpTimers();
        folder.WriteFile("design.csv", kScript);
        platform.openFiles = {folder.Path() + "design.csv"};
        WhenModal<TImportForm>([](TImportForm& preview) {
            QTest::mouseClick(&Child<QPushButton>(preview, "AcceptBtn"), Qt::LeftButton);
        });
        Key(Qt::Key_F2, Qt::ControlModifier);
        EXPECT_EQ(Form().Projects().Project(Form().CurrentSlot())->Count(), 4);
        return form;
    }
    // Ctrl+L with act run in the lockout window; false when it did not come.
    bool Lockout(std::function<void(TLockoutForm&)> act)
    {
        bool shown = false;
        WhenModal<TLockoutForm>([&](TLockoutForm& window) {
            shown = true;
            act(window);
        });
        Key(Qt::Key_L, Qt::ControlModifier);
        return shown;
    }
    // Space on the position's row switches it.
    static void Switch(TLockoutForm& window, const char* position)
    {
        auto& list = Child<QListWidget>(window, "PositionList");
        const auto found = list.findItems(position, Qt::MatchExactly);
        ASSERT_EQ(found.size(), 1);
        list.setCurrentItem(found.front());
        QTest::keyClick(&list, Qt::Key_Space);
    }
    // Locks or unlocks the position through Ctrl+L.
    void Toggle(const char* position)
    {
        ASSERT_TRUE(Lockout([&](TLockoutForm& window) {
            Switch(window, position);
            QTest::mouseClick(&Child<QPushButton>(window, "CloseBtn"), Qt::LeftButton);
        }));
    }
    int LogCount(const std::string& message)
    {
        const auto messages = TConsoleFolder::LogMessages(Form().RunLogFile());
        return static_cast<int>(std::count(messages.begin(), messages.end(), message));
    }
    // Manual firing mode, armed and started.
    void StartManual()
    {
        Key(Qt::Key_F1, Qt::ControlModifier);
        ASSERT_EQ(Form().Player().Setup().firingMode, kFiringManual);
        Key(Qt::Key_F1);
        Key(Qt::Key_F5);
        ASSERT_TRUE(Form().Player().IsRunning());
    }
    std::set<int> FiredChannels()
    {
        std::set<int> fired;
        for (const TShotEntry& shot : Field().Shots())
            EXPECT_TRUE(fired.insert(shot.channel + 1).second) << "fired twice";
        return fired;
    }
};

TEST_F(LockoutTest, APositionLockedOutDuringTheShowFiresNothingUntilUnlocked)
{
    TMainForm& form = OpenImported();
    Field().ClearRecord();
    Key(Qt::Key_F1);
    Key(Qt::Key_F5);
    ASSERT_TRUE(form.Player().IsRunning());
    ASSERT_TRUE(Lockout([&](TLockoutForm& window) {
        auto& list = Child<QListWidget>(window, "PositionList");
        EXPECT_EQ(Items(list), (std::vector<std::string>{"Left", "Right"}));
        Switch(window, "Right");
        EXPECT_EQ(list.item(1)->checkState(), Qt::Checked);
        EXPECT_EQ(Child<QLabel>(window, "StateLabel").text().toStdString(),
                  "Заблокировано позиций: 1");
        Snapshot(window, "lockout");
        QTest::mouseClick(&Child<QPushButton>(window, "CloseBtn"), Qt::LeftButton);
    }));
    EXPECT_TRUE(form.Player().IsRunning());
    EXPECT_TRUE(Logged("Позиция заблокирована: Right"));
    // The cue list shows what will not fire.
    auto& cues = Child<QTreeWidget>(form, "CueList");
    EXPECT_TRUE(cues.topLevelItem(1)->font(0).strikeOut());
    EXPECT_FALSE(cues.topLevelItem(0)->font(0).strikeOut());
    Snapshot(form, "lockout-cue-list");

    // Past Right's first cue, Right is unlocked: its second cue fires.
    ASSERT_TRUE(WaitFor([&] { return form.Player().CurrentTime() > 3300; }, 8000));
    ASSERT_TRUE(Lockout([&](TLockoutForm& window) {
        Switch(window, "Right");
        QTest::mouseClick(&Child<QPushButton>(window, "CloseBtn"), Qt::LeftButton);
    }));
    EXPECT_TRUE(Logged("Позиция разблокирована: Right"));
    ASSERT_TRUE(WaitFor([&] { return !form.Player().IsRunning(); }, 10000));
    EXPECT_EQ(FiredChannels(), (std::set<int>{1, 3, 4}));
    EXPECT_TRUE(Logged("Команда заблокированной позиции не выполнена, пульт: 1, канал: 2"));
    EXPECT_FALSE(Logged("Запуск, пульт: 1, канал: 2"));

    std::ifstream report(form.Player().FiringReportPath());
    std::vector<std::string> lines;
    for (std::string line; std::getline(report, line);)
        lines.push_back(line.substr(0, line.find('\r')));
    ASSERT_EQ(lines.size(), 5u);
    EXPECT_TRUE(lines[2].ends_with(",position locked out,Peony,Right")) << lines[2];
    EXPECT_TRUE(lines[4].find(",fired,") != std::string::npos) << lines[4];
}

TEST_F(LockoutTest, TheStopKeysStopTheShowFromTheLockoutWindow)
{
    TMainForm& form = OpenImported();
    for (const Qt::Key stop : {Qt::Key_F6, Qt::Key_Escape}) {
        Key(Qt::Key_F1);
        Key(Qt::Key_F5);
        ASSERT_TRUE(form.Player().IsRunning());
        bool stayed = false;
        ASSERT_TRUE(Lockout([&](TLockoutForm& window) {
            QTest::keyClick(window.windowHandle(), stop);
            EXPECT_FALSE(form.Player().IsRunning()) << "stopped at once";
            stayed = window.isVisible();
            if (stayed)
                QTest::mouseClick(&Child<QPushButton>(window, "CloseBtn"), Qt::LeftButton);
        }));
        EXPECT_FALSE(form.Player().IsRunning());
        EXPECT_EQ(stayed, stop == Qt::Key_F6) << "Esc also closes the window";
        Key(Qt::Key_Escape);  // ready after the stop, idle again
        ASSERT_EQ(form.LaunchState(), kLaunchIdle);
    }
}

TEST_F(LockoutTest, AutonomousControlRefusesTheLockoutAndALockoutRefusesAutonomousControl)
{
    TMainForm& form = OpenImported();
    Key(Qt::Key_F1, Qt::ShiftModifier);
    ASSERT_EQ(form.Player().Setup().controlMode, kControlAutonomous);
    ASSERT_TRUE(Lockout([&](TLockoutForm& window) {
        EXPECT_FALSE(Child<QListWidget>(window, "PositionList").isEnabled());
        EXPECT_EQ(Child<QLabel>(window, "StateLabel").text().toStdString(),
                  "В автономном режиме модули стреляют из своей памяти: позицию заблокировать "
                  "нельзя.");
        Switch(window, "Left");
        QTest::keyClick(&window, Qt::Key_Escape);
    }));
    EXPECT_TRUE(form.Player().LockedPositions().empty());

    Key(Qt::Key_F1, Qt::ShiftModifier);
    ASSERT_EQ(form.Player().Setup().controlMode, kControlDirect);
    ASSERT_TRUE(Lockout([&](TLockoutForm& window) {
        Switch(window, "Left");
        QTest::keyClick(&window, Qt::Key_Escape);
    }));
    ASSERT_EQ(form.Player().LockedPositions(), (std::vector<std::string>{"Left"}));
    const size_t shown = platform.messages.size();
    Key(Qt::Key_F1, Qt::ShiftModifier);
    EXPECT_EQ(form.Player().Setup().controlMode, kControlDirect);
    ASSERT_EQ(platform.messages.size(), shown + 1);
    EXPECT_TRUE(platform.messages.back().starts_with("Заблокированы позиции")) << platform.messages.back();
}

// Two positions on one channel (an import refuses that, a scenario file need not): Left's
// cue locks the channel for every shot by key, Right's cue on it too. The step key on Right's
// cue once took that cue again and again without end.
const std::string kSharedChannel = "0:00.30\t1\t1\t|0:00.30|Left|Comet\n"
                                   "0:03\t1\t1\t|0:03|Right|Peony\n"
                                   "0:04\t1\t2\t|0:04|Right|Peony\n";

TEST_F(LockoutTest, TheStepKeyOnALockedChannelRefusesTheShotAndStepsOn)
{
    const THangGuard guard(std::chrono::seconds(60));
    TMainForm& form = Open(kField, kSharedChannel, {1});
    StartManual();
    Field().ClearRecord();
    Toggle("Left");
    ASSERT_TRUE(form.Player().PositionLocked("Left"));

    Key(Qt::Key_F7);  // Left's own cue, passed over
    EXPECT_EQ(form.Player().NextCue(), 1);
    Key(Qt::Key_F7);  // Right's cue on Left's channel: refused, and the step goes on
    EXPECT_EQ(form.Player().NextCue(), 2);
    EXPECT_EQ(LogCount("Ручной запуск отклонён, позиция заблокирована, пульт: 1, канал: 1"), 1)
        << LogText();
    EXPECT_TRUE(form.Player().IsRunning());
    Key(Qt::Key_F7);
    EXPECT_EQ(LogCount("Пошаговый запуск, пульт: 1, канал: 2"), 1) << LogText();
    std::vector<std::pair<int, int>> shots;
    for (const TShotEntry& shot : Field().Shots())
        shots.emplace_back(shot.address, shot.channel + 1);
    EXPECT_EQ(shots, (std::vector<std::pair<int, int>>{{1, 2}}));

    Key(Qt::Key_F6);
    EXPECT_FALSE(form.Player().IsRunning());
    const auto& records = form.Player().FiringReport().Records();
    ASSERT_EQ(records.size(), 3u);
    for (const int cue : {0, 1})
        EXPECT_EQ(records[static_cast<size_t>(cue)].reason, TMissReason::PositionLockedOut) << cue;
    EXPECT_EQ(records[2].outcome, TCueOutcome::ByHand);
}

// A high-voltage step shot charges for 2 s; the channel locked meanwhile, it is refused at its
// moment. The step stays taken: the next key once went back to it, refused it at once and took
// it again without end, and would have fired the step's other shot a second time.
const std::string kHighVoltageField = kField + "[device2]\nKind=hv\nAddress=20\nChannels=4\n";
const std::string kHighVoltageStep = "0:01\t20\t1\t|0:01|Right|Comet\n"
                                     "0:01\t1\t3\t|0:01|Right|Comet\n"
                                     "0:03\t20\t1\t|0:03|Left|Peony\n"
                                     "0:04\t1\t4\t|0:04|Right|Peony\n";

TEST_F(LockoutTest, AHighVoltageStepShotLockedOutWhileItChargesIsNotTakenAgain)
{
    const THangGuard guard(std::chrono::seconds(60));
    TMainForm& form = Open(kHighVoltageField, kHighVoltageStep, {1, 20});
    WhenModal<TPresentWarningForm>(
        [](TPresentWarningForm& warning) { QTest::keyClick(&warning, Qt::Key_Return); });
    StartManual();
    Field().ClearRecord();

    Key(Qt::Key_F7);
    EXPECT_EQ(form.Player().NextCue(), 2);
    ASSERT_TRUE(form.Player().HandShotsWaiting()) << "module 20 charges";
    Toggle("Left");
    ASSERT_TRUE(WaitFor([&] { return !form.Player().HandShotsWaiting(); }, 5000));
    EXPECT_EQ(LogCount("Ручной запуск отклонён, позиция заблокирована, пульт: 20, канал: 1"), 1)
        << LogText();
    EXPECT_EQ(LogCount("Пошаговый запуск, пульт: 1, канал: 3"), 1) << "the shot behind it";
    EXPECT_EQ(form.Player().NextCue(), 2) << "the step stays taken";

    Key(Qt::Key_F7);  // Left's cue, passed over
    Key(Qt::Key_F7);
    std::vector<std::pair<int, int>> shots;
    for (const TShotEntry& shot : Field().Shots())
        shots.emplace_back(shot.address, shot.channel + 1);
    EXPECT_EQ(shots, (std::vector<std::pair<int, int>>{{1, 3}, {1, 4}}));
    EXPECT_TRUE(form.Player().IsRunning());
    Key(Qt::Key_F6);
    EXPECT_FALSE(form.Player().IsRunning());
    const auto& records = form.Player().FiringReport().Records();
    ASSERT_EQ(records.size(), 4u);
    EXPECT_EQ(records[0].reason, TMissReason::PositionLockedOut);
    EXPECT_EQ(records[1].outcome, TCueOutcome::ByHand);
    EXPECT_EQ(records[2].reason, TMissReason::PositionLockedOut);
    EXPECT_EQ(records[3].outcome, TCueOutcome::ByHand);
}

// The step key judges its cues as the show does: a cue whose channel the operator fired by key
// already is not fired a second time (it was, as the step key fired every cue it reached).
TEST_F(LockoutTest, TheStepKeyPassesOverACueTheOperatorFiredByKey)
{
    const THangGuard guard(std::chrono::seconds(60));
    TMainForm& form = Open(kField, "0:00.30\t1\t1\n0:03\t1\t2\n0:04\t1\t3\n", {1});
    StartManual();
    Field().ClearRecord();
    Key(Qt::Key_Down);  // module 1 on the keyboard
    Key(Qt::Key_2);
    ASSERT_TRUE(WaitFor([&] { return FiredChannels() == std::set<int>{2}; }, 2000)) << LogText();
    for (int step = 0; step < 3; ++step)
        Key(Qt::Key_F7);
    EXPECT_EQ(FiredChannels(), (std::set<int>{1, 2, 3}));
    EXPECT_EQ(LogCount("Пропущена команда сценария, пульт: 1, канал: 2"), 1) << LogText();
    Key(Qt::Key_F6);
    const auto& records = form.Player().FiringReport().Records();
    ASSERT_EQ(records.size(), 3u);
    for (const TCueRecord& record : records)
        EXPECT_EQ(record.outcome, TCueOutcome::ByHand);
}

}  // namespace
}  // namespace kv
