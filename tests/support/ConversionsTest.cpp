#include "support/text/Conversions.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using namespace kv;

TEST(Conversions, RoundHalfAwayRoundsToFourDecimalsFirst)
{
    EXPECT_EQ(RoundHalfAway(2.5), 3);
    EXPECT_EQ(RoundHalfAway(-2.5), -3);
    EXPECT_EQ(RoundHalfAway(2.49996), 3);
    EXPECT_EQ(RoundHalfAway(2.49994), 2);
    EXPECT_EQ(RoundHalfAway(2.4), 2);
    EXPECT_EQ(RoundHalfAway(-2.4), -2);
    EXPECT_EQ(RoundHalfAway(0.5), 1);
    EXPECT_EQ(RoundHalfAway(-0.49999), -1);
    EXPECT_EQ(RoundHalfAway(0.0), 0);
    EXPECT_EQ(RoundHalfAway(1.15 * 100), 115);  // 114.99999999999999 in binary
    EXPECT_EQ(RoundHalfAway(1e15 + 0.4), 1000000000000000);
}

TEST(Conversions, TruncNudgedForgivesBinaryFractions)
{
    EXPECT_EQ(TruncNudged(0.29 * 100), 29);  // 28.999999999999996
    EXPECT_EQ(TruncNudged(-0.29 * 100), -29);
    EXPECT_EQ(TruncNudged(2.9), 2);
    EXPECT_EQ(TruncNudged(-2.9), -2);
    EXPECT_EQ(TruncNudged(1e300), std::numeric_limits<int64_t>::max());
    EXPECT_EQ(TruncNudged(-1e300), std::numeric_limits<int64_t>::min());
    EXPECT_EQ(TruncNudged(std::nan("")), 0);
}

TEST(Conversions, ClockTextShowsTheTimeOfDayWithTheAskedFraction)
{
    EXPECT_EQ(ClockText(25500, 1), "0:00:25.5");
    EXPECT_EQ(ClockText(0, 1), "0:00:00.0");
    EXPECT_EQ(ClockText(3723456, 0), "1:02:03");
    EXPECT_EQ(ClockText(3723456, 2), "1:02:03.45");
    EXPECT_EQ(ClockText(3723056, 3), "1:02:03.056");
    EXPECT_EQ(ClockText(25 * 3600 * 1000 + 1000, 0), "1:00:01");  // hours wrap
    EXPECT_EQ(ClockText(-1500, 1), "-0:00:01.5");
}

TEST(Conversions, TextToRealTakesCommaAndPoint)
{
    EXPECT_DOUBLE_EQ(TextToReal("1,5"), 1.5);
    EXPECT_DOUBLE_EQ(TextToReal("1.5"), 1.5);
    EXPECT_DOUBLE_EQ(TextToReal(" 20,5 "), 20.5);
    EXPECT_DOUBLE_EQ(TextToReal("-0.25"), -0.25);
    EXPECT_DOUBLE_EQ(TextToReal("+200"), 200);
    EXPECT_DOUBLE_EQ(TextToReal("2e3"), 2000);
    EXPECT_EQ(TextToReal(""), 0);
    EXPECT_EQ(TextToReal("abc"), 0);
    EXPECT_EQ(TextToReal("1.5.3"), 0);
    EXPECT_EQ(TextToReal("12ohm"), 0);
    EXPECT_EQ(TextToReal("-"), 0);
    EXPECT_EQ(TextToReal("inf"), 0);
}

TEST(Conversions, IntegersAsTheOperatorsFilesWriteThem)
{
    EXPECT_EQ(TextToIntOrZero("116"), 116);
    EXPECT_EQ(TextToIntOrZero("-42"), -42);
    EXPECT_EQ(TextToIntOrZero("+7"), 7);
    EXPECT_EQ(TextToIntOrZero("$1F"), 31);
    EXPECT_EQ(TextToIntOrZero("0x1f"), 31);
    EXPECT_EQ(TextToIntOrZero("-$10"), -16);
    EXPECT_EQ(TextToIntOrZero("12a"), 0);
    EXPECT_EQ(TextToIntOrZero("1.5"), 0);
    EXPECT_EQ(TextToIntOrZero(""), 0);
    EXPECT_EQ(TextToIntOrZero("-"), 0);
    EXPECT_EQ(TextToIntOrZero("$"), 0);
    EXPECT_EQ(TextToIntOrZero("9223372036854775807"), std::numeric_limits<int64_t>::max());
    EXPECT_EQ(TextToIntOrZero("-9223372036854775808"), std::numeric_limits<int64_t>::min());
    EXPECT_EQ(TextToIntOrZero("9223372036854775808"), 0);

    EXPECT_EQ(ParseInteger("2147483647", 32), 2147483647);
    EXPECT_EQ(ParseInteger("-2147483648", 32), -2147483648LL);
    EXPECT_EQ(ParseInteger("2147483648", 32), std::nullopt);
    EXPECT_EQ(ParseInteger("$FFFFFFFF", 32), -1);
    EXPECT_EQ(ParseInteger("$100000000", 32), std::nullopt);
}

TEST(Conversions, HexToIntReadsDigitsOfEitherCaseUpToTheFirstOther)
{
    EXPECT_EQ(HexToInt("1A2"), 0x1A2u);
    EXPECT_EQ(HexToInt("ff"), 0xFFu);
    EXPECT_EQ(HexToInt("FFFFFFFFFFFFFFFF"), ~uint64_t{0});
    EXPECT_EQ(HexToInt("12 34"), 0x12u);
    EXPECT_EQ(HexToInt(""), 0u);
}

TEST(Conversions, EnsureExtensionComparesWithoutCase)
{
    EXPECT_EQ(EnsureExtension("show.TXT", ".txt"), "show.TXT");
    EXPECT_EQ(EnsureExtension("show", ".txt"), "show.txt");
    EXPECT_EQ(EnsureExtension("show.dat", ".txt"), "show.dat.txt");
    EXPECT_EQ(EnsureExtension("dir.v2/show", ".txt"), "dir.v2/show.txt");
}

TEST(Conversions, DatesAndTimesInTheRussianFormats)
{
    std::tm time{};
    time.tm_year = 2026 - 1900;
    time.tm_mon = 11;
    time.tm_mday = 7;
    time.tm_hour = 1;
    time.tm_min = 0;
    time.tm_sec = 3;
    EXPECT_EQ(ShortDateText(time), "07.12.2026");
    EXPECT_EQ(DateTimeText(time), "07.12.2026 1:00:03");
    time.tm_hour = 23;
    EXPECT_EQ(DateTimeText(time), "07.12.2026 23:00:03");
}

TEST(Conversions, ProgramFolderAndVersion)
{
    const std::string folder = AppFolder();
    ASSERT_FALSE(folder.empty());
    EXPECT_EQ(folder.front(), '/');
    EXPECT_EQ(folder.back(), '/');
    EXPECT_EQ(AppFilePath().substr(0, folder.size()), folder);
    EXPECT_EQ(AppFilePath().substr(folder.size()), "support_conversions_test");
    EXPECT_EQ(AppVersionText(), KV_VERSION_TEXT);  // the build gives all four numbers
}
