#pragma once
// Which language file the console reads: the operator's choice in kvshow.ini, else a
// kvshow.lng of one's own beside the settings, else the system's language.

#include <string>

namespace kv {

// The language files shipped with the program, as "en.lng".
std::string ShippedLanguageFolder();

// The language messages are asked in: LC_ALL, else LC_MESSAGES, else LANG (as "en_GB.UTF-8").
std::string MessagesLocale();

struct TLanguageChoice {
    std::string file;      // may not exist: then every text is Russian
    std::string qtLocale;  // for Qt's own dialogs: "ru", "en", or empty for the system's
};

// setting is [console] Language: "ru", "en" (any shipped language's name) or a file's path;
// empty or "auto" picks kvshow.lng in appFolder when there, else English when the messages
// locale is English, else Russian.
TLanguageChoice ChooseLanguage(const std::string& appFolder, const std::string& setting,
                               const std::string& messagesLocale);

}  // namespace kv
