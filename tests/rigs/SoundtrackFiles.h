#pragma once
// Soundtrack files made at test time with ffmpeg. Each channel is a chirp whose pitch rises
// with time, so a stretch of audio matches the file at one place only.

#include <cstdint>
#include <string>
#include <vector>

namespace kv {

class TSoundtrackFolder {
public:
    TSoundtrackFolder();
    ~TSoundtrackFolder();
    TSoundtrackFolder(const TSoundtrackFolder&) = delete;
    TSoundtrackFolder& operator=(const TSoundtrackFolder&) = delete;

    // The chirp, seconds long, encoded by ffmpeg with the given output options (codec, sample
    // format, channels) into the named file of this folder. Empty when ffmpeg fails.
    std::string Make(const std::string& name, double seconds, const std::string& options,
                     int rate = 44100);
    const std::string& Path() const { return path_; }

private:
    std::string path_;
};

// The file decoded by the ffmpeg program to raw PCM of the given sample format ("s16le", "u8").
std::vector<uint8_t> DecodeWithFfmpeg(const std::string& file, const std::string& format);
std::vector<int16_t> ToSamples(const std::vector<uint8_t>& bytes);

// The frame offset in reference (interleaved, channels wide) where piece fits best, searched
// within radius frames of around. Judged on the first channel.
int64_t BestMatch(const std::vector<int16_t>& reference, const int16_t* piece, size_t frames,
                  int channels, int64_t around, int64_t radius);

// Whether an audio server answers (pactl info).
bool AudioServerReachable();
// For a test's SetUp or start: when none answers, skips the test if KV_NO_AUDIO is set and
// fails it otherwise, and returns false for the caller to return at once.
bool RequireAudioServer();

}  // namespace kv
