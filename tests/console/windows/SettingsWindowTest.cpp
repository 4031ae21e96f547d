// The settings window through the console's keys: opened by Ctrl+Alt+S, set by typing and by
// pressing the keys to set, written into the file the console read with its other lines kept,
// and in effect at once; refused while a show runs; the keys pressed to set keys start nothing.
#include "rigs/console/ConsoleTestTools.h"
#include "rigs/console/LaunchWindow.h"
#include "console/dialogs/SettingsForm.h"
#include "console/panels/launch/LaunchPage.h"
#include "console/widgets/Palette.h"
#include "show/player/ExtPlayer.h"
#include "support/lang/AddedMessages.h"

#include <QAction>
#include <QComboBox>
#include <QLineEdit>
#include <QMenu>
#include <QRadioButton>
#include <QTest>
#include <gtest/gtest.h>

namespace kv {
namespace {

TSettingsForm& OpenSettings(TLaunchWindow& window)
{
    auto& form = window.Child<TSettingsForm>("TSettingsForm");
    window.Key(Qt::Key_S, Qt::ControlModifier | Qt::AltModifier);
    if (form.isVisible()) {
        EXPECT_TRUE(QTest::qWaitForWindowActive(&form));
    }
    return form;
}

void Type(QWidget& form, const char* field, const QString& text)
{
    auto& edit = Child<QLineEdit>(form, field);
    edit.setFocus();
    QTest::keyClick(&edit, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(&edit, text);
}

void SetKey(TSettingsForm& form, const char* button, Qt::Key key)
{
    QTest::mouseClick(&Child<QPushButton>(form, button), Qt::LeftButton);
    ASSERT_TRUE(form.Capturing());
    QTest::keyClick(form.windowHandle(), key);
}

TEST(SettingsWindowTest, OkWritesTheChangesIntoTheFileReadKeepingItsOtherLinesAndTakesThem)
{
    TLaunchWindow window("; the crew's note\n[keys]\nStartBtn=116\n[custom]\nKeep=me\n"
                         "[settings]\nConnectResist=20\n[show]\nMaxLateMs=1000\n");
    const std::string file = window.Folder().Path() + "kvshow.ini";
    const auto before = TConsoleFolder::LogLines(file);
    auto* menu = window.Form().findChild<QMenu*>("ServiceMenu");
    ASSERT_NE(menu, nullptr);
    EXPECT_TRUE(menu->actions().contains(&window.Child<QAction>("SettingsAction")));
    TSettingsForm& form = OpenSettings(window);
    ASSERT_TRUE(form.isVisible());

    // A value that switches the lateness check off is refused with the reason.
    Type(form, "MaxLateEdit", "0");
    QTest::keyClick(form.windowHandle(), Qt::Key_Return);
    EXPECT_TRUE(form.isVisible());
    EXPECT_EQ(Child<QLabel>(form, "ProblemLabel").text().toStdString(),
              Localize(kMsgSettingsMaxLate));
    EXPECT_EQ(TConsoleFolder::LogLines(file), before);

    // Written now, taken at the next start: the show below still runs on the demo field.
    auto& port = Child<QComboBox>(form, "PortBox");
    port.setFocus();
    QTest::keyClick(&port, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(&port, "auto");
    Type(form, "MaxLateEdit", "1500");
    Type(form, "ResistEdit", "25,5");
    SetKey(form, "StartKeyBtn", Qt::Key_Space);
    EXPECT_EQ(Child<QPushButton>(form, "StartKeyBtn").text(), "Space");
    QTest::mouseClick(&Child<QRadioButton>(form, "NightRadio"), Qt::LeftButton);
    Snapshot(form, "settings-window");
    QTest::keyClick(form.windowHandle(), Qt::Key_Return);
    ASSERT_FALSE(form.isVisible());

    // Every other line as it was, each change in its place, the palette in a section added.
    std::vector<std::string> expected = before;
    expected[1] = "Port=auto";
    expected.resize(before.size() - 9);
    for (const char* line : {"; the crew's note", "[keys]", "StartBtn=32", "[custom]", "Keep=me",
                             "[settings]", "ConnectResist=25.5", "[show]", "MaxLateMs=1500", "",
                             "[console]", "Palette=night"})
        expected.push_back(line);
    EXPECT_EQ(TConsoleFolder::LogLines(file), expected);

    EXPECT_EQ(window.LogCount(Localize(kMsgSettingsAtRestart) + " " + file), 1);
    TMainForm& main = window.Form();
    EXPECT_EQ(main.Player().Setup().maxLateMs, 1500);
    EXPECT_DOUBLE_EQ(main.Player().thresholds.connectResist, 25.5);
    EXPECT_EQ(ShownPalette(), TPaletteKind::Night);
    EXPECT_EQ(main.Launch().startBtn->text().toStdString(), Localize(kMsgSpaceStart));
    window.Register({1});
    window.LoadScenario("0:05.00\t1\t3\n");
    window.Key(Qt::Key_F1);
    window.Key(Qt::Key_F5);
    EXPECT_FALSE(main.Player().IsRunning());
    window.Key(Qt::Key_Space);
    EXPECT_TRUE(main.Player().IsRunning());
    window.Key(Qt::Key_F6);
    ShowPalette(TPaletteKind::Day);
}

TEST(SettingsWindowTest, TheKeysPressedToSetKeysStartNothingAndNoShowLetsTheWindowOpen)
{
    TLaunchWindow window("[show]\nDeadMan=124\n");  // F13
    TMainForm& main = window.Form();
    window.Register({1});
    window.LoadScenario("0:05.00\t1\t3\n");
    window.Key(Qt::Key_F1);
    ASSERT_EQ(main.LaunchState(), kLaunchReady);
    // Held into the window and let go while a key is being set, the window then cancelled:
    // the switch must have heard it let go.
    QTest::keyPress(main.windowHandle(), Qt::Key_F13);
    TSettingsForm& form = OpenSettings(window);
    ASSERT_TRUE(form.isVisible());
    QTest::mouseClick(&Child<QPushButton>(form, "StartKeyBtn"), Qt::LeftButton);
    QTest::keyRelease(form.windowHandle(), Qt::Key_F13);
    QTest::keyClick(form.windowHandle(), Qt::Key_F5);
    QTest::keyClick(form.windowHandle(), Qt::Key_Escape);
    ASSERT_FALSE(form.isVisible());
    ASSERT_EQ(main.LaunchState(), kLaunchReady);
    window.Key(Qt::Key_F5);
    EXPECT_FALSE(main.Player().IsRunning()) << "the hold-to-fire key was let go";

    OpenSettings(window);
    // The stop key is refused, and the window waits on for another key.
    SetKey(form, "StartKeyBtn", Qt::Key_F6);
    EXPECT_TRUE(form.Capturing());
    EXPECT_EQ(Child<QLabel>(form, "ProblemLabel").text().toStdString(),
              Localize(kMsgSettingsKeyTaken));
    QTest::keyClick(form.windowHandle(), Qt::Key_Space);
    QTest::keyClick(form.windowHandle(), Qt::Key_Return);
    ASSERT_FALSE(form.isVisible());
    EXPECT_FALSE(main.Player().IsRunning());
    // Armed for the old keys: armed again for the new.
    EXPECT_EQ(main.LaunchState(), kLaunchIdle);

    window.Key(Qt::Key_F1);
    QTest::keyPress(main.windowHandle(), Qt::Key_F13);
    window.Key(Qt::Key_Space);
    ASSERT_TRUE(main.Player().IsRunning());
    // Under the show the window does not open, and says why.
    EXPECT_FALSE(OpenSettings(window).isVisible());
    EXPECT_EQ(window.LogCount(Localize(kMsgSettingsRefused)), 1);
    EXPECT_TRUE(main.Player().IsRunning());
    QTest::keyRelease(main.windowHandle(), Qt::Key_F13);
    ASSERT_FALSE(main.Player().IsRunning());

    // Another hold-to-fire key, pressed to set it, holds nothing until pressed again.
    OpenSettings(window);
    // The main block's 5 switches the slot and fires by hand: refused; the keypad's is free.
    SetKey(form, "DeadManKeyBtn", Qt::Key_5);
    QTest::keyClick(form.windowHandle(), Qt::Key_5, Qt::KeypadModifier);
    EXPECT_EQ(Child<QPushButton>(form, "DeadManKeyBtn").text(), "Num 5");
    QTest::keyClick(form.windowHandle(), Qt::Key_Return);
    window.Key(Qt::Key_F1);
    QTest::keyPress(main.windowHandle(), Qt::Key_F13);
    window.Key(Qt::Key_Space);
    EXPECT_FALSE(main.Player().IsRunning());
    QTest::keyPress(main.windowHandle(), Qt::Key_5, Qt::KeypadModifier);
    window.Key(Qt::Key_Space);
    EXPECT_TRUE(main.Player().IsRunning());
    QTest::keyRelease(main.windowHandle(), Qt::Key_5, Qt::KeypadModifier);
    EXPECT_FALSE(main.Player().IsRunning());
}

}  // namespace
}  // namespace kv
