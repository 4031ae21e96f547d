#include "show/CueTime.h"

#include <gtest/gtest.h>

#include <limits>

namespace kv {
namespace {

struct TTimeCase {
    const char* text;
    int32_t ms;
};

void ExpectTimes(std::initializer_list<TTimeCase> cases)
{
    for (const TTimeCase& c : cases)
        EXPECT_EQ(ParseCueTime(c.text), c.ms) << "time text: \"" << c.text << "\"";
}

TEST(CueTime, SecondsWithFractionDigits)
{
    ExpectTimes({{"12", 12000},
                 {"12.5", 12500},
                 {"12.05", 12050},
                 {"12.3456", 12345},
                 {"12.", 12000},
                 {"0", 0},
                 {"90", 90000},
                 {"007.001", 7001},
                 {"+3", 3000},
                 {"2147483", 2147483000}});
}

TEST(CueTime, ClockForms)
{
    ExpectTimes({{"1:30", 90000},
                 {"1:02:03.5", 3723500},
                 {"0:05.25", 5250},
                 {"23:59:59.999", 86399999},
                 {"59:59", 3599000},
                 {"00:00:00", 0}});
}

TEST(CueTime, UnreadableGivesZero)
{
    ExpectTimes({{"1:75", 0},
                 {"24:00:00", 0},
                 {"60:00", 0},
                 {"1:2:3:4", 0},
                 {"1::30", 0},
                 {"1:", 0},
                 {"-1:30", 0},
                 {".5", 0},
                 {"", 0},
                 {"abc", 0},
                 {"12a", 0},
                 {"12.x", 0},
                 {"99999999999", 0}});
}

TEST(CueTime, NonDigitEndsTheFraction)
{
    ExpectTimes({{"12.5x", 12500}, {"12.05.3", 12050}, {"1:30.7s", 90700}});
}

TEST(CueTime, NegativeTimesCountTheFractionBackwards)
{
    ExpectTimes({{"-5", -5000}, {"-5.5", -5500}, {"-0.25", -250}});
}

TEST(CueTime, MillisecondsBeyondThirtyTwoBitsDoNotWrap)
{
    // One second more would pass 2^31 - 1 ms; a wrapped value would be an early cue.
    ExpectTimes({{"2147483.647", 2147483647}, {"2147483.648", 0}, {"2147484", 0},
                 {"-2147483.648", std::numeric_limits<int32_t>::min()}, {"-2147484", 0}});
}

}  // namespace
}  // namespace kv
