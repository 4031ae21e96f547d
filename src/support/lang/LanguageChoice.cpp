#include "support/lang/LanguageChoice.h"

#include "support/text/Conversions.h"
#include "support/platform/FilePlaces.h"

#include <cstdlib>
#include <filesystem>

namespace kv {

namespace {

std::string Environment(const char* name)
{
    const char* value = std::getenv(name);
    return value ? value : "";
}

bool Exists(const std::string& path)
{
    std::error_code error;
    return std::filesystem::is_regular_file(path, error);
}

}  // namespace

std::string ShippedLanguageFolder()
{
    // The build puts a copy beside the program; an install keeps it with the other data.
    const std::string beside = AppFolder() + "lang/";
    std::error_code error;
    return std::filesystem::is_directory(beside, error) ? beside : DataFolder(AppFolder()) + "lang/";
}

std::string MessagesLocale()
{
    for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"})
        if (std::string value = Environment(name); !value.empty())
            return value;
    return "";
}

TLanguageChoice ChooseLanguage(const std::string& appFolder, const std::string& setting,
                               const std::string& messagesLocale)
{
    if (setting.find('/') != std::string::npos)
        return {setting, ""};
    std::string language = setting == "auto" ? "" : setting;
    if (language.empty()) {
        if (Exists(appFolder + "kvshow.lng"))
            return {appFolder + "kvshow.lng", ""};
        language = messagesLocale.rfind("en", 0) == 0 ? "en" : "ru";
    }
    // Russian is built in: its file is only there to mend texts.
    return {ShippedLanguageFolder() + language + ".lng", language};
}

}  // namespace kv
