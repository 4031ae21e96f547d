#include "link/FrameCheck.h"
#include "link/ReceiveBuffer.h"

#include <gtest/gtest.h>

#include <vector>

namespace kv {
namespace {

std::vector<uint8_t> Framed(std::vector<uint8_t> record)
{
    record.push_back(FrameCheck(record.data(), record.size()));
    return record;
}

struct TScan {
    TReceiveBuffer buffer;
    std::vector<TReceivedFrame> frames;

    void Add(const std::vector<uint8_t>& bytes, int converter)
    {
        buffer.Append(bytes.data(), static_cast<int>(bytes.size()), converter);
    }
    int Parse(int capacity = 128)
    {
        std::vector<TReceivedFrame> batch(static_cast<size_t>(capacity));
        const int count = buffer.Parse(batch.data(), capacity);
        frames.insert(frames.end(), batch.begin(), batch.begin() + count);
        return count;
    }
};

TEST(FrameScan, SkipsLeadingNoiseAndLeavesNothingBehindAFrame)
{
    TScan scan;
    scan.Add({0x00, 0x85, 0x00, 0x00, 0x00, 0x00, 0x01, 0x5F}, 2);
    ASSERT_EQ(scan.Parse(), 1);
    EXPECT_EQ(scan.frames[0].record, (TFrameRecord{0x85, 0, 0, 0, 0, 1}));
    EXPECT_EQ(scan.frames[0].converter, 2);
    EXPECT_EQ(scan.buffer.Length(), 0);
}

TEST(FrameScan, NoiseWithoutAFrameKeepsOnlyTheLastSixBytes)
{
    TScan scan;
    scan.Add({1, 2, 3, 4, 5, 6, 7, 8, 9, 10}, 0);
    EXPECT_EQ(scan.Parse(), 0);
    ASSERT_EQ(scan.buffer.Length(), 6);
    // The kept tail may begin a frame: complete it.
    const auto frame = Framed({5, 6, 7, 8, 9, 10});
    scan.Add({frame[6]}, 0);
    ASSERT_EQ(scan.Parse(), 1);
    EXPECT_EQ(scan.frames[0].record, (TFrameRecord{5, 6, 7, 8, 9, 10}));
}

TEST(FrameScan, BackToBackFramesComeInOrderWithTheirConverters)
{
    TScan scan;
    scan.Add(Framed({0x70, 1, 2, 3, 4, 9}), 0);
    scan.Add(Framed({0x02, 1, 0, 77, 0, 255}), 3);
    ASSERT_EQ(scan.Parse(), 2);
    EXPECT_EQ(scan.frames[0].record[0], 0x70);
    EXPECT_EQ(scan.frames[0].converter, 0);
    EXPECT_EQ(scan.frames[1].record[3], 77);
    EXPECT_EQ(scan.frames[1].converter, 3);
}

TEST(FrameScan, AFrameSplitAcrossReadsIsTakenOnceComplete)
{
    TScan scan;
    const auto frame = Framed({0x7A, 0x81, 0xF4, 0x30, 0xD4, 0x05});
    scan.Add({frame.begin(), frame.begin() + 4}, 1);
    EXPECT_EQ(scan.Parse(), 0);
    scan.Add({frame.begin() + 4, frame.end()}, 1);
    ASSERT_EQ(scan.Parse(), 1);
    EXPECT_EQ(scan.frames[0].record, (TFrameRecord{0x7A, 0x81, 0xF4, 0x30, 0xD4, 0x05}));
}

TEST(FrameScan, CodesZeroAnd255AreNeverFramesEvenWithAGoodCheck)
{
    TScan scan;
    scan.Add({0, 0, 0, 0, 0, 0, 0}, 0);
    scan.Add(Framed({255, 1, 2, 3, 4, 5}), 0);
    EXPECT_EQ(scan.Parse(), 0);
    // A wrong check byte is skipped too, and a good frame right behind is still found.
    auto bad = Framed({0x85, 0, 0, 0, 0, 1});
    bad[6] ^= 1;
    scan.Add(bad, 0);
    scan.Add(Framed({0x85, 0, 0, 0, 0, 2}), 0);
    ASSERT_EQ(scan.Parse(), 1);
    EXPECT_EQ(scan.frames[0].record[5], 2);
}

TEST(FrameScan, AFullBatchLeavesTheRestForTheNextOne)
{
    TScan scan;
    for (int i = 0; i < 200; ++i)
        scan.Add(Framed({0x70, 0, 0, 0, static_cast<uint8_t>(i), 1}), 0);
    EXPECT_EQ(scan.Parse(), 128);
    EXPECT_EQ(scan.Parse(), 72);
    ASSERT_EQ(scan.frames.size(), 200u);
    for (int i = 0; i < 200; ++i)
        EXPECT_EQ(scan.frames[static_cast<size_t>(i)].record[4], static_cast<uint8_t>(i));
}

TEST(FrameScan, AppendTakesOnlyWhatFits)
{
    TReceiveBuffer buffer;
    std::vector<uint8_t> block(TReceiveBuffer::kCapacity - 3, 0x11);
    EXPECT_EQ(buffer.Append(block.data(), static_cast<int>(block.size()), 0),
              static_cast<int>(block.size()));
    const uint8_t more[10] = {};
    EXPECT_EQ(buffer.Append(more, 10, 0), 3);
    EXPECT_EQ(buffer.FreeSpace(), 0);
    EXPECT_EQ(buffer.Append(more, 10, 0), 0);
}

}  // namespace
}  // namespace kv
