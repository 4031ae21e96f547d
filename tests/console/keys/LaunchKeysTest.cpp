// The launch page's keys in each state: what each does, what it logs, and what it must not do.
#include "rigs/console/LaunchWindow.h"

#include "rigs/console/ConsoleTestPlatform.h"
#include "audio/AudioLibrary.h"
#include "console/widgets/Colors.h"
#include "console/widgets/Shape.h"
#include "devices/kinds/CommonControl.h"
#include "devices/registry/Controls.h"
#include "show/player/ExtPlayer.h"

#include <QAction>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>
#include <gtest/gtest.h>

#include <filesystem>

namespace kv {
namespace {

const std::string kSoundtrack = std::string(KV_SHARE_DIR) + "/sample-soundtrack.ogg";
const std::string kThreeCues = "0:00.00\t1\t1\n0:00.50\t1\t2\n0:01.00\t2\t1\n";

bool Enabled(TLaunchWindow& window, const char* name)
{
    return window.Child<QWidget>(name).isEnabled();
}

TEST(LaunchKeysTest, ArmingDecidesWhichButtonsAndKeysWork)
{
    TLaunchWindow window;
    TMainForm& form = window.Form();
    // Idle and empty: nothing to start, nothing to rewind.
    EXPECT_TRUE(Enabled(window, "ProjectBtn"));
    EXPECT_TRUE(Enabled(window, "SoundBtn"));
    EXPECT_FALSE(Enabled(window, "BeginBtn"));
    EXPECT_FALSE(Enabled(window, "StartBtn"));
    EXPECT_FALSE(Enabled(window, "StopBtn"));
    EXPECT_FALSE(Enabled(window, "SaveBtn"));
    window.Key(Qt::Key_F1);
    EXPECT_FALSE(Enabled(window, "StartBtn")) << "an empty scenario in automatic firing";
    window.Key(Qt::Key_F5);
    EXPECT_FALSE(form.Player().IsRunning());
    window.Key(Qt::Key_Escape);
    EXPECT_EQ(form.LaunchState(), kLaunchIdle);

    window.LoadScenario(kThreeCues);
    EXPECT_EQ(window.Child<QLabel>("ProjectName").text().toStdString().substr(0, 8), "scenario");
    EXPECT_EQ(window.Child<QLabel>("PLabel0").text(), "0:00:01");
    EXPECT_TRUE(Enabled(window, "BeginBtn"));
    EXPECT_FALSE(Enabled(window, "SaveBtn")) << "no firing module registered";

    window.Key(Qt::Key_F1);
    EXPECT_EQ(form.LaunchState(), kLaunchReady);
    EXPECT_TRUE(Enabled(window, "StartBtn"));
    EXPECT_FALSE(Enabled(window, "ProjectBtn"));
    EXPECT_FALSE(Enabled(window, "SoundBtn"));
    EXPECT_FALSE(Enabled(window, "TestBtn"));
    EXPECT_FALSE(window.Child<QAction>("ModeAction").isEnabled());
    EXPECT_FALSE(window.Child<QAction>("ExitAction").isEnabled());
    EXPECT_TRUE(window.Child<QAction>("ExtStartAction").isEnabled());
    EXPECT_TRUE(window.Child<TShape>("WorkLed").Color() == kGreen ||
                window.Child<TShape>("WorkLed").Color() == NeutralColor())
        << "Work blinks while ready";
    EXPECT_NE(window.Child<TShape>("WaitLed").Color(), kGreen);
    // Ready: the scenario key is refused, and so is Ctrl+F1 (its action off). It once
    // disarmed as the bare F1; a key held with Ctrl is no arming key.
    window.Key(Qt::Key_F2);
    EXPECT_EQ(form.Projects().Project(0)->Count(), 3);
    window.Key(Qt::Key_F1, Qt::ControlModifier);
    EXPECT_EQ(form.Player().Setup().firingMode, kFiringAutomatic);
    EXPECT_EQ(form.LaunchState(), kLaunchReady);

    window.Key(Qt::Key_Escape);
    EXPECT_EQ(form.LaunchState(), kLaunchIdle);
    EXPECT_EQ(window.Child<TShape>("WaitLed").Color(), kGreen);

    window.Register({1});
    window.LoadScenario(kThreeCues);  // F2 on a loaded slot empties it
    EXPECT_EQ(form.Projects().Project(0)->Count(), 0);
    EXPECT_EQ(window.Child<QLabel>("PLabel0").text(), "");
    window.LoadScenario(kThreeCues);
    EXPECT_TRUE(Enabled(window, "SaveBtn"));
    EXPECT_TRUE(Enabled(window, "CheckBtn"));
    EXPECT_TRUE(window.Child<QAction>("ClearMemAction").isEnabled());
    EXPECT_FALSE(window.Child<QAction>("SavePDUAction").isEnabled()) << "no remote controller";
}

// A time written with a decimal comma once loaded as a cue at 0, shown as "12,5" in the
// list: the show's first tick fired it.
TEST(LaunchKeysTest, AScenarioWithAnUnreadableCueTimeIsRefusedWithItsLine)
{
    TLaunchWindow window;
    TMainForm& form = window.Form();
    window.Register({3});
    TestPlatform().messages.clear();
    window.LoadScenario("12,5 3 1\n");
    EXPECT_EQ(TestPlatform().messages,
              std::vector<std::string>{"Ошибка загрузки сценария (строка: 1)."});
    EXPECT_EQ(form.Projects().Project(0)->Count(), 0);
    ASSERT_EQ(window.Child<QTreeWidget>("CueList").topLevelItemCount(), 0);
    window.Key(Qt::Key_F1);
    EXPECT_FALSE(Enabled(window, "StartBtn"));
    window.Key(Qt::Key_F5);
    EXPECT_FALSE(form.Player().IsRunning());
    EXPECT_EQ(form.Player().FiredCount(), 0);
}

TEST(LaunchKeysTest, ModeActionsCycleTheModesOnlyWhileIdle)
{
    TLaunchWindow window;
    TMainForm& form = window.Form();
    auto lit = [&](const char* name) { return window.Child<TShape>(name).Color() == kGreen; };
    EXPECT_TRUE(lit("WorkAutoLed"));
    EXPECT_TRUE(lit("DirectLed"));
    window.Key(Qt::Key_F1, Qt::ControlModifier);
    EXPECT_EQ(form.Player().Setup().firingMode, kFiringManual);
    EXPECT_FALSE(lit("WorkAutoLed"));
    EXPECT_TRUE(lit("WorkManualLed"));
    window.Key(Qt::Key_F1, Qt::ControlModifier);
    EXPECT_EQ(form.Player().Setup().firingMode, kFiringBoth);
    EXPECT_TRUE(lit("WorkAutoLed") && lit("WorkManualLed"));
    EXPECT_FALSE(window.Child<QWidget>("ManualPanel").isHidden());
    window.Key(Qt::Key_F1, Qt::ControlModifier);
    EXPECT_EQ(form.Player().Setup().firingMode, kFiringAutomatic);
    EXPECT_FALSE(window.Child<QWidget>("CueList").isHidden());

    window.Key(Qt::Key_F1, Qt::ShiftModifier);
    EXPECT_EQ(form.Player().Setup().controlMode, kControlAutonomous);
    EXPECT_TRUE(lit("AutonomousLed"));
    EXPECT_FALSE(lit("DirectLed"));
    window.Key(Qt::Key_F1, Qt::ShiftModifier);
    EXPECT_EQ(form.Player().Setup().controlMode, kControlDirect);
}

TEST(LaunchKeysTest, StartPointFromTheSelectedCueAndBackToTheBeginning)
{
    TLaunchWindow window;
    TMainForm& form = window.Form();
    window.LoadScenario(kThreeCues);
    auto& list = window.Child<QTreeWidget>("CueList");
    EXPECT_EQ(list.indexOfTopLevelItem(list.currentItem()), 0);
    window.Key(Qt::Key_PageDown);
    window.Key(Qt::Key_PageDown);
    window.Key(Qt::Key_PageDown);  // already the last row
    window.Key(Qt::Key_PageUp);
    EXPECT_EQ(list.indexOfTopLevelItem(list.currentItem()), 1);
    window.Key(Qt::Key_Return);
    EXPECT_EQ(form.Player().CurrentTime(), 500);
    EXPECT_EQ(form.Player().NextCue(), 1);
    EXPECT_EQ(window.Child<QLabel>("TimeLabel").text(), "0:00:00.5");
    EXPECT_EQ(window.Child<QLabel>("ScenarioRestLabel").text(), "0:00:00.5");
    EXPECT_EQ(window.Log().back(), "Установка точки начала: 500 ms");

    window.Key(Qt::Key_F4);
    EXPECT_EQ(form.Player().CurrentTime(), 0);
    EXPECT_EQ(window.Child<QLabel>("TimeLabel").text(), "0:00:00.0");
    EXPECT_EQ(list.indexOfTopLevelItem(list.currentItem()), 0);
}

TEST(LaunchKeysTest, TempoAndOffsetKeysShowTheirLabelsAndLogEachChange)
{
    TLaunchWindow window;
    TMainForm& form = window.Form();
    auto& tempo = window.Child<QLabel>("TempoLabel");
    auto& offset = window.Child<QLabel>("OffsetLabel");
    auto& distance = window.Child<QLabel>("DistanceLabel");
    for (int i = 0; i < 5; ++i)
        window.Key(Qt::Key_Asterisk, Qt::KeypadModifier);
    EXPECT_EQ(tempo.text(), "+0.5%");
    EXPECT_EQ(form.Player().Tempo(), 1005);
    EXPECT_EQ(window.Log().back(), "Изменение темпа: 100.5%");
    for (int i = 0; i < 15; ++i)
        window.Key(Qt::Key_Slash, Qt::KeypadModifier);
    EXPECT_EQ(tempo.text(), "-1.0%");
    EXPECT_EQ(window.Log().back(), "Изменение темпа: 99.0%");
    for (int i = 0; i < 10; ++i)
        window.Key(Qt::Key_Asterisk, Qt::KeypadModifier);
    EXPECT_EQ(tempo.text(), "100%");

    for (int i = 0; i < 3; ++i)
        window.Key(Qt::Key_Plus, Qt::KeypadModifier);
    EXPECT_EQ(offset.text(), "150 мс");
    EXPECT_EQ(distance.text(), "~50 м");
    EXPECT_EQ(window.Log().back(), "Изменение смещения: 150 ms");
    window.Key(Qt::Key_Minus, Qt::KeypadModifier);
    EXPECT_EQ(offset.text(), "100 мс");
    EXPECT_EQ(distance.text(), "~33 м");
    // The main keyboard's minus and equals keys do the same.
    window.Key(Qt::Key_Minus);
    window.Key(Qt::Key_Minus);
    window.Key(Qt::Key_Minus);
    EXPECT_EQ(offset.text(), "-50 мс");
    EXPECT_EQ(distance.text(), "~17 м");
    window.Key(Qt::Key_Equal);
    EXPECT_EQ(form.Player().Offset(), 0);
}

TEST(LaunchKeysTest, SlotKeysKeepEachSlotsScenarioSoundtrackAndModes)
{
    TLaunchWindow window;
    TMainForm& form = window.Form();
    window.LoadScenario(kThreeCues);
    const bool sound = AudioAvailable();
    if (sound) {
        TestPlatform().openFiles = {kSoundtrack};
        window.Key(Qt::Key_F3);
        ASSERT_TRUE(form.Player().Soundtrack().Loaded());
    }
    window.Key(Qt::Key_F1, Qt::ControlModifier);
    window.Key(Qt::Key_F1, Qt::ShiftModifier);
    window.Key(Qt::Key_Asterisk, Qt::KeypadModifier);

    window.Key(Qt::Key_3);
    EXPECT_EQ(form.CurrentSlot(), 2);
    EXPECT_EQ(window.Child<TShape>("PLed2").Color(), kGreen);
    EXPECT_NE(window.Child<TShape>("PLed0").Color(), kGreen);
    EXPECT_EQ(form.Player().Setup().firingMode, kFiringAutomatic);
    EXPECT_EQ(form.Player().Setup().controlMode, kControlDirect);
    EXPECT_EQ(form.Player().Setup().scenario, form.Projects().Project(2));
    EXPECT_FALSE(form.Player().Soundtrack().Loaded());
    EXPECT_EQ(window.Child<QLabel>("SoundName").text(), "");
    EXPECT_EQ(window.Child<QTreeWidget>("CueList").topLevelItemCount(), 0);
    EXPECT_EQ(window.Child<QLabel>("PLabel0").text(), "0:00:01");

    window.Key(Qt::Key_1);
    EXPECT_EQ(form.CurrentSlot(), 0);
    EXPECT_EQ(form.Player().Setup().firingMode, kFiringManual);
    EXPECT_EQ(form.Player().Setup().controlMode, kControlAutonomous);
    EXPECT_EQ(form.Player().Tempo(), 1001) << "the tempo belongs to the console, not the slot";
    if (sound) {
        EXPECT_TRUE(form.Player().Soundtrack().Loaded()) << "reloaded from its file";
        EXPECT_EQ(window.Child<QLabel>("SoundName").text(), "sample-soundtrack.ogg");
        EXPECT_EQ(window.Child<QLabel>("SLabel0").text(), "0:01:40");
    }
    // Armed, the digit keys are no slot keys.
    window.Key(Qt::Key_F1);
    window.Key(Qt::Key_4);
    EXPECT_EQ(form.CurrentSlot(), 0);
}

// The key that closed the warning once did its work too: with the start key on Space, the
// Space that acknowledged a stop heard on the bus started the show again.
TEST(LaunchKeysTest, AnyKeyClosesTheRedWarningAndDoesNothingElse)
{
    TLaunchWindow window;
    TMainForm& form = window.Form();
    auto& warning = window.Child<QWidget>("TWarningForm");
    const TFrameRecord remoteStop{0x90, 0, 0, 0, 0, 0};
    form.Player().HandleMessage(remoteStop);
    ASSERT_TRUE(warning.isVisible());
    EXPECT_EQ(window.Log().back(), "Получена внешняя команда остановки");
    window.Key(Qt::Key_Asterisk, Qt::KeypadModifier);
    EXPECT_FALSE(warning.isVisible());
    EXPECT_EQ(form.Player().Tempo(), 1000);
    window.Key(Qt::Key_Asterisk, Qt::KeypadModifier);
    EXPECT_EQ(form.Player().Tempo(), 1001);

    // Also when the warning window itself has the keyboard. Another stop: the same one heard
    // again within a second is one stop, as it is sent several times for the modules.
    form.Player().HandleMessage(TFrameRecord{0x90, 0, 1, 0, 0, 0});
    ASSERT_TRUE(warning.isVisible());
    QTest::keyClick(warning.windowHandle(), Qt::Key_Asterisk, Qt::KeypadModifier);
    EXPECT_FALSE(warning.isVisible());
    EXPECT_EQ(form.Player().Tempo(), 1001);
}

TEST(LaunchKeysTest, BoostKeysActOnTheManualModuleInTheManualModesOnly)
{
    TLaunchWindow window;
    window.Register({1, 2});
    window.Key(Qt::Key_Insert);
    window.Key(Qt::Key_Down);
    EXPECT_EQ(window.LogCount("Включение форсирования, пульт: 1"), 0);
    window.Key(Qt::Key_F1, Qt::ControlModifier);
    window.Key(Qt::Key_Down);
    window.Key(Qt::Key_Insert);
    EXPECT_EQ(window.Log().back(), "Включение форсирования, пульт: 1");
    window.Key(Qt::Key_Down);
    window.Key(Qt::Key_Delete);
    EXPECT_EQ(window.Log().back(), "Выключение форсирования, пульт: 2");
    window.Key(Qt::Key_Up);
    EXPECT_EQ(window.Form().ManualIndex(), window.Form().Controls().FirstFiringModuleIndex());
    EXPECT_EQ(window.Child<QLabel>("ManualModuleLabel").text(), "1");
}

TEST(LaunchKeysTest, TestPageTakesItsOwnKeysAndCtrlF1IsF1There)
{
    TLaunchWindow window;
    TMainForm& form = window.Form();
    window.Register({1, 2});
    window.Key(Qt::Key_Tab);
    ASSERT_TRUE(window.Child<QPushButton>("TestBtn").isChecked());
    // The mode action is off on the test page: Ctrl+F1 tests the module on show, as F1.
    window.Key(Qt::Key_F1, Qt::ControlModifier);
    EXPECT_EQ(form.Player().Setup().firingMode, kFiringAutomatic);
    auto* module = dynamic_cast<TCommonControl*>(form.Controls().FindByAddress(1));
    ASSERT_NE(module, nullptr);
    EXPECT_EQ(module->ChannelState(0), kChannelConnected);
    EXPECT_EQ(module->ChannelState(6), kChannelOpen) << "the demo field's module 1 lacks 7";

    window.Key(Qt::Key_Insert);
    EXPECT_EQ(window.Log().back(), "Включение форсирования, пульт: 1");
    window.Key(Qt::Key_Down);
    window.Key(Qt::Key_Delete);
    EXPECT_EQ(window.Log().back(), "Выключение форсирования, пульт: 2");

    // The mixer: pavucontrol where the system has it, otherwise a line in the log.
    const QByteArray path = qgetenv("PATH");
    qputenv("PATH", "/nonexistent");
    window.Key(Qt::Key_F6);
    EXPECT_EQ(window.Log().back(), "Микшер громкости не найден: pavucontrol");
    const std::string started = window.Folder().Path() + "mixer-started";
    window.Folder().WriteFile("pavucontrol", "#!/bin/sh\n/usr/bin/touch '" + started + "'\n");
    std::filesystem::permissions(window.Folder().Path() + "pavucontrol",
                                 std::filesystem::perms::owner_all);
    qputenv("PATH", QByteArray::fromStdString(window.Folder().Path()));
    window.Key(Qt::Key_F6);
    qputenv("PATH", path);
    EXPECT_TRUE(TLaunchWindow::WaitFor([&] { return std::filesystem::exists(started); }, 5000));

    // Back on the launch page its keys mean what they mean there.
    window.Key(Qt::Key_Tab);
    window.Key(Qt::Key_F1, Qt::ControlModifier);
    EXPECT_EQ(form.Player().Setup().firingMode, kFiringManual);
}

TEST(LaunchKeysTest, EscEndsTheBusSearchAndTheManualKeysTakeItsFirstModule)
{
    TLaunchWindow window;
    TMainForm& form = window.Form();
    window.Key(Qt::Key_F1, Qt::ControlModifier);
    window.Key(Qt::Key_F10);
    EXPECT_EQ(window.Child<QLabel>("WaitLabel").text(), "Поиск...");
    EXPECT_FALSE(window.Child<QAction>("ModeAction").isEnabled());
    EXPECT_TRUE(TLaunchWindow::WaitFor([&] { return form.Controls().FiringModuleCount() >= 2; },
                                       10000));
    window.Key(Qt::Key_Escape);
    EXPECT_EQ(window.Child<QLabel>("WaitLabel").text(), "Ожидание");
    EXPECT_EQ(form.LaunchState(), kLaunchIdle);
    EXPECT_EQ(form.ManualIndex(), form.Controls().FirstFiringModuleIndex());
    EXPECT_EQ(window.Child<QLabel>("ManualModuleLabel").text(), "1");
    EXPECT_EQ(window.Child<QLabel>("ManualPageLabel").text(), "1");
}

struct TStartKeyCase {
    std::string settings;
    Qt::Key starts;
    Qt::Key doesNotStart;
};

TEST(LaunchKeysTest, StartKeyComesFromTheSettingsButNeverTakesAnotherKeysMeaning)
{
    for (const TStartKeyCase& sample :
         {TStartKeyCase{"", Qt::Key_F5, Qt::Key_Space},
          TStartKeyCase{"[keys]\nStartBtn=32\n", Qt::Key_Space, Qt::Key_F5},
          TStartKeyCase{"[keys]\nStartBtn=118\n", Qt::Key_F7, Qt::Key_F5}}) {
        TLaunchWindow window(sample.settings);
        TMainForm& form = window.Form();
        window.LoadScenario(kThreeCues);
        window.Key(Qt::Key_F1);
        window.Key(sample.doesNotStart);
        EXPECT_FALSE(form.Player().IsRunning()) << sample.settings;
        window.Key(sample.starts);
        EXPECT_TRUE(form.Player().IsRunning()) << sample.settings;
        window.Key(Qt::Key_F6);
    }
    TLaunchWindow window("[keys]\nStartBtn=13\n");
    TMainForm& form = window.Form();
    window.LoadScenario(kThreeCues);
    window.Key(Qt::Key_F1);
    window.Key(Qt::Key_PageDown);
    window.Key(Qt::Key_Return);
    EXPECT_FALSE(form.Player().IsRunning());
    EXPECT_EQ(form.Player().CurrentTime(), 500) << "Enter keeps its start-point meaning";
}

}  // namespace
}  // namespace kv
