#include "support/LogNaming.h"

#include "support/RunLog.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <optional>

using namespace kv;

namespace {

std::tm Date(int day, int month, int year)
{
    std::tm date{};
    date.tm_mday = day;
    date.tm_mon = month - 1;
    date.tm_year = year - 1900;
    return date;
}

// Sets an environment variable for one test and puts the old value back.
class TScopedEnv {
public:
    TScopedEnv(const char* name, const std::optional<std::string>& value) : name_(name)
    {
        if (const char* old = std::getenv(name))
            old_ = old;
        if (value)
            setenv(name, value->c_str(), 1);
        else
            unsetenv(name);
    }
    ~TScopedEnv()
    {
        if (old_)
            setenv(name_, old_->c_str(), 1);
        else
            unsetenv(name_);
    }

private:
    const char* name_;
    std::optional<std::string> old_;
};

}  // namespace

TEST(LogNaming, TheFirstFreeNumberOfTheDayIsTakenAndADeletedOneReused)
{
    kvtest::TTempFolder folder;
    const std::string logs = folder.Path() + "logs/";
    const std::tm day = Date(7, 12, 2026);
    EXPECT_EQ(ClaimLogFile(logs, day), logs + "07.12.2026_0.log");
    EXPECT_EQ(ClaimLogFile(logs, day), logs + "07.12.2026_1.log");
    EXPECT_EQ(ClaimLogFile(logs, day), logs + "07.12.2026_2.log");
    std::filesystem::remove(logs + "07.12.2026_1.log");
    EXPECT_EQ(ClaimLogFile(logs, day), logs + "07.12.2026_1.log");
    EXPECT_EQ(ClaimLogFile(logs, day), logs + "07.12.2026_3.log");
    EXPECT_EQ(ClaimLogFile(logs, Date(8, 1, 2027)), logs + "08.01.2027_0.log");
}

TEST(LogNaming, TheLogsFolderIsCreatedBesideTheProgram)
{
    kvtest::TTempFolder folder;
    const std::string path = StartRunLog(folder.Path(), Date(1, 5, 2026));
    EXPECT_EQ(path, folder.Path() + "logs/01.05.2026_0.log");
    EXPECT_EQ(LogFileName(), path);
    WriteLog("banner");
    EXPECT_NE(kvtest::ReadBytes(path).find(": banner\r\n"), std::string::npos);
}

TEST(LogNaming, AnUnwritableProgramFolderSendsTheLogToTheUserStateFolder)
{
    kvtest::TTempFolder folder;
    const std::string blocker = folder.Write("plain", "not a folder");
    TScopedEnv state("XDG_STATE_HOME", folder.Path() + "state");
    const std::string path = StartRunLog(blocker + "/app/", Date(7, 12, 2026));
    EXPECT_EQ(path, folder.Path() + "state/korvane/logs/07.12.2026_0.log");
    EXPECT_EQ(LogFileName(), path);
    WriteLog("in the fallback");
    EXPECT_TRUE(LogFileEnabled());
    EXPECT_NE(kvtest::ReadBytes(path).find(": in the fallback\r\n"), std::string::npos);
}

TEST(LogNaming, WithoutXdgStateHomeTheHomeFolderIsUsed)
{
    kvtest::TTempFolder folder;
    const std::string blocker = folder.Write("plain", "not a folder");
    TScopedEnv relative("XDG_STATE_HOME", "relative/ignored");
    TScopedEnv home("HOME", folder.Path() + "home");
    EXPECT_EQ(StartRunLog(blocker + "/app/", Date(7, 12, 2026)),
              folder.Path() + "home/.local/state/korvane/logs/07.12.2026_0.log");
}

TEST(LogNaming, WhenNoFolderCanBeWrittenTheLogFileIsOff)
{
    kvtest::TTempFolder folder;
    const std::string blocker = folder.Write("plain", "not a folder");
    TScopedEnv state("XDG_STATE_HOME", blocker + "/state");
    EXPECT_EQ(StartRunLog(blocker + "/app/", Date(7, 12, 2026)), "");
    EXPECT_FALSE(LogFileEnabled());
    WriteLog("nowhere to go");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.Path()),
                            std::filesystem::directory_iterator()),
              1);
}
