#include "console/app/ConsoleSettings.h"
#include "console/dialogs/FileFilter.h"

#include <gtest/gtest.h>

namespace kv {
namespace {

TConsoleSettings Read(const std::string& text)
{
    return ReadConsoleSettings(TIniFile::Parse(text));
}

TEST(ConsoleSettingsTest, MissingFileSectionOrKeyGivesTheDefaults)
{
    for (const std::string text : {"", "[keys]\n", "[settings]\nOther=1\n"}) {
        const TConsoleSettings settings = Read(text);
        EXPECT_EQ(settings.startKey, 116) << text;
        EXPECT_DOUBLE_EQ(settings.thresholds.connectResistLo, 1);
        EXPECT_DOUBLE_EQ(settings.thresholds.connectResist, 20);
        EXPECT_DOUBLE_EQ(settings.thresholds.connectResistHi, 200);
        EXPECT_EQ(settings.port, "auto");
    }
}

TEST(ConsoleSettingsTest, ThresholdsTakeEitherDecimalSeparatorAndJunkReadsAsZero)
{
    EXPECT_DOUBLE_EQ(Read("[settings]\nConnectResist=20,5\n").thresholds.connectResist, 20.5);
    EXPECT_DOUBLE_EQ(Read("[settings]\nConnectResist=20.5\n").thresholds.connectResist, 20.5);
    EXPECT_DOUBLE_EQ(Read("[settings]\nConnectResist=abc\n").thresholds.connectResist, 0);
    EXPECT_DOUBLE_EQ(Read("[settings]\nConnectResistLo=\n").thresholds.connectResistLo, 0);
    EXPECT_DOUBLE_EQ(Read("[SETTINGS]\nconnectresisthi=150\n").thresholds.connectResistHi, 150);
}

TEST(ConsoleSettingsTest, StartKeyAndPort)
{
    EXPECT_EQ(Read("[keys]\nStartBtn=32\n").startKey, 32);
    EXPECT_EQ(Read("[keys]\nStartBtn=13\n").startKey, 13);
    EXPECT_EQ(Read("[keys]\nStartBtn=F5\n").startKey, 116);
    EXPECT_EQ(Read("[keys]\nStartBtn=99999999999\n").startKey, 116);
    EXPECT_EQ(Read("[link]\nPort=/dev/ttyUSB0,/dev/ttyUSB1\n").port, "/dev/ttyUSB0,/dev/ttyUSB1");
    // The hold-to-fire key: off unless a key code is given.
    EXPECT_EQ(Read("").deadManKey, 0);
    EXPECT_EQ(Read("[show]\nDeadMan=\n").deadManKey, 0);
    EXPECT_EQ(Read("[show]\nDeadMan=124\n").deadManKey, 124);
}

TEST(FileFilterTest, DescriptionAndPatternPairsBecomeQtFilters)
{
    EXPECT_EQ(QtFileFilter("Аудиофайлы|*.wav; *.mp3; *.wma; *.ogg"),
              "Аудиофайлы (*.wav *.mp3 *.wma *.ogg)");
    EXPECT_EQ(QtFileFilter("Текстовые файлы|*.txt|Все|*.*"), "Текстовые файлы (*.txt);;Все (*.*)");
    // A description without patterns is no filter at all.
    EXPECT_EQ(QtFileFilter("Файлы данных"), "");
}

}  // namespace
}  // namespace kv
