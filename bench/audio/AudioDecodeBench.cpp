// Soundtrack decoding speed per format (times real time) and the memory a 60-minute
// soundtrack takes while it is opened, positioned and decoded through, as the player does.
#include "audio/AudioDecoder.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

const std::string kFolder = "/tmp/kv-audio-bench";

std::string Track(const std::string& name, int seconds, const std::string& options)
{
    const std::string file = kFolder + "/" + std::to_string(seconds) + name;
    if (!std::filesystem::exists(file)) {
        std::filesystem::create_directories(kFolder);
        const std::string command =
            "ffmpeg -v error -y -f lavfi -i 'aevalsrc=0.5*sin(2*PI*(200+40*t)*t)|"
            "0.4*sin(2*PI*330*t):s=44100:d=" + std::to_string(seconds) + "' " + options + " '"
            + file + "'";
        if (std::system(command.c_str()) != 0)
            return {};
    }
    return file;
}

// Peak resident memory of the process so far, in kB.
long PeakKb()
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmHWM:", 0) == 0)
            return std::atol(line.c_str() + 6);
    return 0;
}

void Decode(benchmark::State& state, const std::string& name, const std::string& options,
            kv::TDecodePath path)
{
    const std::string file = Track(name, 60, options);
    std::vector<uint8_t> buffer(16384);
    int64_t seconds = 0;
    for (auto _ : state) {
        kv::TAudioDecoder decoder;
        if (decoder.Open(file, path) != 0) {
            state.SkipWithError("cannot open");
            return;
        }
        while (decoder.Read(buffer.data(), buffer.size()) > 0) {
        }
        seconds += decoder.LengthBytes() / (decoder.FrameBytes() * decoder.Frequency());
    }
    state.counters["x_real_time"] =
        benchmark::Counter(static_cast<double>(seconds), benchmark::Counter::kIsRate);
}

void BM_DecodeWav(benchmark::State& s) { Decode(s, ".wav", "", kv::TDecodePath::General); }
void BM_DecodeMp3(benchmark::State& s)
{
    Decode(s, ".mp3", "-c:a libmp3lame -b:a 192k", kv::TDecodePath::General);
}
void BM_DecodeOgg(benchmark::State& s)
{
    Decode(s, ".ogg", "-c:a libvorbis -q:a 5", kv::TDecodePath::General);
}
void BM_DecodeWma(benchmark::State& s)
{
    Decode(s, ".wma", "-c:a wmav2 -b:a 128k", kv::TDecodePath::Wma);
}
BENCHMARK(BM_DecodeWav)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DecodeMp3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DecodeOgg)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DecodeWma)->Unit(benchmark::kMillisecond);

// Open (the length count), seek far in, and decode the hour through in the feeder's chunks.
void BM_SixtyMinuteSoundtrackMemory(benchmark::State& state)
{
    const std::string file = Track(".mp3", 3600, "-c:a libmp3lame -b:a 192k");
    std::vector<uint8_t> buffer(16384);
    const long before = PeakKb();
    for (auto _ : state) {
        kv::TAudioDecoder decoder;
        if (decoder.Open(file, kv::TDecodePath::General) != 0) {
            state.SkipWithError("cannot open");
            return;
        }
        decoder.SeekBytes(decoder.LengthBytes() / 2);
        decoder.SeekBytes(0);
        while (decoder.Read(buffer.data(), buffer.size()) > 0) {
        }
        benchmark::DoNotOptimize(decoder.PositionBytes());
    }
    state.counters["peak_growth_MB"] = static_cast<double>(PeakKb() - before) / 1024.0;
}
BENCHMARK(BM_SixtyMinuteSoundtrackMemory)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace

BENCHMARK_MAIN();
