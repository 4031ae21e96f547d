#include "show/scenario/ScenarioParser.h"

#include <gtest/gtest.h>

#include <string>

namespace kv {
namespace {

TCue ReadLine(std::string_view line)
{
    TCue cue;
    EXPECT_TRUE(ParseCueLine(line, cue)) << "line: \"" << line << "\"";
    return cue;
}

bool IsBadLine(std::string_view line)
{
    TCue cue;
    return !ParseCueLine(line, cue);
}

TEST(ScenarioFields, TabsAndSpacesSeparateTheSameCue)
{
    for (const char* line : {"5\t3\t12\tBig red peony", "5 3 12 Big red peony",
                             "  5 \t3\t \t12   Big red peony"}) {
        const TCue cue = ReadLine(line);
        EXPECT_EQ(cue.timeText, "5");
        EXPECT_EQ(cue.time, 5000);
        EXPECT_EQ(cue.module, 3);
        EXPECT_EQ(cue.channel, 11);
        EXPECT_EQ(cue.kind, kKindFire);
        EXPECT_EQ(cue.note, "Big red peony") << "line: \"" << line << "\"";
    }
}

TEST(ScenarioFields, NoteEndsAtTheFirstTab)
{
    EXPECT_EQ(ReadLine("1 2 3 gold  willow, 50 mm\tignored text").note, "gold  willow, 50 mm");
    EXPECT_EQ(ReadLine("1 2 3\t\t  note after blanks ").note, "note after blanks ");
    EXPECT_EQ(ReadLine("1 2 3").note, "");
    EXPECT_EQ(ReadLine("1 2 3 ").note, "");
}

TEST(ScenarioFields, ChannelIsStoredZeroBased)
{
    EXPECT_EQ(ReadLine("0 1 1").channel, 0);
    EXPECT_EQ(ReadLine("0 1 0").channel, -1);
    EXPECT_EQ(ReadLine("0 1 512").channel, 511);
    EXPECT_EQ(ReadLine("-5 1 2").time, -5000);
    EXPECT_EQ(ReadLine("0 -7 +2").module, -7);
}

// Such a line once loaded as a cue at 0, shown in the list as written: it fired at the
// show's start. It is a bad line now, and the load names it.
TEST(ScenarioFields, UnreadableTimeIsABadLine)
{
    for (const char* line : {"1:75 4 2", "12,5 3 1", "75:30 3 1", "\u2212" "5 3 1", "12.5s 3 1",
                             ".5 3 1"})
        EXPECT_TRUE(IsBadLine(line)) << "line: \"" << line << "\"";

    std::vector<TCue> cues;
    EXPECT_EQ(ParseScenarioText("1 1 1\n\n12,5 3 1\n4 1 4\n", cues), 3u);
    EXPECT_TRUE(cues.empty());
}

TEST(ScenarioFields, TimeTextAndNoteAreCutByCharacters)
{
    // Fraction digits past the third are read over, so a time may be this long.
    const std::string longTime = "1." + std::string(38, '0');
    EXPECT_EQ(ReadLine(longTime + " 1 1").timeText, longTime.substr(0, 32));

    // Two-byte Cyrillic letters: a byte cut would leave half a letter behind.
    std::string cyrillic;
    for (int i = 0; i < 300; ++i)
        cyrillic += "ж";
    const TCue cue = ReadLine("1 1 1 " + cyrillic);
    EXPECT_EQ(cue.note.size(), 255u * 2);
    EXPECT_EQ(cue.note, cyrillic.substr(0, 255 * 2));

    EXPECT_EQ(ReadLine("1 1 1 " + std::string(255, 'a')).note, std::string(255, 'a'));
}

TEST(MotorCommands, RotationsTakeDurationAndSpeed)
{
    const TCue full = ReadLine("0:05.25 7 #LT#2.5#50");
    EXPECT_EQ(full.time, 5250);
    EXPECT_EQ(full.kind, kKindRotateLeft);
    EXPECT_EQ(full.parameter1, 25);
    EXPECT_EQ(full.parameter2, 127);

    const TCue bare = ReadLine("0:05 7 #lt");
    EXPECT_EQ(bare.kind, kKindRotateLeft);
    EXPECT_EQ(bare.parameter1, 255);
    EXPECT_EQ(bare.parameter2, 255);

    const TCue right = ReadLine("1 7 #Rt#1:02.19 night flight");
    EXPECT_EQ(right.kind, kKindRotateRight);
    EXPECT_EQ(right.parameter1, 621);
    EXPECT_EQ(right.parameter2, 255);
    EXPECT_EQ(right.note, "night flight");

    // An empty or unreadable duration once turned the motor for no time at all.
    EXPECT_TRUE(IsBadLine("1 7 #RT#"));
    EXPECT_TRUE(IsBadLine("1 7 #LT#2,5"));
    EXPECT_EQ(ReadLine("1 7 #RT#2#100#junk").parameter2, 255);
    EXPECT_TRUE(IsBadLine("1 7 #RT#2#"));
    EXPECT_TRUE(IsBadLine("1 7 #LT#2#fast"));
}

TEST(MotorCommands, TurnsTakeSpeedOnly)
{
    const TCue right = ReadLine("10 4 #R");
    EXPECT_EQ(right.kind, kKindRight);
    EXPECT_EQ(right.parameter1, 255);
    EXPECT_EQ(right.parameter2, 0);
    EXPECT_EQ(ReadLine("10 4 #R#100").parameter1, 255);
    EXPECT_EQ(ReadLine("10 4 #R#50").parameter1, 127);
    EXPECT_EQ(ReadLine("10 4 #r#200").parameter1, 510);
    EXPECT_EQ(ReadLine("10 4 #C#0").kind, kKindCenter);
    EXPECT_EQ(ReadLine("10 4 #l#20#9").kind, kKindLeft);
    EXPECT_EQ(ReadLine("10 4 #l#20#9").parameter1, 51);
    EXPECT_TRUE(IsBadLine("10 4 #C#"));
    EXPECT_TRUE(IsBadLine("10 4 #C#half"));
}

TEST(MotorCommands, UnknownWordsAreBadLines)
{
    for (const char* line : {"1 7 #", "1 7 ##", "1 7 #X", "1 7 #LEFT", "1 7 #CL#50", "1 7 #TL"})
        EXPECT_TRUE(IsBadLine(line)) << "line: \"" << line << "\"";
}

TEST(ScenarioLines, BadFields)
{
    for (const char* line : {" ", "\t \t", "12", "12 x 3", "12 3", "12 3 x", "12 3 4x",
                             "12 3.5 4", "12 3 99999999999", "12 99999999999 1",
                             "12 3 -2147483648"})
        EXPECT_TRUE(IsBadLine(line)) << "line: \"" << line << "\"";
}

TEST(ScenarioLines, CuesOutsideTheDeviceTablesAreKeptButNotExecutable)
{
    EXPECT_TRUE(ReadLine("1 1 1").IsExecutable());
    EXPECT_TRUE(ReadLine("1 255 512").IsExecutable());
    EXPECT_TRUE(ReadLine("1 0 #C").IsExecutable());
    EXPECT_FALSE(ReadLine("1 1 0").IsExecutable());
    EXPECT_FALSE(ReadLine("1 1 513").IsExecutable());
    EXPECT_FALSE(ReadLine("1 1 -4").IsExecutable());
    EXPECT_FALSE(ReadLine("1 256 1").IsExecutable());
    EXPECT_FALSE(ReadLine("1 -1 1").IsExecutable());
    EXPECT_FALSE(ReadLine("1 300 #LT").IsExecutable());
}

TEST(ScenarioText, LineEndingsAllCountAsOne)
{
    for (const char* text : {"1 1 1 a\r\n2 1 2 b\r\n\r\n3 1 3 c\r\n", "1 1 1 a\n2 1 2 b\n\n3 1 3 c",
                             "1 1 1 a\r2 1 2 b\r\r3 1 3 c\r"}) {
        std::vector<TCue> cues;
        EXPECT_EQ(ParseScenarioText(text, cues), 0u);
        ASSERT_EQ(cues.size(), 3u);
        EXPECT_EQ(cues[0].note, "a");
        EXPECT_EQ(cues[1].channel, 1);
        EXPECT_EQ(cues[2].note, "c");
    }
}

TEST(ScenarioText, BadLineNumberCountsEmptyLinesAndDropsEverything)
{
    std::vector<TCue> cues;
    EXPECT_EQ(ParseScenarioText("1 1 1\n\n2 1 2\nbroken\n4 1 4\n", cues), 4u);
    EXPECT_TRUE(cues.empty());

    EXPECT_EQ(ParseScenarioText("1 1 1\r\n2 1 2\r\n3 1 #Q\r\n", cues), 3u);
    EXPECT_TRUE(cues.empty());

    // A lone CR followed by LF is one line end, not an empty line between.
    EXPECT_EQ(ParseScenarioText("1 1 1\r\n\r\n \r\n", cues), 3u);
    EXPECT_EQ(ParseScenarioText("1 1 1\r\r\n \n", cues), 3u);
}

TEST(ScenarioText, KeepsFileOrderAndEmptyTextHasNoCues)
{
    std::vector<TCue> cues;
    EXPECT_EQ(ParseScenarioText("", cues), 0u);
    EXPECT_EQ(ParseScenarioText("\n\r\n\r", cues), 0u);
    EXPECT_TRUE(cues.empty());
    EXPECT_EQ(ParseScenarioText("9 1 1\n3 1 2\n", cues), 0u);
    ASSERT_EQ(cues.size(), 2u);
    EXPECT_EQ(cues[0].time, 9000);
    EXPECT_EQ(cues[1].time, 3000);
}

}  // namespace
}  // namespace kv
