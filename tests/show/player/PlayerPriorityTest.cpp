// A show's real-time requests on virtual time: the platform records them and grants or
// refuses; the real scheduler is never asked.
#include "rigs/VirtualShow.h"

#include "audio/PlaybackStream.h"
#include "rigs/SoundtrackFiles.h"
#include "rigs/VirtualSoundServer.h"
#include "show/player/run/ShowRealTime.h"
#include "show/timecode/TimecodeChase.h"
#include "support/lang/AddedMessages.h"

#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <thread>

namespace kvtest {
namespace {

using Request = kv::TVirtualPlatform::TRealTimeRequest;

class PlayerPriority : public VirtualShow {
protected:
    void SetUp() override { Connect(false); }
    void Connect(bool portThread)
    {
        show->AddModule(Module(1));
        show->Connect(portThread);
        show->LoadScenario("0.1 1 1\n0.2 1 2\n0.3 1 3\n");
    }
    size_t LinesStartingWith(const kv::TMessage& message)
    {
        const std::string text = kv::Localize(message);
        return static_cast<size_t>(std::count_if(
            platform.debugLines.begin(), platform.debugLines.end(),
            [&](const std::string& line) { return line.rfind(text, 0) == 0; }));
    }
    // The memory is locked on a thread of its own.
    bool MemoryLockedSoon()
    {
        for (int wait = 0; !platform.MemoryLocked() && wait < 1000; ++wait)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        return platform.MemoryLocked();
    }
    const int mainThread = static_cast<int>(gettid());
    const Request raised{mainThread, kv::TShowRealTime::kMainThreadPriority, true};
    const Request lowered{mainThread, 0, false};
};

// Raised and locked from the start, let go at the show's end and at a stop alike; a restart
// of the running show asks nothing again.
TEST_F(PlayerPriority, AShowHoldsItsPriorityAndMemoryUntilItsEndOrStop)
{
    Start(0);
    EXPECT_EQ(platform.realTimeRequests, std::vector<Request>{raised});
    EXPECT_TRUE(MemoryLockedSoon());
    platform.Advance(150);
    Start(0);
    EXPECT_EQ(platform.realTimeRequests.size(), 1u);
    ASSERT_TRUE(RunUntilStopped(3000));
    EXPECT_EQ(platform.realTimeRequests, (std::vector<Request>{raised, lowered}));
    EXPECT_FALSE(platform.MemoryLocked());

    Start(0);
    platform.Advance(150);
    EXPECT_TRUE(MemoryLockedSoon());
    Player().Stop(true);
    EXPECT_EQ(platform.realTimeRequests, (std::vector<Request>{raised, lowered, raised, lowered}));
    EXPECT_FALSE(platform.MemoryLocked());
    EXPECT_EQ(platform.memoryLocks, (std::vector<bool>{true, false, true, false}));
    // A stop with no show running has nothing to let go.
    Player().Stop(true);
    EXPECT_EQ(platform.realTimeRequests.size(), 4u);
}

// Refused: the show fires every cue at its moment all the same, and each refusal is logged
// once however many shows follow.
TEST_F(PlayerPriority, ARefusedRequestIsLoggedOnceAndTheShowFiresOnTime)
{
    platform.realTimeError = EPERM;
    platform.memoryLockError = ENOMEM;
    for (int run = 0; run < 2; ++run) {
        show->field->ClearRecord();
        const uint32_t start = Start(0);
        ASSERT_TRUE(RunUntilStopped(3000));
        const auto shots = show->Shots();
        ASSERT_EQ(shots.size(), 3u);
        for (size_t i = 0; i < shots.size(); ++i) {
            EXPECT_GE(Since(start, shots[i].Tick()), 100 * static_cast<int32_t>(i + 1));
            EXPECT_LE(Since(start, shots[i].Tick()), 100 * static_cast<int32_t>(i + 1) + 5);
        }
    }
    EXPECT_EQ(LinesStartingWith(kv::kMsgRealTimeRefused), 1u);
    EXPECT_EQ(LinesStartingWith(kv::kMsgMemoryLockRefused), 1u);
    // Nothing was locked, so nothing is unlocked.
    EXPECT_EQ(platform.memoryLocks, (std::vector<bool>{true, true}));
}

class PlayerPriorityWithPortThread : public PlayerPriority {
protected:
    void SetUp() override { Connect(true); }
};

// The port thread writes each shot at its millisecond: it is raised above the main thread.
TEST_F(PlayerPriorityWithPortThread, ThePortThreadIsRaisedAboveTheMainThreadAndLoweredAtTheStop)
{
    for (int wait = 0; show->port->ThreadId() == 0 && wait < 1000; ++wait)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    const int portThread = show->port->ThreadId();
    ASSERT_NE(portThread, 0);
    ASSERT_NE(portThread, mainThread);
    Start(0);
    platform.Advance(150);
    Player().Stop(true);
    const std::vector<Request> expected{
        raised, {portThread, kv::TShowRealTime::kPortThreadPriority, true}, lowered, {portThread, 0, false}};
    EXPECT_EQ(platform.realTimeRequests, expected);
}

// The music's feeding thread and the timecode capture date what the show clock follows: a
// step below the show's own threads, for the show's time only.
TEST_F(PlayerPriority, TheThreadsTheClockFollowsAreRaisedBelowTheShowsOwn)
{
    auto server = std::make_shared<kv::TVirtualSoundServer>([this] { return int64_t{platform.TickCount()} * 1000; },
                                                             50000);
    kv::InstallPlaybackOutput([server](std::unique_ptr<kv::TAudioDecoder> decoder) {
        return std::make_unique<kv::TPlaybackStream>(std::move(decoder), server);
    });
    kv::TSoundtrackFolder folder;
    ASSERT_TRUE(Player().LoadSoundtrack(folder.Make("track.wav", 2, "")));
    for (int wait = 0; Player().Soundtrack().FeedingThread() == 0 && wait < 1000; ++wait)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    const int feeder = Player().Soundtrack().FeedingThread();
    ASSERT_NE(feeder, 0);

    kv::TTimecodeInput input;
    const kv::TTimecodeSettings settings;
    kv::TTimecodeChase chase(input, settings);
    int capture = 0;
    std::thread([&] {
        const std::vector<float> silence(480);
        input.Write(silence.data(), silence.size(), platform.TickCount());
        capture = static_cast<int>(gettid());
    }).join();
    EXPECT_EQ(chase.CaptureThread(), capture);

    const int priority = kv::TShowRealTime::kClockSourcePriority;
    ASSERT_LT(priority, kv::TShowRealTime::kMainThreadPriority);
    Player().StartChased(0, chase);
    platform.Advance(50);
    Player().Stop(true);
    const std::vector<Request> expected{raised,           {feeder, priority, true}, {capture, priority, true},
                                        lowered,          {feeder, 0, false},       {capture, 0, false}};
    EXPECT_EQ(platform.realTimeRequests, expected);

    // A show on its own ticks follows no timecode: the capture keeps normal scheduling.
    platform.realTimeRequests.clear();
    Start(0);
    Player().Stop(true);
    EXPECT_EQ(platform.realTimeRequests,
              (std::vector<Request>{raised, {feeder, priority, true}, lowered, {feeder, 0, false}}));
    server->Release();
    Player().UnloadSoundtrack();
    kv::InstallPlaybackOutput(nullptr);
}

}  // namespace
}  // namespace kvtest
