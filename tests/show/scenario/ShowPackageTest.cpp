#include "show/scenario/ShowOpen.h"
#include "show/scenario/ShowPackage.h"
#include "rigs/TempFolder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

namespace kv {
namespace {

std::string ReadAll(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

// Every file under folder, so that a refused package is seen to have unpacked nothing.
size_t FileCount(const std::string& folder)
{
    size_t count = 0;
    if (std::filesystem::exists(folder))
        for (const auto& entry : std::filesystem::recursive_directory_iterator(folder))
            count += entry.is_regular_file() ? 1 : 0;
    return count;
}

class ShowPackageTest : public ::testing::Test {
protected:
    ShowPackageTest()
    {
        package_.scenarioName = "finale.txt";
        package_.scenario = "0:01.5\t3\t12\tscenario-mark\r\n2\t7\t#LT#2.5#50\r\n1\t3\t1\r\n";
        package_.soundtrackName = "music.ogg";
        package_.soundtrack = "sound-mark" + std::string(1, '\0') + std::string(5000, '\xff');
        package_.settings.tempo = 950;
        package_.settings.offset = -120;
        package_.settings.timecodeZero = TTimecodeLabel{10, 0, 0, 0};
        package_.settings.timecodeRate = TTimecodeRate::Fps2997Drop;
        package_.settings.lockedPositions = {"Pos A", "Pos 2"};
        file_ = folder_.Path() + "show.kvshow";
        state_ = folder_.Path() + "state/";
    }

    // Changes one byte of the stored part that holds mark, as a bad stick would.
    void Damage(const std::string& mark)
    {
        std::string bytes = ReadAll(file_);
        const size_t at = bytes.find(mark);
        ASSERT_NE(at, std::string::npos) << mark;
        bytes[at] ^= 0x20;
        std::ofstream(file_, std::ios::binary | std::ios::trunc) << bytes;
    }

    kvtest::TTempFolder folder_;
    TShowPackage package_;
    std::string file_;
    std::string state_;
};

TEST_F(ShowPackageTest, EveryPartComesBackAsPackedAndTheSoundtrackIsUnpackedToTheStateFolder)
{
    ASSERT_EQ(WriteShowPackage(file_, package_), "");
    EXPECT_TRUE(IsShowPackage(file_));
    EXPECT_FALSE(IsShowPackage(folder_.Path() + "show.txt"));

    TOpenedShow show;
    ASSERT_EQ(OpenShowPackage(file_, state_, show), "");
    EXPECT_EQ(show.scenarioName, "finale.txt");
    EXPECT_EQ(show.scenarioText, package_.scenario);
    ASSERT_EQ(show.cues.size(), 3u);
    EXPECT_EQ(show.cues[0].time, 1500);
    EXPECT_EQ(show.cues[0].channel, 11);
    EXPECT_EQ(show.cues[1].kind, 53);
    EXPECT_EQ(show.settings, package_.settings);
    EXPECT_EQ(show.soundtrackFile.rfind(state_ + "shows/", 0), 0u) << show.soundtrackFile;
    EXPECT_EQ(std::filesystem::path(show.soundtrackFile).filename(), "music.ogg");
    EXPECT_EQ(ReadAll(show.soundtrackFile), package_.soundtrack);
    EXPECT_EQ(ReadAll(show.scenarioFile), package_.scenario);

    // A package without music and with the settings left alone.
    TShowPackage plain;
    plain.scenarioName = "../../etc/plain.txt";
    plain.scenario = "1\t1\t1\r\n";
    ASSERT_EQ(WriteShowPackage(file_, plain), "");
    ASSERT_EQ(OpenShowPackage(file_, state_, show), "");
    EXPECT_EQ(show.soundtrackFile, "");
    EXPECT_EQ(show.settings, TShowSettings{});
    EXPECT_EQ(show.settings.tempo, 1000);
    // A name with folders in it stays inside the unpack folder.
    EXPECT_EQ(std::filesystem::path(show.scenarioFile).filename(), "plain.txt");
    EXPECT_EQ(show.scenarioFile.rfind(state_ + "shows/", 0), 0u) << show.scenarioFile;
}

TEST_F(ShowPackageTest, ADamagedPartRefusesTheWholePackageNamedAndUnpacksNothing)
{
    const std::pair<const char*, const char*> parts[] = {
        {"scenario-mark", "scenario/finale.txt"},
        {"sound-mark", "soundtrack/music.ogg"},
        {"Tempo=950", "settings.ini"},
    };
    for (const auto& [mark, part] : parts) {
        SCOPED_TRACE(part);
        ASSERT_EQ(WriteShowPackage(file_, package_), "");
        Damage(mark);
        TOpenedShow show;
        show.scenarioName = "kept";
        const std::string error = OpenShowPackage(file_, state_, show);
        EXPECT_NE(error.find("контрольная сумма"), std::string::npos) << error;
        EXPECT_NE(error.find(part), std::string::npos) << error;
        EXPECT_EQ(show.scenarioName, "kept");
        EXPECT_EQ(FileCount(state_), 0u);
    }

    // A scenario with a bad line is refused as a whole too, its line named.
    package_.scenario = "1\t1\t1\r\n2\tx\t1\r\n";
    ASSERT_EQ(WriteShowPackage(file_, package_), "");
    TOpenedShow show;
    const std::string error = OpenShowPackage(file_, state_, show);
    EXPECT_NE(error.find("finale.txt"), std::string::npos) << error;
    EXPECT_NE(error.find("(строка: 2)"), std::string::npos) << error;
    EXPECT_EQ(FileCount(state_), 0u);

    // Not a package at all, or cut short on the way.
    ASSERT_EQ(WriteShowPackage(file_, package_), "");
    std::filesystem::resize_file(file_, 1500);
    EXPECT_NE(OpenShowPackage(file_, state_, show), "");
    std::ofstream(file_, std::ios::trunc) << "1\t1\t1\r\n";
    EXPECT_NE(OpenShowPackage(file_, state_, show).find("не читается"), std::string::npos);
    EXPECT_NE(OpenShowPackage(folder_.Path() + "gone.kvshow", state_, show), "");
    EXPECT_EQ(FileCount(state_), 0u);
}

}  // namespace
}  // namespace kv
