#include "rigs/FieldRig.h"

#include "field/file/FieldFile.h"
#include "link/FrameCheck.h"

#include <gtest/gtest.h>

namespace kv {

TBytes Frame(uint8_t code, uint8_t b1, uint8_t b2, uint8_t b3, uint8_t b4, uint8_t address)
{
    TBytes frame{code, b1, b2, b3, b4, address};
    frame.push_back(FrameCheck(frame.data(), 6));
    return frame;
}

TBytes Join(const TBytes& first, const TBytes& second)
{
    TBytes joined = first;
    joined.insert(joined.end(), second.begin(), second.end());
    return joined;
}

TFieldRig::TFieldRig(const std::string& ini)
    : field(std::make_shared<TField>(std::make_shared<TPlatformFieldClock>()))
{
    std::string problem;
    EXPECT_EQ(BuildField(TIniFile::Parse(ini), *field, problem), 0) << problem;
    port = std::make_unique<TFieldPort>(field);
    EXPECT_TRUE(port->Open());
}

void TFieldRig::Send(const TBytes& frame, int converter)
{
    ASSERT_EQ(port->Write(frame.data(), static_cast<int>(frame.size()), converter),
              static_cast<int>(frame.size()));
}

TBytes TFieldRig::Gather(uint32_t waitMs, int converter)
{
    TBytes got;
    const uint32_t start = Now();
    uint8_t buffer[256];
    while (Now() - start < waitMs) {
        const int n = port->Read(buffer, sizeof buffer, converter);
        if (n > 0)
            got.insert(got.end(), buffer, buffer + n);
    }
    return got;
}

TBytes TFieldRig::Ask(const TBytes& frame, int converter, uint32_t waitMs)
{
    Send(frame, converter);
    return Gather(waitMs, converter);
}

}  // namespace kv
