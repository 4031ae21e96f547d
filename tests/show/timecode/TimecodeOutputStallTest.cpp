// The timecode output's own thread: raised while a show runs; beside a sound server that stops
// answering, held in the server call while the show clock is still handed over and a stop
// returns at once.
#include "show/timecode/TimecodeOutput.h"

#include "rigs/VirtualSoundServer.h"
#include "support/platform/VirtualPlatform.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <chrono>
#include <thread>

namespace kvtest {
namespace {

bool WaitReal(const std::function<bool()>& done)
{
    for (int i = 0; i < 400 && !done(); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    return done();
}

TEST(TimecodeOutputStall, AServerThatStopsAnsweringHoldsNeitherTheShowClockNorTheStop)
{
    kv::TVirtualPlatform platform;
    kv::InstallPlatform(&platform);
    auto server = std::make_shared<kv::TVirtualSoundServer>();
    server->Stall(kv::TServerStall::Everything, 60000);
    int looks = 0;
    {
        kv::TTimecodeOutput output({}, server, [&looks](uint32_t now, bool& running) {
            ++looks;
            running = true;
            return kv::TShowClockLook{0, now, 1000, false};
        });
        output.Start();
        ASSERT_TRUE(WaitReal([&] { return server->Holding(); })) << "the stream never asked for";
        platform.Advance(100);
        EXPECT_GE(looks, 100 / static_cast<int>(kv::TTimecodeOutput::kFollowMs));
        const auto before = std::chrono::steady_clock::now();
        output.Stop();
        EXPECT_LT(std::chrono::steady_clock::now() - before, std::chrono::seconds(1))
            << "the stop waited for the server";
        EXPECT_FALSE(output.Running());
    }
    // The thread left behind ends once the server answers.
    server->Release();
    EXPECT_TRUE(WaitReal([&] { return server.use_count() == 1; }));
    kv::InstallPlatform(nullptr);
}

TEST(TimecodeOutputThread, TheWriterRunsRaisedWhileAShowRunsAndIsLoweredAtItsEndAndAtTheStop)
{
    kv::TVirtualPlatform platform;
    kv::InstallPlatform(&platform);
    auto server = std::make_shared<kv::TVirtualSoundServer>();
    bool showRuns = false;
    kv::TTimecodeOutput output({}, server, [&showRuns](uint32_t now, bool& running) {
        running = showRuns;
        return kv::TShowClockLook{0, now, 1000, false};
    });
    output.Start();
    ASSERT_TRUE(WaitReal([&] { return server->OpenOutputs() == 1; }));
    platform.Advance(20);
    EXPECT_TRUE(platform.realTimeRequests.empty()) << "raised before the show";
    showRuns = true;
    platform.Advance(20);
    ASSERT_EQ(platform.realTimeRequests.size(), 1u);
    const int writer = platform.realTimeRequests[0].thread;
    EXPECT_NE(writer, static_cast<int>(gettid()));
    using Request = kv::TVirtualPlatform::TRealTimeRequest;
    const Request raised{writer, kv::TTimecodeOutput::kWriterPriority, true};
    const Request lowered{writer, 0, false};
    showRuns = false;
    platform.Advance(20);
    showRuns = true;
    platform.Advance(20);
    output.Stop();
    EXPECT_EQ(platform.realTimeRequests, (std::vector<Request>{raised, lowered, raised, lowered}));
    kv::InstallPlatform(nullptr);
}

}  // namespace
}  // namespace kvtest
