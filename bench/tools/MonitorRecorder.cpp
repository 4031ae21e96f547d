#include "MonitorRecorder.h"

#include <algorithm>
#include <csignal>
#include <ctime>
#include <limits>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

namespace kv {

int64_t MonotonicNs()
{
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<int64_t>(now.tv_sec) * 1000000000 + now.tv_nsec;
}

TMonitorRecorder::TMonitorRecorder(uint32_t rate) : rate_(rate)
{
    int ends[2];
    if (pipe(ends) != 0)
        return;
    const std::string rateOption = "--rate=" + std::to_string(rate);
    pid_ = fork();
    if (pid_ == 0) {
        dup2(ends[1], STDOUT_FILENO);
        close(ends[0]);
        close(ends[1]);
        execlp("parec", "parec", "-d", "@DEFAULT_MONITOR@", "--raw", "--format=s16le",
               rateOption.c_str(), "--channels=1", "--latency-msec=5", nullptr);
        _exit(127);
    }
    close(ends[1]);
    fd_ = ends[0];
    reader_ = std::thread([this] {
        std::vector<int16_t> block(1024);
        for (;;) {
            const ssize_t got = read(fd_, block.data(), block.size() * 2);
            if (got <= 0)
                break;
            const int64_t now = MonotonicNs();
            samples_.insert(samples_.end(), block.begin(), block.begin() + got / 2);
            blockEnds_.push_back({samples_.size(), now});
        }
    });
}

void TMonitorRecorder::Stop()
{
    if (pid_ <= 0)
        return;
    kill(pid_, SIGTERM);
    waitpid(pid_, nullptr, 0);
    reader_.join();
    close(fd_);
    pid_ = -1;
}

int64_t TMonitorRecorder::SampleNs(size_t index) const
{
    auto block = std::lower_bound(blockEnds_.begin(), blockEnds_.end(),
                                  std::pair<size_t, int64_t>{index, 0});
    int64_t latest = std::numeric_limits<int64_t>::max();
    for (; block != blockEnds_.end() && block->first < index + rate_ / 20; ++block)
        latest = std::min(latest, block->second - SpanNs(block->first - index));
    return latest;
}

}  // namespace kv
