// The console: the operator's window on the firing system.
#include "console/app/ConsolePlatform.h"
#include "console/app/EndSignals.h"
#include "console/mainwindow/ConsoleWindows.h"
#include "console/mainwindow/MainForm.h"
#include "support/text/Conversions.h"
#include "support/platform/FilePlaces.h"

#include <QApplication>
#include <QScreen>

int main(int argc, char** argv)
{
    const std::string settingsOption = kv::SettingsOption(argc, argv);
    const kv::TFilePlaces places = kv::FindFilePlaces(kv::AppFolder(), settingsOption);
    // A file named on the command line is never made up: a mistyped name must not start the
    // console on the demo field's settings unnoticed.
    if (settingsOption.empty())
        kv::MakeDefaultSettings(places, kv::DataFolder(kv::AppFolder()));
    QApplication app(argc, argv);
    QApplication::setApplicationName("Korvane");
    kv::TConsolePlatform platform;
    kv::InstallPlatform(&platform);
    int result = 0;
    {
        kv::TConsoleWindows windows(places);
        // Without a window manager (a bare X server in the field van, Xvfb) maximising does
        // nothing, so the window takes the screen's free area itself first.
        windows.Main().setGeometry(QGuiApplication::primaryScreen()->availableGeometry());
        windows.Main().showMaximized();
        const kv::TEndSignals endSignals(
            [&windows](int signal) { windows.Main().EndBySignal(signal); });
        result = QApplication::exec();
    }
    kv::InstallPlatform(nullptr);
    return result;
}
