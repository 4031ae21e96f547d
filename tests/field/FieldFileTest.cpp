// The field description file: the demo field and the problems a hand-edited file can have.
#include "rigs/FieldRig.h"

#include "field/file/FieldFile.h"

#include <gtest/gtest.h>

namespace kv {
namespace {

TEST(FieldFile, DemoFieldLoadsEveryDevice)
{
    TVirtualPlatform platform;
    TPlatformInstall install(platform);
    std::string problem;
    const auto field = LoadField(KV_SOURCE_DIR "/share/demo-field.ini", problem,
                                 std::make_shared<TPlatformFieldClock>());
    ASSERT_TRUE(field) << problem;
    EXPECT_EQ(field->ConverterCount(), 2);
    int firing = 0;
    for (int address = 1; address <= 199; ++address)
        firing += field->WithDevice(address, [](TSimDevice&) {}) ? 1 : 0;
    EXPECT_EQ(firing, 10);
    for (const int address : {0, 240, 241, 255})
        EXPECT_TRUE(field->WithDevice(address, [](TSimDevice&) {})) << address;
}

TEST(FieldFile, ProblemsNameTheirSectionAndKey)
{
    const std::pair<const char*, const char*> cases[] = {
        {"[device1]\nKind=rocket\n", "[device1] Kind"},
        {"[device1]\nKind=module\nVersion=XYZ\n", "[device1] Version"},
        {"[device1]\nKind=module\nAddress=250\n", "[device1] Address"},
        {"[device3]\nKind=module\nChannels=8\nOpen=9\n", "[device3] Open"},
        {"[device1]\nKind=radio\nAddress=100\n", "[device1] Address"},
        {"[event2]\nType=fireworks\n", "[event2] Type"},
        {"[event1]\nType=frame\nBytes=90 00\n", "[event1] Bytes"},
        {"[field]\nConverters=40\n", "[field] Converters"},
        {"[device1]\nKind=module\nClockDrift=-1000000\n", "[device1] ClockDrift"},
        {"[device1]\nKind=hv\nClockDrift=nan\n", "[device1] ClockDrift"},
        {"[converter1]\nSameLineAs=2\n", "[converter1] SameLineAs"},
    };
    for (const auto& [text, expected] : cases) {
        TField field;
        std::string problem;
        EXPECT_EQ(BuildField(TIniFile::Parse(text), field, problem), -1) << text;
        EXPECT_EQ(problem.rfind(expected, 0), 0u) << problem;
    }
    std::string problem;
    EXPECT_FALSE(LoadField("/nonexistent/field.ini", problem));
    EXPECT_NE(problem.find("cannot be read"), std::string::npos);
}

TEST(FieldFile, EventsHappenOnTheirLineAtTheirTime)
{
    TFieldRig rig(R"(
[device1]
Kind=module
Address=3
Channels=4
[device2]
Kind=station
StationId=9
AnswerDelay=0
[event1]
At=20
Type=station-search
StationId=50
[event2]
At=40
Type=noise
Bytes=00 FF
)");
    const TBytes got = rig.Gather(60);
    EXPECT_EQ(got, Join(Join(Frame(0x01, 0, 0, 50, 0, 255), Frame(0x02, 1, 0, 9, 50, 255)),
                        {0x00, 0xFF}));
}

// Two stations' converters on one line: each hears the other and the line's devices.
TEST(FieldFile, ConvertersOnOneLineHearEachOther)
{
    TFieldRig rig("[field]\nConverters=3\n[converter1]\nSameLineAs=0\n"
                  "[device1]\nKind=module\nAddress=2\n");
    const TBytes query = Frame(0x80, 0, 1, 2, 3, 2);
    const TBytes answer = Frame(0x7F, 'V', '3', '6', 'B', 2);
    EXPECT_EQ(rig.Ask(query, 1), answer);
    EXPECT_EQ(rig.Gather(5, 0), Join(query, answer));
    EXPECT_TRUE(rig.Gather(5, 2).empty()) << "a line of its own";
}

TEST(FieldFile, DeviceFaultsComeFromTheirSection)
{
    TFieldRig rig("[device1]\nKind=module\nAddress=2\nSilent=0-100\nBadCheck=1\n");
    EXPECT_TRUE(rig.Ask(Frame(0x80, 0, 1, 2, 3, 2)).empty());
    rig.Gather(100);
    const TBytes damaged = rig.Ask(Frame(0x80, 0, 1, 2, 3, 2));
    ASSERT_EQ(damaged.size(), 7u);
    EXPECT_NE(damaged, Frame(0x7F, 'V', '3', '6', 'B', 2));
    EXPECT_EQ(rig.Ask(Frame(0x80, 0, 1, 2, 3, 2)), Frame(0x7F, 'V', '3', '6', 'B', 2));
}

TEST(FieldFile, SilenceWithoutAnEndLastsForEver)
{
    for (const char* span : {"Silent=50", "Silent=50-"}) {
        SCOPED_TRACE(span);
        TFieldRig rig(std::string("[device1]\nKind=module\nAddress=2\n") + span + "\n");
        EXPECT_EQ(rig.Ask(Frame(0x80, 0, 1, 2, 3, 2)), Frame(0x7F, 'V', '3', '6', 'B', 2));
        rig.Gather(100'000);
        EXPECT_TRUE(rig.Ask(Frame(0x80, 0, 1, 2, 3, 2)).empty());
    }
}

}  // namespace
}  // namespace kv
