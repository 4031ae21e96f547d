// A show whose sound server stops answering in the middle, on virtual time: the soundtrack
// plays through the real playback stream and its feeding thread, on a server of the test's
// own whose calls then block for 3 s.
#include "rigs/VirtualShow.h"

#include "audio/PlaybackStream.h"
#include "audio/SoundFeeder.h"
#include "rigs/SoundtrackFiles.h"
#include "rigs/VirtualSoundServer.h"
#include "link/BusEncoding.h"
#include "support/lang/AddedMessages.h"

#include <chrono>
#include <thread>

namespace kvtest {
namespace {

constexpr int kLatencyMs = 50;
constexpr int kStallMs = 3000;
constexpr int32_t kStallAt = 600;
const std::string kStallLine = kv::kMsgSoundtrackStalled.text;

class PlayerStalledOutput : public VirtualShow, public ::testing::WithParamInterface<kv::TServerStall> {
protected:
    void SetUp() override
    {
        const uint32_t base = platform.TickCount();
        server = std::make_shared<kv::TVirtualSoundServer>(
            [this, base] { return int64_t{static_cast<int32_t>(platform.TickCount() - base)} * 1000; },
            kLatencyMs * 1000);
        kv::InstallPlaybackOutput([server = server](std::unique_ptr<kv::TAudioDecoder> decoder) {
            return std::make_unique<kv::TPlaybackStream>(std::move(decoder), server);
        });
        show->AddModule(Module(1));
        show->Connect();
        // A cue every quarter of a second: before, during and after the stall.
        std::string scenario;
        for (int cue = 1; cue <= 16; ++cue)
            scenario += std::to_string(cue / 4) + "." + std::to_string(cue % 4 * 25) + " 1 " +
                        std::to_string(cue) + "\n";
        show->LoadScenario(scenario);
        ASSERT_TRUE(Player().LoadSoundtrack(folder.Make("track.wav", 6, "")));
    }
    void TearDown() override
    {
        server->Release();
        Player().UnloadSoundtrack();
        kv::InstallPlaybackOutput(nullptr);
    }
    // Virtual time in small steps, each once the feeding thread has the music playing and
    // queued well ahead. It tops the queue up every 10 ms of real time: on a loaded machine
    // virtual time ran past its first write or its whole lead meanwhile, the music began late
    // or ran dry as on no real server, and the clock that follows it held the cues back.
    void Run(uint32_t ms)
    {
        for (uint32_t step = 0; step < ms; step += 5) {
            const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(1);
            while (Player().Soundtrack().IsPlaying() && !server->Holding() &&
                   server->QueuedUs() < kv::TSoundFeeder::kLeadUs * 2 / 3 &&
                   std::chrono::steady_clock::now() < giveUp)
                std::this_thread::sleep_for(std::chrono::microseconds(200));
            platform.Advance(5);
            std::this_thread::sleep_for(std::chrono::microseconds(500));
        }
    }
    int LogCount(const std::string& line)
    {
        return static_cast<int>(std::count(platform.debugLines.begin(), platform.debugLines.end(), line));
    }
    // The frames that tell the modules and the other stations to stop.
    std::vector<kv::TFrameEntry> StopFrames()
    {
        std::vector<kv::TFrameEntry> frames = show->Sent(0x11);
        for (const kv::TFrameEntry& clock : show->Sent(0x90))
            if ((clock.bytes[3] & 0x80) == 0)
                frames.push_back(clock);
        return frames;
    }

    kv::TSoundtrackFolder folder;
    std::shared_ptr<kv::TVirtualSoundServer> server;
};

TEST_P(PlayerStalledOutput, TheShowGoesOnByItsOwnClockAndStopsAtOnce)
{
    const uint32_t start = Start(0);
    Run(kStallAt);
    server->Stall(GetParam(), kStallMs);
    Run(1400 - kStallAt);
    EXPECT_EQ(LogCount(kStallLine), 1);

    // The cues due while the server holds the music fire on time all the same.
    const std::vector<kv::TShotEntry> fired = show->Shots();
    ASSERT_EQ(fired.size(), 5u);
    for (size_t i = 0; i < fired.size(); ++i) {
        const int32_t due = 250 * static_cast<int32_t>(i + 1);
        EXPECT_GE(Since(start, fired[i].Tick()), due) << "cue " << i + 1;
        EXPECT_LE(Since(start, fired[i].Tick()), due + kLatencyMs + 25 + 5) << "cue " << i + 1;
    }

    // F6 twice: the show, then the music, each at once.
    const uint32_t stopAsked = platform.TickCount();
    Player().Stop(!Player().IsRunning());
    const std::vector<kv::TFrameEntry> stops = StopFrames();
    ASSERT_EQ(stops.size(), 2u);
    for (const kv::TFrameEntry& frame : stops)
        EXPECT_LE(Since(stopAsked, kv::FieldTick(frame.startNs)), 25);
    Player().Stop(!Player().IsRunning());
    EXPECT_FALSE(Player().Soundtrack().IsPlaying());
    EXPECT_TRUE(server->Holding()) << "nothing waited for the server";

    // Once the server answers again, nothing more fires and its stream is closed.
    Run(kStallMs);
    EXPECT_EQ(show->Shots().size(), 5u);
    EXPECT_FALSE(Player().IsRunning());
    EXPECT_TRUE(platform.AdvanceUntil([&] { return server->OpenOutputs() == 0; }, 2000, 1));
    EXPECT_EQ(LogCount(kStallLine), 1);
}

TEST_P(PlayerStalledOutput, AStopHeardOnTheBusActsAtOnce)
{
    Start(0);
    Run(kStallAt);
    server->Stall(GetParam(), kStallMs);
    Run(700);
    const size_t shots = show->Shots().size();
    const uint32_t stopHeard = platform.TickCount();
    Player().HandleMessage({0x90, 0, 10, 0x00, 0, 0});
    EXPECT_FALSE(Player().IsRunning());
    const std::vector<kv::TFrameEntry> notices = show->Sent(0x11);
    ASSERT_EQ(notices.size(), 1u);
    EXPECT_LE(Since(stopHeard, kv::FieldTick(notices[0].startNs)), 25);
    EXPECT_TRUE(server->Holding());
    Run(kStallMs);
    EXPECT_EQ(show->Shots().size(), shots) << "a cue due in the stall fired after the stop";
}

TEST_P(PlayerStalledOutput, AServerStalledFromTheStartLetsTheShowGoOnFromItsStartPoint)
{
    server->Stall(GetParam(), kStallMs);
    const uint32_t start = Start(1000);
    // The stall counts from the feeding thread's first call; on a loaded machine that call
    // came after the whole second of virtual time had run (the show then rightly held).
    for (int i = 0; i < 2000 && !server->Holding(); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    Run(1000);
    EXPECT_EQ(LogCount(kStallLine), 1);
    const std::vector<kv::TShotEntry> fired = show->Shots();
    ASSERT_FALSE(fired.empty()) << "the show waited for a server that does not answer";
    // Held below the start point for the music until the stall shows, then on by the ticks.
    EXPECT_LE(Since(start, fired[0].Tick()), kv::TSoundFeeder::kStallUs / 1000 + 25 + 5);
    Player().Stop(true);
    EXPECT_TRUE(server->Holding());
}

INSTANTIATE_TEST_SUITE_P(Stalls, PlayerStalledOutput,
                         ::testing::Values(kv::TServerStall::WriteRoom, kv::TServerStall::Latency,
                                           kv::TServerStall::Everything),
                         [](const auto& info) { return kv::StallName(info.param); });

}  // namespace
}  // namespace kvtest
