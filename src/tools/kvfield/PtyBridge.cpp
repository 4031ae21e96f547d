#include "PtyBridge.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

namespace kv {

namespace {

// A stop signal that comes between the look at the flag and the sleep waits this long.
constexpr int64_t kLongestSleepNs = 100'000'000;

int64_t SteadyNowNs()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

}  // namespace

TPtyBridge::TPtyBridge(TField& field) : field_(field)
{
}

TPtyBridge::~TPtyBridge()
{
    for (const int fd : masters_)
        close(fd);
    for (const int fd : slaves_)
        close(fd);
}

bool TPtyBridge::Open(std::string& problem)
{
    for (int i = 0; i < field_.ConverterCount(); ++i) {
        int master = -1;
        int slave = -1;
        char name[256] = {};
        if (openpty(&master, &slave, name, nullptr, nullptr) != 0) {
            problem = std::string("openpty: ") + std::strerror(errno);
            return false;
        }
        termios raw{};
        tcgetattr(slave, &raw);
        cfmakeraw(&raw);
        cfsetspeed(&raw, B19200);
        tcsetattr(slave, TCSANOW, &raw);
        fcntl(master, F_SETFL, fcntl(master, F_GETFL) | O_NONBLOCK);
        masters_.push_back(master);
        slaves_.push_back(slave);
        paths_.emplace_back(name);
    }
    return true;
}

void TPtyBridge::Pump()
{
    uint8_t buffer[512];
    for (size_t i = 0; i < masters_.size(); ++i) {
        const int converter = static_cast<int>(i);
        const ssize_t got = read(masters_[i], buffer, sizeof buffer);
        if (got > 0)
            field_.Transmit(converter, buffer, static_cast<int>(got), TField::TEcho::Returned);
        const int ready = field_.Take(converter, buffer, sizeof buffer);
        for (int done = 0; done < ready;) {
            const ssize_t put = write(masters_[i], buffer + done, static_cast<size_t>(ready - done));
            if (put <= 0)
                break;  // nobody reads: the bytes are lost, as on a line without a listener
            done += static_cast<int>(put);
        }
    }
}

bool TPtyBridge::BytesWaiting()
{
    for (size_t i = 0; i < masters_.size(); ++i)
        if (field_.Arrived(static_cast<int>(i)) > 0)
            return true;
    return false;
}

void TPtyBridge::LogRecord()
{
    const auto frames = field_.Frames(framesLogged_);
    for (const TFrameEntry& entry : frames)
        std::fprintf(stderr, "%s\n", DescribeFrame(entry).c_str());
    framesLogged_ += frames.size();
    const auto shots = field_.Shots(shotsLogged_);
    for (const TShotEntry& entry : shots)
        std::fprintf(stderr, "%s\n", DescribeShot(entry).c_str());
    shotsLogged_ += shots.size();
}

// Sleeps until the program writes, the field sets something going, or the next byte's moment
// on the line: each byte reaches the terminal when its last bit would, not at a poll's tick.
void TPtyBridge::Run(const std::atomic<bool>& stop)
{
    std::vector<pollfd> watched;
    for (const int fd : masters_)
        watched.push_back({fd, POLLIN, 0});
    watched.push_back({-1, POLLIN, 0});
    while (!stop) {
        const int64_t next = field_.Watch(watched.back().fd);
        // The next moment counts only bytes still on their way: one that came since the last
        // pump is handed over now (slept past, it waited for the program's next write).
        int64_t wait = kLongestSleepNs;
        if (BytesWaiting())
            wait = 0;
        else if (next != kNeverNs)
            wait = std::clamp<int64_t>(field_.Clock().SteadyNsAt(next) - SteadyNowNs(), 0, wait);
        const timespec timeout{static_cast<time_t>(wait / 1'000'000'000),
                               static_cast<long>(wait % 1'000'000'000)};
        ppoll(watched.data(), watched.size(), &timeout, nullptr);
        Pump();
        LogRecord();
    }
}

}  // namespace kv
