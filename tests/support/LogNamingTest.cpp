#include "support/log/LogNaming.h"

#include "support/platform/FilePlaces.h"
#include "support/text/IniFile.h"

#include "support/log/RunLog.h"
#include "rigs/TempFolder.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <optional>

#include <unistd.h>

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

// The logs' names sort by date: a folder listing is the order of the shows.
TEST(LogNaming, TheFirstFreeNumberOfTheDayIsTakenAndADeletedOneReused)
{
    kvtest::TTempFolder folder;
    const std::string logs = folder.Path() + "logs/";
    const std::tm day = Date(7, 12, 2026);
    EXPECT_EQ(ClaimLogFile(logs, day), logs + "2026-12-07_0.log");
    EXPECT_EQ(ClaimLogFile(logs, day), logs + "2026-12-07_1.log");
    EXPECT_EQ(ClaimLogFile(logs, day), logs + "2026-12-07_2.log");
    std::filesystem::remove(logs + "2026-12-07_1.log");
    EXPECT_EQ(ClaimLogFile(logs, day), logs + "2026-12-07_1.log");
    EXPECT_EQ(ClaimLogFile(logs, day), logs + "2026-12-07_3.log");
    EXPECT_EQ(ClaimLogFile(logs, Date(8, 1, 2027)), logs + "2027-01-08_0.log");
}

TEST(LogNaming, TheLogGoesToTheStateFolderElseToTheSecondElseNowhere)
{
    kvtest::TTempFolder folder;
    const std::string blocker = folder.Write("plain", "not a folder");
    TFilePlaces places = PlacesIn(folder.Path() + "state/");
    places.secondFolder = folder.Path() + "second/";
    std::string path = StartRunLog(places, Date(1, 5, 2026));
    EXPECT_EQ(path, folder.Path() + "state/logs/2026-05-01_0.log");
    EXPECT_EQ(LogFileName(), path);
    WriteLog("banner");
    EXPECT_NE(kvtest::ReadBytes(path).find(": banner\r\n"), std::string::npos);

    places.stateFolder = blocker + "/state/";
    path = StartRunLog(places, Date(7, 12, 2026));
    EXPECT_EQ(path, folder.Path() + "second/logs/2026-12-07_0.log");
    WriteLog("in the second folder");
    EXPECT_TRUE(LogFileEnabled());
    EXPECT_NE(kvtest::ReadBytes(path).find(": in the second folder\r\n"), std::string::npos);

    places.secondFolder = blocker + "/second/";
    EXPECT_EQ(StartRunLog(places, Date(7, 12, 2026)), "");
    EXPECT_FALSE(LogFileEnabled());
}

TEST(FilePlaces, WithoutSettingsBesideTheProgramTheUsersFoldersAreUsed)
{
    kvtest::TTempFolder folder;
    const std::string app = folder.Path() + "bin/";
    std::filesystem::create_directories(app);
    TScopedEnv config("XDG_CONFIG_HOME", folder.Path() + "config");
    TScopedEnv state("XDG_STATE_HOME", folder.Path() + "state");
    TFilePlaces places = FindFilePlaces(app, "");
    EXPECT_EQ(places.settingsFile, folder.Path() + "config/korvane/kvshow.ini");
    EXPECT_EQ(places.languageFile, folder.Path() + "config/korvane/kvshow.lng");
    EXPECT_EQ(places.stateFolder, folder.Path() + "state/korvane/");
    EXPECT_EQ(places.secondFolder, "/var/tmp/korvane-" + std::to_string(getuid()) + "/");

    // Relative XDG values are ignored: the home folder's defaults.
    TScopedEnv relative("XDG_STATE_HOME", "relative/ignored");
    TScopedEnv noConfig("XDG_CONFIG_HOME", std::nullopt);
    TScopedEnv home("HOME", folder.Path() + "home");
    places = FindFilePlaces(app, "");
    EXPECT_EQ(places.settingsFile, folder.Path() + "home/.config/korvane/kvshow.ini");
    EXPECT_EQ(places.stateFolder, folder.Path() + "home/.local/state/korvane/");

    // A kvshow.ini beside the program wins (a portable install); the record still goes to
    // the user's state folder, never into the program's.
    folder.Write("bin/kvshow.ini", "");
    places = FindFilePlaces(app, "");
    EXPECT_EQ(places.settingsFile, app + "kvshow.ini");
    EXPECT_EQ(places.languageFile, app + "kvshow.lng");
    EXPECT_EQ(places.stateFolder, folder.Path() + "home/.local/state/korvane/");
}

TEST(FilePlaces, TheSettingsNamedOnTheCommandLineChooseTheRecordFolders)
{
    kvtest::TTempFolder folder;
    TScopedEnv state("XDG_STATE_HOME", folder.Path() + "state");
    TScopedEnv home("HOME", folder.Path() + "home");
    const std::string settings = folder.Write(
        "stick/show.ini", "[files]\nFolder=records\nSecondFolder=~/spare\n");
    const char* argv[] = {"kvshow", "--settings", settings.c_str()};
    EXPECT_EQ(SettingsOption(3, argv), settings);
    const std::string joined = "--settings=" + settings;
    const char* argvJoined[] = {"kvshow", joined.c_str()};
    EXPECT_EQ(SettingsOption(2, argvJoined), settings);
    EXPECT_EQ(SettingsOption(2, argv), "");

    TFilePlaces places = FindFilePlaces(folder.Path() + "bin/", settings);
    EXPECT_EQ(places.settingsFile, settings);
    EXPECT_EQ(places.languageFile, folder.Path() + "stick/kvshow.lng");
    EXPECT_EQ(places.stateFolder, folder.Path() + "stick/records/");
    EXPECT_EQ(places.secondFolder, folder.Path() + "home/spare/");

    // A folder named without a second one: the user's state folder is the second.
    folder.Write("stick/show.ini", "[files]\nFolder=/media/usb/korvane\n");
    places = FindFilePlaces(folder.Path() + "bin/", settings);
    EXPECT_EQ(places.stateFolder, "/media/usb/korvane/");
    EXPECT_EQ(places.secondFolder, folder.Path() + "state/korvane/");
}

TEST(FilePlaces, TheDefaultSettingsAreMadeOnceAndPointAtTheDemoField)
{
    kvtest::TTempFolder folder;
    const std::string data = folder.Path() + "share/korvane/";
    folder.Write("share/korvane/kvshow.ini.in", "[link]\nPort=sim:@FIELD@\n");
    folder.Write("share/korvane/demo-field.ini", "");
    std::filesystem::create_directories(folder.Path() + "bin");
    EXPECT_EQ(DataFolder(folder.Path() + "bin/"), data);

    const TFilePlaces places = PlacesIn(folder.Path() + "config/korvane/");
    ASSERT_TRUE(MakeDefaultSettings(places, data));
    EXPECT_EQ(TIniFile::Load(places.settingsFile).ReadString("link", "Port", ""),
              "sim:" + data + "demo-field.ini");
    // The operator's own settings are never overwritten.
    folder.Write("config/korvane/kvshow.ini", "[link]\nPort=auto\n");
    EXPECT_TRUE(MakeDefaultSettings(places, data));
    EXPECT_EQ(TIniFile::Load(places.settingsFile).ReadString("link", "Port", ""), "auto");
    EXPECT_FALSE(MakeDefaultSettings(PlacesIn(folder.Path() + "other/"), folder.Path()));
}
