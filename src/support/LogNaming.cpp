#include "support/LogNaming.h"

#include "support/Conversions.h"
#include "support/RunLog.h"

#include <fcntl.h>
#include <pwd.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>

namespace kv {

namespace {

std::string UserStateFolder()
{
    // Relative paths in XDG variables are to be ignored.
    const char* state = std::getenv("XDG_STATE_HOME");
    if (state && state[0] == '/')
        return state;
    const char* home = std::getenv("HOME");
    if (!home || home[0] != '/') {
        const passwd* user = getpwuid(getuid());
        home = user ? user->pw_dir : nullptr;
    }
    if (!home || home[0] != '/')
        return {};
    return std::string(home) + "/.local/state";
}

}  // namespace

std::string ClaimLogFile(const std::string& folder, const std::tm& date)
{
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    if (error)
        return {};
    const std::string prefix = folder + ShortDateText(date) + "_";
    for (int number = 0; number < 100000; ++number) {
        const std::string path = prefix + IntToText(number) + ".log";
        const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
        if (fd >= 0) {
            close(fd);
            return path;
        }
        if (errno != EEXIST)
            return {};
    }
    return {};
}

std::vector<std::string> LogFolders(const std::string& appFolder)
{
    std::vector<std::string> folders{appFolder + "logs/"};
    const std::string state = UserStateFolder();
    if (!state.empty())
        folders.push_back(state + "/korvane/logs/");
    return folders;
}

std::string StartRunLog(const std::string& appFolder, const std::tm& date)
{
    for (const std::string& folder : LogFolders(appFolder)) {
        const std::string path = ClaimLogFile(folder, date);
        if (!path.empty()) {
            SetLogFileName(path);
            return path;
        }
    }
    SetLogFileName({});
    SwitchOffLogFile();
    return {};
}

}  // namespace kv
