// kvctl show --timecode against the simulated field, the timecode played by a desk into the
// sound server's null sink and captured from its monitor, in real time; kvctl show --tc-out
// sending the show clock to the null sink, decoded from its monitor.
#include "rigs/KvctlRun.h"

#include "audio/PulseCapture.h"
#include "rigs/SoundtrackFiles.h"
#include "rigs/DeskPlayback.h"
#include "show/timecode/TimecodeInput.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <set>
#include <thread>

namespace kv::test {
namespace {

const std::string kField = "--port=sim:" KV_TOOLS_TEST_DIR "/kvctl-field.ini";
const std::string kShow = KV_TOOLS_TEST_DIR "/kvctl-show.txt";
const std::string kAddresses = "--addresses=0-3,20";

bool HasLine(const std::vector<std::string>& lines, const std::string& start)
{
    return std::any_of(lines.begin(), lines.end(),
                       [&](const std::string& line) { return line.starts_with(start); });
}

class KvctlTimecode : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!RequireAudioServer())
            return;
    }
};

TEST_F(KvctlTimecode, StartsWhenTheTimecodeReachesTheStartPointAndFiresEachCueOnce)
{
    // The desk rolls 8 s before show time 0 (10:00:00:00), while kvctl searches the bus, and
    // plays on past the show's end.
    kvtest::TLtcSignal signal(TTimecodeRate::Fps25, {10, 0, 0, 0});
    signal.CueShowMs(-8000);
    signal.Play(325);
    kvtest::TDeskPlayback desk(signal);
    ASSERT_TRUE(desk.Playing());
    // The options' names grouped by direction; the old names are kept (the test below).
    const auto result = RunKvctl({kField, "--yes", "show", kShow, kAddresses, "--tc-in",
                                  "nullsink.monitor", "--tc-in-zero", "10:00:00:00", "--tc-in-fps",
                                  "25"});
    EXPECT_EQ(result.status, 0) << result.err << result.out;
    const std::vector<std::string> lines = Lines(result.out);
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines[0], "Ожидание таймкода, источник: nullsink.monitor");
    EXPECT_TRUE(HasLine(lines, "Таймкод захвачен: 09:59:5"));
    const auto start = std::find(lines.begin(), lines.end(), "Запуск проекта");
    ASSERT_NE(start, lines.end()) << result.out;
    const auto named = std::find_if(start, lines.end(), [](const std::string& line) {
        return line.starts_with("Запуск по таймкоду 10:00:00:");
    });
    ASSERT_NE(named, lines.end()) << result.out;
    EXPECT_TRUE(named->ends_with(" (25)")) << *named;
    EXPECT_EQ(*(named - 1), "Точка запуска: 0:00:00");
    std::vector<std::string> fired;
    std::copy_if(named, lines.end(), std::back_inserter(fired),
                 [](const std::string& line) { return line.starts_with("Запуск, пульт:"); });
    EXPECT_EQ(fired, (std::vector<std::string>{
                         "Запуск, пульт: 1, канал: 1", "Запуск, пульт: 2, канал: 1",
                         "Запуск, пульт: 1, канал: 2", "Запуск, пульт: 20, канал: 1",
                         "Запуск, пульт: 2, канал: 2"}));
    EXPECT_TRUE(HasLine(lines, "Остановка проекта"));
}

TEST_F(KvctlTimecode, JsonTellsTheLockAndTheSignalsQuality)
{
    kvtest::TLtcSignal signal(TTimecodeRate::Fps25, {10, 0, 0, 0});
    signal.CueShowMs(-6000);
    signal.Play(500);  // on well past the show's end
    kvtest::TDeskPlayback desk(signal);
    ASSERT_TRUE(desk.Playing());
    const auto result = RunKvctl({kField, "--yes", "show", kShow, kAddresses, "--tc-in",
                                  "nullsink.monitor", "--tc-in-zero", "10:00:00:00", "--json"});
    EXPECT_EQ(result.status, 0) << result.err << result.out;
    QJsonParseError error;
    const QJsonObject json =
        QJsonDocument::fromJson(QByteArray::fromStdString(result.out), &error).object();
    ASSERT_EQ(error.error, QJsonParseError::NoError) << result.out;
    const QJsonObject timecode = json["timecode"].toObject();
    EXPECT_EQ(timecode["rate"].toString(), "25") << result.out;
    EXPECT_TRUE(timecode["locked"].toBool()) << "the desk plays on past the show's end";
    // A loaded machine's capture dates a few frames off their track: not all are good.
    EXPECT_GE(timecode["quality_percent"].toInt(), 60) << result.out;
    // The capture starved for a moment by the tests beside it loses the lock once in a while
    // (seen with ctest -j2: locks 2, losses 1, lowest 0): the counts must still agree, the
    // show locked at its end.
    const int losses = timecode["losses"].toInt();
    EXPECT_GE(timecode["locks"].toInt(), 1);
    EXPECT_EQ(timecode["locks"].toInt(), losses + 1);
    if (losses == 0) {
        EXPECT_GE(timecode["lowest_quality_percent"].toInt(), 50) << result.out;
    }
}

TEST_F(KvctlTimecode, TcOutSendsTheShowClockFromTheStartPointToTheEnd)
{
    kv::TTimecodeInput input(48000);
    std::set<int> seconds;  // whole seconds of the frames heard
    std::mutex mutex;
    std::atomic<bool> recording{false};
    kv::TPulseCapture capture("nullsink.monitor", 48000, [&](const float* samples, size_t count,
                                                             uint32_t endTick) {
        recording = true;
        input.Write(samples, count, endTick);
        const std::lock_guard lock(mutex);
        for (const kv::TTimecodeFrame& frame : input.Take())
            if (!frame.reverse && frame.label.hours == 0 && frame.label.minutes == 10)
                seconds.insert(frame.label.seconds * 100 + frame.label.frames);
    });
    std::string error;
    ASSERT_TRUE(capture.Start(error)) << error;
    // The stream opens before the server hands over its first samples: what kvctl sends at
    // once would be missed on a loaded machine.
    for (int waited = 0; !recording && waited < 3000; waited += 10)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    ASSERT_TRUE(recording) << "the monitor records nothing";
    const auto result =
        RunKvctl({kField, "--yes", "show", kShow, kAddresses, "--tc-out", "nullsink",
                  "--tc-out-zero", "00:10:00:00", "--tc-out-fps", "25"});
    capture.Stop();
    EXPECT_EQ(result.status, 0) << result.err << result.out;
    // Show time 0 sent as the label asked for, not the settings' (--tc-zero never applied).
    EXPECT_TRUE(HasLine(Lines(result.out), "Передача таймкода включена: nullsink, 25, 00:10:00:00"))
        << result.out;
    const std::lock_guard lock(mutex);
    ASSERT_FALSE(seconds.empty()) << "no timecode heard from the sink";
    // The start point's frame while the bus is searched, then every frame of the show to its
    // end 0.5 s after the last cue at 2 s, and no further.
    EXPECT_TRUE(seconds.count(0)) << "the start point not sent";
    // A whole second of the show, frame by frame. Frames missing beside a loaded test run
    // were the sender's: its queue had run dry (no longer allowed since its lead and its
    // priority were raised).
    std::string missing;
    for (int frame = 0; frame < 25; ++frame)
        if (!seconds.count(100 + frame))
            missing += " 00:00:01:" + std::to_string(frame);
    EXPECT_EQ(missing, "") << "not heard";
    EXPECT_TRUE(seconds.count(210)) << "the show's end not sent";
    EXPECT_LT(*seconds.rbegin(), 300) << "sent past the show's end";
}

TEST_F(KvctlTimecode, WithoutTimecodeTheOperatorsStopDisarmsAndNothingFires)
{
    const auto results = RunKvctlTogether(
        {{{kField, "--yes", "show", kShow, kAddresses, "--timecode", "nullsink.monitor"},
          "",
          "Ожидание таймкода"}});
    ASSERT_EQ(results.size(), 1u);
    EXPECT_EQ(results[0].status, 1);
    const std::vector<std::string> lines = Lines(results[0].out);
    EXPECT_TRUE(HasLine(lines, "Ожидание таймкода снято")) << results[0].out;
    EXPECT_FALSE(HasLine(lines, "Запуск")) << results[0].out;
}

TEST_F(KvctlTimecode, AConverterLostDuringTheWaitEndsItAndNothingStartsOnTheTimecode)
{
    // The desk reaches show time 0 after 3 s, while the converter is lost (1.5 s to 4 s):
    // armed still, kvctl started the show onto the dead bus and fired the second cue once
    // the converter was back.
    const std::string folder = ScratchFolder();
    const std::string show = folder + "kvctl-lost.txt";
    const std::string field = folder + "kvctl-lost.ini";
    std::ofstream(show) << "0:00.50\t1\t1\n0:02.00\t1\t2\n";
    std::ofstream(field) << "[device1]\nKind=module\nAddress=1\nVersion=46B\nChannels=8\n"
                            "[event1]\nAt=1500\nType=unplug\n[event2]\nAt=4000\nType=plug\n";
    kvtest::TLtcSignal signal(TTimecodeRate::Fps25, {10, 0, 0, 0});
    signal.CueShowMs(-3000);
    signal.Play(150);
    kvtest::TDeskPlayback desk(signal);
    ASSERT_TRUE(desk.Playing());
    const std::string trace = folder + "kvctl-lost-trace.txt";
    const auto result =
        RunKvctl({"--port=sim:" + field, "show", show, "--addresses=1", "--timecode",
                  "nullsink.monitor", "--tc-zero", "10:00:00:00", "--fps", "25", "--trace", trace});
    // It ends with the converter still lost: the field could not be reached (it was 1).
    EXPECT_EQ(result.status, 3) << result.out;
    const std::vector<std::string> lines = Lines(result.out);
    EXPECT_TRUE(HasLine(lines, "Ожидание запуска снято: преобразователь потерян.")) << result.out;
    EXPECT_FALSE(HasLine(lines, "Запуск")) << result.out;
    EXPECT_EQ(ReadWholeFile(trace).find(">\t84 "), std::string::npos) << "a fire frame went out";
}

TEST_F(KvctlTimecode, ASourceThatDoesNotOpenOrABadOptionIsRefused)
{
    auto result =
        RunKvctl({kField, "--yes", "show", kShow, kAddresses, "--timecode", "no-such-source"});
    EXPECT_EQ(result.status, 1);
    EXPECT_TRUE(HasLine(Lines(result.out), "Нет входа таймкода: no-such-source:")) << result.out;
    for (const char* bad : {"--tc-zero=25:00:00:00", "--fps=abc"}) {
        result = RunKvctl({kField, "show", kShow, "--timecode", "x", bad});
        EXPECT_EQ(result.status, 2) << bad;
    }
}

}  // namespace
}  // namespace kv::test
