// The test page through the window: the module shown, the channel test of one and of all
// modules, the channel grid, and the list of connected channels.

#include "rigs/console/ConsoleTestPlatform.h"
#include "devices/memory/ScenarioChecks.h"
#include "rigs/console/FieldConsole.h"
#include "console/widgets/Colors.h"
#include "devices/kinds/CommonControl.h"
#include "devices/registry/Controls.h"
#include "show/player/ExtPlayer.h"
#include "show/scenario/ProjectList.h"
#include "support/text/TextEncoding.h"

#include <QImage>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QWindow>

#include <cstdlib>
#include <fstream>
#include <sstream>

namespace kv {
namespace {

constexpr int kCellWidth = 32;
constexpr int kCellHeight = 24;

QImage Grid(TMainForm& form)
{
    QImage image = Child<QWidget>(form, "ChannelGrid").grab().toImage();
    return image.convertToFormat(QImage::Format_RGB32);
}

// A point of the cell's fill, clear of its text and cross.
QColor Fill(const QImage& grid, int channel)
{
    return grid.pixelColor(kCellWidth * (channel % 16) + 5, kCellHeight * (channel / 16) + 12);
}

int PixelsOf(const QImage& grid, int channel, const QColor& colour)
{
    const int x = kCellWidth * (channel % 16);
    const int y = kCellHeight * (channel / 16);
    int count = 0;
    for (int dx = 3; dx < 31; ++dx)
        for (int dy = 3; dy < 23; ++dy)
            count += grid.pixelColor(x + dx, y + dy) == colour;
    return count;
}

std::string FileBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

TCommonControl& Module(TMainForm& form, int address)
{
    return dynamic_cast<TCommonControl&>(*form.Controls().FindByAddress(address));
}

std::vector<std::string> TestLines(TMainForm& form)
{
    std::vector<std::string> lines;
    for (const std::string& message : TConsoleFolder::LogMessages(form.RunLogFile()))
        if (message.starts_with("Тест каналов"))
            lines.push_back(message);
    return lines;
}

class TestPanelTest : public FieldConsoleTest {};

TEST_F(TestPanelTest, TestsAModuleAgainstTheThresholdsDrawsTheGridAndSavesTheList)
{
    TMainForm& form = Start(R"(
[device1]
Kind=module
Address=2
Version=46B
Channels=32
Resistances=1:0.5, 2:15.5, 3:25, 4:20, 6:1
Open=5
[device2]
Kind=module
Address=4
Version=167
Channels=24
Open=5
)");
    Register(2);
    Register(4);
    folder.WriteFile("show.txt", "0:01.00\t2\t1\ta\n0:02.00\t2\t2\tb\n0:03.00\t2\t5\tc\n");
    TProjectList& scenario = *form.Projects().Project(0);
    scenario.Load(folder.Path() + "show.txt");
    ASSERT_EQ(scenario.Count(), 3);
    MarkScenarioChannels(form.Controls(), scenario.Cues());

    EXPECT_FALSE(Child<QPushButton>(form, "ControlTestBtn").isEnabled()) << "launch page";
    EnterTestPage();
    EXPECT_EQ(Child<QLabel>(form, "NumberLabel").text(), "2");
    EXPECT_EQ(Child<QLabel>(form, "ChannelsLabel").text(), "32");
    EXPECT_EQ(Child<QLabel>(form, "VersionLabel").text(), "46B");
    EXPECT_TRUE(Child<QWidget>(form, "GridPanel").isVisible());
    EXPECT_FALSE(Child<QWidget>(form, "HVPanel").isVisible());
    EXPECT_FALSE(Child<QPushButton>(form, "TestStopBtn").isEnabled());

    ASSERT_TRUE(Click("ControlTestBtn"));
    EXPECT_EQ(TestLines(form),
              std::vector<std::string>{"Тест каналов, пульт: 2, каналов: 32, подключено: 28"});
    const TCommonControl& module = Module(form, 2);
    // Below the low threshold a short, at the middle one a fault, at the low one connected.
    const std::vector<int> expected{3, 1, 3, 3, 2, 1, 1};
    for (int channel = 0; channel < 7; ++channel)
        EXPECT_EQ(module.ChannelState(channel), expected[static_cast<size_t>(channel)]) << channel;
    EXPECT_DOUBLE_EQ(module.ChannelValue(1), 15.5);

    const QImage grid = Grid(form);
    EXPECT_EQ(grid.size(), QSize(16 * kCellWidth + 2, 2 * kCellHeight + 2));
    EXPECT_EQ(Fill(grid, 0), kRed);
    EXPECT_EQ(Fill(grid, 1), kGreen);
    EXPECT_EQ(Fill(grid, 5), kGreen);
    EXPECT_EQ(Fill(grid, 31), kGreen);
    // An open channel the scenario uses: blue inside a red border of two pixels.
    EXPECT_EQ(grid.pixelColor(kCellWidth * 4 + 3, 12), kRed);
    EXPECT_EQ(Fill(grid, 4), QColor(0, 0, 255));
    // Crosses: black on a used connected cell, white on a used faulty one.
    EXPECT_GT(PixelsOf(grid, 1, Qt::black), PixelsOf(grid, 6, Qt::black) + 30);
    EXPECT_GT(PixelsOf(grid, 0, Qt::white), PixelsOf(grid, 2, Qt::white) + 30);
    if (const char* path = std::getenv("KV_GRID_SCREENSHOT")) {
        form.resize(1280, 760);
        EXPECT_TRUE(form.grab().save(path));
    }

    ASSERT_TRUE(Click("DownBtn"));
    EXPECT_EQ(Child<QLabel>(form, "NumberLabel").text(), "4");
    EXPECT_EQ(Grid(form).size(), QSize(16 * kCellWidth + 2, 2 * kCellHeight + 2));
    EXPECT_EQ(Fill(Grid(form), 23), QColor(Qt::white)) << "not tested";
    ASSERT_TRUE(Click("DownBtn"));
    EXPECT_EQ(Child<QLabel>(form, "NumberLabel").text(), "4") << "no module past the last";

    TConsoleTestPlatform& platform = TestPlatform();
    platform.saveName = folder.Path() + "list.dat";
    QTest::keyClick(form.windowHandle(), Qt::Key_F4);
    // The dialog starts in the record's folder, not where the console was started.
    EXPECT_EQ(platform.prompts.back(),
              "Текстовые файлы|*.txt|" + folder.Path() + "подключенные каналы");
    std::string text = "Пульт, ID=2\r\nПодключенных каналов: 28\r\nКанал № 2\r\n";
    for (int channel = 6; channel <= 32; ++channel)
        text += "Канал № " + std::to_string(channel) + "\r\n";
    text += "\r\n\r\nПульт, ID=4\r\nПодключенных каналов: 0\r\n\r\n\r\n";
    EXPECT_EQ(FileBytes(folder.Path() + "list.dat.txt"), EncodeCp1251(text));
    platform.saveName = folder.Path() + "list.Txt";
    ASSERT_TRUE(Click("SaveChannelsBtn"));
    EXPECT_EQ(FileBytes(folder.Path() + "list.Txt"), EncodeCp1251(text));
}

TEST_F(TestPanelTest, AStopDuringTheTestOfAllModulesEndsTheWholeRun)
{
    TMainForm& form = Start("[device1]\nKind=module\nAddress=1\nChannels=64\n"
                            "[device2]\nKind=module\nAddress=3\nChannels=64\n");
    Register(1);
    Register(3);
    QTest::keyClick(form.windowHandle(), Qt::Key_Tab);
    ASSERT_TRUE(Child<QWidget>(form, "TestPanel").isVisible());
    auto& idle = Child<QTimer>(form, "IdleTimer");
    bool stopEnabled = false;
    bool testEnabled = true;
    bool pollRestarted = true;
    QTimer::singleShot(100, [&] {
        stopEnabled = Child<QPushButton>(form, "TestStopBtn").isEnabled();
        testEnabled = Child<QPushButton>(form, "ControlTestBtn").isEnabled();
        // A stop from another station must not restart the poll under the test.
        form.Player().HandleMessage({0x90, 0, 0, 0, 0, 0});
        pollRestarted = idle.isActive();
        QTest::keyClick(form.windowHandle(), Qt::Key_F3);
    });
    QTest::keyClick(form.windowHandle(), Qt::Key_F2);
    EXPECT_TRUE(stopEnabled);
    EXPECT_FALSE(testEnabled);
    EXPECT_FALSE(pollRestarted);
    const auto lines = TestLines(form);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_TRUE(lines[0].starts_with("Тест каналов, пульт: 1, каналов: 64, подключено: "));
    EXPECT_EQ(Module(form, 1).ChannelState(63), kChannelUntested) << "stopped part-way";
    EXPECT_EQ(Module(form, 3).CountChannelsInState(kChannelUntested), 64);
    EXPECT_EQ(Child<QLabel>(form, "NumberLabel").text(), "1");
    EXPECT_TRUE(idle.isActive());
    EXPECT_TRUE(Child<QPushButton>(form, "TestAllBtn").isEnabled());
    EXPECT_FALSE(Child<QPushButton>(form, "TestStopBtn").isEnabled());

    ASSERT_TRUE(Click("TestAllBtn"));
    EXPECT_EQ(TestLines(form).size(), 3u) << "both modules, when nobody stops it";
    EXPECT_EQ(Module(form, 3).ConnectedCount(), 64);
    EXPECT_EQ(Child<QLabel>(form, "NumberLabel").text(), "1");
}

TEST_F(TestPanelTest, AfterAnAddressChangeTheGridCrossesTheNewAddresssScenarioChannels)
{
    TMainForm& form = Start("[device1]\nKind=module\nAddress=5\nVersion=167\n");
    Register(5);
    folder.WriteFile("show.txt", "0:01.00\t5\t1\n0:02.00\t5\t2\n0:03.00\t77\t10\n");
    TestPlatform().openFiles = {folder.Path() + "show.txt"};
    QTest::keyClick(form.windowHandle(), Qt::Key_F2);
    ASSERT_EQ(form.Projects().Project(0)->Count(), 3);
    EnterTestPage();
    const auto crossed = [&](int channel) {
        // A cross darkens the cell well beyond its number alone, as channel 3's.
        const QImage grid = Grid(form);
        return PixelsOf(grid, channel, Qt::black) > PixelsOf(grid, 2, Qt::black) + 30;
    };
    ASSERT_TRUE(crossed(0));
    ASSERT_FALSE(crossed(9));

    TestPlatform().inputs = {"77"};
    ASSERT_TRUE(Click("ChangeIdBtn"));
    ASSERT_EQ(Child<QLabel>(form, "NumberLabel").text(), "77");
    EXPECT_TRUE(crossed(9)) << "module 77's cue";
    EXPECT_FALSE(crossed(0)) << "module 5's cue, no longer this module's";
    EXPECT_FALSE(crossed(1));
}

}  // namespace
}  // namespace kv
