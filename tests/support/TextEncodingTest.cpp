#include "support/text/TextEncoding.h"

#include <gtest/gtest.h>

#include <string>

using namespace kv;

TEST(TextEncoding, EveryCp1251ByteSurvivesARoundTripThroughUtf8)
{
    std::string all;
    for (int byte = 1; byte < 256; ++byte)
        all += static_cast<char>(byte);
    const std::string utf8 = DecodeCp1251(all);
    EXPECT_TRUE(IsValidUtf8(utf8));
    EXPECT_EQ(EncodeCp1251(utf8), all);
}

TEST(TextEncoding, RussianTextAndTheSpecialCharactersMapToTheirCodePage)
{
    EXPECT_EQ(EncodeCp1251("Ошибка"), "\xCE\xF8\xE8\xE1\xEA\xE0");
    EXPECT_EQ(EncodeCp1251("Ёё№«»—€"), "\xA8\xB8\xB9\xAB\xBB\x97\x88");
    EXPECT_EQ(DecodeCp1251("\xC0\xFF\xA8\xB8\xB9"), "АяЁё№");
    EXPECT_EQ(EncodeCp1251("Pulse 7, канал 3"), "Pulse 7, \xEA\xE0\xED\xE0\xEB 3");
}

TEST(TextEncoding, CharactersOutsideTheCodePageBecomeQuestionMarks)
{
    EXPECT_EQ(EncodeCp1251("a中b😀c"), "a?b?c");
    EXPECT_EQ(EncodeCp1251("x\xFFy"), "x?y");  // a broken sequence is not passed through
}

TEST(TextEncoding, StrictUtf8Validation)
{
    EXPECT_TRUE(IsValidUtf8(""));
    EXPECT_TRUE(IsValidUtf8("plain ascii"));
    EXPECT_TRUE(IsValidUtf8("Пуск €😀"));
    EXPECT_FALSE(IsValidUtf8("\xC0\xAF"));          // overlong "/"
    EXPECT_FALSE(IsValidUtf8("\xED\xA0\x80"));      // surrogate
    EXPECT_FALSE(IsValidUtf8("\xF4\x90\x80\x80"));  // beyond U+10FFFF
    EXPECT_FALSE(IsValidUtf8("\xD0"));              // cut short
    EXPECT_FALSE(IsValidUtf8("\xD0\x41"));          // continuation missing
}

TEST(TextEncoding, FilesAreTakenAsUtf8WhenValidElseAsCp1251)
{
    EXPECT_EQ(DecodeText("Старт"), "Старт");
    EXPECT_EQ(DecodeText("\xEF\xBB\xBF[strings]"), "[strings]");
    EXPECT_EQ(DecodeText("\xD1\xF2\xE0\xF0\xF2"), "Старт");
    // Mostly UTF-8 with one stray byte is not UTF-8: the whole file is single-byte text.
    EXPECT_EQ(DecodeText("Ok\xC0"), "OkА");
}
