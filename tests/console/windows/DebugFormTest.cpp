// The debug window: module clocks against the PC's on a field whose clocks drift.
#include "rigs/console/ConsoleTestTools.h"
#include "rigs/console/FieldConsole.h"
#include "rigs/console/ModalDriver.h"
#include "console/dialogs/DebugForm.h"
#include "console/mainwindow/ConsoleWindows.h"
#include "console/mainwindow/MainForm.h"
#include "devices/kinds/CommonControl.h"
#include "devices/registry/Controls.h"
#include "field/devices/SimModule.h"
#include "field/bus/WireFrame.h"
#include "link/PortProto.h"
#include "show/player/ExtPlayer.h"
#include "support/platform/Platform.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QTime>
#include <QTimer>
#include <QTreeWidget>
#include <QTest>
#include <gtest/gtest.h>

#include <algorithm>
#include <map>

namespace kv {
namespace {

// Module 2's clock runs 1 % fast, module 4's 1 % slow; module 3 falls silent 8 s after the
// field starts.
const std::string kField = "[device1]\nKind=module\nAddress=1\nVersion=46B\nChannels=64\n"
                           "[device2]\nKind=module\nAddress=2\nVersion=36B\nChannels=32\n"
                           "ClockDrift=10000\n"
                           "[device3]\nKind=module\nAddress=3\nVersion=46B\nChannels=16\n"
                           "Silent=8000-999999\n"
                           "[device4]\nKind=module\nAddress=4\nVersion=46B\nChannels=16\n"
                           "ClockDrift=-10000\n"
                           "[device5]\nKind=radio\nAddress=240\nVersion=201\n";

class DebugFormTest : public AuxConsoleTest {
protected:
    // A stop from another master, as the remote controller sends it.
    void RemoteStop()
    {
        Field().InjectFrame(0, Field().ElapsedMs(), MakeWireFrame(0x90, 0, 0, 0, 0, 0));
    }
};

TEST_F(DebugFormTest, ShowsEachModulesClockDriftAndClosingStopsTheTest)
{
    const uint32_t fieldStart = Platform().TickCount();
    TMainForm& form = Start(kField);
    for (const int address : {1, 2, 3, 4, 240})
        Register(address);
    auto& idle = Child<QTimer>(form, "IdleTimer");
    platform.yesNo = TAnswer::Yes;  // "Тест" asks first

    std::vector<QStringList> before, during;
    bool pollStopped = false;
    QString elapsed;
    uint32_t testedMs = 0;
    WhenModal<TDebugForm>([&](TDebugForm& window) {
        auto& list = Child<QTreeWidget>(window, "ReportList");
        const auto rows = [&list] {
            std::vector<QStringList> texts;
            for (int i = 0; i < list.topLevelItemCount(); ++i) {
                QStringList row;
                for (int column = 0; column < list.columnCount(); ++column)
                    row << list.topLevelItem(i)->text(column);
                texts.push_back(row);
            }
            return texts;
        };
        before = rows();
        QTest::mouseClick(&Child<QPushButton>(window, "TestBtn"), Qt::LeftButton);
        pollStopped = !idle.isActive();
        const uint32_t clicked = Platform().TickCount();
        EXPECT_TRUE(QTest::qWaitFor([&] {
            const uint32_t now = Platform().TickCount();
            return now - clicked >= 10000 && now - fieldStart >= 9000;
        }, 30000));
        testedMs = Platform().TickCount() - clicked;
        during = rows();
        elapsed = Child<QLabel>(window, "TimeLabel").text();
        Snapshot(window, "console-debug");
        QTest::mouseClick(&Child<QPushButton>(window, "CloseBtn"), Qt::LeftButton);
    });
    QTest::keyClick(form.windowHandle(), Qt::Key_D, Qt::ControlModifier | Qt::AltModifier);

    ASSERT_EQ(before.size(), 4u) << "firing modules only";
    EXPECT_EQ(before[0], (QStringList{"1", "64", "1131", "?", "?", "?"}));
    EXPECT_EQ(before[1], (QStringList{"2", "32", "875", "?", "?", "?"}));
    EXPECT_TRUE(pollStopped);
    // The label shows the last step's elapsed time, up to a step before the end.
    const auto clock = [](uint32_t ms) {
        return QTime(0, 0).addMSecs(static_cast<int>(ms)).toString("H:mm:ss");
    };
    EXPECT_TRUE(elapsed == clock(testedMs) || elapsed == clock(testedMs - 200))
        << elapsed.toStdString();
    ASSERT_EQ(during.size(), 4u);
    // A 1 % clock gains or loses a hundredth of the time tested; the modules count their
    // clocks in tenths of a second, which puts them up to 100 ms behind.
    const auto near = [](const QString& text, int expected) {
        const int drift = text.toInt();
        return drift >= expected - 130 && drift <= expected + 30;
    };
    const int gain = static_cast<int>(testedMs / 100);
    EXPECT_TRUE(near(during[0][5], 0)) << during[0][5].toStdString();
    EXPECT_TRUE(near(during[1][5], gain)) << during[1][5].toStdString();
    EXPECT_TRUE(near(during[3][5], -gain)) << during[3][5].toStdString();
    EXPECT_EQ(during[0][3].count('.'), 1);
    EXPECT_FALSE(during[0][4].isEmpty());
    EXPECT_NE(during[0][4], "?");
    // A module that fell silent keeps what it last answered.
    EXPECT_EQ(during[2][3], "12.50");
    EXPECT_EQ(during[2][5], "?");

    // Closing stopped the test: the poll is back and the modules' clocks stand still.
    EXPECT_TRUE(idle.isActive());
    int first = 0, second = 0;
    char kind = 0;
    ASSERT_EQ(form.Port().QueryClock(1, 0, -1, first, kind), 0);
    QTest::qWait(400);
    ASSERT_EQ(form.Port().QueryClock(1, 0, -1, second, kind), 0);
    EXPECT_EQ(first, second);
}

const std::string kTwoModules = "[device1]\nKind=module\nAddress=1\nVersion=46B\nChannels=64\n"
                                "[device2]\nKind=module\nAddress=2\nVersion=46B\nChannels=64\n";

TEST_F(DebugFormTest, RefusedDuringAShowASearchAndAChannelTest)
{
    std::string scenario;
    for (int second = 1; second <= 40; ++second)
        scenario += "0:" + std::to_string(10 + second) + ".00\t1\t" + std::to_string(second) + "\n";
    TMainForm& form = Open(kTwoModules, scenario, {1, 2});
    Key(Qt::Key_F1);
    Key(Qt::Key_F5);
    ASSERT_TRUE(form.Player().IsRunning());
    EXPECT_FALSE(DebugWindowOpens(form)) << "during a show";
    // The stop key still reaches the main window.
    Key(Qt::Key_F6);
    EXPECT_FALSE(form.Player().IsRunning());
    Key(Qt::Key_Escape);
    ASSERT_EQ(form.LaunchState(), kLaunchIdle);

    Key(Qt::Key_F10);
    ASSERT_TRUE(Child<QPushButton>(form, "SearchBtn").isChecked());
    EXPECT_FALSE(DebugWindowOpens(form)) << "during a search";
    Key(Qt::Key_F10);
    ASSERT_FALSE(Child<QPushButton>(form, "SearchBtn").isChecked());

    Key(Qt::Key_Tab);
    ASSERT_TRUE(Child<QWidget>(form, "TestPanel").isVisible());
    bool openedDuringTest = true;
    QTimer::singleShot(100, [&] {
        openedDuringTest = DebugWindowOpens(form);
        QTest::keyClick(form.windowHandle(), Qt::Key_F3);  // stops the channel test
    });
    Key(Qt::Key_F2);  // tests every module in turn
    EXPECT_FALSE(openedDuringTest) << "during a channel test";

    EXPECT_TRUE(DebugWindowOpens(form)) << "with nothing under way";
}

TEST_F(DebugFormTest, TestAsksFirstAndKeepsThePollOffThroughAStopHeardOnTheBus)
{
    TMainForm& form = Open(kTwoModules, "0:01.00\t1\t1\n", {1, 2});
    SpeedUpTimers();
    auto& idle = Child<QTimer>(form, "IdleTimer");
    std::vector<std::string> asked;
    size_t writesAfterNo = 1, clocksAfterNo = 1, writes = 0, queriesDuringTest = 1;
    bool pollOffAfterStop = false;
    WhenModal<TDebugForm>([&](TDebugForm& window) {
        auto& test = Child<QPushButton>(window, "TestBtn");
        Field().ClearRecord();
        platform.yesNo = TAnswer::No;
        QTest::mouseClick(&test, Qt::LeftButton);
        asked = platform.messages;
        writesAfterNo = SentFrames(0x91).size();
        clocksAfterNo = SentFrames(0x90).size();

        platform.yesNo = TAnswer::Yes;
        QTest::mouseClick(&test, Qt::LeftButton);
        writes = SentFrames(0x91).size();
        RemoteStop();
        WaitFor([&] { return Logged("Получена внешняя команда остановки"); });
        QTest::qWait(300);  // some sixty sped-up polls, were the poll on
        pollOffAfterStop = !idle.isActive();
        queriesDuringTest = SentFrames(0x85).size();
        QTest::mouseClick(&Child<QPushButton>(window, "CloseBtn"), Qt::LeftButton);
    });
    QTest::keyClick(form.windowHandle(), Qt::Key_D, Qt::ControlModifier | Qt::AltModifier);

    // The question names the test mode too: the test now leaves the modules in it.
    EXPECT_EQ(asked, std::vector<std::string>{"Тест переводит пульты в режим теста, записывает "
                                              "команду в память всех пультов и запускает часы "
                                              "пультов. Продолжить?"});
    EXPECT_EQ(writesAfterNo, 0u) << "No wrote into the modules";
    EXPECT_EQ(clocksAfterNo, 0u) << "No started the modules' clocks";
    EXPECT_EQ(writes, 2u);
    EXPECT_TRUE(pollOffAfterStop);
    EXPECT_EQ(queriesDuringTest, 0u) << "status queries among the test's clock queries";
    EXPECT_TRUE(idle.isActive()) << "closing brings the poll back";
}

// The test starts the modules' clocks at 0: in fire mode they fired the show written into
// their memory, cue by cue, while the operator watched the clocks. Its cue replaces the show's
// first record: the memory no longer holds the show.
TEST_F(DebugFormTest, TheTestFiresNothingOfAShowWrittenIntoTheModules)
{
    TMainForm& form = Open(kTwoModules, "0:00.30\t1\t1\n0:00.60\t2\t1\n0:01.20\t1\t2\n", {1, 2});
    Key(Qt::Key_F1, Qt::ShiftModifier);
    Key(Qt::Key_F8);
    ASSERT_TRUE(Logged("Запись сценария в пульты... Успешно"));
    const std::string stale =
        "Память модулей не содержит этот сценарий (не записан или не проверен): 1, 2";
    const auto memoryLine = [&] {
        const std::vector<std::string> lines = GoNoGoFindings();
        return std::find(lines.begin(), lines.end(), stale) != lines.end();
    };
    ASSERT_FALSE(memoryLine());
    Field().ClearRecord();
    platform.yesNo = TAnswer::Yes;
    int clock = 0;
    WhenModal<TDebugForm>([&](TDebugForm& window) {
        QTest::mouseClick(&Child<QPushButton>(window, "TestBtn"), Qt::LeftButton);
        QTest::qWait(2000);  // past the last cue's time
        char kind = 0;
        EXPECT_EQ(form.Port().QueryClock(2, 0, -1, clock, kind), kv::kLinkOk);
        QTest::mouseClick(&Child<QPushButton>(window, "CloseBtn"), Qt::LeftButton);
    });
    QTest::keyClick(form.windowHandle(), Qt::Key_D, Qt::ControlModifier | Qt::AltModifier);
    EXPECT_GE(clock, 1500) << "the modules' clocks ran";
    EXPECT_TRUE(Field().Shots().empty()) << "the written show fired";
    for (const int address : {1, 2}) {
        bool fireMode = true;
        Field().WithDevice(address, [&](TSimDevice& device) {
            fireMode = dynamic_cast<TSimModule&>(device).FireMode();
        });
        EXPECT_FALSE(fireMode) << address;
        EXPECT_EQ(dynamic_cast<TCommonControl&>(*form.Controls().FindByAddress(address)).modeState, 1)
            << "the start warning names it";
    }
    // The test cue took the place of the show's first record in each module.
    EXPECT_TRUE(memoryLine());
}

// No command starts one module's clock alone: the test's clock start reached a module the
// search missed, in fire mode, which played the show in its memory; and it would start the show
// of another station waiting for a start from the bus.
TEST_F(DebugFormTest, AModuleTheSearchMissedFiresNothingAndAnotherStationRefusesTheTest)
{
    TMainForm& form = Start(kTwoModules + "[device3]\nKind=module\nAddress=3\nVersion=46B\n"
                                          "[device4]\nKind=station\nStationId=77\n");
    Register(1);
    Register(2);
    ASSERT_EQ(form.Port().WriteCue(3, 0, 300, 0), 0);
    platform.yesNo = TAnswer::Yes;
    WhenModal<TDebugForm>([&](TDebugForm& window) {
        QTest::mouseClick(&Child<QPushButton>(window, "TestBtn"), Qt::LeftButton);
        QTest::qWait(1000);  // past module 3's cue
        QTest::mouseClick(&Child<QPushButton>(window, "CloseBtn"), Qt::LeftButton);
    });
    QTest::keyClick(form.windowHandle(), Qt::Key_D, Qt::ControlModifier | Qt::AltModifier);
    ASSERT_FALSE(SentFrames(0x90).empty()) << "the test ran";
    EXPECT_TRUE(Field().Shots().empty()) << "module 3 fired";

    ASSERT_NE(form.Controls().AddOrRefreshStation(77, 0), nullptr);
    Field().ClearRecord();
    platform.messages.clear();
    WhenModal<TDebugForm>([&](TDebugForm& window) {
        QTest::mouseClick(&Child<QPushButton>(window, "TestBtn"), Qt::LeftButton);
        QTest::mouseClick(&Child<QPushButton>(window, "CloseBtn"), Qt::LeftButton);
    });
    QTest::keyClick(form.windowHandle(), Qt::Key_D, Qt::ControlModifier | Qt::AltModifier);
    EXPECT_TRUE(SentFrames(0x90).empty()) << "the clocks started beside another station";
    EXPECT_EQ(platform.messages, (std::vector<std::string>{
                                     "Тест не начат: на шине другая станция управления, запуск "
                                     "часов пультов запустил бы её шоу. Отключите её от шины."}));
}

// A failed test-mode broadcast to the addresses no module was found at may have missed a module
// there, in fire mode: the clock start would play the show in its memory.
TEST_F(DebugFormTest, ATestModeBroadcastThatFailedStartsNoClock)
{
    Start(kTwoModules);  // neither found: both only reachable by the broadcast
    platform.yesNo = TAnswer::Yes;
    Field().SetBadEcho(0, true);
    Field().ClearRecord();
    WhenModal<TDebugForm>([&](TDebugForm& window) {
        QTest::mouseClick(&Child<QPushButton>(window, "TestBtn"), Qt::LeftButton);
        QTest::mouseClick(&Child<QPushButton>(window, "CloseBtn"), Qt::LeftButton);
    });
    QTest::keyClick(Form().windowHandle(), Qt::Key_D, Qt::ControlModifier | Qt::AltModifier);
    EXPECT_TRUE(SentFrames(0x90).empty()) << "the modules' clocks started";
    ASSERT_FALSE(platform.messages.empty());
    EXPECT_EQ(platform.messages.back().rfind("Тест не начат: команда режима теста не передана на "
                                             "адреса без найденных пультов. ", 0), 0u)
        << platform.messages.back();
}

TEST_F(DebugFormTest, RowsFollowTheirModulesWhenTheRegistryChanges)
{
    // Module 1 joins while the window is open and goes before the others in the registry.
    TMainForm& form = Start("[device1]\nKind=module\nAddress=1\nVersion=46B\nSupply=14\n"
                            "[device2]\nKind=module\nAddress=2\nVersion=46B\nSupply=11\n"
                            "[device3]\nKind=module\nAddress=3\nVersion=46B\nSupply=12\n"
                            "[device4]\nKind=module\nAddress=4\nVersion=46B\nSupply=13\n");
    for (const int address : {2, 3, 4})
        Register(address);
    platform.yesNo = TAnswer::Yes;
    std::map<std::string, std::string> voltages;
    WhenModal<TDebugForm>([&](TDebugForm& window) {
        QTest::mouseClick(&Child<QPushButton>(window, "TestBtn"), Qt::LeftButton);
        Register(1);
        QTest::qWait(500);  // a few steps
        auto& list = Child<QTreeWidget>(window, "ReportList");
        for (int i = 0; i < list.topLevelItemCount(); ++i)
            voltages[list.topLevelItem(i)->text(0).toStdString()] =
                list.topLevelItem(i)->text(3).toStdString();
        QTest::mouseClick(&Child<QPushButton>(window, "CloseBtn"), Qt::LeftButton);
    });
    QTest::keyClick(form.windowHandle(), Qt::Key_D, Qt::ControlModifier | Qt::AltModifier);
    EXPECT_EQ(voltages,
              (std::map<std::string, std::string>{{"2", "11.00"}, {"3", "12.00"}, {"4", "13.00"}}));
}

}  // namespace
}  // namespace kv
