// Show scripts as design programs export them, made here for each layout, encoding and
// delimiter, through the import to the cues and the refused rows.
#include "show/import/ScriptTime.h"
#include "show/import/ShowImport.h"
#include "show/scenario/CueTime.h"
#include "show/scenario/ScenarioParser.h"
#include "show/scenario/ScenarioWriter.h"
#include "support/lang/AddedMessages.h"
#include "support/text/TextEncoding.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace kv {
namespace {

struct TExpectedCue {
    int32_t time;
    int32_t effectTime;
    int32_t module;
    int32_t channel;  // one-based, as the operator reads it
    std::string effect;
    std::string position;
};

void ExpectCues(const TImportResult& result, const std::vector<TExpectedCue>& expected)
{
    EXPECT_EQ(result.problem, "");
    ASSERT_EQ(result.cues.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) {
        const TCue& cue = result.cues[i];
        const TExpectedCue& want = expected[i];
        SCOPED_TRACE("cue " + std::to_string(i));
        EXPECT_EQ(cue.time, want.time);
        EXPECT_EQ(cue.EffectTime(), want.effectTime);
        EXPECT_EQ(cue.module, want.module);
        EXPECT_EQ(cue.channel + 1, want.channel);
        EXPECT_EQ(cue.kind, kKindFire);
        EXPECT_EQ(cue.effect, want.effect);
        EXPECT_EQ(cue.position, want.position);
        EXPECT_EQ(ParseCueTime(cue.timeText), cue.time) << cue.timeText;
    }
}

std::vector<size_t> RefusedLines(const TImportResult& result)
{
    std::vector<size_t> lines;
    for (const TImportRefusal& refusal : result.refused)
        lines.push_back(refusal.line);
    return lines;
}

std::string Reason(const TImportResult& result, size_t line)
{
    for (const TImportRefusal& refusal : result.refused)
        if (refusal.line == line)
            return refusal.reason;
    return "(not refused)";
}

bool StartsWith(const std::string& text, const TMessage& message)
{
    return text.starts_with(Localize(message));
}

TImportResult Import(const std::string& bytes, TImportOptions options = TImportOptions())
{
    return ImportShowScript(bytes, options);
}

TImportOptions RailSize(int32_t size)
{
    TImportOptions options;
    options.railSize = size;
    return options;
}

TImportOptions FrameRate(double fps, std::optional<TScriptFormat> format = std::nullopt)
{
    TImportOptions options;
    options.fps = fps;
    options.format = format;
    return options;
}

TImportOptions Layout(TScriptFormat format)
{
    return FrameRate(0, format);
}

// Lines joined with one delimiter and one line end; cells are given with "," between them
// and written with the delimiter, a cell holding it quoted.
std::string Script(const std::vector<std::vector<std::string>>& rows, char delimiter = ',',
                   const std::string& lineEnd = "\r\n")
{
    std::string text;
    for (const auto& row : rows) {
        for (size_t i = 0; i < row.size(); ++i) {
            std::string cell = row[i];
            if (cell.find_first_of(std::string(1, delimiter) + "\"\n") != std::string::npos) {
                std::string quoted = "\"";
                for (const char c : cell)
                    quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
                cell = quoted + "\"";
            }
            text += (i == 0 ? "" : std::string(1, delimiter)) + cell;
        }
        text += lineEnd;
    }
    return text;
}

std::string Utf16(const std::string& utf8, bool bigEndian, bool byteOrderMark)
{
    std::u32string codes;
    for (size_t i = 0; i < utf8.size();) {
        const auto lead = static_cast<unsigned char>(utf8[i]);
        const int length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
        char32_t code = length == 1 ? lead : lead & (0x7F >> length);
        for (int k = 1; k < length; ++k)
            code = code << 6 | (static_cast<unsigned char>(utf8[i + k]) & 0x3F);
        codes += code;
        i += static_cast<size_t>(length);
    }
    std::string bytes;
    const auto unit = [&](char32_t value) {
        const char high = static_cast<char>(value >> 8);
        const char low = static_cast<char>(value & 0xFF);
        bytes += bigEndian ? std::string{high, low} : std::string{low, high};
    };
    if (byteOrderMark)
        unit(0xFEFF);
    for (const char32_t code : codes) {
        if (code < 0x10000) {
            unit(code);
        } else {
            unit(0xD800 + ((code - 0x10000) >> 10));
            unit(0xDC00 + ((code - 0x10000) & 0x3FF));
        }
    }
    return bytes;
}

// A full-show interchange script: a row per device, the ignition time and the prefire after it.
const std::vector<std::vector<std::string>> kInterchange = {
    {"FIRING_HEADER_ROW", "Time Cue Number", "Ignition Event Time", "Number Of Devices",
     "Device Delay", "Prefire Delay", "Effect Name", "Position Name", "Module Address",
     "Slat Address", "Pin Address"},
    {"FIRING_DATA_ROW", "1", "10.000", "1", "0", "1.500", "Золотая ива 75 мм", "Фронт-1", "3", "",
     "12"},
    {"FIRING_DATA_ROW", "2", "5.250", "2", "0", "0.200", "Red peony", "Front-2", "3", "", "1"},
    {"FIRING_DATA_ROW", "2", "5.250", "1", "0.1", "0.200", "Blue peony", "Front-2", "3", "", "1"},
};
const std::vector<TExpectedCue> kInterchangeCues = {
    {5250, 5450, 3, 1, "Red peony + Blue peony", "Front-2"},
    {10000, 11500, 3, 12, "Золотая ива 75 мм", "Фронт-1"},
};

TEST(ShowImportFormats, InterchangeKeepsTheIgnitionAndMergesTheRowsOfOneIgnition)
{
    const TImportResult result = Import(Script(kInterchange, '\t'));
    EXPECT_EQ(result.format, TScriptFormat::Interchange);
    ExpectCues(result, kInterchangeCues);
    EXPECT_TRUE(result.refused.empty());
}

TEST(ShowImportFormats, InterchangeRefusesOtherRowTypesAndSkipsARepeatedHeader)
{
    auto rows = kInterchange;
    rows.push_back(kInterchange[0]);
    rows.push_back({"FIRING_DATA_RO", "3", "12", "1", "0", "0", "x", "", "4", "", "1"});
    const TImportResult result = Import(Script(rows, ','));
    ExpectCues(result, kInterchangeCues);
    EXPECT_EQ(RefusedLines(result), (std::vector<size_t>{6}));
    EXPECT_TRUE(StartsWith(Reason(result, 6), kMsgImportRowType));
}

TEST(ShowImportFormats, RailScriptCountsMillisecondsAndNeedsTheRailSizeBeyondTheFirstRail)
{
    const std::string script = Script({
        {"##Show of the year", "", "", "", "", "", "", "", "", "", "", ""},
        {"Module ID", "Rail", "Channel", "Time", "Sequence", "DMX Value", "RampX",
         "Duration or Rate", "Position", "SafetyZone", "Channel Name", "Sequence Name"},
        {"5", "1", "3", "5000", "", "", "", "", "Left", "", "Comet", ""},
        {"5", "2", "3", "6500", "", "", "", "", "Left", "", "Mine", ""},
    });
    TImportResult result = Import(script);
    EXPECT_EQ(result.format, TScriptFormat::Rail);
    ExpectCues(result, {{5000, 5000, 5, 3, "Comet", "Left"}});
    EXPECT_EQ(RefusedLines(result), (std::vector<size_t>{4}));
    EXPECT_TRUE(StartsWith(Reason(result, 4), kMsgImportNoRailSize));

    result = Import(script, RailSize(16));
    ExpectCues(result, {{5000, 5000, 5, 3, "Comet", "Left"}, {6500, 6500, 5, 19, "Mine", "Left"}});

    result = Import(script, RailSize(2));
    EXPECT_EQ(RefusedLines(result), (std::vector<size_t>{3, 4}));
    EXPECT_TRUE(StartsWith(Reason(result, 3), kMsgImportPinBeyondRail));
}

TEST(ShowImportFormats, FramesGiveTheEffectTimeAndTheIgnitionComesThePrefireBefore)
{
    const std::string script = Script({
        {"Cue", "HH", "MM", "SS", "FF", "Event Description", "PFT", "ADDR", "CGHZ", "POS",
         "ANGLE", "QTY", "CAL", "TYPE", "DUR", "Effect description", "REF"},
        {"1", "00", "00", "10", "15", "Salute", "500", "$0A3", "", "P1", "", "1", "3", "", "",
         "3\" salute", ""},
        {"2", "00", "01", "00", "00", "", "0", "0b-f", "", "P2", "", "1", "", "", "", "Crossette",
         ""},
        {"3", "00", "00", "00", "06", "Early", "1200", "0x0C:0", "", "P3", "", "", "", "", "", "",
         ""},
        {"4", "00", "00", "01", "30", "Bad frame", "0", "0C1", "", "", "", "", "", "", "", "", ""},
        {"5", "00", "00", "02", "00", "Excel", "0", "1.00E+02", "", "", "", "", "", "", "", "",
         ""},
        {"6", "00", "00", "02", "00", "Radio", "0", "F01", "", "", "", "", "", "", "", "", ""},
    });
    TImportResult result = Import(script, FrameRate(30));
    EXPECT_EQ(result.format, TScriptFormat::Frames);
    // Pin 0 is the first channel; a cue whose prefire reaches before the show's zero is kept.
    ExpectCues(result, {{-1000, 200, 12, 1, "Early", "P3"},
                        {10000, 10500, 10, 4, "Salute", "P1"},
                        {60000, 60000, 11, 16, "Crossette", "P2"}});
    EXPECT_EQ(RefusedLines(result), (std::vector<size_t>{5, 6, 7}));
    EXPECT_TRUE(StartsWith(Reason(result, 5), kMsgImportBadTime));
    EXPECT_TRUE(StartsWith(Reason(result, 6), kMsgImportBadAddress));
    EXPECT_TRUE(StartsWith(Reason(result, 7), kMsgImportBadAddress));

    result = Import(script, FrameRate(25));
    ASSERT_FALSE(result.cues.empty());
    EXPECT_EQ(result.cues[1].time, 10100);  // frame 15 of 25 is 600 ms, less the 500 ms prefire

    result = Import(script);
    EXPECT_EQ(result.problem, Localize(kMsgImportNoFrameRate));
    EXPECT_TRUE(result.cues.empty());
}

TEST(ShowImportFormats, FramesAt2997CountNonDropUnlessTheLabelsAreSaidToDrop)
{
    const std::string script = Script({{"Cue", "HH", "MM", "SS", "FF", "PFT", "ADDR"},
                                       {"1", "00", "30", "00", "00", "0", "011"},
                                       {"2", "00", "01", "00", "00", "0", "012"},
                                       {"3", "00", "01", "00", "02", "0", "013"}});
    // A non-drop label second lasts 1.001 s: 00:30:00:00 is frame 54000, 1801.8 s in.
    TImportResult result = Import(script, FrameRate(29.97));
    ExpectCues(result, {{60060, 60060, 1, 3, "", ""},
                        {60127, 60127, 1, 4, "", ""},
                        {1801802, 1801802, 1, 2, "", ""}});

    // Drop-frame labels keep to the clock and skip 00:01:00;00 and ;01.
    TImportOptions dropFrame;
    dropFrame.dropFrame = true;
    result = Import(script, dropFrame);
    ExpectCues(result, {{60060, 60060, 1, 4, "", ""}, {1799998, 1799998, 1, 2, "", ""}});
    EXPECT_EQ(RefusedLines(result), (std::vector<size_t>{3}));
    EXPECT_TRUE(StartsWith(Reason(result, 3), kMsgImportBadTime));
}

TEST(ShowImportFormats, PlainTimesInSecondsMillisecondsOrClockAndPrefireEitherWay)
{
    // The time column is the effect time unless it is named for the ignition.
    TImportResult result = Import(Script({{"Time", "Module", "Pin", "Prefire", "Effect"},
                                          {"12.5", "$1F", "2", "0.75", "Peony"},
                                          {"1:02:03.25", "7", "1", "", "Finale"}}));
    EXPECT_EQ(result.format, TScriptFormat::Plain);
    ExpectCues(result, {{11750, 12500, 31, 2, "Peony", ""}, {3723250, 3723250, 7, 1, "Finale", ""}});

    result = Import(Script({{"Ignition Time", "Module", "Channel", "Prefire (ms)", "Position"},
                            {"0:12.5", "0x10", "2", "750", "Center"}}));
    ExpectCues(result, {{12500, 13250, 16, 2, "", "Center"}});

    // "2500.6" was once rounded to 2501: a fraction under milliseconds is now refused, as it
    // most likely counts seconds.
    result = Import(Script({{"Time (ms)", "Module No", "Pin", "Name", "Pos"},
                            {"2500", "4", "8", "Comet", "Right"},
                            {"2500.6", "4", "9", "Comet", "Right"}}));
    ExpectCues(result, {{2500, 2500, 4, 8, "Comet", "Right"}});
    EXPECT_EQ(RefusedLines(result), (std::vector<size_t>{3}));

    // Both moments given: both kept as written.
    result = Import(Script({{"Launch Time", "Effect Time", "Module", "Pin"}, {"1", "3.5", "2", "2"}}));
    ExpectCues(result, {{1000, 3500, 2, 2, "", ""}});
}

TEST(ShowImportFormats, TheOperatorsChoiceOfLayoutWinsOverTheHeader)
{
    const std::string rail = Script({{"Module ID", "Rail", "Channel", "Time"}, {"5", "", "3", "5"}});
    ExpectCues(Import(rail), {{5, 5, 5, 3, "", ""}});
    // Read as plain, "Time" counts seconds.
    TImportResult result = Import(rail, Layout(TScriptFormat::Plain));
    EXPECT_EQ(result.format, TScriptFormat::Plain);
    ExpectCues(result, {{5000, 5000, 5, 3, "", ""}});
    EXPECT_EQ(Import(rail, FrameRate(30, TScriptFormat::Frames)).problem,
              Localize(kMsgImportUnknownFormat));
}

TEST(ShowImportFormats, MissingColumnsAndEmptyFilesSayWhat)
{
    EXPECT_EQ(Import(Script({{"Time", "Module", "Effect"}, {"1", "2", "x"}})).problem,
              Localize(kMsgImportUnknownFormat));
    // A cue number is no channel: read as one it fires another pin than the script's.
    EXPECT_EQ(Import(Script({{"Cue", "Time", "Module", "Description"}, {"7", "1.5", "2", "x"}}))
                  .problem,
              Localize(kMsgImportUnknownFormat));
    EXPECT_EQ(Import("").problem, Localize(kMsgImportUnknownFormat));
    const TImportResult result = Import(Script({{"FIRING_HEADER_ROW", "Ignition Event Time",
                                                 "Module Address", "Effect Name"},
                                                {"FIRING_DATA_ROW", "1", "2", "x"}}));
    EXPECT_TRUE(result.problem.starts_with(Localize(kMsgImportNoColumn))) << result.problem;
    EXPECT_NE(result.problem.find("Pin Address"), std::string::npos);
    EXPECT_TRUE(result.cues.empty());
    EXPECT_EQ(Import(Script({{"Time", "Module", "Pin"}})).problem, Localize(kMsgImportNoCues));
}

TEST(ShowImportRows, EveryBadRowIsRefusedWithItsLineAndReason)
{
    const std::string script = "Time,Module,Pin,Name\r\n"  // 1
                               "1.5,1,1,a\r\n"             // 2
                               "abc,1,2,b\r\n"             // 3
                               "1:75,1,3,c\r\n"            // 4
                               "2,0,4,d\r\n"               // 5
                               "2,240,4,\r\n"              // 6
                               "2,$EF,4,\r\n"              // 7
                               "2,1,0,\r\n"                // 8
                               "2,1,513,\r\n"              // 9
                               "2,1,3.0,\r\n"              // 10
                               "3,2,5,x\r\n"               // 11
                               "\r\n"                      // 12
                               "4,2,5,y\r\n"               // 13
                               "-1,1,6,\r\n"               // 14
                               ",1,7,\r\n"                 // 15
                               "24:00:00,1,8,\r\n"         // 16
                               "1,2,6,Prefire\r\n";        // 17
    const TImportResult result = Import(script);
    ExpectCues(result, {{1000, 1000, 2, 6, "Prefire", ""},
                        {1500, 1500, 1, 1, "a", ""},
                        {2000, 2000, 239, 4, "", ""}});
    EXPECT_EQ(RefusedLines(result),
              (std::vector<size_t>{3, 4, 5, 6, 8, 9, 10, 11, 13, 14, 15, 16}));
    EXPECT_EQ(Reason(result, 3), Localize(kMsgImportBadTime) + ": \"abc\"");
    for (const size_t line : {4, 14, 15, 16})
        EXPECT_TRUE(StartsWith(Reason(result, line), kMsgImportBadTime)) << line;
    for (const size_t line : {5, 6})
        EXPECT_TRUE(StartsWith(Reason(result, line), kMsgImportBadModule)) << line;
    for (const size_t line : {8, 9, 10})
        EXPECT_TRUE(StartsWith(Reason(result, line), kMsgImportBadChannel)) << line;
    // One pin at two moments: both rows, each naming the other.
    EXPECT_EQ(Reason(result, 11), Localize(kMsgImportTwoMoments) + " 11, 13");
    EXPECT_EQ(Reason(result, 13), Reason(result, 11));
}

TEST(ShowImportRows, AFieldBeyondTheHeaderShiftsTheColumnsSoTheRowIsRefused)
{
    // Line 2 was meant as 1.5 s, module 2, pin 3; the padding of lines 1 and 3 is no field.
    const TImportResult result = Import("Time,Module,Pin,,\r\n"
                                        "1,5,2,3\r\n"
                                        "2,4,1,,\r\n"
                                        "3,4,2\r\n");
    ExpectCues(result, {{2000, 2000, 4, 1, "", ""}, {3000, 3000, 4, 2, "", ""}});
    EXPECT_EQ(RefusedLines(result), (std::vector<size_t>{2}));
    EXPECT_TRUE(StartsWith(Reason(result, 2), kMsgImportExtraFields)) << Reason(result, 2);
}

TEST(ShowImportRows, AMillisecondColumnTakesNoFraction)
{
    // Seconds under a millisecond name, and a thousands separator, would fire at once.
    const TImportResult result = Import(Script({{"Time (ms)", "Module", "Pin", "PFT"},
                                                {"12.5", "1", "1", ""},
                                                {"1,200", "1", "2", ""},
                                                {"3000", "1", "3", "0.5"},
                                                {"3000", "1", "4", "500"},
                                                {"0:03.5", "1", "5", ""}}));
    ExpectCues(result, {{2500, 3000, 1, 4, "", ""}, {3500, 3500, 1, 5, "", ""}});
    EXPECT_EQ(RefusedLines(result), (std::vector<size_t>{2, 3, 4}));
    EXPECT_EQ(Reason(result, 2), Localize(kMsgImportFractionalMs) + ": \"12.5\"");
    EXPECT_EQ(Reason(result, 3), Localize(kMsgImportFractionalMs) + ": \"1,200\"");
    EXPECT_EQ(Reason(result, 4), Localize(kMsgImportFractionalMs) + ": \"0.5\"");
}

TEST(ShowImportRows, APrefireOfMinutesPutsTheUnitInDoubtAndNothingIsTaken)
{
    // Milliseconds under a plain "Prefire": line 3 would ignite 20 minutes early, line 2 25 s.
    TImportResult result = Import(Script({{"Time", "Module", "Pin", "Prefire"},
                                          {"1500", "1", "1", "25"},
                                          {"1500", "1", "2", "1200"},
                                          {"bad", "1", "3", ""}}));
    EXPECT_EQ(result.problem, Localize(kMsgImportPrefireUnit) + " 3: \"1200\"");
    EXPECT_TRUE(result.cues.empty());
    EXPECT_TRUE(result.refused.empty());

    // A shell's lift time is no doubt, whatever the layout counts it in.
    result = Import(Script({{"Time", "Module", "Pin", "Prefire"}, {"40", "1", "1", "30"}}));
    ExpectCues(result, {{10000, 40000, 1, 1, "", ""}});
    const std::vector<std::vector<std::string>> frames = {
        {"Cue", "HH", "MM", "SS", "FF", "PFT", "ADDR"},
        {"1", "00", "01", "00", "00", "30000", "011"},
        {"2", "00", "01", "00", "00", "30001", "012"}};
    result = Import(Script(frames), FrameRate(25));
    EXPECT_EQ(result.problem, Localize(kMsgImportPrefireUnit) + " 3: \"30001\"");
    result = Import(Script({frames[0], frames[1]}), FrameRate(25));
    ExpectCues(result, {{30000, 60000, 1, 2, "", ""}});
}

TEST(ShowImportRows, RowsOfOneIgnitionBecomeOneCueWithTheEarliestEffect)
{
    const TImportResult result = Import(Script({{"Ignition", "Module", "Pin", "Prefire", "Effect",
                                                 "Position"},
                                                {"3", "1", "1", "2", "Chain A", "P1"},
                                                {"3", "1", "1", "1.5", "Chain B", "P2"},
                                                {"3", "1", "1", "2", "Chain A", "P1"},
                                                {"3", "1", "2", "0", "Other pin", "P1"},
                                                {"3", "2", "1", "0", "Other module", "P1"}}));
    ExpectCues(result, {{3000, 4500, 1, 1, "Chain A + Chain B", "P1 + P2"},
                        {3000, 3000, 1, 2, "Other pin", "P1"},
                        {3000, 3000, 2, 1, "Other module", "P1"}});
    EXPECT_TRUE(result.refused.empty());
}

const std::vector<std::vector<std::string>> kPlain = {
    {"Time", "Module", "Pin", "Effect", "Position"},
    {"2.5", "1", "1", "Big, \"red\"\nwillow", "A"},
    {"bad", "1", "2", "", ""},
    {"1.25", "2", "3", "Comet; blue", "B"},
};

TEST(ShowImportText, EveryDelimiterAndLineEndWithQuotedFields)
{
    for (const char delimiter : {',', ';', '\t'}) {
        for (const std::string lineEnd : {"\r\n", "\n", "\r"}) {
            SCOPED_TRACE(std::string("delimiter ") + delimiter + ", line end " +
                         std::to_string(lineEnd.size()) + " " + std::to_string(lineEnd[0]));
            const TImportResult result = Import(Script(kPlain, delimiter, lineEnd));
            // A line end inside quotes cannot stay in a note: it becomes a space.
            ExpectCues(result, {{1250, 1250, 2, 3, "Comet; blue", "B"},
                                {2500, 2500, 1, 1, "Big, \"red\" willow", "A"}});
            // The quoted line end moves the next row a line down.
            EXPECT_EQ(RefusedLines(result), (std::vector<size_t>{4}));
        }
    }
}

TEST(ShowImportText, SemicolonFilesMayWriteADecimalComma)
{
    ExpectCues(Import("Time;Module;Pin\n12,25;3;4\n"), {{12250, 12250, 3, 4, "", ""}});
    // The header tells the delimiter even where decimal commas outnumber the semicolons.
    std::string script = "FIRING_HEADER_ROW;Ignition Event Time;Coordinates;Prefire Delay;"
                         "Module Address;Pin Address\n";
    for (const char* pin : {"1", "2", "3"})
        script += "FIRING_DATA_ROW;12,5;1,5 2,25 0,75 90,5 10,5 0,5;0,5;3;" + std::string(pin) +
                  "\n";
    ExpectCues(Import(script), {{12500, 13000, 3, 1, "", ""},
                                {12500, 13000, 3, 2, "", ""},
                                {12500, 13000, 3, 3, "", ""}});
}

TEST(ShowImportText, EveryEncodingGivesTheSameCues)
{
    const std::string utf8 = Script(kInterchange, '\t');
    const std::vector<std::pair<std::string, std::string>> files = {
        {"UTF-8", utf8},
        {"UTF-8 with BOM", "\xEF\xBB\xBF" + utf8},
        {"UTF-16 LE with BOM", Utf16(utf8, false, true)},
        {"UTF-16 BE with BOM", Utf16(utf8, true, true)},
        {"UTF-16 LE", Utf16(utf8, false, false)},
        {"UTF-16 BE", Utf16(utf8, true, false)},
        {"Windows-1251", EncodeCp1251(utf8)},
    };
    for (const auto& [name, bytes] : files) {
        SCOPED_TRACE(name);
        ExpectCues(Import(bytes), kInterchangeCues);
    }
    // Beyond the 16-bit plane: a surrogate pair.
    const std::string rocket = "Ракета \xF0\x9F\x9A\x80";
    const TImportResult result =
        Import(Utf16("Time,Module,Pin,Effect\r\n1,1,1," + rocket + "\r\n", false, true));
    ExpectCues(result, {{1000, 1000, 1, 1, rocket, ""}});
}

TEST(ShowImportScenario, TheSavedScenarioLoadsAgainWithEffectNamesAndPositions)
{
    std::vector<std::vector<std::string>> rows = kInterchange;
    // Separators of the note and text past its limit must not break the line.
    rows.push_back({"FIRING_DATA_ROW", "3", "4000.5", "1", "0", "0.5", "Pipe|name\tend",
                    "Pos|1", "239", "", "512"});
    rows.push_back({"FIRING_DATA_ROW", "4", "0.001", "1", "0", "0", std::string(300, 'x'), "",
                    "1", "", "1"});
    const TImportResult imported = Import(Script(rows, ','));
    ASSERT_EQ(imported.problem, "");
    ASSERT_TRUE(imported.refused.empty());
    ASSERT_EQ(imported.cues.size(), 4u);
    EXPECT_EQ(imported.cues[3].effect, "Pipe/name end");
    EXPECT_EQ(imported.cues[3].position, "Pos/1");

    const std::string text = FiringScenarioText(imported.cues);
    std::vector<TCue> loaded;
    ASSERT_EQ(ParseScenarioText(text, loaded), 0u) << text;
    ASSERT_EQ(loaded.size(), imported.cues.size());
    for (size_t i = 0; i < loaded.size(); ++i) {
        SCOPED_TRACE(text);
        EXPECT_EQ(loaded[i].time, imported.cues[i].time);
        EXPECT_EQ(loaded[i].module, imported.cues[i].module);
        EXPECT_EQ(loaded[i].channel, imported.cues[i].channel);
        EXPECT_EQ(loaded[i].effectTime, imported.cues[i].effectTime);
        EXPECT_EQ(loaded[i].effect, imported.cues[i].effect);
        EXPECT_EQ(loaded[i].position, imported.cues[i].position);
        EXPECT_EQ(loaded[i].note, imported.cues[i].note);
    }
    EXPECT_EQ(loaded[0].timeText, "0:00.001");
    EXPECT_EQ(loaded[0].effect.size(), 255u - std::string("|0:00.001||").size());
}

TEST(ShowImportScenario, PlainNotesKeepNoEffectData)
{
    for (const char* line : {"1 2 3 Red peony", "1 2 3 |just a note", "1 2 3 |soon|later|x",
                             "1 2 3 |12|no name end"}) {
        std::vector<TCue> cues;
        ASSERT_EQ(ParseScenarioText(line, cues), 0u);
        ASSERT_EQ(cues.size(), 1u);
        EXPECT_FALSE(cues[0].effectTime) << line;
        EXPECT_EQ(cues[0].EffectTime(), 1000);
        EXPECT_EQ(cues[0].effect, "");
    }
    std::vector<TCue> cues;
    ASSERT_EQ(ParseScenarioText("1 2 3 |-0.5||", cues), 0u);
    EXPECT_EQ(cues[0].effectTime, -500);
}

TEST(ShowImportScenario, ScenarioTimeTextReadsBackToTheMillisecond)
{
    for (int32_t ms = -3'600'000; ms < 3 * kScriptTimeLimit; ms += 997)
        ASSERT_EQ(ParseCueTime(ScenarioTimeText(ms)), ms) << ScenarioTimeText(ms);
    EXPECT_EQ(ScenarioTimeText(-300), "-0.300");
    EXPECT_EQ(ScenarioTimeText(61'005), "1:01.005");
    EXPECT_EQ(ScenarioTimeText(3'723'500), "1:02:03.500");
    EXPECT_EQ(ScenarioTimeText(kScriptTimeLimit + 1), "86400.001");
}

}  // namespace
}  // namespace kv
