// The night palette: switched by Ctrl+N through the window, kept across restarts, refused
// while a show runs, and never taking the red warning's colours or the lamps' shapes.
#include "rigs/console/ConsoleTestTools.h"
#include "rigs/console/LaunchWindow.h"
#include "console/dialogs/WarningForm.h"
#include "console/widgets/Colors.h"
#include "console/widgets/Palette.h"
#include "console/widgets/Shape.h"
#include "show/player/ExtPlayer.h"

#include <QAction>
#include <QApplication>
#include <QTest>
#include <gtest/gtest.h>

#include <algorithm>

namespace kv {
namespace {

bool DarkWindow()
{
    return QApplication::palette().color(QPalette::Window).lightness() < 60;
}

TEST(PaletteTest, CtrlNSwitchesToNightAndTheNextStartKeepsIt)
{
    {
        TLaunchWindow window;
        window.Register({1, 2});
        window.LoadScenario("0:00.20\t1\t3\tfirst\n0:01.00\t2\t3\tsecond\n");
        ASSERT_FALSE(DarkWindow());
        Snapshot(window.Form(), "console-day");
        window.Key(Qt::Key_N, Qt::ControlModifier);
        EXPECT_TRUE(DarkWindow());
        EXPECT_EQ(ShownPalette(), TPaletteKind::Night);
        EXPECT_TRUE(window.Child<QAction>("NightAction").isChecked());
        Snapshot(window.Form(), "console-night");

        // A restart in the same folder starts at night.
        // The state file holds the slots' files too now.
        const auto state = TConsoleFolder::LogLines(window.Folder().Path() + "kvshow.state");
        ASSERT_FALSE(state.empty());
        EXPECT_EQ(state.front(), "[console]");
        EXPECT_NE(std::find(state.begin(), state.end(), "Palette=night"), state.end());
        TConsoleWindows again(PlacesIn(window.Folder().Path()));
        EXPECT_EQ(ShownPalette(), TPaletteKind::Night);
        EXPECT_TRUE(Child<QAction>(again.Main(), "NightAction").isChecked());
    }
    // The settings' own palette, where no choice was kept.
    TLaunchWindow fresh("[console]\nPalette=night\n");
    EXPECT_TRUE(DarkWindow());
    fresh.Key(Qt::Key_N, Qt::ControlModifier);
    EXPECT_FALSE(DarkWindow());
}

TEST(PaletteTest, NeitherAShowNorTheRedWarningIsTouchedByTheKey)
{
    TLaunchWindow window;
    TMainForm& form = window.Form();
    window.Register({1});
    window.LoadScenario("0:05.00\t1\t3\n");
    window.Key(Qt::Key_F1);
    window.Key(Qt::Key_F5);
    ASSERT_TRUE(form.Player().IsRunning());
    // Repainting every window would hold up the thread that fires the cues.
    window.Key(Qt::Key_N, Qt::ControlModifier);
    EXPECT_EQ(ShownPalette(), TPaletteKind::Day);
    EXPECT_TRUE(form.Player().IsRunning());
    window.Key(Qt::Key_F6);
    ASSERT_FALSE(form.Player().IsRunning());

    window.Key(Qt::Key_N, Qt::ControlModifier);
    ASSERT_EQ(ShownPalette(), TPaletteKind::Night);
    auto& warning = window.Child<TWarningForm>("TWarningForm");
    warning.ShowWarning("Экстренная остановка!");
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&warning));
    EXPECT_EQ(warning.grab().toImage().pixelColor(3, 3), QColor(Qt::red));
    // Under the warning the key only closes it.
    window.Key(Qt::Key_N, Qt::ControlModifier);
    EXPECT_FALSE(warning.isVisible());
    EXPECT_EQ(ShownPalette(), TPaletteKind::Night);
}

TEST(PaletteTest, LampsDifferInShapeAsWellAsColourAtNight)
{
    TLaunchWindow window("[console]\nPalette=night\n");
    TShape green("Green", &window.Form()), red("Red", &window.Form());
    green.SetColor(kGreen);
    red.SetColor(kRed);
    const QImage greenImage = green.grab().toImage();
    const QImage redImage = red.grab().toImage();
    // A square fills its corner, a circle leaves it; both dimmed.
    EXPECT_EQ(redImage.pixelColor(3, 3), LampPaint(kRed));
    EXPECT_NE(greenImage.pixelColor(3, 3), LampPaint(kGreen));
    EXPECT_LT(LampPaint(kRed).value(), 200);
    EXPECT_EQ(green.Color(), kGreen) << "the lamp's state is unchanged";
}

}  // namespace
}  // namespace kv
