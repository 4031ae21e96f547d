// The languages shipped beside the program: whole, chosen in the settings or by the system's
// language, and spoken by the console's windows and by Qt's own dialogs.
#include "rigs/console/ConsoleFolder.h"
#include "rigs/console/ConsoleTestPlatform.h"
#include "rigs/console/ConsoleTestTools.h"
#include "rigs/console/LaunchWindow.h"
#include "rigs/console/ModalDriver.h"
#include "rigs/console/WindowProbe.h"
#include "console/app/QtTranslation.h"
#include "console/mainwindow/ConsoleWindows.h"
#include "console/mainwindow/MainForm.h"
#include "support/text/IniFile.h"
#include "support/lang/LanguageChoice.h"
#include "support/lang/LanguageTemplate.h"
#include "support/lang/MessageCatalog.h"

#include <QFileInfo>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

namespace kv {
namespace {

std::vector<std::string> ShippedLanguages()
{
    std::vector<std::string> files;
    for (const auto& entry : std::filesystem::directory_iterator(ShippedLanguageFolder()))
        if (entry.path().extension() == ".lng")
            files.push_back(entry.path().string());
    return files;
}

TEST(LanguageTest, EveryShippedLanguageGivesEveryMessageAndEveryWindowText)
{
    TConsoleFolder folder;
    folder.WriteSettings();
    const TConsoleWindows windows(PlacesIn(folder.Path()));
    const std::vector<TTranslatableText> texts = WindowTexts();
    ASSERT_GT(texts.size(), 100u) << "the windows' texts are found";
    const std::vector<std::string> languages = ShippedLanguages();
    ASSERT_FALSE(languages.empty());
    for (const std::string& file : languages) {
        SCOPED_TRACE(file);
        const TIniFile language = TIniFile::Load(file);
        const std::vector<std::string> keys = language.Keys("strings");
        const std::vector<std::string> values = language.Values("strings");
        // The n-th key is message n: one missing shifts every later text.
        ASSERT_EQ(keys.size(), static_cast<size_t>(MessageCount()));
        for (const TMessage& message : MessageCatalog()) {
            EXPECT_EQ(keys[message.id], "id" + std::to_string(message.id));
            EXPECT_FALSE(values[message.id].empty()) << "id" << message.id;
        }
        for (const TTranslatableText& text : texts)
            EXPECT_FALSE(language.ReadString(text.section, text.key, "").empty())
                << "[" << text.section << "] " << text.key << " (" << text.text << ")";
    }
}

class TMessagesLocale {
public:
    explicit TMessagesLocale(const char* locale) { setenv("LC_ALL", locale, 1); }
    ~TMessagesLocale() { setenv("LC_ALL", "C.UTF-8", 1); }
};

// Qt's own question box, as the console asks when no test platform answers for it.
QString QtYesButton()
{
    QString yes;
    WhenModal<QMessageBox>([&](QMessageBox& box) {
        yes = box.button(QMessageBox::Yes)->text();
        box.button(QMessageBox::No)->click();
    });
    TConsolePlatform().MessageBox("?", "?", TButtons::YesNo);
    return yes;
}

TEST(LanguageTest, TheConsoleSpeaksTheLanguageOfTheSettingsElseOfTheSystem)
{
    const bool qtRussian =
        QFileInfo::exists(TQtTranslation::DefaultFolder() + "/qtbase_ru.qm");
    struct TCase {
        const char* settings;
        const char* locale;
        bool english;
    };
    for (const TCase& c : {TCase{"[console]\nLanguage=en\n", "ru_RU.UTF-8", true},
                           TCase{"", "en_GB.UTF-8", true},
                           TCase{"[console]\nLanguage=ru\n", "en_US.UTF-8", false},
                           TCase{"", "C.UTF-8", false}}) {
        SCOPED_TRACE(std::string(c.settings) + " " + c.locale);
        const TMessagesLocale locale(c.locale);
        TLaunchWindow window(c.settings);
        TMainForm& form = window.Form();
        EXPECT_TRUE(form.windowTitle().startsWith(c.english ? "Firing control (version: "
                                                            : "Управление запуском (версия: "))
            << form.windowTitle().toStdString();
        EXPECT_EQ(window.Child<QPushButton>("StartBtn").text(),
                  c.english ? "<F5> Start" : "<F5> Старт");
        // F2 asks for a scenario with the dialog's filter in the language.
        TestPlatform().filters.clear();
        window.Register({1, 2});
        window.LoadScenario("0:00.20\t1\t3\tfirst\n0:01.00\t2\t3\tsecond\n");
        ASSERT_EQ(TestPlatform().filters.size(), 1u);
        // Show packages are offered beside the scenarios.
        EXPECT_EQ(TestPlatform().filters[0], c.english
                                                 ? "Text files|*.txt|Show packages|*.kvshow"
                                                 : "Текстовые файлы|*.txt|Пакеты шоу|*.kvshow");
        if (c.english && c.settings[0])
            Snapshot(form, "console-english");
        if (qtRussian)
            EXPECT_EQ(QtYesButton(), c.english ? "&Yes" : "&Да");
    }
}

}  // namespace
}  // namespace kv
