#pragma once
// The sound server as a playing stream reaches it. Any call may block for as long as the
// server takes to answer, or for good: only a stream's feeding thread makes them.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace kv {

struct TSoundFormat {
    uint32_t rate = 44100;
    uint16_t channels = 2;
    bool eightBit = false;
};

// The sink's channels a stream is heard on: every channel of the stream goes to that one.
enum class TSoundSide : uint8_t { Both, Left, Right };

// Where a stream plays, and what the server shows it as.
struct TSoundTarget {
    std::string sink;  // empty: the server's default
    TSoundSide side = TSoundSide::Both;
    std::string name = "soundtrack";
};

// The side the soundtracks opened from now on are heard on: Left while the timecode goes
// out on the right channel of their sink. Any thread.
void SetSoundtrackSide(TSoundSide side);
TSoundSide SoundtrackSide();

// One playing stream on the server; closed when destroyed.
class TSoundOutput {
public:
    virtual ~TSoundOutput() = default;
    // How long the last sample written takes to be heard, µs; -1 when the server does not say.
    virtual int64_t LatencyUs() = 0;
    virtual bool Write(const uint8_t* data, size_t size) = 0;
    // Drops what was written and not heard yet.
    virtual void Flush() = 0;
};

class TSoundServer {
public:
    virtual ~TSoundServer() = default;
    // queueUs: how much sound the stream may hold; null when the server takes no stream.
    virtual std::unique_ptr<TSoundOutput> Open(const TSoundFormat& format, int64_t queueUs,
                                               const TSoundTarget& target) = 0;
    // The clock the latencies count on, µs. Safe on any thread.
    virtual int64_t NowUs() = 0;
};

// The machine's PulseAudio server.
std::shared_ptr<TSoundServer> PulseSoundServer();

// Whether the PulseAudio server answers within waitMs and has a default output. Blocks the
// calling thread for at most waitMs.
bool PulseOutputPresent(int waitMs);
// The names of the server's sources (inputs and the outputs' monitors), as [timecode] Source
// takes them; none when it does not answer within waitMs.
std::vector<std::string> PulseSourceNames(int waitMs);

}  // namespace kv
