// The stop of an autonomous show on the simulated field, with the modules on several
// converters: the modules play their memory on their own clocks, so a stop that one of them
// misses, or that a converter does not take, leaves it firing after the stop.
#include "rigs/VirtualShow.h"

#include "devices/memory/ModuleTransfer.h"
#include "show/player/bus/StopBroadcast.h"
#include "support/lang/AddedMessages.h"

#include <algorithm>
#include <map>
#include <utility>

namespace kvtest {
namespace {

constexpr int kConverters = 3;
constexpr int kChannels = 128;

class PlayerStop : public VirtualShow {
protected:
    void SetUp() override
    {
        for (int converter = 0; converter < kConverters; ++converter) {
            kv::TModuleSetup setup = Module(converter + 1);
            setup.converter = converter;
            setup.channels = kChannels;
            setup.channelOhms.assign(kChannels, 10.0);
            show->AddModule(setup);
        }
        show->Connect();
        Reconfigure(Player(), &kv::TShowSetup::controlMode, kv::kControlAutonomous);
        // A cue every 5 ms from 0.5 s to 2 s, the modules in turn, written into their memory.
        std::string text;
        for (int i = 0; i < 300; ++i) {
            const int ms = 500 + 5 * i;
            text += std::to_string(ms / 1000) + "." + std::to_string(1000 + ms % 1000).substr(1) +
                    " " + std::to_string(i % kConverters + 1) + " " +
                    std::to_string(i / kConverters + 1) + "\n";
        }
        show->LoadScenario(text);
        ASSERT_EQ(kv::TModuleTransfer(*show->registry).WriteScenario(kv::TCueView(show->scenario.Cues())), 0);
        show->field->ClearRecord();
    }

    // Stop forms of the clock message the PC put on one converter's line.
    size_t StopsOn(int converter)
    {
        const auto frames = show->Sent(0x90);
        return static_cast<size_t>(std::count_if(frames.begin(), frames.end(), [&](const kv::TFrameEntry& f) {
            return f.converter == converter && f.bytes[3] == 0;
        }));
    }
    size_t ShotsTwice()
    {
        std::map<std::pair<int, int>, int> shots;
        for (const kv::TShotEntry& shot : show->Shots())
            ++shots[{shot.address, shot.channel}];
        return static_cast<size_t>(std::count_if(shots.begin(), shots.end(),
                                                 [](const auto& shot) { return shot.second > 1; }));
    }
};

// F6 once sent one stop frame: a module that missed it (noise, a radio hop) played the rest
// of its memory while the console showed the show stopped.
TEST_F(PlayerStop, AModuleThatMissesAStopFrameFiresNothingAfterTheStop)
{
    // Stopped just before and after a tenth: a resume starts the modules' clocks on one.
    for (uint32_t stopAt = 1070; stopAt < 1110; stopAt += 3) {
        const int missed = 1 + static_cast<int>(stopAt % 2);  // the last sending reaches it
        show->field->WithDevice(kConverters, [&](kv::TSimDevice& module) { module.Faults().missedStops = missed; });
        Start(0);
        platform.Advance(stopAt);
        Player().Stop(false);
        const size_t shots = show->Shots().size();
        EXPECT_EQ(StopsOn(kConverters - 1), static_cast<size_t>(kv::TStopBroadcast::kSendings));
        platform.Advance(3000);
        EXPECT_EQ(show->Shots().size(), shots) << "a module fired after the stop at " << stopAt;

        // It stood only at a later sending, and may have fired until then: the resume must
        // not start it at or before such a cue.
        Start(Player().CurrentTime());
        ASSERT_TRUE(RunUntilStopped(5000));
        platform.Advance(1000);
        EXPECT_EQ(ShotsTwice(), 0u) << "stopped at " << stopAt;
        EXPECT_GE(show->Shots().size(), 300u - 21) << "more than the tenth the stop fell in passed over";
        show->field->ClearRecord();
    }
}

// A start further on while the show runs stands the modules' clocks first: one that missed
// that stop and heard the new time would have fired every cue on the way there at once.
TEST_F(PlayerStop, ARestartFurtherOnFiresNoCueOnTheWayForAModuleThatMissedAStop)
{
    Start(0);
    platform.Advance(700);
    show->field->WithDevice(kConverters, [](kv::TSimDevice& module) { module.Faults().missedStops = 1; });
    const uint32_t restart = Start(1500);
    platform.Advance(1000);
    const auto clocks = show->Sent(0x90);
    const auto newTime = std::find_if(clocks.begin(), clocks.end(), [&](const kv::TFrameEntry& frame) {
        return frame.bytes[3] == 0x80 && Since(restart, frame.Tick()) >= 0;
    });
    ASSERT_NE(newTime, clocks.end());
    for (const kv::TShotEntry& shot : show->Shots()) {
        const int32_t cueTime = 500 + 5 * (shot.channel * kConverters + shot.address - 1);
        if (cueTime < 1500) {
            EXPECT_LT(Since(newTime->Tick(), shot.Tick()), 0)
                << "module " << shot.address << " fired the cue at " << cueTime << " on the way";
        }
    }
    Player().Stop(false);
}

// A stop that one converter did not take (no echo) once counted as sent when the last
// converter's echo came back, and went nowhere again. It goes again until every converter
// took it, and no longer than the modules could play their memory: later it would stop only
// another station's show.
TEST_F(PlayerStop, AStopAConverterDidNotTakeGoesAgainWhileTheModulesCouldPlay)
{
    Start(0);
    platform.Advance(1000);
    show->field->SetBadEcho(1, true);
    Player().Stop(false);
    const size_t first = StopsOn(2);
    EXPECT_TRUE(Logged(kv::Localize(kv::kMsgStopNotTaken)));
    platform.Advance(1000);
    EXPECT_GE(StopsOn(2), first + 3) << "not sent again";
    show->field->SetBadEcho(1, false);
    platform.Advance(300);
    const size_t taken = StopsOn(2);
    EXPECT_TRUE(Logged(kv::Localize(kv::kMsgStopTakenOnRepeat)));
    platform.Advance(5000);
    EXPECT_EQ(StopsOn(2), taken) << "sent again after every converter took it";

    show->field->SetBadEcho(1, true);
    Start(0);
    platform.Advance(1000);
    Player().Stop(false);
    // A show started meanwhile is not stopped by the stop of the last one.
    Start(0);
    const size_t running = StopsOn(2);
    platform.Advance(600);
    EXPECT_EQ(StopsOn(2), running) << "the last show's stop stopped this one";
    Player().Stop(false);
    platform.Advance(10'000);
    const size_t later = StopsOn(2);
    EXPECT_GT(later, running + kv::TStopBroadcast::kSendings);
    platform.Advance(10'000);
    EXPECT_EQ(StopsOn(2), later) << "still sent long after the modules' memory ran out";
}

}  // namespace
}  // namespace kvtest
