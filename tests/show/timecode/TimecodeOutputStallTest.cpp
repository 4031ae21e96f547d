// The timecode output beside a sound server that stops answering: its thread is held in the
// server call, while the show clock is still handed over and a stop returns at once.
#include "show/timecode/TimecodeOutput.h"

#include "rigs/VirtualSoundServer.h"
#include "support/platform/VirtualPlatform.h"

#include <gtest/gtest.h>

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

}  // namespace
}  // namespace kvtest
