// Decoding, lengths and seeking per format, against the ffmpeg program's own decoding and the
// chirp the files were made from.
#include "audio/AudioDecoder.h"
#include "rigs/SoundtrackFiles.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>

namespace kv {
namespace {

constexpr int kRate = 44100;
constexpr double kSeconds = 3.3;
constexpr int64_t kFrames = 145530;  // 3.3 s at 44 100 Hz

struct TFormatCase {
    const char* name;
    const char* options;
};

const TFormatCase kExactFormats[] = {
    {"track.wav", "-c:a pcm_s16le"},
    {"track.mp3", "-c:a libmp3lame -b:a 192k"},
    {"vbr.mp3", "-c:a libmp3lame -q:a 4"},
    {"track.ogg", "-c:a libvorbis -q:a 6"},
};

class ExactFormats : public ::testing::TestWithParam<TFormatCase> {
protected:
    static void SetUpTestSuite()
    {
        folder = new TSoundtrackFolder;
        source = ToSamples(DecodeWithFfmpeg(folder->Make("source.wav", kSeconds, ""), "s16le"));
    }
    static void TearDownTestSuite()
    {
        delete folder;
        folder = nullptr;
    }

    void SetUp() override
    {
        file = folder->Make(GetParam().name, kSeconds, GetParam().options);
        ASSERT_FALSE(file.empty());
        ASSERT_EQ(decoder.Open(file, TDecodePath::General), 0);
    }

    std::vector<uint8_t> ReadAt(int64_t frame, size_t frames)
    {
        EXPECT_EQ(decoder.SeekBytes(frame * 4), 0);
        EXPECT_EQ(decoder.PositionBytes(), frame * 4);
        std::vector<uint8_t> bytes(frames * 4);
        bytes.resize(decoder.Read(bytes.data(), bytes.size()));
        return bytes;
    }

    static TSoundtrackFolder* folder;
    static std::vector<int16_t> source;
    std::string file;
    TAudioDecoder decoder;
};

TSoundtrackFolder* ExactFormats::folder = nullptr;
std::vector<int16_t> ExactFormats::source;

TEST_P(ExactFormats, LengthAndDataAreThoseOfTheWholeSignal)
{
    EXPECT_EQ(decoder.Channels(), 2);
    EXPECT_EQ(decoder.Frequency(), 44100u);
    EXPECT_FALSE(decoder.EightBit());
    // mp3 only comes out this long when the gapless header's delay and padding are honoured.
    EXPECT_EQ(decoder.LengthBytes(), kFrames * 4);

    const std::vector<uint8_t> reference = DecodeWithFfmpeg(file, "s16le");
    std::vector<uint8_t> decoded;
    uint8_t buffer[3000];  // not a multiple of the frame size on purpose
    size_t got = 0;
    while ((got = decoder.Read(buffer, sizeof buffer)) > 0)
        decoded.insert(decoded.end(), buffer, buffer + got);
    EXPECT_EQ(decoded.size(), reference.size());
    EXPECT_TRUE(decoded == reference);
    EXPECT_EQ(decoder.PositionBytes(), decoder.LengthBytes());
}

TEST_P(ExactFormats, SeekingLandsOnTheSample)
{
    const std::vector<uint8_t> reference = DecodeWithFfmpeg(file, "s16le");
    ASSERT_EQ(static_cast<int64_t>(reference.size()), kFrames * 4);
    // Far forward, back, a short step forward, the very start and the last frames.
    for (const int64_t frame : {int64_t{2 * kRate + 1234}, int64_t{kRate / 2 + 7},
                                int64_t{kRate / 2 + 7 + 3000}, int64_t{0}, kFrames - 100}) {
        SCOPED_TRACE(frame);
        const std::vector<uint8_t> piece = ReadAt(frame, 2000);
        ASSERT_EQ(piece.size(), std::min<size_t>(2000, kFrames - frame) * 4);
        const std::vector<uint8_t> expected(reference.begin() + frame * 4,
                                            reference.begin() + frame * 4 + piece.size());
        EXPECT_TRUE(piece == expected);
        if (frame + 2000 <= kFrames) {
            const std::vector<int16_t> samples = ToSamples(piece);
            EXPECT_EQ(BestMatch(source, samples.data(), 2000, 2, frame, 300), frame);
        }
    }
}

TEST_P(ExactFormats, ReadStopsAtTheEndAndSeekPastItIsHeldThere)
{
    ASSERT_EQ(decoder.SeekBytes(decoder.LengthBytes() + 4000), 0);
    EXPECT_EQ(decoder.PositionBytes(), decoder.LengthBytes());
    uint8_t buffer[64];
    EXPECT_EQ(decoder.Read(buffer, sizeof buffer), 0u);

    ASSERT_EQ(decoder.SeekBytes(decoder.LengthBytes() - 10), 0);
    EXPECT_EQ(decoder.PositionBytes(), decoder.LengthBytes() - 12);  // aligned downwards
    EXPECT_EQ(decoder.Read(buffer, sizeof buffer), 12u);
}

INSTANTIATE_TEST_SUITE_P(Formats, ExactFormats, ::testing::ValuesIn(kExactFormats),
                         [](const auto& info) {
                             std::string name = info.param.name;
                             name[name.find('.')] = '_';
                             return name;
                         });

TEST(EightBitWav, DecodesToUnsignedBytesAtItsOwnRateAndChannels)
{
    TSoundtrackFolder folder;
    const std::string file = folder.Make("eight.wav", 2.5, "-ac 1 -c:a pcm_u8", 22050);
    TAudioDecoder decoder;
    ASSERT_EQ(decoder.Open(file, TDecodePath::General), 0);
    EXPECT_TRUE(decoder.EightBit());
    EXPECT_EQ(decoder.Channels(), 1);
    EXPECT_EQ(decoder.Frequency(), 22050u);
    EXPECT_EQ(decoder.FrameBytes(), 1u);
    EXPECT_EQ(decoder.LengthBytes(), 55125);

    const std::vector<uint8_t> reference = DecodeWithFfmpeg(file, "u8");
    ASSERT_EQ(decoder.SeekBytes(30001), 0);
    std::vector<uint8_t> piece(500);
    ASSERT_EQ(decoder.Read(piece.data(), piece.size()), piece.size());
    EXPECT_TRUE(std::equal(piece.begin(), piece.end(), reference.begin() + 30001));
}

TEST(WmaFile, LengthAndSeekingWithinFiftyMilliseconds)
{
    TSoundtrackFolder folder;
    const std::vector<int16_t> source =
        ToSamples(DecodeWithFfmpeg(folder.Make("source.wav", 6, ""), "s16le"));
    const std::string file = folder.Make("track.wma", 6, "-c:a wmav2 -b:a 128k");
    TAudioDecoder decoder;
    ASSERT_EQ(decoder.Open(file, TDecodePath::Wma), 0);
    EXPECT_EQ(decoder.Channels(), 2);
    EXPECT_NEAR(decoder.LengthBytes() / 4, 6 * kRate, kRate / 20);

    const int64_t tolerance = kRate / 20;
    for (const int64_t frame : {int64_t{3 * kRate + 555}, int64_t{kRate}, int64_t{0},
                                int64_t{5 * kRate}}) {
        SCOPED_TRACE(frame);
        ASSERT_EQ(decoder.SeekBytes(frame * 4), 0);
        EXPECT_EQ(decoder.PositionBytes(), frame * 4);
        std::vector<uint8_t> bytes(4410 * 4);
        ASSERT_EQ(decoder.Read(bytes.data(), bytes.size()), bytes.size());
        const std::vector<int16_t> samples = ToSamples(bytes);
        // Past the decoder's start-up loss the audio must be the chirp from that place.
        const size_t settle = frame == 0 ? 2 * 2048 : 0;
        const int64_t found = BestMatch(source, samples.data() + settle * 2, 4410 - settle, 2,
                                        frame + settle, 3 * tolerance);
        EXPECT_NEAR(found, frame + static_cast<int64_t>(settle), tolerance);
    }
}

TEST(UnreadableFiles, StayClosed)
{
    TSoundtrackFolder folder;
    const std::string text = folder.Path() + "/notes.mp3";
    std::ofstream(text) << "not audio at all\n";
    TAudioDecoder decoder;
    EXPECT_EQ(decoder.Open(text, TDecodePath::General), -1);
    EXPECT_FALSE(decoder.IsOpen());
    EXPECT_EQ(decoder.Open(folder.Path() + "/missing.wav", TDecodePath::General), -1);
    uint8_t buffer[16];
    EXPECT_EQ(decoder.Read(buffer, sizeof buffer), 0u);
    EXPECT_EQ(decoder.SeekBytes(0), -1);
}

}  // namespace
}  // namespace kv
