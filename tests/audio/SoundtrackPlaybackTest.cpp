// The soundtrack through a real audio server: what PlayFrom(t) sends to the null sink,
// recorded from its monitor, must be the file's audio from t.
#include "audio/AudioLibrary.h"
#include "audio/BassPlayer.h"
#include "rigs/SoundtrackFiles.h"

#include <QProcess>
#include <QStringList>
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <thread>

namespace kv {
namespace {

constexpr int kRate = 44100;

void Pause(int ms)
{
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

// Raw 16-bit stereo from the null sink's monitor, for as long as it lives.
class TMonitorRecording {
public:
    explicit TMonitorRecording(const std::string& file) : file_(file)
    {
        recorder_.setStandardOutputFile(QString::fromStdString(file));
        recorder_.start("parec", {"-d", "nullsink.monitor", "--raw", "--format=s16le",
                                  "--rate=44100", "--channels=2", "--latency-msec=10"});
        started_ = recorder_.waitForStarted(3000);
        Pause(400);
    }
    bool Started() const { return started_; }
    std::vector<int16_t> Stop()
    {
        recorder_.terminate();
        recorder_.waitForFinished(3000);
        std::ifstream in(file_, std::ios::binary);
        return ToSamples(std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {}));
    }

private:
    std::string file_;
    QProcess recorder_;
    bool started_ = false;
};

int64_t Onset(const std::vector<int16_t>& samples, size_t from = 0)
{
    for (size_t frame = from; frame * 2 + 1 < samples.size(); ++frame)
        if (std::abs(samples[frame * 2]) > 2000 || std::abs(samples[frame * 2 + 1]) > 2000)
            return static_cast<int64_t>(frame);
    return -1;
}

class SoundtrackPlayback : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!RequireAudioServer())
            return;
        source = ToSamples(DecodeWithFfmpeg(folder.Make("source.wav", 6, ""), "s16le"));
    }

    TSoundtrackFolder folder;
    std::vector<int16_t> source;
};

TEST_F(SoundtrackPlayback, FormatAndMillisecondPositions)
{
    TBassPlayer player;
    ASSERT_TRUE(AudioAvailable());
    player.SetFileName(folder.Make("track.wav", 6, "-c:a pcm_s16le"));
    player.Open();
    ASSERT_TRUE(player.Loaded());
    EXPECT_EQ(player.Channels(), 2);
    EXPECT_EQ(player.Bits(), 16);
    EXPECT_EQ(player.BytesPerSampleFrame(), 4);
    EXPECT_EQ(player.BytesPerSecond(), 176400u);
    EXPECT_EQ(player.LengthBytes(), 6 * 176400);
    EXPECT_EQ(player.TimeLength(), 6000);

    player.Seek(1500);
    EXPECT_EQ(player.PositionBytes(), 264600);
    EXPECT_EQ(player.TimePosition(), 1500);
    EXPECT_FALSE(player.IsPlaying());
    player.Seek(1);  // 176.4 bytes: down to the sample frame
    EXPECT_EQ(player.PositionBytes(), 176);

    TBassPlayer eight;
    eight.SetFileName(folder.Make("eight.wav", 2.5, "-ac 1 -c:a pcm_u8", 22050));
    eight.Open();
    ASSERT_TRUE(eight.Loaded());
    EXPECT_EQ(eight.Bits(), 8);
    EXPECT_EQ(eight.BytesPerSampleFrame(), 1);
    EXPECT_EQ(eight.BytesPerSecond(), 22050u);
    EXPECT_EQ(eight.TimeLength(), 2500);

    TBassPlayer wma;
    wma.SetFileName(folder.Make("track.WMA", 6, "-f asf -c:a wmav2"));
    wma.Open();
    ASSERT_TRUE(wma.Loaded());
    EXPECT_NEAR(wma.TimeLength(), 6000, 50);

    wma.SetFileName(folder.Path() + "/missing.mp3");
    wma.Open();
    EXPECT_FALSE(wma.Loaded());
    EXPECT_EQ(wma.TimePosition(), 0);
}

TEST_F(SoundtrackPlayback, PlayFromPlaysTheFileFromThatMillisecond)
{
    for (const char* name : {"track.wav", "track.mp3", "track.ogg"}) {
        SCOPED_TRACE(name);
        TBassPlayer player;
        player.SetFileName(folder.Make(name, 6, ""));
        player.Open();
        ASSERT_TRUE(player.Loaded());

        TMonitorRecording recording(folder.Path() + "/monitor.raw");
        ASSERT_TRUE(recording.Started());
        const int64_t from = 1733;
        player.PlayFrom(from);
        EXPECT_TRUE(player.IsPlaying());
        Pause(1200);  // the main thread does nothing meanwhile: the music must go on
        EXPECT_TRUE(player.IsPlaying());
        const int64_t position = player.TimePosition();
        EXPECT_GT(position, from + 900);
        EXPECT_LT(position, from + 1500);
        player.StopPlaying();
        EXPECT_FALSE(player.IsPlaying());
        const int64_t stoppedAt = player.TimePosition();
        EXPECT_GE(stoppedAt, position);
        Pause(600);
        EXPECT_EQ(player.TimePosition(), stoppedAt);
        const std::vector<int16_t> recorded = recording.Stop();

        const int64_t onset = Onset(recorded);
        ASSERT_GE(onset, 0) << "nothing reached nullsink.monitor; is nullsink the default output?";
        const size_t piece = kRate / 20;
        ASSERT_GT(recorded.size(), (onset + piece) * 2);
        const int64_t fromFrame = from * kRate / 1000;
        const int64_t found =
            BestMatch(source, recorded.data() + onset * 2, piece, 2, fromFrame, kRate / 4);
        EXPECT_GE(found, fromFrame - 2);
        EXPECT_LE(found, fromFrame + kRate / 100);

        // Silence after the stop: the last 300 ms of the recording hold no music.
        const size_t tail = recorded.size() / 2 - kRate * 3 / 10;
        EXPECT_EQ(Onset(recorded, tail), -1);
    }
}

TEST_F(SoundtrackPlayback, PlayingEndsAtTheEndOfTheFile)
{
    TBassPlayer player;
    player.SetFileName(folder.Make("track.ogg", 6, ""));
    player.Open();
    ASSERT_TRUE(player.Loaded());
    player.PlayFrom(player.TimeLength() - 300);
    EXPECT_TRUE(player.IsPlaying());
    Pause(1500);
    EXPECT_FALSE(player.IsPlaying());
    EXPECT_TRUE(player.AtEnd());
    EXPECT_EQ(player.TimePosition(), player.TimeLength());

    player.PlayFrom(0);  // and it plays again from the start
    EXPECT_TRUE(player.IsPlaying());
    player.StopPlaying();
}

}  // namespace
}  // namespace kv
