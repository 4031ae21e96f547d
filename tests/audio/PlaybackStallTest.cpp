// The playing stream over a sound server that stops answering: the main thread's calls come
// back at once while the server holds the feeding thread, and the stream says it stalled.
#include "audio/PlaybackStream.h"
#include "rigs/SoundtrackFiles.h"
#include "rigs/VirtualSoundServer.h"

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <thread>

namespace kv {
namespace {

constexpr int kStallMs = 3000;

bool WaitFor(const std::function<bool()>& condition, int ms = 2000)
{
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (!condition()) {
        if (std::chrono::steady_clock::now() > end)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

class PlaybackStall : public ::testing::TestWithParam<TServerStall> {
protected:
    std::unique_ptr<TPlaybackStream> OpenStream()
    {
        auto decoder = std::make_unique<TAudioDecoder>();
        EXPECT_EQ(decoder->Open(folder.Make("track.wav", 6, ""), TDecodePath::General), 0);
        auto stream = std::make_unique<TPlaybackStream>(std::move(decoder), server);
        EXPECT_TRUE(stream->HasOutput());
        return stream;
    }
    // Every call the window's thread makes, each back while the server still holds the
    // feeding thread.
    void ExpectNoCallWaits(TPlaybackStream& stream)
    {
        ASSERT_TRUE(server->Holding());
        stream.PositionBytes();
        stream.IsActive();
        stream.HeardDelayUs();
        stream.Stalled();
        stream.SetPositionBytes(176400);
        stream.Stop();
        EXPECT_FALSE(stream.IsActive()) << "stopped as asked, the server told later";
        stream.Play();
        EXPECT_TRUE(stream.IsActive());
        EXPECT_TRUE(server->Holding()) << "a call waited for the server";
    }

    TSoundtrackFolder folder;
    std::shared_ptr<TVirtualSoundServer> server = std::make_shared<TVirtualSoundServer>();
};

TEST_P(PlaybackStall, AStalledServerNeverHoldsTheCaller)
{
    std::unique_ptr<TPlaybackStream> stream = OpenStream();
    stream->Play();
    ASSERT_TRUE(WaitFor([&] { return stream->PositionBytes() > 0; }));
    EXPECT_FALSE(stream->Stalled());

    server->Stall(GetParam(), kStallMs);
    ASSERT_TRUE(WaitFor([&] { return server->Holding(); }));
    ExpectNoCallWaits(*stream);
    EXPECT_TRUE(WaitFor([&] { return stream->Stalled(); }));
    EXPECT_TRUE(server->Holding());

    // Once the server answers, the stop asked meanwhile closes its stream.
    stream->Stop();
    server->Release();
    EXPECT_TRUE(WaitFor([&] { return !stream->Stalled() && server->OpenOutputs() == 0; }));
    EXPECT_FALSE(stream->IsActive());
}

TEST_P(PlaybackStall, AStreamGoesWhileTheServerHoldsIt)
{
    std::unique_ptr<TPlaybackStream> stream = OpenStream();
    server->Stall(GetParam(), kStallMs);
    stream->Play();
    if (GetParam() == TServerStall::Everything) {
        EXPECT_GT(stream->HeardDelayUs(), 0) << "nothing can be heard before the server takes it";
    }
    ASSERT_TRUE(WaitFor([&] { return server->Holding(); }));
    stream.reset();
    EXPECT_TRUE(server->Holding()) << "the stream waited for the server to go";
    server->Release();
    EXPECT_TRUE(WaitFor([&] { return server->OpenOutputs() == 0; }))
        << "the feeding thread left behind closes its output once the server answers";
}

INSTANTIATE_TEST_SUITE_P(Stalls, PlaybackStall,
                         ::testing::Values(TServerStall::WriteRoom, TServerStall::Latency,
                                           TServerStall::Everything),
                         [](const auto& info) { return StallName(info.param); });

}  // namespace
}  // namespace kv
