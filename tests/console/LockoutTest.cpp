// Positions of an imported show locked out through the console's keys while the show runs on
// the simulated field: Ctrl+L, the list of the show's positions, Space; the stop keys from the
// lockout window; autonomous control refuses.
#include "ConsoleTestTools.h"
#include "ModalDriver.h"
#include "console/dialogs/ImportForm.h"
#include "console/dialogs/LockoutForm.h"
#include "console/mainwindow/MainForm.h"
#include "field/FieldRecord.h"
#include "show/ExtPlayer.h"

#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>
#include <gtest/gtest.h>

#include <fstream>
#include <set>

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
    ASSERT_TRUE(WaitFor([&] { return form.Player().currentTime > 3300; }, 8000));
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
    ASSERT_EQ(form.Player().controlMode, kControlAutonomous);
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
    ASSERT_EQ(form.Player().controlMode, kControlDirect);
    ASSERT_TRUE(Lockout([&](TLockoutForm& window) {
        Switch(window, "Left");
        QTest::keyClick(&window, Qt::Key_Escape);
    }));
    ASSERT_EQ(form.Player().LockedPositions(), (std::vector<std::string>{"Left"}));
    const size_t shown = platform.messages.size();
    Key(Qt::Key_F1, Qt::ShiftModifier);
    EXPECT_EQ(form.Player().controlMode, kControlDirect);
    ASSERT_EQ(platform.messages.size(), shown + 1);
    EXPECT_TRUE(platform.messages.back().starts_with("Заблокированы позиции")) << platform.messages.back();
}

}  // namespace
}  // namespace kv
