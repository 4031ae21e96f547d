// How cue times, motor parameters and black-box dates are kept in device memory.

#include "devices/memory/BlackBoxRecord.h"
#include "devices/memory/ScenarioCue.h"
#include "devices/memory/StoredCueTime.h"

#include <gtest/gtest.h>

#include <climits>

namespace kv {
namespace {

// This test once pinned times rounded down to the steps: a module fired its memory up to 9 ms
// early (a motor 99 ms) and the verification, rounding alike, passed it.
TEST(StoredCueTime, RoundsUpToTheStepsTheWriteEncodes)
{
    EXPECT_EQ(StoredCueTime(12345, TTimeSteps::Steps10ms), 12350);
    EXPECT_EQ(StoredCueTime(12345, TTimeSteps::Steps2ms), 12346);
    EXPECT_EQ(StoredCueTime(12399, TTimeSteps::Steps2ms), 12400) << "into the next count";
    EXPECT_EQ(StoredCueTime(12301, TTimeSteps::Steps100ms), 12400);
    EXPECT_EQ(StoredCueTime(12340, TTimeSteps::Steps10ms), 12340) << "on the step, kept";
    EXPECT_EQ(StoredCueTime(12998, TTimeSteps::Steps2ms), 12998);
    EXPECT_EQ(StoredCueTime(0, TTimeSteps::Steps100ms), 0);
    EXPECT_EQ(StoredCueTime(-150, TTimeSteps::Steps100ms), -100) << "not before it below 0";
    EXPECT_EQ(StoredCueTime(INT32_MAX, TTimeSteps::Steps100ms), INT32_MAX);
}

// This test once pinned the 16-bit wrap (6 553 657 ms compared as 56 ms), which let a cue
// written 108 minutes early pass verification. Such times are now never written or compared.
// It also let 6 553 499 ms fit, kept as 6 553 498: rounded up it is the empty time.
TEST(StoredCueTime, OnlyTimesKeptBelowTheEmptyTimeFitMemory)
{
    EXPECT_TRUE(TimeFitsMemory(0));
    EXPECT_TRUE(TimeFitsMemory(6553400));
    EXPECT_EQ(StoredCueTime(6553400, TTimeSteps::Steps100ms), 6553400);
    EXPECT_FALSE(TimeFitsMemory(6553401)) << "a motor keeps it as the empty time";
    EXPECT_FALSE(TimeFitsMemory(6553499));
    EXPECT_FALSE(TimeFitsMemory(6553500)) << "reads as an unused record";
    EXPECT_FALSE(TimeFitsMemory(6553657));
    EXPECT_FALSE(TimeFitsMemory(-1));
}

TEST(MotorCue, ParametersByMeaningWhateverTheKindKeepsWhere)
{
    TScenarioCue center{.time = 0, .module = 7, .channel = 0, .kind = kKindCenter,
                        .parameter1 = 200, .parameter2 = 0};
    EXPECT_EQ(MotorSpeed(center), 200);
    EXPECT_EQ(MotorDuration(center), 0);
    TScenarioCue rotate{.time = 0, .module = 7, .channel = 0, .kind = kKindRotateRight,
                        .parameter1 = 25, .parameter2 = 127};
    EXPECT_EQ(MotorSpeed(rotate), 127);
    EXPECT_EQ(MotorDuration(rotate), 25);
    EXPECT_EQ(MotorSubCode(kKindCenter), 0x98);
    EXPECT_EQ(MotorSubCode(kKindLeft), 0x94);
    EXPECT_EQ(MotorSubCode(kKindRight), 0x92);
    EXPECT_EQ(MotorSubCode(kKindRotateLeft), 0x81);
    EXPECT_EQ(MotorSubCode(kKindRotateRight), 0x91);
    EXPECT_EQ(MotorSubCode(kKindFire), 0);
}

TEST(FiringCue, OnlyChannelsInsideTheTablesAreWritable)
{
    TScenarioCue cue;
    cue.channel = 511;
    EXPECT_TRUE(IsWritableFiringCue(cue));
    cue.channel = 512;
    EXPECT_FALSE(IsWritableFiringCue(cue));
    cue.channel = -1;
    EXPECT_FALSE(IsWritableFiringCue(cue));
    cue.channel = 3;
    cue.kind = kKindLeft;
    EXPECT_FALSE(IsWritableFiringCue(cue));
}

TEST(BlackBoxDate, CountsDaysFromTheLastDaysOf1899)
{
    EXPECT_DOUBLE_EQ(DaysSince1899(1899, 12, 30, 0, 0, 0, 0), 0.0);
    EXPECT_DOUBLE_EQ(DaysSince1899(1900, 1, 1, 0, 0, 0, 0), 2.0);
    EXPECT_DOUBLE_EQ(DaysSince1899(2000, 1, 1, 18, 0, 0, 0), 36526.75);
    EXPECT_DOUBLE_EQ(DaysSince1899(1899, 12, 29, 12, 0, 0, 0), -0.5);
}

}  // namespace
}  // namespace kv
