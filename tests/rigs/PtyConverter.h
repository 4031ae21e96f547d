#pragma once
// A converter played on the master side of a pseudo-terminal, for tests of the termios
// transport and the port thread on real time.

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace kv::test {

// Echoes every byte like an RS485 converter (after echoDelayMs) and answers status queries
// as module 5. The device appears at link while plugged in.
class TPtyConverter {
public:
    // What comes back of a frame: all of it, nothing, or the frame with its last byte damaged.
    enum class TEcho { Whole, None, DamagedTail };

    explicit TPtyConverter(std::filesystem::path link, int echoDelayMs = 0);
    ~TPtyConverter();

    void Plug();
    // The terminal hangs up and link goes.
    void Unplug();
    // A frame from the bus: record with its check byte.
    void Send(std::vector<uint8_t> record);
    void SetEcho(TEcho echo) { echo_ = echo; }

private:
    void Serve();

    std::filesystem::path link_;
    const int echoDelayMs_;
    std::atomic<TEcho> echo_{TEcho::Whole};
    int master_ = -1;
    int slave_ = -1;
    std::atomic<bool> stop_{false};
    std::thread thread_;
    std::mutex writeLock_;
};

// Lets the main thread's messages run until done holds; false after limitMs.
bool WaitFor(const std::function<bool()>& done, uint32_t limitMs);

// A path in a folder of this process's own, free for a link.
std::filesystem::path TempLink(const char* name);

}  // namespace kv::test
