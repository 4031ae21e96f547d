#include "rigs/SoundtrackFiles.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>

namespace kv {

TSoundtrackFolder::TSoundtrackFolder()
{
    char pattern[] = "/tmp/kv-audio-XXXXXX";
    const char* made = mkdtemp(pattern);
    path_ = made != nullptr ? made : "";
}

TSoundtrackFolder::~TSoundtrackFolder()
{
    std::error_code ignored;
    if (!path_.empty())
        std::filesystem::remove_all(path_, ignored);
}

std::string TSoundtrackFolder::Make(const std::string& name, double seconds,
                                    const std::string& options, int rate)
{
    const std::string file = path_ + "/" + name;
    char source[256];
    std::snprintf(source, sizeof source,
                  "aevalsrc=0.5*sin(2*PI*(200*t+40*t*t))|0.4*sin(2*PI*(300*t+25*t*t))"
                  ":s=%d:d=%.3f",
                  rate, seconds);
    const std::string command = "ffmpeg -v error -y -f lavfi -i '" + std::string(source) + "' "
                                + options + " '" + file + "'";
    return std::system(command.c_str()) == 0 ? file : std::string();
}

std::vector<uint8_t> DecodeWithFfmpeg(const std::string& file, const std::string& format)
{
    std::vector<uint8_t> bytes;
    const std::string command = "ffmpeg -v error -i '" + file + "' -f " + format + " -";
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr)
        return bytes;
    uint8_t buffer[65536];
    size_t got = 0;
    while ((got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0)
        bytes.insert(bytes.end(), buffer, buffer + got);
    pclose(pipe);
    return bytes;
}

std::vector<int16_t> ToSamples(const std::vector<uint8_t>& bytes)
{
    std::vector<int16_t> samples(bytes.size() / 2);
    std::memcpy(samples.data(), bytes.data(), samples.size() * 2);
    return samples;
}

int64_t BestMatch(const std::vector<int16_t>& reference, const int16_t* piece, size_t frames,
                  int channels, int64_t around, int64_t radius)
{
    const int64_t available = static_cast<int64_t>(reference.size()) / channels;
    int64_t best = -1;
    double bestScore = -2;
    for (int64_t at = std::max<int64_t>(0, around - radius);
         at <= around + radius && at + static_cast<int64_t>(frames) <= available; ++at) {
        double product = 0, pieceEnergy = 0, referenceEnergy = 0;
        for (size_t i = 0; i < frames; ++i) {
            const double a = piece[i * channels];
            const double b = reference[(at + static_cast<int64_t>(i)) * channels];
            product += a * b;
            pieceEnergy += a * a;
            referenceEnergy += b * b;
        }
        const double score = product / std::sqrt(pieceEnergy * referenceEnergy + 1);
        if (score > bestScore) {
            bestScore = score;
            best = at;
        }
    }
    return best;
}

bool RequireAudioServer()
{
    if (AudioServerReachable())
        return true;
    // The test macros return from the function they stand in.
    [] {
        if (std::getenv("KV_NO_AUDIO") != nullptr)
            GTEST_SKIP() << "KV_NO_AUDIO is set: no sound on this machine";
        FAIL() << "No audio server answers. Start one with a null sink as scripts/test.sh does, "
                  "or set KV_NO_AUDIO=1 on a machine without sound.";
    }();
    return false;
}

bool AudioServerReachable()
{
    return std::system("pactl info >/dev/null 2>&1") == 0;
}

}  // namespace kv
