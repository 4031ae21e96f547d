// The field on the steady clock, sped up: the same bytes as on virtual time.
#include "rigs/FieldRig.h"

#include "field/file/FieldFile.h"

#include <gtest/gtest.h>

namespace kv {
namespace {

TEST(FieldRealTime, SpedUpSteadyClockGivesTheSameExchange)
{
    auto field = std::make_shared<TField>(std::make_shared<TSteadyFieldClock>(20.0));
    std::string problem;
    ASSERT_EQ(BuildField(TIniFile::Parse("[device1]\nKind=module\nAddress=9\nTrailer=3\n"), *field,
                         problem),
              0);
    TFieldPort port(field);
    ASSERT_TRUE(port.Open());
    const TBytes query = Frame(0x8F, 1, 2, 3, 4, 9);
    ASSERT_EQ(port.Write(query.data(), 7, 0), 7);
    TBytes got;
    uint8_t buffer[32];
    int converter = -1;
    for (int reads = 0; got.size() < 9 && reads < 50; ++reads) {
        const int n = port.ReadAny(buffer, sizeof buffer, converter);
        if (n > 0)
            got.insert(got.end(), buffer, buffer + n);
    }
    EXPECT_EQ(converter, 0);
    EXPECT_EQ(got, Join(Frame(0x70, 'O', 'k', 0, 16, 9), {0x03, 0xFC}));
    const auto frames = field->Frames();
    ASSERT_EQ(frames.size(), 2u);
    EXPECT_GE(frames[1].startNs - frames[0].endNs, 2'000'000);
}

}  // namespace
}  // namespace kv
