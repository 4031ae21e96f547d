// The run log on a disk that fills up or turns read-only in the middle of a show.
#include "support/log/RunLog.h"

#include "support/SmallDisk.h"
#include "rigs/TempFolder.h"
#include "support/text/TextEncoding.h"
#include "support/platform/VirtualPlatform.h"

#include <gtest/gtest.h>

#include <atomic>
#include <sstream>
#include <vector>

using namespace kv;

namespace {

class RunLogFault : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!disk_.Problem().empty())
            GTEST_SKIP() << disk_.Problem();
        SetLogLevel(3);
        SetLogFileName(first_);
        SetLogSecondFile([this] { return second_; });
        SetLogTroubleHandler([this] { ++told_; });
        InstallPlatform(&platform_);
    }
    void TearDown() override
    {
        InstallPlatform(nullptr);
        SetLogTroubleHandler({});
        SetLogSecondFile({});
        SetLogFileName(folder_.Path() + "after.log");
    }

    // The messages of a log file in order, without time stamps; every line whole.
    static std::vector<std::string> Messages(const std::string& path)
    {
        const std::string text = DecodeCp1251(kvtest::ReadBytes(path));
        std::vector<std::string> messages;
        size_t start = 0;
        for (size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2) {
            const std::string line = text.substr(start, end - start);
            messages.push_back(line.substr(line.find(": ") + 2));
        }
        EXPECT_EQ(start, text.size()) << "a line cut short in " << path;
        return messages;
    }

    // Logs cue lines until the log says it is in trouble (at most `most`); their count.
    int LogUntilTrouble(int most)
    {
        for (int cue = 0; cue < most; ++cue) {
            WriteLog("Запуск, пульт: 1, канал: " + std::to_string(cue));
            if (told_ > 0)
                return cue + 1;
        }
        return most;
    }

    static std::string Cue(int cue) { return "Запуск, пульт: 1, канал: " + std::to_string(cue); }

    kvtest::TTempFolder folder_;
    kvtest::TSmallDisk disk_{folder_.Path() + "disk", 64 * 1024};
    std::string first_ = folder_.Path() + "disk/2026-12-07_0.log";
    std::string second_ = folder_.Path() + "second.log";
    std::atomic<int> told_{0};
    TVirtualPlatform platform_;
};

}  // namespace

TEST_F(RunLogFault, ADiskThatFillsUpMidShowLosesNoLineAndTheLogGoesOnInTheSecondFolder)
{
    WriteLog("Запуск проекта");
    disk_.Fill();
    const int written = LogUntilTrouble(2000);
    ASSERT_EQ(told_, 1) << "the disk never filled up";
    for (int cue = written; cue < written + 3; ++cue)
        WriteLog(Cue(cue));

    const TLogTrouble trouble = LogTrouble();
    EXPECT_FALSE(trouble.failing);
    EXPECT_EQ(trouble.reason, "No space left on device");
    EXPECT_EQ(trouble.failedFile, first_);
    EXPECT_EQ(trouble.file, second_);
    EXPECT_EQ(LogFileName(), second_);
    // Every line the full disk took stays whole; the rest follow in the second file, which
    // names where the record began.
    std::vector<std::string> all = Messages(first_);
    EXPECT_EQ(all.front(), "Запуск проекта");
    const std::vector<std::string> rest = Messages(second_);
    ASSERT_FALSE(rest.empty());
    EXPECT_EQ(rest.front(),
              "Журнал продолжен после ошибки записи (No space left on device): " + first_);
    all.insert(all.end(), rest.begin() + 1, rest.end());
    ASSERT_EQ(all.size(), static_cast<size_t>(written + 4));
    for (int cue = 0; cue < written + 3; ++cue)
        EXPECT_EQ(all[static_cast<size_t>(cue) + 1], Cue(cue));
}

TEST_F(RunLogFault, AFolderTurnedReadOnlyKeepsWhatWasWrittenAndNoFileLeftKeepsLinesInMemory)
{
    SetLogSecondFile({});
    WriteLog("Запуск проекта");
    WriteLog(Cue(0));
    const std::string before = kvtest::ReadBytes(first_);
    disk_.MakeReadOnly();
    WriteLog(Cue(1));
    EXPECT_EQ(told_, 1);  // at the first line lost
    WriteLog(Cue(2));
    TLogTrouble trouble = LogTrouble();
    EXPECT_TRUE(trouble.failing);
    EXPECT_EQ(trouble.waitingLines, 2);
    EXPECT_EQ(trouble.reason, "Read-only file system");
    EXPECT_FALSE(LogFileEnabled());
    EXPECT_EQ(kvtest::ReadBytes(first_), before);

    // Tried again at every sync, without a new line: the lines kept reach the file in order.
    disk_.MakeWritable();
    SyncLog();
    EXPECT_TRUE(LogFileEnabled());
    EXPECT_EQ(Messages(first_),
              (std::vector<std::string>{"Запуск проекта", Cue(0), Cue(1), Cue(2)}));
    trouble = LogTrouble();
    EXPECT_FALSE(trouble.failing);
    EXPECT_EQ(trouble.failedFile, first_);  // still told: this run's record had a gap in time
}
