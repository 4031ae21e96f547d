// The figures of a firing report file, and the files the reader will not take for one.
#include "show/report/FiringReport.h"
#include "show/report/FiringReportFile.h"
#include "show/report/FiringSummary.h"
#include "rigs/TempFolder.h"

#include <gtest/gtest.h>

namespace kvtest {
namespace {

const std::string kHeader =
    "cue,time_ms,module,channel,kind,outcome,sent_ms,lateness_ms,check,reason\r\n";

std::string FiredLine(int number, int time, int lateness)
{
    return std::to_string(number) + "," + std::to_string(time) + ",1,1,fire,fired," +
           std::to_string(time + lateness) + "," + std::to_string(lateness) + ",open,\r\n";
}

TEST(FiringSummary, PercentilesByNearestRankEarlyShotsAndEveryOutcome)
{
    // 200 shots 1..200 ms late, but shot 7 went out 3 ms early; then one cue of each other
    // outcome, a motor cue among them.
    std::string text = kHeader;
    int number = 0;
    for (int lateness = 1; lateness <= 200; ++lateness) {
        ++number;
        text += FiredLine(number, number * 100, lateness == 7 ? -3 : lateness);
    }
    text += std::to_string(++number) + ",30000,2,4,fire,fired by hand,30500,500,connected,\r\n";
    text += std::to_string(++number) + ",31000,3,,LT,memory,,,,\r\n";
    text += std::to_string(++number) + ",32000,4,2,fire,missed,,,,no echo\r\n";
    TTempFolder folder;
    std::vector<kv::TCueRecord> records;
    ASSERT_EQ(kv::ReadFiringReport(folder.Write("show.csv", text), records), "");
    ASSERT_EQ(records.size(), 203u);
    EXPECT_EQ(records[201].cue.kind, kv::kKindRotateLeft);
    EXPECT_EQ(records[200].cue.channel, 3);

    const kv::TFiringSummary summary = kv::SummarizeFiring(records);
    EXPECT_EQ(summary.cues, 203);
    EXPECT_EQ(summary.fired, 200);
    EXPECT_EQ(summary.byHand, 1) << "a shot by hand says nothing of the clock";
    EXPECT_EQ(summary.memory, 1);
    EXPECT_EQ(summary.missed, 1);
    EXPECT_EQ(summary.MissedBy(kv::TMissReason::NoEcho), 1);
    EXPECT_EQ(summary.early, 1);
    EXPECT_EQ(summary.latenessP50, 100);  // the 100th of -3, 1..6, 8..200
    EXPECT_EQ(summary.latenessP99, 198);
    EXPECT_EQ(summary.latenessMax, 200);
    EXPECT_EQ(summary.CheckedAs(kv::TCheckResult::Open), 200);
    EXPECT_EQ(summary.CheckedAs(kv::TCheckResult::Connected), 1) << "the shot by hand";
    const std::vector<std::string> lines = kv::FiringSummaryLines(summary);
    EXPECT_EQ(lines[4], "Опоздание, мс (медиана / 99% / макс.): 100 / 198 / 200");
    EXPECT_EQ(std::vector<std::string>(lines.end() - 3, lines.end()),
              (std::vector<std::string>{"Проверка после выстрела:", "    неподключен: 200",
                                        "    подключен: 1"}));

    const kv::TFiringSummary none = kv::SummarizeFiring({});
    EXPECT_EQ(none.latenessP99, 0);
    EXPECT_EQ(none.cues, 0);
}

// This test once saw an autonomous show's report without the checks: they are the only
// word on whether the modules fired their memory, and an igniter still connected says one
// did not.
TEST(FiringSummary, ChecksOfAnAutonomousShowTellWhichMemoryShotsMayNotHaveFired)
{
    const std::string text = kHeader + "1,1000,30,,C,memory,,,,\r\n" +
                             "2,2000,1,1,fire,memory,,,open,\r\n" +
                             "3,2500,1,2,fire,memory,,,connected,\r\n" +
                             "4,3000,2,1,fire,memory,,,open,\r\n";
    TTempFolder folder;
    std::vector<kv::TCueRecord> records;
    ASSERT_EQ(kv::ReadFiringReport(folder.Write("auto.csv", text), records), "");
    const kv::TFiringSummary summary = kv::SummarizeFiring(records);
    EXPECT_EQ(summary.memory, 4);
    const std::vector<std::string> lines = kv::FiringSummaryLines(summary);
    EXPECT_EQ(std::vector<std::string>(lines.end() - 3, lines.end()),
              (std::vector<std::string>{"Проверка после выстрела:", "    неподключен: 2",
                                        "    подключен: 1"}))
        << "a motor move has no igniter to check";
}

TEST(FiringSummary, ReaderRefusesWhatTheWriterNeverWrites)
{
    TTempFolder folder;
    std::vector<kv::TCueRecord> records;
    const auto read = [&](const std::string& body, bool header = true) {
        return kv::ReadFiringReport(folder.Write("bad.csv", (header ? kHeader : "") + body),
                                    records);
    };
    const std::string good = FiredLine(1, 1000, 12);
    ASSERT_EQ(read(good), "");
    EXPECT_EQ(records.size(), 1u);

    const struct {
        std::string body;
        const char* why;
    } bad[] = {
        {good + "2,2000,1,1,fire,fired,2030,29,open,\r\n", "lateness that does not add up"},
        {good + "3,2000,1,1,fire,missed,,,,\r\n", "a number out of turn"},
        {good + "2,2000,1,1,fire,missed,,,,\r\n", "missed without a reason"},
        {good + "2,2000,1,1,fire,fired,,,open,\r\n", "fired without its moment"},
        {good + "2,2000,1,1,fire,exploded,,,,\r\n", "an outcome nobody writes"},
        {good + "2,2000,1,,fire,missed,,,,no echo\r\n", "a shot without a channel"},
        {good + "2,2000,1,1,fire,missed,,,,no echo,extra\r\n", "a field too many"},
    };
    for (const auto& [body, why] : bad) {
        EXPECT_EQ(read(body), "Ошибка в отчёте о пуске, строка 3: " + folder.Path() + "bad.csv")
            << why;
        EXPECT_TRUE(records.empty()) << why;
    }
    EXPECT_EQ(read("cue,time\r\n" + good, false),
              "Файл не является отчётом о пуске: " + folder.Path() + "bad.csv");
    EXPECT_EQ(read("", false), "Файл не является отчётом о пуске: " + folder.Path() + "bad.csv");
    EXPECT_EQ(kv::ReadFiringReport(folder.Path() + "none.csv", records),
              "Файл не открывается: " + folder.Path() + "none.csv");
}

TEST(FiringSummary, EffectAndPositionReadBackAsWrittenAndOlderReportsStillRead)
{
    TTempFolder folder;
    std::vector<kv::TCue> cues(3);
    cues[0].time = 1000;
    cues[0].effect = "Peony 3\", red, \"big\"";
    cues[0].position = "Front, left";
    cues[1].time = 2000;
    cues[1].effect = "Comet";
    cues[2].time = 3000;
    kv::TFiringReport report;
    report.Begin(cues, 0, 0);
    report.Missed(1, kv::TMissReason::NoEcho);
    report.End();
    const std::string path = folder.Path() + "show.csv";
    ASSERT_TRUE(kv::WriteFiringReport(report, path));
    std::vector<kv::TCueRecord> records;
    ASSERT_EQ(kv::ReadFiringReport(path, records), "");
    ASSERT_EQ(records.size(), 3u);
    for (size_t i = 0; i < cues.size(); ++i) {
        EXPECT_EQ(records[i].effect, cues[i].effect);
        EXPECT_EQ(records[i].position, cues[i].position);
    }
    EXPECT_EQ(records[1].reason, kv::TMissReason::NoEcho);

    // A report of the ten columns before effect and position: read, with neither.
    ASSERT_EQ(kv::ReadFiringReport(folder.Write("old.csv", kHeader + FiredLine(1, 1000, 12)), records),
              "");
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].effect, "");
    // Under the new header every line has both cells.
    const std::string header =
        "cue,time_ms,module,channel,kind,outcome,sent_ms,lateness_ms,check,reason,effect,position\r\n";
    EXPECT_NE(kv::ReadFiringReport(folder.Write("short.csv", header + FiredLine(1, 1000, 12)), records),
              "");
    EXPECT_NE(kv::ReadFiringReport(
                  folder.Write("open.csv", header + "1,1000,1,1,fire,missed,,,,no echo,\"a,b\r\n"),
                  records),
              "");
}

}  // namespace
}  // namespace kvtest
