#include "support/platform/FilePlaces.h"

#include "support/text/IniFile.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace kv {

namespace {

namespace fs = std::filesystem;

std::string HomeFolder()
{
    const char* home = std::getenv("HOME");
    if (!home || home[0] != '/') {
        const passwd* user = getpwuid(getuid());
        home = user ? user->pw_dir : nullptr;
    }
    return home && home[0] == '/' ? home : "";
}

// An XDG base folder + "/korvane/"; relative values are to be ignored.
std::string UserFolder(const char* variable, const char* underHome)
{
    const char* value = std::getenv(variable);
    if (value && value[0] == '/')
        return std::string(value) + "/korvane/";
    const std::string home = HomeFolder();
    return home.empty() ? "" : home + underHome + "/korvane/";
}

std::string WithSlash(std::string folder)
{
    if (!folder.empty() && folder.back() != '/')
        folder += '/';
    return folder;
}

// "~/" is the home folder; a relative folder is taken from the settings file's folder, so a
// portable install can keep its record beside itself.
std::string FolderSetting(const std::string& value, const std::string& settingsFile)
{
    if (value.empty())
        return {};
    if (value.rfind("~/", 0) == 0)
        return WithSlash(HomeFolder() + value.substr(1));
    if (value[0] == '/')
        return WithSlash(value);
    return WithSlash((fs::path(settingsFile).parent_path() / value).lexically_normal().string());
}

std::string& RecordsFolderSetting()
{
    static std::string folder;
    return folder;
}

}  // namespace

void SetRecordsFolder(const std::string& folder)
{
    RecordsFolderSetting() = folder;
}

std::string RecordsFolder()
{
    return RecordsFolderSetting();
}

std::string SettingsOption(int argc, const char* const* argv)
{
    const std::string_view option = "--settings";
    for (int at = 1; at < argc; ++at) {
        const std::string_view argument = argv[at];
        if (argument == option && at + 1 < argc)
            return argv[at + 1];
        if (argument.starts_with(option) && argument.size() > option.size() &&
            argument[option.size()] == '=')
            return std::string(argument.substr(option.size() + 1));
    }
    return {};
}

std::string SettingsFolder(const TFilePlaces& places)
{
    return places.languageFile.substr(0, places.languageFile.rfind('/') + 1);
}

TFilePlaces PlacesIn(const std::string& folder)
{
    return {folder + "kvshow.ini", folder + "kvshow.lng", folder, {}};
}

TFilePlaces FindFilePlaces(const std::string& appFolder, const std::string& settingsOption)
{
    TFilePlaces places;
    const std::string state = UserFolder("XDG_STATE_HOME", "/.local/state");
    if (!settingsOption.empty()) {
        places.settingsFile = settingsOption;
    } else if (fs::exists(appFolder + "kvshow.ini")) {
        places.settingsFile = appFolder + "kvshow.ini";
    } else {
        places.settingsFile = UserFolder("XDG_CONFIG_HOME", "/.config") + "kvshow.ini";
    }
    const std::string settingsFolder = fs::path(places.settingsFile).parent_path().string();
    places.languageFile = (settingsFolder.empty() ? "" : settingsFolder + "/") + "kvshow.lng";

    const TIniFile ini = TIniFile::Load(places.settingsFile);
    places.stateFolder =
        FolderSetting(ini.ReadString("files", "Folder", ""), places.settingsFile);
    if (places.stateFolder.empty())
        places.stateFolder = state;
    places.secondFolder =
        FolderSetting(ini.ReadString("files", "SecondFolder", ""), places.settingsFile);
    if (places.secondFolder.empty())
        places.secondFolder = places.stateFolder != state
                                  ? state
                                  : "/var/tmp/korvane-" + std::to_string(getuid()) + "/";
    return places;
}

std::string DataFolder(const std::string& appFolder)
{
    const fs::path installed = fs::path(appFolder) / "../share/korvane";
    std::error_code error;
    if (fs::exists(installed / "demo-field.ini", error))
        return WithSlash(fs::weakly_canonical(installed, error).string());
    return WithSlash(KV_SOURCE_SHARE);
}

bool MakeDefaultSettings(const TFilePlaces& places, const std::string& dataFolder)
{
    std::error_code error;
    if (fs::exists(places.settingsFile, error))
        return true;
    std::ifstream in(dataFolder + "kvshow.ini.in", std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    std::string defaults = text.str();
    if (defaults.empty())
        return false;
    const std::string field = "@FIELD@";
    if (const size_t at = defaults.find(field); at != std::string::npos)
        defaults.replace(at, field.size(), dataFolder + "demo-field.ini");
    fs::create_directories(fs::path(places.settingsFile).parent_path(), error);
    // Beside its name first, then renamed: a settings file is never seen half written, also
    // when two programs start at once and both make it.
    const std::string part = places.settingsFile + ".part" + std::to_string(getpid());
    {
        std::ofstream out(part, std::ios::binary);
        out << defaults;
        if (!out.flush())
            return false;
    }
    fs::rename(part, places.settingsFile, error);
    return !error;
}

}  // namespace kv
