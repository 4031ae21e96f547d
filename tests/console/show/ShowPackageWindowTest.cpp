// Show packages and the slots across restarts, through the window's keys: F2 on a package,
// Ctrl+S writing one, and a second window on the same state folder bringing the slots back.
#include "rigs/console/LaunchWindow.h"

#include "rigs/console/ConsoleTestPlatform.h"
#include "rigs/console/ConsoleTestTools.h"
#include "audio/AudioLibrary.h"
#include "show/player/ExtPlayer.h"
#include "show/scenario/ShowPackage.h"

#include <QTest>
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace kv {
namespace {

const std::string kShare = KV_SHARE_DIR;
const std::string kScenario = "0:00.20\t1\t3\t|0:00.20|Front|Comet\r\n"
                              "0:01.00\t2\t3\t|0:01.00|Back|Peony\r\n";

std::string ReadAll(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

bool Said(const std::string& part)
{
    const auto& messages = TestPlatform().messages;
    return std::any_of(messages.begin(), messages.end(), [&](const std::string& message) {
        return message.find(part) != std::string::npos;
    });
}

TShowPackage Package()
{
    TShowPackage package;
    package.scenarioName = "finale.txt";
    package.scenario = kScenario;
    package.soundtrackName = "music.ogg";
    package.soundtrack = ReadAll(kShare + "/sample-soundtrack.ogg");
    package.settings.tempo = 950;
    package.settings.offset = 200;
    package.settings.lockedPositions = {"Back"};
    package.settings.timecodeZero = TTimecodeLabel{1, 0, 0, 0};
    package.settings.timecodeRate = TTimecodeRate::Fps25;
    return package;
}

TEST(ShowPackageWindowTest, F2LoadsAPackageWholeADamagedOneChangesNothingAndCtrlSSavesTheSlot)
{
    TLaunchWindow window;
    TMainForm& form = window.Form();
    TExtPlayer& player = form.Player();
    const std::string package = window.Folder().Path() + "finale.kvshow";
    ASSERT_EQ(WriteShowPackage(package, Package()), "");
    TestPlatform().messages.clear();
    TestPlatform().openFiles = {package};
    window.Key(Qt::Key_F2);
    EXPECT_EQ(form.Projects().Project(0)->Count(), 2);
    EXPECT_EQ(form.Projects().Project(0)->Name(), "finale.txt");
    EXPECT_EQ(player.Tempo(), 950);
    EXPECT_EQ(player.Offset(), 200);
    EXPECT_EQ(player.LockedPositions(), std::vector<std::string>{"Back"});
    if (AudioAvailable()) {
        EXPECT_EQ(std::filesystem::path(player.Soundtrack().FileName()).filename(), "music.ogg");
    }
    EXPECT_EQ(window.Log().back(), "Пакет шоу загружен: " + package);
    // Loading arms and starts nothing.
    EXPECT_EQ(form.LaunchState(), kLaunchIdle);
    EXPECT_FALSE(player.IsRunning());

    // Ctrl+S: the slot as it stands, into a package of its own.
    TestPlatform().saveName = window.Folder().Path() + "saved";
    window.Key(Qt::Key_S, Qt::ControlModifier);
    TShowPackage saved;
    ASSERT_EQ(ReadShowPackage(window.Folder().Path() + "saved.kvshow", saved), "");
    EXPECT_EQ(saved.scenario, kScenario);
    EXPECT_EQ(saved.settings.tempo, 950);
    EXPECT_EQ(saved.settings.offset, 200);
    EXPECT_EQ(saved.settings.lockedPositions, std::vector<std::string>{"Back"});
    // The desk's timecode of the package, not the console's own.
    EXPECT_EQ(saved.settings.timecodeZero, Package().settings.timecodeZero);
    EXPECT_EQ(saved.settings.timecodeRate, TTimecodeRate::Fps25);
    if (AudioAvailable()) {
        EXPECT_EQ(saved.soundtrack, Package().soundtrack);
    }
    TestPlatform().saveName.reset();

    // Slot 2: a package whose music was damaged on the way loads nothing at all.
    window.Key(Qt::Key_2);
    TShowPackage other = Package();
    other.settings.tempo = 1100;
    ASSERT_EQ(WriteShowPackage(package, other), "");
    std::string bytes = ReadAll(package);
    bytes[bytes.size() / 2] ^= 0x01;
    std::ofstream(package, std::ios::binary | std::ios::trunc) << bytes;
    TestPlatform().openFiles = {package};
    window.Key(Qt::Key_F2);
    EXPECT_TRUE(Said("контрольная сумма не сходится, часть soundtrack/music.ogg")) << window.Log().back();
    EXPECT_EQ(form.Projects().Project(1)->Count(), 0);
    EXPECT_FALSE(player.Soundtrack().Loaded());
    EXPECT_EQ(player.Tempo(), 950);

    // In autonomous control the modules would fire the package's locked positions from
    // their memory: refused whole.
    window.Key(Qt::Key_F1, Qt::ShiftModifier);
    ASSERT_EQ(player.Setup().controlMode, kControlAutonomous);
    ASSERT_EQ(WriteShowPackage(package, Package()), "");
    TestPlatform().openFiles = {package};
    window.Key(Qt::Key_F2);
    EXPECT_TRUE(Said("позицию заблокировать нельзя")) << TestPlatform().messages.back();
    EXPECT_EQ(form.Projects().Project(1)->Count(), 0);
    EXPECT_FALSE(player.Soundtrack().Loaded());
}

TEST(ShowPackageWindowTest, SlotsComeBackAfterARestartAndAChangedOrLostFileIsTold)
{
    TLaunchWindow window;
    const std::string folder = window.Folder().Path();
    const std::string scenario = folder + "first.txt";
    window.Folder().WriteFile("first.txt", "0:01\t1\t1\r\n0:02\t1\t2\r\n");
    TestPlatform().openFiles = {scenario};
    window.Key(Qt::Key_F2);
    if (AudioAvailable()) {
        TestPlatform().openFiles = {kShare + "/sample-soundtrack.ogg"};
        window.Key(Qt::Key_F3);
    }
    const std::string package = folder + "third.kvshow";
    ASSERT_EQ(WriteShowPackage(package, Package()), "");
    window.Key(Qt::Key_3);
    TestPlatform().openFiles = {package};
    window.Key(Qt::Key_F2);
    window.Key(Qt::Key_1);

    // A second console on the same state folder, as after a restart.
    const auto restart = [&] {
        auto again = std::make_unique<TConsoleWindows>(PlacesIn(folder));
        again->Main().show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&again->Main()));
        return again;
    };
    TestPlatform().messages.clear();
    {
        const auto again = restart();
        TMainForm& form = again->Main();
        EXPECT_TRUE(TestPlatform().messages.empty()) << TestPlatform().messages.front();
        EXPECT_EQ(form.CurrentSlot(), 0);
        EXPECT_EQ(form.Projects().Project(0)->Count(), 2);
        EXPECT_EQ(form.Projects().Project(2)->Name(), "finale.txt");
        // Slot 3's package sets no tempo for slot 1, the one in use.
        EXPECT_EQ(form.Player().Tempo(), 1000);
        if (AudioAvailable()) {
            EXPECT_EQ(form.Player().Soundtrack().FileName(), kShare + "/sample-soundtrack.ogg");
        }
        EXPECT_EQ(form.LaunchState(), kLaunchIdle);
        EXPECT_FALSE(form.Player().IsRunning());
        // Slot 3's package brings the desk's timecode back with it.
        QTest::keyClick(form.windowHandle(), Qt::Key_3);
        EXPECT_EQ(ShownTimecodeZero(form), "01:00:00:00, 25, из пакета шоу");
    }

    // The scenario edited since, the package gone: asked (no), and named.
    std::ofstream(scenario, std::ios::app) << "0:03\t1\t3\r\n";
    std::filesystem::remove(package);
    TestPlatform().yesNo = TAnswer::No;
    {
        const auto again = restart();
        TMainForm& form = again->Main();
        EXPECT_TRUE(Said("Файл слота изменён после прошлого запуска")) << window.Log().back();
        EXPECT_TRUE(Said("Файл слота не найден, слот оставлен пустым:\n" + package));
        EXPECT_EQ(form.Projects().Project(0)->Count(), 0);
        EXPECT_FALSE(form.Player().Soundtrack().Loaded()) << "music of a scenario left out";
        EXPECT_EQ(form.Projects().Project(2)->Count(), 0);
    }
    // Refused, they are not asked about again.
    TestPlatform().messages.clear();
    const auto again = restart();
    EXPECT_TRUE(TestPlatform().messages.empty()) << TestPlatform().messages.front();
    EXPECT_EQ(again->Main().Projects().Project(0)->Count(), 0);
}

}  // namespace
}  // namespace kv
