#include "support/log/LogNaming.h"

#include "support/text/Conversions.h"
#include "support/platform/FilePlaces.h"
#include "support/log/RunLog.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <filesystem>

namespace kv {

std::string ClaimLogFile(const std::string& folder, const std::tm& date)
{
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    if (error)
        return {};
    const std::string prefix = folder + LogDateText(date) + "_";
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

std::string LogDateText(const std::tm& date)
{
    char text[40];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d", date.tm_year + 1900, date.tm_mon + 1,
                  date.tm_mday);
    return text;
}

std::string StartRunLog(const TFilePlaces& places, const std::tm& date)
{
    for (const std::string& folder : {places.stateFolder, places.secondFolder}) {
        if (folder.empty())
            continue;
        const std::string path = ClaimLogFile(folder + "logs/", date);
        if (!path.empty()) {
            SetLogFileName(path);
            const std::string second = places.secondFolder;
            if (folder == second || second.empty())
                SetLogSecondFile({});
            else
                SetLogSecondFile([second, date] { return ClaimLogFile(second + "logs/", date); });
            return path;
        }
    }
    SetLogFileName({});
    SwitchOffLogFile();
    return {};
}

}  // namespace kv
