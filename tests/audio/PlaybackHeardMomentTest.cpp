// Where a playing stream is heard, from its server's latency readings, on real time.
#include "audio/PlaybackStream.h"
#include "rigs/SoundtrackFiles.h"
#include "rigs/VirtualSoundServer.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

namespace kv {
namespace {

// A reading that says the sound is heard sooner than the last ones said moves the heard
// moment only as fast as a sound card 1000 ppm fast would; once it moved at 2 %, and a
// latency read short under load (the sound-to-fire benchmark at load 7) brought shots up to
// 5 ms before their sound. A reading that says later is taken at once: the output ran dry.
TEST(PlaybackHeardMoment, ReadingsSayingHeardSoonerMoveItAtASoundCardsPaceLaterAtOnce)
{
    TSoundtrackFolder folder;
    auto server = std::make_shared<TVirtualSoundServer>();
    auto decoder = std::make_unique<TAudioDecoder>();
    ASSERT_EQ(decoder->Open(folder.Make("track.wav", 6, ""), TDecodePath::General), 0);
    const int64_t bytesPerSecond = decoder->FrameBytes() * int64_t{decoder->Frequency()};
    TPlaybackStream stream(std::move(decoder), server);
    ASSERT_TRUE(stream.HasOutput());
    stream.Play();
    // When the first sample was heard, by the position heard now.
    const auto heardStartUs = [&] {
        const int64_t now = server->NowUs();
        return now - stream.PositionBytes() * 1000000 / bytesPerSecond;
    };
    const auto waitMs = [](int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); };
    waitMs(300);
    ASSERT_GT(stream.PositionBytes(), 0);
    const int64_t before = heardStartUs();

    const int64_t understated = server->NowUs();
    server->UnderstateLatency(10000);
    waitMs(1500);
    const int64_t sooner = before - heardStartUs();
    EXPECT_GE(sooner, 0);
    EXPECT_LE(sooner, (server->NowUs() - understated) / 1000 + 300)
        << "1000 ppm of the time since, and the frame and clock reads";

    server->UnderstateLatency(-10000);
    waitMs(200);
    EXPECT_NEAR(heardStartUs() - before, 10000, 500) << "heard 10 ms later: taken at once";
}

}  // namespace
}  // namespace kv
