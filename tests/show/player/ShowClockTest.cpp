// The show clock on the tick counter: its moments, below 0, at the tempo limits and across
// a wrap of the counter.
#include "audio/BassPlayer.h"
#include "show/player/run/ShowClock.h"
#include "support/platform/VirtualPlatform.h"

#include <gtest/gtest.h>

namespace kvtest {
namespace {

constexpr uint32_t kNearWrap = 0xFFFFFFFFu - 100;

class ShowClock : public ::testing::Test {
protected:
    ShowClock() { kv::InstallPlatform(&platform); }
    ~ShowClock() override { kv::InstallPlatform(nullptr); }

    kv::TVirtualPlatform platform{kNearWrap};
    kv::TBassPlayer music;  // none loaded: the clock goes by the ticks
    std::vector<int32_t> jumps;
    kv::TShowClock clock{music, [this](int32_t to, uint32_t) { jumps.push_back(to); }};
};

TEST_F(ShowClock, ReadsTheTicksAtItsTempoAcrossTheCounterWrapAndBelowItsStart)
{
    // Half, normal and double speed, a start point of 1 s, 100 ms before the counter wraps.
    for (const int32_t tempo : {500, 1000, 2000}) {
        clock.SetTempo(tempo, kNearWrap, false);
        clock.Begin(1000, kNearWrap);
        EXPECT_EQ(clock.At(kNearWrap + 2000), 1000 + 2 * tempo) << tempo;
        EXPECT_EQ(clock.At(kNearWrap + 101), 1000 + 101 * tempo / 1000) << "wrapped, " << tempo;
        EXPECT_EQ(clock.Look(kNearWrap + 101).time, clock.At(kNearWrap + 101));
    }
    // At 100.3 % one tick before the start reads 1.003 ms back, rounded down: never ahead.
    clock.SetTempo(1003, kNearWrap, false);
    clock.Begin(0, kNearWrap);
    EXPECT_EQ(clock.At(kNearWrap - 1), -2);
    EXPECT_EQ(clock.At(kNearWrap + 1), 1);
    // The offset moves the whole show, below 0 too.
    clock.SetTempo(1000, kNearWrap, false);
    clock.SetOffset(-1000);
    clock.Begin(0, kNearWrap);
    EXPECT_EQ(clock.At(kNearWrap + 600), -400);
    EXPECT_TRUE(jumps.empty());
}

TEST_F(ShowClock, ADueTickIsTheFirstTickThatReadsTheTime)
{
    // Cue times before, at and after the start point, across the wrap, at every pace a start
    // may be given and just off 100 %.
    for (const int32_t tempo : {500, 997, 1000, 1003, 2000})
        for (const int32_t offset : {-1000, 0, 50})
            for (const int32_t from : {-5000, 0, 1250}) {
                clock.SetTempo(tempo, kNearWrap, false);
                clock.SetOffset(offset);
                clock.Begin(from, kNearWrap);
                for (int32_t time = from - 2000; time < from + 3000; time += 7) {
                    const uint32_t due = clock.DueTick(time, kNearWrap);
                    ASSERT_GE(clock.At(due), time) << "early: " << tempo << " " << offset << " " << time;
                    if (due != kNearWrap)
                        ASSERT_LT(clock.At(due - 1), time) << "late: " << tempo << " " << offset << " " << time;
                    // The cue was reached no later than its due tick.
                    ASSERT_LE(static_cast<int32_t>(clock.ReachedTick(time) - due), 0) << time;
                }
            }
    // The scenario's own numbers: 201 ms at 100.3 % is due 200.4 ms in, so at the 201st tick.
    clock.SetTempo(1003, kNearWrap, false);
    clock.SetOffset(0);
    clock.Begin(0, kNearWrap);
    EXPECT_EQ(clock.DueTick(201, kNearWrap), kNearWrap + 201);
}

TEST_F(ShowClock, ATempoChangeGoesOnFromThePresentReadingAndZeroStandsTheClock)
{
    clock.SetTempo(1000, kNearWrap, false);
    clock.SetOffset(0);
    clock.Begin(0, kNearWrap);
    EXPECT_TRUE(clock.Predictable());
    clock.SetTempo(2000, kNearWrap + 1000, true);
    EXPECT_EQ(clock.At(kNearWrap + 1000), 1000) << "no step at the change";
    EXPECT_EQ(clock.At(kNearWrap + 1500), 2000);
    clock.SetTempo(0, kNearWrap + 1500, true);
    EXPECT_EQ(clock.At(kNearWrap + 9000), 2000) << "stands";
    EXPECT_FALSE(clock.Predictable()) << "no moment ahead can be reckoned at tempo 0";
    EXPECT_EQ(clock.ReachedTick(2500), platform.TickCount());
    EXPECT_EQ(clock.Source(), kv::TClockSource::Ticks);
}

}  // namespace
}  // namespace kvtest
