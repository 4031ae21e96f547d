// The debug window: module clocks against the PC's on a field whose clocks drift.
#include "FieldConsole.h"
#include "ConsoleTestTools.h"
#include "ModalDriver.h"
#include "console/ConsoleWindows.h"
#include "console/DebugForm.h"
#include "console/MainForm.h"
#include "devices/Controls.h"
#include "link/PortProto.h"
#include "support/Platform.h"

#include <QLabel>
#include <QPushButton>
#include <QTime>
#include <QTimer>
#include <QTreeWidget>
#include <QTest>
#include <gtest/gtest.h>

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

using DebugFormTest = FieldConsoleTest;

TEST_F(DebugFormTest, ShowsEachModulesClockDriftAndClosingStopsTheTest)
{
    const uint32_t fieldStart = Platform().TickCount();
    TMainForm& form = Start(kField);
    for (const int address : {1, 2, 3, 4, 240})
        Register(address);
    auto& idle = Child<QTimer>(form, "IdleTimer");

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
        QTest::qWaitFor([&] {
            const uint32_t now = Platform().TickCount();
            return now - clicked >= 10000 && now - fieldStart >= 9000;
        }, 30000);
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

}  // namespace
}  // namespace kv
