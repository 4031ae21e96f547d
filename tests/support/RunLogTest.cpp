#include "support/log/RunLog.h"

#include "support/text/Conversions.h"
#include "support/platform/Platform.h"
#include "rigs/TempFolder.h"
#include "support/text/TextEncoding.h"
#include "support/platform/VirtualPlatform.h"

#include <gtest/gtest.h>

#include <cctype>
#include <fstream>
#include <thread>
#include <vector>

using namespace kv;

namespace {

// Each test gets its own log file; the writer's state is process-wide.
class RunLog : public ::testing::Test {
protected:
    void SetUp() override
    {
        SetLogLevel(3);
        path_ = folder_.Path() + "run.log";
        SetLogFileName(path_);
        InstallPlatform(&platform_);
    }
    void TearDown() override
    {
        InstallPlatform(nullptr);
        SetLogLevel(3);
    }

    std::vector<std::string> Lines() const
    {
        const std::string text = DecodeCp1251(kvtest::ReadBytes(path_));
        std::vector<std::string> lines;
        size_t start = 0;
        for (size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2)
            lines.push_back(text.substr(start, end - start));
        EXPECT_EQ(start, text.size()) << "a line without CR LF";
        return lines;
    }

    // Drops the "dd.MM.yyyy H:mm:ss: " stamp after checking it.
    static std::string Message(const std::string& line)
    {
        const size_t length = StampLength(line);
        if (length == 0) {
            ADD_FAILURE() << "no time stamp: " << line;
            return line;
        }
        return line.substr(length);
    }

    static size_t StampLength(const std::string& line)
    {
        size_t pos = 0;
        const auto digits = [&](size_t count) {
            for (size_t end = pos + count; pos < end; ++pos)
                if (pos >= line.size() || !std::isdigit(static_cast<unsigned char>(line[pos])))
                    return false;
            return true;
        };
        const auto literal = [&](char c) { return pos < line.size() && line[pos++] == c; };
        const bool date = digits(2) && literal('.') && digits(2) && literal('.') && digits(4);
        if (!date || !literal(' ') || pos + 1 >= line.size() ||
            (line[pos] == '0' && line[pos + 1] != ':'))
            return 0;
        const bool hours = digits(1) && (line[pos] == ':' || digits(1));
        const bool time = hours && literal(':') && digits(2) && literal(':') && digits(2);
        return time && literal(':') && literal(' ') ? pos : 0;
    }

    kvtest::TTempFolder folder_;
    std::string path_;
    TVirtualPlatform platform_;
};

}  // namespace

TEST_F(RunLog, IdenticalMessagesCollapseIntoOneLineWithACount)
{
    WriteLog("Пуск");
    WriteLog("Пуск");
    WriteLog("Пуск");
    const auto lines = Lines();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(Message(lines[0]), "Пуск ( X 3 )");
}

TEST_F(RunLog, OnlyConsecutiveRepeatsCollapse)
{
    for (const char* message : {"A", "B", "A", "A", "B"})
        WriteLog(message);
    const auto lines = Lines();
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(Message(lines[0]), "A");
    EXPECT_EQ(Message(lines[1]), "B");
    EXPECT_EQ(Message(lines[2]), "A ( X 2 )");
    EXPECT_EQ(Message(lines[3]), "B");
}

TEST_F(RunLog, AnEmptyMessageIsWrittenOnceAndItsRepeatsNotAtAll)
{
    WriteLog("A");
    WriteLog("");
    WriteLog("");
    WriteLog("");
    WriteLog("A");
    const auto lines = Lines();
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(Message(lines[1]), "");
    EXPECT_EQ(Message(lines[2]), "A");
}

TEST_F(RunLog, TheLevelFilterHoldsBackFileAndDebuggerOutput)
{
    SetLogLevel(1);
    WriteLog("written", 1);
    WriteLog("too detailed", 2);
    WriteLog("level zero", 0);
    const auto lines = Lines();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(Message(lines[0]), "written");
    EXPECT_EQ(platform_.debugLines, std::vector<std::string>{"written"});

    SetLogLevel(3);
    WriteLog("detail", 3);
    EXPECT_EQ(Lines().size(), 2u);
}

TEST_F(RunLog, LinesAreCp1251WithCrLf)
{
    WriteLog("Ошибка");
    const std::string bytes = kvtest::ReadBytes(path_);
    EXPECT_NE(bytes.find(": \xCE\xF8\xE8\xE1\xEA\xE0\r\n"), std::string::npos);
    EXPECT_EQ(bytes.find("\xD0"), std::string::npos);  // no UTF-8 left
}

TEST_F(RunLog, TheFileIsCompleteAfterEveryLine)
{
    // Another reader (an operator's viewer, or a crash right after) sees every line whole.
    for (int i = 0; i < 5; ++i) {
        WriteLog("cue " + std::to_string(i));
        const auto lines = Lines();
        ASSERT_EQ(lines.size(), static_cast<size_t>(i + 1));
        EXPECT_EQ(Message(lines.back()), "cue " + std::to_string(i));
    }
    WriteLog("cue 4");
    EXPECT_EQ(Message(Lines().back()), "cue 4 ( X 2 )");
}

TEST_F(RunLog, ARepeatRewritesFromTheStartOfTheLastLineAndCutsTheRest)
{
    WriteLog("A");
    WriteLog("B, a longer line than any rewrite of it");
    std::ofstream(path_, std::ios::app) << "stray text from elsewhere, longer still\r\n";
    WriteLog("B, a longer line than any rewrite of it");
    const auto lines = Lines();
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(Message(lines[1]), "B, a longer line than any rewrite of it ( X 2 )");
}

TEST_F(RunLog, LinesFromSeveralThreadsNeverInterleave)
{
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([t] {
            for (int i = 0; i < 100; ++i)
                WriteLog("thread " + std::to_string(t) + " line " + std::to_string(i));
        });
    for (auto& thread : threads)
        thread.join();
    const auto lines = Lines();
    ASSERT_EQ(lines.size(), 400u);
    for (const auto& line : lines)
        EXPECT_EQ(Message(line).rfind("thread ", 0), 0u) << line;
}

TEST_F(RunLog, AFailedWriteSwitchesTheFileOffButNotTheDebuggerOutput)
{
    const std::string blocker = folder_.Write("plain", "a regular file");
    SetLogFileName(blocker + "/run.log");
    WriteLog("lost");
    EXPECT_FALSE(LogFileEnabled());
    WriteLog("still seen");
    EXPECT_EQ(platform_.debugLines, (std::vector<std::string>{"lost", "still seen"}));

    // Naming a new file tries again, and collapsing starts over there.
    SetLogFileName(path_);
    EXPECT_TRUE(LogFileEnabled());
    WriteLog("still seen");
    ASSERT_EQ(Lines().size(), 1u);
    EXPECT_EQ(Message(Lines()[0]), "still seen");
}

TEST_F(RunLog, ANewFileNameDoesNotCutTheNewFileAtTheOldOffset)
{
    WriteLog("first line of the old file, long enough");
    const std::string other = folder_.Write("other.log", "earlier content\r\n");
    SetLogFileName(other);
    WriteLog("first line of the old file, long enough");
    EXPECT_EQ(kvtest::ReadBytes(other).substr(0, 17), "earlier content\r\n");
}

TEST_F(RunLog, WorksBeforeAnyPlatformIsInstalled)
{
    InstallPlatform(nullptr);
    WriteLog("from a tool");
    ASSERT_EQ(Lines().size(), 1u);
    EXPECT_TRUE(platform_.debugLines.empty());
}

TEST(RunLogName, WithoutANameTheLogIsNamedAfterTheProgram)
{
    SetLogFileName("");
    EXPECT_EQ(LogFileName(), AppFolder() + "support_runlog_test.log");
}
