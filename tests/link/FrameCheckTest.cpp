#include "link/FrameCheck.h"

#include <gtest/gtest.h>

#include <cstring>

using kv::FrameCheck;

TEST(FrameCheck, MatchesTheOneWireCheckValueAndBusExamples)
{
    const char* text = "123456789";
    EXPECT_EQ(FrameCheck(reinterpret_cast<const uint8_t*>(text), std::strlen(text)), 0xA1);

    const uint8_t status[6] = {0x85, 0, 0, 0, 0, 0x01};
    EXPECT_EQ(FrameCheck(status, 6), 0x5F);
    const uint8_t clock[6] = {0x90, 0, 0, 0x80, 0, 0};
    EXPECT_EQ(FrameCheck(clock, 6), 0xD3);
    const uint8_t zeros[6] = {};
    EXPECT_EQ(FrameCheck(zeros, 6), 0x00);
}

TEST(FrameCheck, AFrameFollowedByItsCheckChecksToZero)
{
    uint8_t frame[7] = {0x7A, 0x81, 0xF4, 0x30, 0xD4, 0x05, 0};
    frame[6] = FrameCheck(frame, 6);
    EXPECT_EQ(FrameCheck(frame, 7), 0);
    frame[3] ^= 0x10;
    EXPECT_NE(FrameCheck(frame, 7), 0);
}
