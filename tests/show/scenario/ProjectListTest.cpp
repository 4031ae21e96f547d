#include "show/scenario/ProjectList.h"
#include "show/scenario/Projects.h"
#include "support/platform/VirtualPlatform.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

namespace kv {
namespace {

class ProjectListTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        InstallPlatform(&platform_);
        folder_ = std::filesystem::temp_directory_path() /
                  ("kv-show-test-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
                   "-" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::create_directories(folder_);
    }
    void TearDown() override
    {
        std::filesystem::remove_all(folder_);
        InstallPlatform(nullptr);
    }

    std::string WriteFile(const std::string& name, const std::string& bytes)
    {
        const std::filesystem::path path = folder_ / name;
        std::ofstream(path, std::ios::binary) << bytes;
        return path.string();
    }

    void ExpectOneError(const std::string& text)
    {
        ASSERT_EQ(platform_.shownMessages.size(), 1u);
        EXPECT_EQ(platform_.shownMessages[0].text, text);
        EXPECT_EQ(platform_.shownMessages[0].caption, "Ошибка");
        EXPECT_EQ(platform_.shownMessages[0].buttons, TButtons::Ok);
    }

    TVirtualPlatform platform_;
    std::filesystem::path folder_;
    TProjectList list_;
};

TEST_F(ProjectListTest, LoadSortsStablyAndNamesTheList)
{
    list_.Load(WriteFile("show.txt", "10 1 1 first at ten\n"
                                     "2 1 2\n"
                                     "10 2 1 second at ten\n"
                                     "-1 1 3\n"
                                     "10 1 #C third at ten\n"
                                     "5 1 4\n"));
    EXPECT_TRUE(platform_.shownMessages.empty());
    EXPECT_EQ(list_.Name(), "show.txt");
    ASSERT_EQ(list_.Count(), 6);
    const int32_t expected[] = {-1000, 2000, 5000, 10000, 10000, 10000};
    for (int i = 0; i < list_.Count(); ++i)
        EXPECT_EQ(list_.Cue(i).time, expected[i]) << "cue " << i;
    EXPECT_EQ(list_.Cue(3).note, "first at ten");
    EXPECT_EQ(list_.Cue(4).note, "second at ten");
    EXPECT_EQ(list_.Cue(5).note, "third at ten");
    EXPECT_EQ(list_.Duration(), 10000);

    list_.Clear();
    EXPECT_EQ(list_.Count(), 0);
    EXPECT_EQ(list_.Name(), "");
    EXPECT_EQ(list_.Duration(), 0);
}

TEST_F(ProjectListTest, BadLineEmptiesTheListAndNamesTheLine)
{
    list_.Load(WriteFile("good.txt", "1 1 1\n"));
    ASSERT_EQ(list_.Count(), 1);

    list_.Load(WriteFile("bad.txt", "1 1 1\r\n\r\n2 1 2\r\n3 one 3\r\n"));
    ExpectOneError("Ошибка загрузки сценария (строка: 4).");
    EXPECT_EQ(list_.Count(), 0);
    EXPECT_EQ(list_.Name(), "");
    EXPECT_EQ(list_.Duration(), 0);
}

TEST_F(ProjectListTest, UnknownMotorWordIsReportedWithItsLine)
{
    list_.Load(WriteFile("motor.txt", "1 9 #LT#2#50\n2 9 #UP\n"));
    ExpectOneError("Ошибка загрузки сценария (строка: 2).");
    EXPECT_EQ(list_.Count(), 0);
}

TEST_F(ProjectListTest, UnreadableFileLeavesTheListEmpty)
{
    list_.Load(WriteFile("good.txt", "1 1 1\n"));
    const std::string missing = (folder_ / "missing.txt").string();
    list_.Load(missing);
    ASSERT_EQ(platform_.shownMessages.size(), 1u);
    EXPECT_NE(platform_.shownMessages[0].text.find(missing), std::string::npos);
    EXPECT_EQ(platform_.shownMessages[0].caption, "Ошибка");
    EXPECT_EQ(list_.Count(), 0);
    EXPECT_EQ(list_.Name(), "");

    platform_.shownMessages.clear();
    list_.Load(folder_.string());  // a folder opens but cannot be read
    EXPECT_EQ(platform_.shownMessages.size(), 1u);
    EXPECT_EQ(list_.Count(), 0);
    EXPECT_EQ(list_.Name(), "");
}

TEST_F(ProjectListTest, EmptyFileIsAnEmptyScenarioWithAName)
{
    list_.Load(WriteFile("empty.txt", ""));
    EXPECT_TRUE(platform_.shownMessages.empty());
    EXPECT_EQ(list_.Count(), 0);
    EXPECT_EQ(list_.Name(), "empty.txt");
    EXPECT_EQ(list_.Duration(), 0);
}

TEST_F(ProjectListTest, NotesInWindows1251AndUtf8ReadAlike)
{
    // "Фонтан" in Windows-1251, then the same word in UTF-8.
    list_.Load(WriteFile("cp1251.txt", "1 2 3 \xD4\xEE\xED\xF2\xE0\xED\r\n"));
    ASSERT_EQ(list_.Count(), 1);
    EXPECT_EQ(list_.Cue(0).note, "Фонтан");

    list_.Load(WriteFile("utf8.txt", "\xEF\xBB\xBF" "1 2 3 Фонтан\n"));
    ASSERT_EQ(list_.Count(), 1);
    EXPECT_EQ(list_.Cue(0).note, "Фонтан");
    EXPECT_EQ(list_.Cue(0).timeText, "1");
    EXPECT_TRUE(platform_.shownMessages.empty());
}

TEST_F(ProjectListTest, LongWindows1251NoteIsCutWholeLetters)
{
    list_.Load(WriteFile("long.txt", "1 2 3 " + std::string(300, '\xE6') + "\n"));
    ASSERT_EQ(list_.Count(), 1);
    std::string expected;
    for (int i = 0; i < 255; ++i)
        expected += "ж";
    EXPECT_EQ(list_.Cue(0).note, expected);
}

TEST_F(ProjectListTest, HugeFileLoadsEveryCueInOrder)
{
    std::string text;
    constexpr int kCues = 200000;
    for (int i = kCues - 1; i >= 0; --i)
        text += std::to_string(i / 10) + "." + std::to_string(i % 10) + "\t" +
                std::to_string(1 + i % 199) + "\t" + std::to_string(1 + i % 512) + "\tcue\n";
    list_.Load(WriteFile("huge.txt", text));
    EXPECT_TRUE(platform_.shownMessages.empty());
    ASSERT_EQ(list_.Count(), kCues);
    EXPECT_EQ(list_.Cue(0).time, 0);
    EXPECT_EQ(list_.Cue(kCues - 1).time, (kCues - 1) * 100);
    EXPECT_EQ(list_.Cue(1234).module, 1 + 1234 % 199);
    EXPECT_EQ(list_.Duration(), (kCues - 1) * 100);
}

TEST_F(ProjectListTest, SampleScenarioLoadsWhole)
{
    list_.Load(KV_SAMPLE_SCENARIO);
    EXPECT_TRUE(platform_.shownMessages.empty());
    EXPECT_EQ(list_.Name(), "sample-scenario.txt");
    ASSERT_GT(list_.Count(), 100);
    int motorCues = 0;
    for (const TCue& cue : list_.Cues()) {
        EXPECT_TRUE(cue.IsExecutable()) << cue.timeText << " module " << cue.module;
        motorCues += cue.IsMotor();
    }
    EXPECT_GT(motorCues, 0);
    EXPECT_GT(list_.Duration(), 60000);
}

TEST(Projects, EightIndependentSlots)
{
    TProjects projects;
    for (int slot = 0; slot < TProjects::kSlotCount; ++slot) {
        ASSERT_NE(projects.Project(slot), nullptr);
        EXPECT_EQ(projects.Project(slot)->Count(), 0);
    }
    EXPECT_NE(projects.Project(0), projects.Project(7));
    EXPECT_EQ(projects.Project(-1), nullptr);
    EXPECT_EQ(projects.Project(8), nullptr);
    const TProjects& constProjects = projects;
    EXPECT_EQ(constProjects.Project(3), projects.Project(3));
}

}  // namespace
}  // namespace kv
