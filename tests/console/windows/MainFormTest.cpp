#include "rigs/console/ConsoleFolder.h"
#include "rigs/console/ConsoleTestPlatform.h"
#include "rigs/console/WindowProbe.h"
#include "rigs/PlayerSetup.h"
#include "console/mainwindow/ConsoleWindows.h"
#include "console/mainwindow/MainForm.h"
#include "console/widgets/Colors.h"
#include "console/widgets/Shape.h"
#include "devices/registry/Controls.h"
#include "link/PortProto.h"
#include "show/player/ExtPlayer.h"
#include "support/text/Conversions.h"

#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QTreeWidget>
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

namespace kv {
namespace {

const std::string kBanner(45, '-');
const std::string kClosing(44, '-');

std::vector<std::string> Messages(const std::string& log)
{
    return TConsoleFolder::LogMessages(log);
}

class MainFormTest : public ::testing::Test {
protected:
    std::unique_ptr<TConsoleWindows> Start(const std::string& settings = {})
    {
        folder.WriteSettings(settings);
        return std::make_unique<TConsoleWindows>(PlacesIn(folder.Path()));
    }

    TConsoleFolder folder;
};

TEST_F(MainFormTest, StartsOnTheDemoFieldWithBannerCaptionsAndWindowsInOrder)
{
    auto windows = Start();
    TMainForm& form = windows->Main();
    EXPECT_EQ(form.RunLogFile(), folder.LogName(0));
    const auto messages = Messages(form.RunLogFile());
    ASSERT_GE(messages.size(), 3u);
    EXPECT_EQ(messages[0], kBanner);
    EXPECT_EQ(messages[1], " " + AppVersionText());
    EXPECT_EQ(messages[2], kBanner);
    EXPECT_EQ(Child<QLabel>(form, "RS485Label").text(), "RS485: 2");
    EXPECT_EQ(form.Port().ReplyTimeout, 70);
    EXPECT_EQ(windows->ClassNames(),
              (std::vector<std::string>{"TMainForm", "TWarningForm", "TMemoryForm",
                                        "TPresentWarningForm", "TExtStartForm", "TTimerForm",
                                        "TDebugForm", "TFiringReportForm", "TContinuityForm",
                                        "TGoNoGoForm"}));
    EXPECT_EQ(form.windowTitle(), "Управление запуском");
    EXPECT_FALSE(Child<QTimer>(form, "IdleTimer").isActive());

    form.show();
    const QString version = QString::fromStdString(AppVersionText());
    EXPECT_EQ(form.windowTitle(), "Управление запуском (версия: " + version + ")");
    // The version, then where the settings came from and where the record goes.
    const QString where = QString::fromStdString("\nНастройки: " + folder.Path() +
                                                 "kvshow.ini\nЖурналы и отчёты: " + folder.Path());
    EXPECT_EQ(Child<QLabel>(form, "LabelVer").text(),
              "версия: " + version + " (расширенная специальная)" + where);
    EXPECT_TRUE(Child<QTimer>(form, "IdleTimer").isActive());
    EXPECT_TRUE(Child<QTimer>(form, "PCPowerTimer").isActive());
    EXPECT_EQ(Child<QTimer>(form, "PCPowerTimer").interval(), 5000);
    EXPECT_EQ(form.focusWidget(), &Child<QTreeWidget>(form, "CueList"));
    // Nothing to start yet: the scenario is empty and the console not armed.
    EXPECT_FALSE(Child<QPushButton>(form, "StartBtn").isEnabled());
    EXPECT_TRUE(Child<QAction>(form, "ExitAction").isEnabled());
    EXPECT_EQ(Child<TShape>(form, "PLed0").Color(), kGreen);
    EXPECT_NE(Child<TShape>(form, "PLed1").Color(), kGreen);
    EXPECT_EQ(Child<TShape>(form, "WaitLed").Color(), kGreen);
    EXPECT_NE(Child<TShape>(form, "WorkLed").Color(), kGreen);
}

TEST_F(MainFormTest, WindowFitsTheSmallestOperatorScreen)
{
    auto windows = Start();
    TMainForm& form = windows->Main();
    form.resize(1280, 760);  // 800 less a title bar
    form.show();
    EXPECT_LE(form.minimumSizeHint().width(), 1280);
    EXPECT_LE(form.minimumSizeHint().height(), 760);
    const QPixmap shot = form.grab();
    EXPECT_EQ(shot.size(), QSize(1280, 760));
    if (const char* path = std::getenv("KV_SCREENSHOT")) {
        EXPECT_TRUE(shot.save(path));
    }
}

TEST_F(MainFormTest, EachStartTakesTheFirstFreeLogNumber)
{
    for (int number = 0; number < 3; ++number)
        EXPECT_EQ(Start()->Main().RunLogFile(), folder.LogName(number));
    std::filesystem::remove(folder.LogName(1));
    EXPECT_EQ(Start()->Main().RunLogFile(), folder.LogName(1));
    EXPECT_EQ(Start()->Main().RunLogFile(), folder.LogName(3));
}

TEST_F(MainFormTest, StartKeyAndThresholdsComeFromTheSettingsFile)
{
    {
        auto windows = Start("[keys]\nStartBtn=32\n[settings]\nConnectResist=20,5\n"
                             "ConnectResistHi=abc\n");
        TMainForm& form = windows->Main();
        form.show();
        EXPECT_EQ(form.Settings().startKey, 32);
        EXPECT_EQ(Child<QPushButton>(form, "StartBtn").text(), "<SPACE> Старт");
        EXPECT_DOUBLE_EQ(form.Player().thresholds.connectResistLo, 1);
        EXPECT_DOUBLE_EQ(form.Player().thresholds.connectResist, 20.5);
        EXPECT_DOUBLE_EQ(form.Player().thresholds.connectResistHi, 0);
    }
    auto windows = Start("[keys]\nStartBtn=118\n");
    TMainForm& form = windows->Main();
    form.show();
    EXPECT_EQ(form.Settings().startKey, 118);
    EXPECT_EQ(Child<QPushButton>(form, "StartBtn").text(), "<F5> Старт");
}

TEST_F(MainFormTest, RefusesToCloseWhileAShowRunsAndLogsTheExit)
{
    folder.WriteFile("far.txt", "10:00.00\t1\t1\tlate\n");
    auto windows = Start();
    TMainForm& form = windows->Main();
    form.Projects().Project(0)->Load(folder.Path() + "far.txt");
    ASSERT_EQ(form.Projects().Project(0)->Count(), 1);
    form.show();

    form.Player().Start(0);
    ASSERT_TRUE(form.Player().IsRunning());
    EXPECT_EQ(form.LaunchState(), kLaunchRunning);
    EXPECT_FALSE(Child<QTimer>(form, "IdleTimer").isActive());
    EXPECT_FALSE(Child<QAction>(form, "ExitAction").isEnabled());
    EXPECT_FALSE(form.close());
    EXPECT_TRUE(form.isVisible());
    auto messages = Messages(form.RunLogFile());
    EXPECT_EQ(std::count(messages.begin(), messages.end(), "Выход из программы"), 0);

    form.Player().Stop(true);
    EXPECT_EQ(form.LaunchState(), kLaunchReady);
    EXPECT_TRUE(Child<QTimer>(form, "IdleTimer").isActive());
    EXPECT_TRUE(form.close());
    messages = Messages(form.RunLogFile());
    ASSERT_GE(messages.size(), 4u);
    EXPECT_EQ(messages[messages.size() - 4], "Остановка проекта");
    EXPECT_EQ(messages[messages.size() - 3], kClosing);
    EXPECT_EQ(messages[messages.size() - 2], "Выход из программы");
    EXPECT_EQ(messages[messages.size() - 1], kClosing);
}

TEST_F(MainFormTest, RemoteStopLeavesAShowReadyButNeverArmsAnIdleConsole)
{
    auto windows = Start();
    TMainForm& form = windows->Main();
    form.show();
    const TFrameRecord remoteStop{0x90, 0, 0, 0, 0, 0};
    ASSERT_EQ(form.LaunchState(), kLaunchIdle);
    form.Player().HandleMessage(remoteStop);
    EXPECT_EQ(form.LaunchState(), kLaunchIdle) << "a stop heard on the bus armed the console";

    kvtest::Reconfigure(form.Player(), &TShowSetup::firingMode, kFiringManual);
    form.Player().Start(0);
    ASSERT_EQ(form.LaunchState(), kLaunchRunning);
    form.Player().HandleMessage(remoteStop);
    EXPECT_EQ(form.LaunchState(), kLaunchReady);
}

TEST_F(MainFormTest, AFiredChannelCheckedAfterTheShotIsLoggedWithItsState)
{
    auto windows = Start();
    TMainForm& form = windows->Main();
    form.show();
    ASSERT_NE(form.Controls().AddOrRefresh(1, 0), nullptr);
    ASSERT_EQ(form.Player().Fire(1, 0, false, true), 0);
    Platform().Sleep(250);  // the check waits 200 ms after the last shot
    ASSERT_TRUE(form.Player().HasUnchecked());
    form.Player().CheckNext();
    const auto messages = Messages(form.RunLogFile());
    // The demo field's igniter burns through when it fires.
    EXPECT_NE(std::find(messages.begin(), messages.end(),
                        "Тест канала, пульт: 1, канал: 1, состояние: неподключен"),
              messages.end());

    form.Player().Fire(99, 0, true, true);  // no module 99 on the bus
    Platform().Sleep(250);
    form.Player().CheckNext();
    const auto after = Messages(form.RunLogFile());
    EXPECT_EQ(std::count_if(after.begin(), after.end(),
                            [](const std::string& line) { return line.find("пульт: 99") != line.npos; }),
              0);
}

TEST_F(MainFormTest, BatteryIndicatorFollowsThePowerStatus)
{
    auto windows = Start();
    TMainForm& form = windows->Main();
    auto& led = Child<TShape>(form, "DCLed");
    auto& label = Child<QLabel>(form, "DCLabel");
    auto& percent = Child<QLabel>(form, "PowerPercLed");
    auto& gauge = Child<QProgressBar>(form, "PowerProgressor");
    TConsoleTestPlatform& platform = TestPlatform();
    const auto power = [&](bool known, uint8_t line, uint8_t flag, uint8_t charge) {
        platform.powerKnown = known;
        platform.power = {line, flag, charge};
        form.PCPowerTimerTimer();
    };

    platform.powerKnown = false;
    form.show();
    EXPECT_EQ(form.BatteryPercent(), 0);
    EXPECT_EQ(led.Color(), NeutralColor());
    EXPECT_TRUE(gauge.isHidden());
    EXPECT_TRUE(percent.isHidden());

    power(true, 1, 0, 10);  // on mains: neutral whatever the charge
    EXPECT_EQ(led.Color(), NeutralColor());
    EXPECT_EQ(form.BatteryPercent(), 10);
    EXPECT_EQ(gauge.value(), 10);
    EXPECT_FALSE(gauge.isHidden());

    power(true, 0, 0, 29);
    EXPECT_EQ(led.Color(), kRed);
    EXPECT_EQ(TextColor(label), NormalTextColor());
    power(true, 0, 0, 30);
    EXPECT_EQ(led.Color(), kGreen);
    EXPECT_EQ(TextColor(label), kBlack);
    EXPECT_EQ(percent.text(), "30%");

    power(true, 0, 0x80, 50);  // no system battery
    EXPECT_EQ(led.Color(), NeutralColor());
    power(true, 1, 0x80, 255);
    EXPECT_EQ(form.BatteryPercent(), 100);
    EXPECT_EQ(gauge.value(), 100);
    EXPECT_TRUE(gauge.isHidden());
    platform.powerKnown = false;
}

TEST_F(MainFormTest, LanguageFileTranslatesCaptionsActionsAndColumnsAtFirstShow)
{
    folder.WriteFile("kvshow.lng",
                     "[strings]\ns0=*\ns1=Audio\ns2=x\ns3=x\ns4=x\ns5=x\ns6=x\n"
                     "s7=Launch control (version:\ns8=version:\ns9=(special)\n"
                     "[forms]\nTWarningForm=Warning\n"
                     "[buttons]\nTMainForm.StartBtn=Start\n"
                     "[labels]\nTMainForm.DCLabel=Battery\n"
                     "[actions]\nTMainForm.ExitAction=Quit|Leave the program\n"
                     "TMainForm.DebugAction=Debug\n"
                     "[listviews]\nTMainForm.CueList=Time|Module|Channel|Notes|Effect|Position|Surplus\n"
                     "[menuitems]\nTMainForm.ReportsMenu=Reports\nTMainForm.ServiceMenu=Service\n");
    auto windows = Start();
    TMainForm& form = windows->Main();
    EXPECT_EQ(Child<QPushButton>(form, "StartBtn").text(), "<F5> Старт");

    form.show();
    const QString version = QString::fromStdString(AppVersionText());
    EXPECT_EQ(form.windowTitle(), "Launch control (version: " + version + ")");
    EXPECT_TRUE(Child<QLabel>(form, "LabelVer").text().startsWith("version: " + version +
                                                                  " (special)\n"));
    EXPECT_EQ(Child<QPushButton>(form, "StartBtn").text(), "Start");
    EXPECT_EQ(Child<QLabel>(form, "DCLabel").text(), "Battery");
    EXPECT_EQ(Child<QAction>(form, "ExitAction").text(), "Quit");
    EXPECT_EQ(Child<QAction>(form, "ExitAction").toolTip(), "Leave the program");
    EXPECT_EQ(Child<QAction>(form, "DebugAction").text(), "Debug");
    QTreeWidgetItem* header = Child<QTreeWidget>(form, "CueList").headerItem();
    EXPECT_EQ(header->text(0), "Time");
    EXPECT_EQ(header->text(3), "Notes");
    // The effect and position of imported cues follow the columns the original file names.
    EXPECT_EQ(header->text(5), "Position");
    EXPECT_EQ(Child<QTreeWidget>(form, "CueList").columnCount(), 6);
    EXPECT_EQ(Child<QWidget>(form, "TWarningForm").windowTitle(), "Warning");
    EXPECT_EQ(Child<QMenu>(form, "ReportsMenu").title(), "Reports");
    EXPECT_EQ(Child<QMenu>(form, "ServiceMenu").title(), "Service");
    // The banner was written before the table was loaded.
    EXPECT_EQ(Messages(form.RunLogFile())[1], " " + AppVersionText());
}

}  // namespace
}  // namespace kv
