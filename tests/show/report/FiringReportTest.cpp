// The firing report of a show on the simulated field: every cue with what became of it.
#include "rigs/VirtualShow.h"

#include "show/report/FiringReportFile.h"
#include "show/report/FiringSummary.h"

#include "support/log/RunLog.h"

#include <algorithm>
#include <filesystem>
#include <fstream>

namespace kvtest {
namespace {

using kv::TCheckResult;
using kv::TCueOutcome;
using kv::TMissReason;

std::vector<std::string> CsvLines(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    std::vector<std::string> lines;
    for (std::string line; std::getline(file, line);) {
        EXPECT_TRUE(line.ends_with('\r')) << line;
        line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

class FiringReport : public VirtualShow {
protected:
    void SetUp() override
    {
        show->field->SetConverterCount(2);
        kv::TModuleSetup first = Module(1);
        first.trailer = 0;  // takes every command three times
        show->AddModule(first);
        kv::TModuleSetup second = Module(2);
        second.converter = 1;
        show->AddModule(second);
        // Module 3 of the scenario was pulled from the field before the search.
        show->LoadScenario("0:00.50\t1\t1\tbefore the start point\n"
                           "0:01.00\t1\t2\n"
                           "0:01.00\t3\t1\tpulled\n"
                           "0:03.00\t2\t1\n"
                           "0:05.00\t1\t900\tno such channel\n"
                           "0:07.00\t2\t2\tconverter 1 lost at 6 s\n"
                           "0:09.00\t1\t3\n"
                           "0:20.00\t1\t4\tthe show is stopped before\n");
        show->Connect();
        Player().OnIdle = [] {};
    }
    const std::vector<kv::TCueRecord>& Records() { return Player().FiringReport().Records(); }
    // Converter 1 is lost at 6 s; the show is stopped after 9 s and its last checks come in.
    uint32_t RunShowThatLosesAConverter()
    {
        const uint32_t startTick = Start(1000);
        platform.Advance(5000);
        show->field->Unplug(1, show->field->ElapsedMs());
        show->port->Cycle();  // the port thread's turn: it notices the loss and reopens
        EXPECT_TRUE(platform.AdvanceUntil(
            [this] { return Records().at(6).outcome == TCueOutcome::Fired; }, 4000, 25));
        Player().Stop(false);
        EXPECT_TRUE(Player().HasUnchecked()) << "the last shot is checked after the stop";
        while (Player().HasUnchecked()) {
            platform.Advance(kv::TExtPlayer::kCheckDelayMs + 1);
            Player().CheckNext();
        }
        return startTick;
    }
    const kv::TShotEntry* ShotOnField(int module, int channel)
    {
        shots = show->Shots();
        for (const kv::TShotEntry& shot : shots)
            if (shot.address == module && shot.channel == channel)
                return &shot;
        return nullptr;
    }
    std::vector<kv::TShotEntry> shots;
};

TEST_F(FiringReport, EveryCueWithItsMomentCheckOrReasonBesideTheRunLog)
{
    const uint32_t startTick = RunShowThatLosesAConverter();
    ASSERT_FALSE(HasFailure());

    const auto& records = Records();
    ASSERT_EQ(records.size(), 8u);
    struct TExpected {
        TCueOutcome outcome;
        TMissReason reason;
        TCheckResult check;
    };
    const TExpected expected[] = {
        {TCueOutcome::Missed, TMissReason::BeforeStart, TCheckResult::Unchecked},
        // The igniters burn through: the check finds them open.
        {TCueOutcome::Fired, TMissReason::None, TCheckResult::Open},
        {TCueOutcome::Missed, TMissReason::ModuleAbsent, TCheckResult::Unchecked},
        // Its check came in a quiet gap after its converter was lost.
        {TCueOutcome::Fired, TMissReason::None, TCheckResult::NoAnswer},
        {TCueOutcome::Missed, TMissReason::OutsideTables, TCheckResult::Unchecked},
        {TCueOutcome::Missed, TMissReason::ConverterLost, TCheckResult::NoAnswer},
        {TCueOutcome::Fired, TMissReason::None, TCheckResult::Open},
        {TCueOutcome::Missed, TMissReason::StoppedBefore, TCheckResult::Unchecked},
    };
    for (size_t i = 0; i < records.size(); ++i) {
        const kv::TCueRecord& record = records[i];
        EXPECT_EQ(record.outcome, expected[i].outcome) << "cue " << i + 1;
        EXPECT_EQ(record.reason, expected[i].reason) << "cue " << i + 1;
        EXPECT_EQ(record.check, expected[i].check) << "cue " << i + 1;
        const kv::TShotEntry* shot = ShotOnField(record.cue.module, record.cue.channel);
        EXPECT_EQ(shot != nullptr, record.outcome == TCueOutcome::Fired) << "cue " << i + 1;
        // The moment the module had the frame, not that of a repeat; nothing early, and out
        // within the tick that found it due plus the frame's line time.
        if (shot && record.outcome == TCueOutcome::Fired) {
            EXPECT_NEAR(record.sentAt, Since(startTick, shot->Tick()) + 1000, 1) << "cue " << i + 1;
            EXPECT_GE(record.Lateness(), 0) << "cue " << i + 1;
            EXPECT_LE(record.Lateness(), 25 + 5) << "cue " << i + 1;
        }
    }

    const std::vector<std::string> lines = CsvLines(show->folder.Path() + "run-show1.csv");
    ASSERT_EQ(lines.size(), 9u);
    // The effect and position of imported cues follow; these cues have none.
    EXPECT_EQ(lines[0], "cue,time_ms,module,channel,kind,outcome,sent_ms,lateness_ms,check,reason,effect,position");
    EXPECT_EQ(lines[1], "1,500,1,1,fire,missed,,,,before the start point,,");
    EXPECT_EQ(lines[2], "2,1000,1,2,fire,fired," + std::to_string(records[1].sentAt) + "," +
                            std::to_string(records[1].Lateness()) + ",open,,,");
    EXPECT_EQ(lines[3], "3,1000,3,1,fire,missed,,,,module absent,,");
    EXPECT_EQ(lines[6], "6,7000,2,2,fire,missed,,,no answer,converter lost,,");
    EXPECT_TRUE(lines[7].starts_with("7,9000,1,3,fire,fired,")) << lines[7];
    EXPECT_TRUE(lines[7].ends_with(",open,,,")) << "checked after the stop: " << lines[7];
    EXPECT_EQ(lines[8], "8,20000,1,4,fire,missed,,,,stopped before,,");
}

TEST_F(FiringReport, ReadBackFromItsFileWithTheFiguresOfTheShow)
{
    RunShowThatLosesAConverter();
    std::vector<kv::TCueRecord> read;
    ASSERT_EQ(kv::ReadFiringReport(show->folder.Path() + "run-show1.csv", read), "");
    const auto& records = Records();
    ASSERT_EQ(read.size(), records.size());
    std::vector<int32_t> lateness;
    for (size_t i = 0; i < read.size(); ++i) {
        EXPECT_EQ(read[i].cue.time, records[i].cue.time) << "cue " << i + 1;
        EXPECT_EQ(read[i].cue.module, records[i].cue.module) << "cue " << i + 1;
        EXPECT_EQ(read[i].cue.channel, records[i].cue.channel) << "cue " << i + 1;
        EXPECT_EQ(read[i].outcome, records[i].outcome) << "cue " << i + 1;
        EXPECT_EQ(read[i].reason, records[i].reason) << "cue " << i + 1;
        EXPECT_EQ(read[i].check, records[i].check) << "cue " << i + 1;
        if (records[i].outcome == TCueOutcome::Fired) {
            EXPECT_EQ(read[i].sentAt, records[i].sentAt) << "cue " << i + 1;
            lateness.push_back(records[i].Lateness());
        }
    }

    const kv::TFiringSummary summary = kv::SummarizeFiring(read);
    EXPECT_EQ(summary.cues, 8);
    EXPECT_EQ(summary.fired, 3);
    EXPECT_EQ(summary.missed, 5);
    EXPECT_EQ(summary.early, 0);
    for (const TMissReason reason : {TMissReason::BeforeStart, TMissReason::ModuleAbsent,
                                     TMissReason::OutsideTables, TMissReason::ConverterLost,
                                     TMissReason::StoppedBefore})
        EXPECT_EQ(summary.MissedBy(reason), 1) << static_cast<int>(reason);
    EXPECT_EQ(summary.MissedBy(TMissReason::NoEcho), 0);
    ASSERT_EQ(lateness.size(), 3u);
    std::sort(lateness.begin(), lateness.end());
    EXPECT_EQ(summary.latenessP50, lateness[1]);
    EXPECT_EQ(summary.latenessP99, lateness[2]);
    EXPECT_EQ(summary.latenessMax, lateness[2]);
    EXPECT_EQ(summary.CheckedAs(TCheckResult::Open), 2);
    EXPECT_EQ(summary.CheckedAs(TCheckResult::NoAnswer), 1);

    const std::vector<std::string> lines = kv::FiringSummaryLines(summary);
    EXPECT_NE(std::find(lines.begin(), lines.end(), "Пропущено: 5"), lines.end());
    EXPECT_NE(std::find(lines.begin(), lines.end(), "    потерян преобразователь: 1"), lines.end());
}

TEST_F(FiringReport, ShotsByHandTakeTheirCuesInManualFiring)
{
    Reconfigure(Player(), &kv::TShowSetup::firingMode, kv::kFiringManual);
    Start(0);
    platform.Advance(1200);
    // The step key: the next cue's channels, as the console fires them.
    Player().Fire(1, 1, false, true);
    Player().Fire(3, 0, false, true);
    platform.Advance(500);
    Player().Fire(1, 0, false, true);
    Player().Stop(false);

    const auto& records = Records();
    EXPECT_EQ(records[0].outcome, TCueOutcome::ByHand);
    EXPECT_GE(records[0].sentAt, 1700) << "the moment of the shot, not of the cue";
    EXPECT_EQ(records[1].outcome, TCueOutcome::ByHand);
    EXPECT_EQ(records[2].reason, TMissReason::ModuleAbsent);
    for (size_t i = 3; i < records.size(); ++i)
        EXPECT_EQ(records[i].reason, TMissReason::StoppedBefore) << "cue " << i + 1;
    const std::vector<std::string> lines = CsvLines(show->folder.Path() + "run-show1.csv");
    ASSERT_EQ(lines.size(), 9u);
    EXPECT_TRUE(lines[2].starts_with("2,1000,1,2,fire,fired by hand,")) << lines[2];
}

TEST_F(FiringReport, ACueFiredByHandInAutomaticAndManualFiringIsNotFiredAgainWhenDue)
{
    for (const uint8_t control : {kv::kControlDirect, kv::kControlAutonomous}) {
        SCOPED_TRACE(static_cast<int>(control));
        show->field->ClearRecord();
        Reconfigure(Player(), &kv::TShowSetup::firingMode, kv::kFiringBoth);
        Reconfigure(Player(), &kv::TShowSetup::controlMode, control);
        const uint32_t start = Start(0);
        platform.Advance(2000);
        // Module 2 channel 2 is due at 7 s.
        const uint32_t pressed = platform.TickCount();
        Player().Fire(2, 1, false, true);
        const uint32_t fired = platform.TickCount();
        platform.Advance(8000);
        Player().Stop(false);

        int shots = 0;
        for (const kv::TShotEntry& shot : show->Shots())
            shots += shot.address == 2 && shot.channel == 1 ? 1 : 0;
        EXPECT_EQ(shots, 1);
        EXPECT_FALSE(Logged("Запуск, пульт: 2, канал: 2")) << "the show handled it as its own";
        const kv::TCueRecord& record = Records()[5];
        EXPECT_EQ(record.outcome, TCueOutcome::ByHand);
        EXPECT_GE(record.sentAt, Since(start, pressed)) << "the moment of the shot by hand";
        EXPECT_LE(record.sentAt, Since(start, fired));
        EXPECT_EQ(Records()[1].outcome,
                  control == kv::kControlDirect ? TCueOutcome::Fired : TCueOutcome::Memory);
        const std::vector<std::string> lines = CsvLines(Player().FiringReportPath());
        ASSERT_EQ(lines.size(), 9u);
        EXPECT_TRUE(lines[6].starts_with("6,7000,2,2,fire,fired by hand,")) << lines[6];
    }
}

TEST_F(FiringReport, AShowGoingOnFromAStopKeepsTheShotByHandOfACueStillToCome)
{
    Reconfigure(Player(), &kv::TShowSetup::firingMode, kv::kFiringBoth);
    Start(0);
    platform.Advance(2000);
    Player().Fire(2, 1, false, true);  // due at 7 s
    platform.Advance(1000);
    Player().Stop(false);
    Start(Player().CurrentTime());
    platform.Advance(6500);
    Player().Stop(false);
    int shots = 0;
    for (const kv::TShotEntry& shot : show->Shots())
        shots += shot.address == 2 && shot.channel == 1 ? 1 : 0;
    EXPECT_EQ(shots, 1);
    EXPECT_EQ(Records()[5].outcome, TCueOutcome::ByHand);
    EXPECT_LT(Records()[5].sentAt, 2100) << "the moment of the shot by hand";
    EXPECT_EQ(Records()[6].outcome, TCueOutcome::Fired);
}

// This test once saw the cues of a module pulled from the field reported as fired from its
// memory: a module the search did not find was never written, verified or told the time.
TEST_F(FiringReport, AutonomousShowReportsTheCuesOfAnAbsentModuleMissed)
{
    Reconfigure(Player(), &kv::TShowSetup::controlMode, kv::kControlAutonomous);
    Start(1000);
    platform.Advance(2500);
    Player().Stop(false);
    EXPECT_EQ(Records()[1].outcome, TCueOutcome::Memory);
    EXPECT_EQ(Records()[2].outcome, TCueOutcome::Missed);
    EXPECT_EQ(Records()[2].reason, TMissReason::ModuleAbsent);
    EXPECT_EQ(Records()[3].outcome, TCueOutcome::Memory);
    EXPECT_TRUE(Logged("Запуск, пульт: 3, канал: 1")) << "logged as the show asked for it";
}

TEST_F(FiringReport, ARehearsalsReportSaysSoInItsFileName)
{
    Reconfigure(Player(), &kv::TShowSetup::rehearsal, true);
    Start(0);
    platform.Advance(1100);
    Player().Stop(false);
    const std::string path = Player().FiringReportPath();
    EXPECT_EQ(path, show->folder.Path() + "run-show1-rehearsal.csv");
    EXPECT_TRUE(kv::IsRehearsalReport(path));
    EXPECT_EQ(CsvLines(path).size(), 9u);
    EXPECT_FALSE(std::ifstream(show->folder.Path() + "run-show1.csv")) << "no show's paperwork";
}

TEST_F(FiringReport, ARestartKeepsTheReportOfTheShowItCut)
{
    Start(0);
    platform.Advance(1100);
    Start(8000);
    const std::vector<std::string> lines = CsvLines(show->folder.Path() + "run-show1.csv");
    ASSERT_EQ(lines.size(), 9u);
    EXPECT_TRUE(lines[2].starts_with("2,1000,1,2,fire,fired,")) << lines[2];
    EXPECT_EQ(lines[4], "4,3000,2,1,fire,missed,,,,stopped before,,");
    EXPECT_EQ(Records()[3].reason, TMissReason::BeforeStart) << "the new show begins after it";
}

// The run log's folder fails before the show: its record goes on in the second folder, the
// report beside it, and both are brought to the disk at the start, every second and the stop.
TEST_F(FiringReport, TheRecordIsSyncedEverySecondAndTheReportWrittenWhenTheLogFolderFails)
{
    const std::string blocked = show->folder.Write("plain", "a file, not a folder") + "/run.log";
    const std::string second = show->folder.Path() + "second/run.log";
    std::filesystem::create_directories(show->folder.Path() + "second");
    kv::SetLogFileName(blocked);
    kv::SetLogSecondFile([second] { return second; });
    kv::WriteLog("Запуск проекта");
    const uint32_t startTick = Start(0);
    platform.Advance(3500);
    Player().Stop(false);
    const uint32_t stopTick = platform.TickCount();
    kv::SetLogSecondFile({});

    EXPECT_EQ(Player().FiringReportPath(), show->folder.Path() + "second/run-show1.csv");
    EXPECT_EQ(CsvLines(Player().FiringReportPath()).size(), 9u);
    std::vector<uint32_t> logSyncs;
    for (const auto& sync : platform.syncs)
        if (sync.path == second)
            logSyncs.push_back(sync.at);
    ASSERT_GE(logSyncs.size(), 5u);
    EXPECT_LT(Since(startTick, logSyncs.front()), 25) << "at the start";
    EXPECT_EQ(logSyncs.back(), stopTick);
    for (size_t i = 1; i < logSyncs.size(); ++i)
        EXPECT_LE(Since(logSyncs[i - 1], logSyncs[i]), 1000 + 25) << "sync " << i;
    EXPECT_TRUE(std::any_of(platform.syncs.begin(), platform.syncs.end(), [&](const auto& sync) {
        return sync.path == Player().FiringReportPath();
    }));
}

}  // namespace
}  // namespace kvtest
