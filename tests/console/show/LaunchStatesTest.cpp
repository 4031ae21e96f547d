// The sample show of share/ through the launch states, as a newcomer runs it from the
// keyboard. With KV_SCREENSHOT_DIR set, each state is also saved as a picture for the guide.
#include "rigs/console/LaunchWindow.h"

#include "rigs/console/ConsoleTestPlatform.h"
#include "rigs/console/ModalDriver.h"
#include "audio/AudioLibrary.h"
#include "console/dialogs/PresentWarningForm.h"
#include "console/widgets/Colors.h"
#include "console/widgets/Shape.h"
#include "devices/registry/Controls.h"
#include "show/player/ExtPlayer.h"

#include <QLabel>
#include <QPixmap>
#include <QTest>
#include <gtest/gtest.h>

#include <cstdlib>

namespace kv {
namespace {

const std::string kShare = KV_SHARE_DIR;

void Picture(TLaunchWindow& window, const char* name)
{
    if (const char* folder = std::getenv("KV_SCREENSHOT_DIR")) {
        const QString path = QString(folder) + "/" + name + ".png";
        EXPECT_TRUE(window.Form().grab().save(path)) << path.toStdString();
    }
}

// "Продолжить" in this many start warnings, one after the other.
void GoOnPast(int windows)
{
    WhenModal<TPresentWarningForm>([windows](TPresentWarningForm& window) {
        if (windows > 1)
            GoOnPast(windows - 1);
        QTest::keyClick(&window, Qt::Key_Return);
    });
}

TEST(LaunchStatesTest, SampleShowGoesFromIdleToReadyToRunningAndBack)
{
    TLaunchWindow window;
    TMainForm& form = window.Form();
    auto lit = [&](const char* name) { return window.Child<TShape>(name).Color() == kGreen; };
    window.Key(Qt::Key_F10);
    ASSERT_TRUE(TLaunchWindow::WaitFor(
        [&] { return form.Controls().FiringModuleCount() >= 10; }, 60000));
    window.Key(Qt::Key_F10);
    TestPlatform().openFiles = {kShare + "/sample-scenario.txt"};
    window.Key(Qt::Key_F2);
    ASSERT_GT(form.Projects().Project(0)->Count(), 100);
    if (AudioAvailable()) {
        TestPlatform().openFiles = {kShare + "/sample-soundtrack.ogg"};
        window.Key(Qt::Key_F3);
        EXPECT_TRUE(form.Player().Soundtrack().Loaded());
    }
    EXPECT_TRUE(lit("WaitLed"));
    Picture(window, "launch-idle");

    window.Key(Qt::Key_F1);
    EXPECT_FALSE(lit("WaitLed"));
    EXPECT_TRUE(window.Child<QWidget>("StartBtn").isEnabled());
    // Caught in the lit half of the blink.
    EXPECT_TRUE(TLaunchWindow::WaitFor([&] { return lit("WorkLed"); }, 2000));
    Picture(window, "launch-ready");

    // Nobody has measured the high-voltage module's channels: its charges are 1 V.
    GoOnPast(1);
    window.Key(Qt::Key_F5);
    ASSERT_TRUE(form.Player().IsRunning());
    QTest::qWait(4000);
    EXPECT_TRUE(lit("WorkLed"));
    EXPECT_NE(window.Child<QLabel>("TimeLabel").text(), "0:00:00.0");
    EXPECT_GE(form.Player().FiredCount(), 8) << "the opening's eight shots by 3.75 s";
    Picture(window, "launch-running");

    window.Key(Qt::Key_F6);
    EXPECT_FALSE(form.Player().IsRunning());
    EXPECT_EQ(form.LaunchState(), kLaunchReady);
    window.Key(Qt::Key_F6);
    window.Key(Qt::Key_Escape);
    EXPECT_EQ(form.LaunchState(), kLaunchIdle);

    // Manual firing: the forty keys of module 2, the first fired on screen.
    window.Key(Qt::Key_F1, Qt::ControlModifier);
    window.Key(Qt::Key_Down);
    window.Key(Qt::Key_F1);
    // The stop left the high-voltage module in test mode, too.
    GoOnPast(2);
    window.Key(Qt::Key_F5);
    ASSERT_TRUE(form.Player().IsRunning());
    window.Key(Qt::Key_1);
    EXPECT_EQ(window.Log().back(), "Ручной запуск, пульт: 2, канал: 1");
    EXPECT_TRUE(lit("WorkManualLed"));
    Picture(window, "launch-manual");
    window.Key(Qt::Key_F6);
    window.Key(Qt::Key_F6);
}

}  // namespace
}  // namespace kv
