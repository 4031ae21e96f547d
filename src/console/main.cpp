// The console: the operator's window on the firing system.
#include "console/ConsolePlatform.h"
#include "console/ConsoleWindows.h"
#include "console/MainForm.h"
#include "support/Conversions.h"
#include "support/Localizer.h"

#include <QApplication>

int main(int argc, char** argv)
{
    kv::SetLanguageFile(kv::AppFolder() + "kvshow.lng");
    QApplication app(argc, argv);
    QApplication::setApplicationName("Korvane");
    QApplication::setApplicationDisplayName("Korvane");
    kv::TConsolePlatform platform;
    kv::InstallPlatform(&platform);
    int result = 0;
    {
        kv::TConsoleWindows windows(kv::AppFolder());
        windows.Main().showMaximized();
        result = QApplication::exec();
    }
    kv::InstallPlatform(nullptr);
    return result;
}
