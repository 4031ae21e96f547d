// Milliseconds against bytes, and which files take the WMA path.
#include "audio/AudioPositions.h"
#include "audio/BassFile.h"

#include <gtest/gtest.h>

namespace kv {
namespace {

TEST(AudioPositions, MillisecondsAndBytesOfSixteenBitStereo)
{
    EXPECT_EQ(MsToBytes(1500, 176400), 264600);
    EXPECT_EQ(MsToBytes(1, 176400), 176);     // 176.4
    EXPECT_EQ(MsToBytes(3, 176400), 529);     // 529.2
    EXPECT_EQ(MsToBytes(7, 22050), 154);      // 154.35
    EXPECT_EQ(MsToBytes(-40, 176400), 0);
    EXPECT_EQ(MsToBytes(3'600'000, 192000), 691'200'000);  // an hour, beyond 32 bits × 1000

    EXPECT_EQ(BytesToMs(264600, 176400), 1500);
    EXPECT_EQ(BytesToMs(264600 + 88, 176400), 1500);  // 1500.499
    EXPECT_EQ(BytesToMs(264600 + 89, 176400), 1501);
    EXPECT_EQ(BytesToMs(1000, 0), 0);

    EXPECT_EQ(DurationMs(10'583'999, 176400), 59'999);  // fraction dropped
    EXPECT_EQ(DurationMs(10'584'000, 176400), 60'000);
    EXPECT_EQ(DurationMs(5'000'000'000, 176400), 28'344'671);  // past 4 GB does not wrap
    EXPECT_EQ(DurationMs(100, 0), 0);
}

TEST(AudioPositions, WmaPathByExtensionInAnyCase)
{
    EXPECT_EQ(DecodePathOf("/shows/finale.wma"), TDecodePath::Wma);
    EXPECT_EQ(DecodePathOf("/shows/finale.WmA"), TDecodePath::Wma);
    EXPECT_EQ(DecodePathOf("C:/Шоу/финал.WMA"), TDecodePath::Wma);
    EXPECT_EQ(DecodePathOf("/shows/finale.mp3"), TDecodePath::General);
    EXPECT_EQ(DecodePathOf("/shows/finale.ogg"), TDecodePath::General);
    EXPECT_EQ(DecodePathOf("/shows/finale.wav"), TDecodePath::General);
    EXPECT_EQ(DecodePathOf("/shows/wma"), TDecodePath::General);
    EXPECT_EQ(DecodePathOf("/shows/finale.wma.mp3"), TDecodePath::General);
}

}  // namespace
}  // namespace kv
