// kvlang: writes a language file template for a translator, every message and every window
// text in Russian as a comment above its empty key. Usage: kvlang [FILE] (else the output).
#include "console/app/ConsolePlatform.h"
#include "console/mainwindow/ConsoleWindows.h"
#include "support/platform/FilePlaces.h"
#include "support/lang/LanguageTemplate.h"

#include <QApplication>
#include <QTemporaryDir>

#include <fstream>
#include <iostream>

int main(int argc, char** argv)
{
    // The windows are only made, never shown: no display needed.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    kv::TConsolePlatform platform;
    kv::InstallPlatform(&platform);
    // A folder of its own: Russian whatever the system's language, and no converter opened.
    QTemporaryDir folder;
    const std::string path = folder.path().toStdString() + "/";
    std::ofstream(path + "kvshow.ini") << "[link]\nPort=sim:" << path << "none\n"
                                       << "[console]\nLanguage=ru\n";
    std::string text;
    {
        const kv::TConsoleWindows windows(kv::PlacesIn(path));
        text = kv::LanguageTemplate();
    }
    kv::InstallPlatform(nullptr);
    if (argc < 2) {
        std::cout << text;
        return 0;
    }
    std::ofstream out(argv[1], std::ios::binary);
    out << text;
    if (!out) {
        std::cerr << "kvlang: cannot write " << argv[1] << "\n";
        return 1;
    }
    return 0;
}
