#include "support/text/IniFile.h"

#include "rigs/TempFolder.h"

#include <gtest/gtest.h>

using kv::TIniFile;

TEST(IniFile, NamesAreComparedWithoutCaseAndBlanksAreTrimmed)
{
    const TIniFile ini = TIniFile::Parse("  [ Settings ]  \r\n  ConnectResist  =  20,5  \r\n");
    EXPECT_TRUE(ini.HasSection("settings"));
    EXPECT_TRUE(ini.HasKey("SETTINGS", "connectresist"));
    EXPECT_EQ(ini.ReadString("settings", "ConnectResist", "x"), "20,5");
}

TEST(IniFile, CommentsOnlyAtTheStartOfALine)
{
    const TIniFile ini = TIniFile::Parse(
        "; leading comment\n[strings]\n;0=commented out\n  ; also a comment\n"
        "0=Пуск; не комментарий\n1=a=b\n");
    EXPECT_EQ(ini.Keys("strings"), (std::vector<std::string>{"0", "1"}));
    EXPECT_EQ(ini.ReadString("strings", "0", ""), "Пуск; не комментарий");
    EXPECT_EQ(ini.ReadString("strings", "1", ""), "a=b");  // the first "=" divides
}

TEST(IniFile, KeysComeInFileOrderAndTheFirstOccurrenceWins)
{
    const TIniFile ini = TIniFile::Parse(
        "[strings]\nzeta=1\nalpha=2\nZETA=3\nno equals sign\n=no key\n"
        "[other]\nk=v\n[STRINGS]\nlate=4\n");
    EXPECT_EQ(ini.Keys("strings"), (std::vector<std::string>{"zeta", "alpha", "ZETA"}));
    EXPECT_EQ(ini.ReadString("strings", "Zeta", ""), "1");
    // Read line by line, a repeated key keeps its own value.
    EXPECT_EQ(ini.Values("strings"), (std::vector<std::string>{"1", "2", "3"}));
    EXPECT_FALSE(ini.HasKey("strings", "late"));
    EXPECT_EQ(ini.ReadString("other", "k", ""), "v");
}

TEST(IniFile, EmptyAndQuotedValues)
{
    const TIniFile ini =
        TIniFile::Parse("[strings]\nempty=\nspace=\" \"\nsingle=' x '\nhalf=\"open\nin=a\"b\"\n");
    EXPECT_TRUE(ini.HasKey("strings", "empty"));
    EXPECT_EQ(ini.ReadString("strings", "empty", "default"), "");
    EXPECT_EQ(ini.ReadString("strings", "space", ""), " ");
    EXPECT_EQ(ini.ReadString("strings", "single", ""), " x ");
    EXPECT_EQ(ini.ReadString("strings", "half", ""), "\"open");
    EXPECT_EQ(ini.ReadString("strings", "in", ""), "a\"b\"");
}

TEST(IniFile, MissingSectionsKeysAndFilesGiveDefaults)
{
    const TIniFile ini = TIniFile::Parse("key=before any section\n[keys]\n");
    EXPECT_FALSE(ini.HasKey("", "key"));
    EXPECT_TRUE(ini.HasSection("keys"));
    EXPECT_TRUE(ini.Keys("keys").empty());
    EXPECT_TRUE(ini.Keys("absent").empty());
    EXPECT_EQ(ini.ReadInteger("keys", "StartBtn", 116), 116);
    EXPECT_EQ(ini.ReadString("absent", "x", "d"), "d");

    const TIniFile none = TIniFile::Load("/nonexistent/kvshow.ini");
    EXPECT_FALSE(none.HasSection("keys"));
    EXPECT_EQ(none.ReadInteger("keys", "StartBtn", 116), 116);
}

TEST(IniFile, ReadIntegerAsTheDelphiProfileReader)
{
    const TIniFile ini = TIniFile::Parse(
        "[keys]\ndec=32\nneg=-5\nplus=+7\ndollar=$75\nhex=0x76\nbad=12a\nreal=1.5\nempty=\n"
        "big=2147483648\nwrap=$FFFFFFFF\nblank= 118 \n");
    EXPECT_EQ(ini.ReadInteger("keys", "dec", 116), 32);
    EXPECT_EQ(ini.ReadInteger("keys", "neg", 116), -5);
    EXPECT_EQ(ini.ReadInteger("keys", "plus", 116), 7);
    EXPECT_EQ(ini.ReadInteger("keys", "dollar", 116), 0x75);
    EXPECT_EQ(ini.ReadInteger("keys", "hex", 116), 0x76);
    EXPECT_EQ(ini.ReadInteger("keys", "bad", 116), 116);
    EXPECT_EQ(ini.ReadInteger("keys", "real", 116), 116);
    EXPECT_EQ(ini.ReadInteger("keys", "empty", 116), 116);
    EXPECT_EQ(ini.ReadInteger("keys", "big", 116), 116);
    EXPECT_EQ(ini.ReadInteger("keys", "wrap", 116), -1);
    EXPECT_EQ(ini.ReadInteger("keys", "blank", 116), 118);
}

TEST(IniFile, FilesInEitherEncodingAndLineEnd)
{
    kvtest::TTempFolder folder;
    const std::string cp1251 =
        folder.Write("a.ini", "[strings]\r\n0=\xCF\xF3\xF1\xEA\r\n1=last line without end");
    const std::string utf8 = folder.Write("b.ini", "\xEF\xBB\xBF[strings]\n0=Пуск\n");
    EXPECT_EQ(TIniFile::Load(cp1251).ReadString("strings", "0", ""), "Пуск");
    EXPECT_EQ(TIniFile::Load(cp1251).ReadString("strings", "1", ""), "last line without end");
    EXPECT_EQ(TIniFile::Load(utf8).ReadString("strings", "0", ""), "Пуск");
}

TEST(IniFile, AValueSetKeepsEveryOtherLineAndIsReadBackWhereTheReaderLooks)
{
    const std::string text =
        "; comment\r\n[keys]\r\n; the start key\r\n  startbtn = 116\r\n\r\n[show]\r\n"
        "DeadMan=\r\n[KEYS]\r\nStartBtn=1\r\n";
    // The first section of the name, its key's own spelling and indent, the CR LF kept.
    EXPECT_EQ(TIniFile::WithValue(text, "Keys", "StartBtn", "32"),
              "; comment\r\n[keys]\r\n; the start key\r\n  startbtn=32\r\n\r\n[show]\r\n"
              "DeadMan=\r\n[KEYS]\r\nStartBtn=1\r\n");
    // A missing key goes after the section's last key, not after the blank line.
    const std::string added = TIniFile::WithValue(text, "keys", "Other", " a ");
    EXPECT_EQ(added.substr(0, added.find("[show]")),
              "; comment\r\n[keys]\r\n; the start key\r\n  startbtn = 116\r\nOther=\" a \"\r\n\r\n");
    EXPECT_EQ(TIniFile::Parse(added).ReadString("keys", "other", ""), " a ");
    // A missing section at the end; a last line without its line end is ended first.
    EXPECT_EQ(TIniFile::WithValue("[a]\nx=1", "b", "y", "2"), "[a]\nx=1\n\n[b]\ny=2\n");
    EXPECT_EQ(TIniFile::WithValue("[a]\nx=1", "a", "y", "2"), "[a]\nx=1\ny=2");
    EXPECT_EQ(TIniFile::WithValue("", "a", "y", "2"), "[a]\ny=2\n");
    // A line break in a value would make keys of its own.
    const TIniFile injected =
        TIniFile::Parse(TIniFile::WithValue("[link]\nPort=auto\n", "link", "Port", "x\n[keys]\nStartBtn=13"));
    EXPECT_FALSE(injected.HasSection("keys"));
}
