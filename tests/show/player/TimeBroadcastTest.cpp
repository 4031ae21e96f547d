// What the modules' clocks are told in an autonomous show: never ahead of the show's, at any
// pace, with looks up to their slack late, the heard music standing between two looks and
// the clock set back; started again only above where they played.
#include "show/player/bus/TimeBroadcast.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>

namespace kvtest {
namespace {

constexpr uint32_t kPeriodMs = 25;
constexpr uint32_t kNearWrap = 0xFFFFFFFFu - 2000;

using Action = kv::TTimeBroadcast::TAction;

struct TCase {
    int32_t tempo;
    int32_t interval;
    bool mayStand;
    int32_t from;
};

// The modules' clocks as the frames set them: a start sets and runs them, a stop stands them.
struct TModuleClocks {
    bool running = false;
    int64_t time = 0;
    uint32_t tick = 0;
    int64_t At(uint32_t now) const { return running ? time + static_cast<uint32_t>(now - tick) : time; }
};

int64_t Ms(int64_t thousandths)
{
    return thousandths >= 0 ? thousandths / 1000 : -((-thousandths + 999) / 1000);
}

// Five seconds of a show from c.from; a second and a half in, its clock is set back 0.7 s.
// Returns how many starts went out.
int PlayShow(const TCase& c)
{
    const int32_t floor = c.from + 66;  // the modules must not fire the cue before it
    kv::TTimeBroadcast broadcast(kPeriodMs);
    broadcast.Begin(floor);
    TModuleClocks modules;
    int64_t show = int64_t{c.from} * 1000;  // thousandths of a ms
    int64_t furthest = INT64_MIN;           // the modules played up to
    int starts = 0;
    uint32_t now = kNearWrap;
    uint32_t nextLook = now;
    uint32_t jitter = 7;
    const auto look = [&] {
        const kv::TTimeBroadcast::TFrame frame = broadcast.Next(
            {static_cast<int32_t>(Ms(show)), now, c.tempo, c.mayStand}, c.interval);
        if (frame.action == Action::None)
            return;
        EXPECT_EQ(frame.time % 100, 0) << "the bus carries tenths";
        if (frame.action == Action::Start && !modules.running) {
            // From standing they fire every cue from the time heard on.
            EXPECT_GE(frame.time, std::max(floor, 0)) << "below the show's start";
            EXPECT_GT(frame.time, furthest) << "they would fire again what they fired";
        }
        broadcast.Sent(frame, now);
        if (frame.action == Action::Start)
            ++starts;
        modules = {frame.action == Action::Start, modules.running && frame.action == Action::Stop
                                                       ? modules.At(now)
                                                       : frame.time,
                   now};
    };
    for (int ms = 0; ms < 5000; ++ms, ++now) {
        if (now == nextLook) {
            look();
            jitter = jitter * 1103515245u + 12345u;
            nextLook = now + kPeriodMs + (jitter >> 16) % 6;  // up to 5 ms late
        }
        if (ms == 1500) {
            // The offset set back: the show tells the modules at once.
            show -= 700'000;
            look();
        }
        if (modules.running) {
            furthest = std::max(furthest, modules.At(now));
            if (modules.At(now) > Ms(show)) {
                ADD_FAILURE() << "modules at " << modules.At(now) << " ahead of the show at " << Ms(show)
                              << ", " << ms << " ms in";
                return starts;
            }
        }
        // The heard music stands 300 ms in every second, between two looks.
        const bool stands = c.mayStand && ms % 1000 >= 611 && ms % 1000 < 911;
        if (!stands)
            show += c.tempo;
    }
    return starts;
}

TEST(TimeBroadcast, TheModulesAreNeverAheadOfTheShowAndStartOnlyAboveWhatTheyPlayed)
{
    for (const int32_t tempo : {500, 997, 1000, 1003, 2000})
        for (const int32_t interval : {1000, 100, -1})
            for (const bool mayStand : {false, true})
                for (const int32_t from : {-300, 1234}) {
                    const TCase c{tempo, interval, mayStand, from};
                    SCOPED_TRACE(::testing::Message() << "tempo " << tempo << ", interval " << interval
                                                      << (mayStand ? ", music" : "") << ", from " << from);
                    EXPECT_GT(PlayShow(c), 1);
                }
}

TEST(TimeBroadcast, AShowSetBackBelowZeroStandsTheModulesUntilItIsPastWhereTheyStood)
{
    kv::TTimeBroadcast broadcast(kPeriodMs);
    broadcast.Begin(0);
    const auto next = [&](int32_t time, uint32_t now) { return broadcast.Next({time, now, 1000, false}, 1000); };
    kv::TTimeBroadcast::TFrame frame = next(1000, 0);
    ASSERT_EQ(frame.action, Action::Start);
    EXPECT_EQ(frame.time, 1000) << "at full pace, the tenth at or below the show";
    broadcast.Sent(frame, 0);
    EXPECT_EQ(next(-40, 200).action, Action::Stop) << "the bus has no time below 0";
    broadcast.Sent({Action::Stop, 0}, 200);
    EXPECT_FALSE(broadcast.Running());
    // They stood at 1.2 s and a little more on the stop's way to them: a start at or below it
    // would fire once more what they fired.
    EXPECT_EQ(next(1290, 1400).action, Action::None);
    frame = next(1300, 1410);
    ASSERT_EQ(frame.action, Action::Start);
    EXPECT_EQ(frame.time, 1300);
    EXPECT_TRUE(broadcast.Restarted());
}

}  // namespace
}  // namespace kvtest
