#include "show/scenario/CueTime.h"

#include <gtest/gtest.h>

#include <limits>
#include <optional>

namespace kv {
namespace {

struct TTimeCase {
    const char* text;
    std::optional<int32_t> ms;
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

// These once read as 0 or as a part of the text, and so became cues at another moment than
// the one written (at the show's start, most of them): a text that is not wholly a time is
// no time at all.
TEST(CueTime, UnreadableIsNoTime)
{
    ExpectTimes({{"1:75", std::nullopt},
                 {"75:30", std::nullopt},
                 {"24:00:00", std::nullopt},
                 {"60:00", std::nullopt},
                 {"1:2:3:4", std::nullopt},
                 {"1::30", std::nullopt},
                 {"1:", std::nullopt},
                 {"-1:30", std::nullopt},
                 {".5", std::nullopt},
                 {"", std::nullopt},
                 {"abc", std::nullopt},
                 {"12a", std::nullopt},
                 {"12.x", std::nullopt},
                 {"99999999999", std::nullopt}});
}

TEST(CueTime, DecimalCommaAndStrayCharactersAreNoTime)
{
    ExpectTimes({{"12,5", std::nullopt},
                 {"\u2212" "5", std::nullopt},  // a Unicode minus, as word processors write it
                 {"12.5x", std::nullopt},
                 {"12.05.3", std::nullopt},
                 {"1:30.7s", std::nullopt},
                 {"12.3456x", std::nullopt}});
}

TEST(CueTime, NegativeTimesCountTheFractionBackwards)
{
    ExpectTimes({{"-5", -5000}, {"-5.5", -5500}, {"-0.25", -250}});
}

TEST(CueTime, MillisecondsBeyondThirtyTwoBitsDoNotWrap)
{
    // One second more would pass 2^31 - 1 ms; a wrapped value would be an early cue.
    ExpectTimes({{"2147483.647", 2147483647}, {"2147483.648", std::nullopt},
                 {"2147484", std::nullopt}, {"-2147483.648", std::numeric_limits<int32_t>::min()},
                 {"-2147484", std::nullopt}});
}

}  // namespace
}  // namespace kv
