// The soundtrack of a show on virtual time, the sound going to a real audio server.
#include "rigs/VirtualShow.h"

#include "rigs/SoundtrackFiles.h"

#include <chrono>
#include <cstdlib>
#include <thread>
#include <utility>

namespace kvtest {
namespace {

class PlayerSoundtrack : public VirtualShow {
protected:
    void SetUp() override
    {
        if (!kv::RequireAudioServer())
            return;
        show->AddModule(Module(1));
        show->Connect();
        ASSERT_TRUE(Player().LoadSoundtrack(folder.Make("track.wav", 3, "")));
        Player().timeReportInterval = -1;
        Player().OnTime = [this](int32_t time) {
            ticks.push_back({time, Player().Soundtrack().IsPlaying()});
        };
    }

    // The server plays in real time and the clock follows the music it hears: the virtual
    // time must keep its pace.
    bool RunInStepWithTheMusic(int limitMs)
    {
        for (int waited = 0; Player().IsRunning(); waited += 25) {
            if (waited >= limitMs)
                return false;
            std::this_thread::sleep_for(std::chrono::milliseconds(25));
            platform.Advance(25);
        }
        return true;
    }

    kv::TSoundtrackFolder folder;
    std::vector<std::pair<int32_t, bool>> ticks;  // clock, soundtrack playing
};

TEST_F(PlayerSoundtrack, StartBeforeZeroHoldsTheSoundtrackUntilTheClockGetsThere)
{
    show->LoadScenario("0.5 1 1\n");
    Player().Soundtrack().PlayFrom(2000);  // the operator listened before the show
    Start(-1000);
    EXPECT_FALSE(Player().Soundtrack().IsPlaying()) << "would run ahead of the show";
    int64_t positionAtZero = -1;
    while (Player().IsRunning() && Player().CurrentTime() < 0)
        platform.Advance(25);
    positionAtZero = Player().Soundtrack().TimePosition();
    ASSERT_TRUE(RunInStepWithTheMusic(5000));

    ASSERT_FALSE(ticks.empty());
    // Once the clock reaches 0 the music plays; the clock may then stand a little below 0
    // until the output's latency has gone by and the first sample is heard.
    for (const auto& [time, playing] : ticks) {
        if (time >= 0) {
            EXPECT_TRUE(playing) << "at " << time << " ms";
        } else if (playing) {
            EXPECT_GT(time, -50) << "played long before the clock reached 0";
        }
    }
    EXPECT_GE(positionAtZero, 0);
    EXPECT_LT(positionAtZero, 100) << "the music starts at its beginning when the clock is 0";
    EXPECT_TRUE(Player().Soundtrack().IsPlaying()) << "the end of the scenario leaves it playing";
}

TEST_F(PlayerSoundtrack, StartAtOrAfterZeroPlaysFromTheStartPointAtOnce)
{
    show->LoadScenario("1.5 1 1\n");
    Start(1000);
    EXPECT_TRUE(Player().Soundtrack().IsPlaying());
    EXPECT_GE(Player().Soundtrack().TimePosition(), 1000);
    EXPECT_LT(Player().Soundtrack().TimePosition(), 1100);
}

}  // namespace
}  // namespace kvtest
