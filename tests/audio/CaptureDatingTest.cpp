// The dating of captured blocks by the record latency, with its sign.
#include "audio/CaptureDating.h"

#include <gtest/gtest.h>

namespace kv {
namespace {

TEST(CaptureDating, ALatencyBelowZeroDatesTheSamplesAfterTheyCameIn)
{
    // A sink's monitor: the samples come in 15.2 ms before the sink plays them. Taken as 0,
    // they would be dated when they came in, and a clock set from them would run ahead.
    TCaptureDating monitor;
    monitor.Read(-15200);
    EXPECT_EQ(monitor.EndTick(1000), 1000u + 1 + 16) << "the later millisecond";
    // A sound card's input: captured 5.4 ms before they came in.
    TCaptureDating card;
    card.Read(5400);
    EXPECT_EQ(card.EndTick(1000), 1000u + 1 - 5);
    // Dated after now across the tick counter's wrap.
    EXPECT_EQ(static_cast<int32_t>(*monitor.EndTick(0xFFFFFFFFu - 3) - (0xFFFFFFFFu - 3)), 17);
}

TEST(CaptureDating, OfTheLastReadingsTheOneThatDatesLatestIsTaken)
{
    TCaptureDating dating;
    EXPECT_FALSE(dating.EndTick(1000)) << "nothing to date by before the first reading";
    dating.Read(8000);
    dating.Read(-3000);
    dating.Read(2000);
    EXPECT_EQ(dating.EndTick(1000), 1000u + 1 + 3);
    // Half a second of 10 ms blocks later the reading has gone out of the window.
    for (int i = 0; i < 48; ++i)
        dating.Read(2000);
    EXPECT_EQ(dating.EndTick(1000), 1000u + 1 + 3);
    dating.Read(2000);
    EXPECT_EQ(dating.EndTick(1000), 1000u + 1 - 2);
}

}  // namespace
}  // namespace kv
