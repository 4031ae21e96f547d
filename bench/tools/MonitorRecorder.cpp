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

namespace {

// How far on from a sample its moment is looked for, and the stretch at each end of the
// recording where the sink's pace is taken.
constexpr double kWindowSeconds = 2.0;
constexpr double kPaceStretchSeconds = 10.0;

}  // namespace

TMonitorRecorder::TMonitorRecorder(uint32_t rate) : rate_(rate), nsPerSample_(1e9 / rate)
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
    MeasurePace();
}

void TMonitorRecorder::MeasurePace()
{
    const auto stretch = static_cast<size_t>(kPaceStretchSeconds * rate_);
    if (blockEnds_.empty() || blockEnds_.back().first < 3 * stretch)
        return;
    const double nominal = 1e9 / rate_;
    // The block handed over soonest, by the nominal pace, within [from, to) samples.
    const auto soonest = [&](size_t from, size_t to) {
        std::pair<double, double> best{0, std::numeric_limits<double>::max()};
        for (const auto& [end, ns] : blockEnds_)
            if (end >= from && end < to && static_cast<double>(ns) - end * nominal < best.second)
                best = {static_cast<double>(end), static_cast<double>(ns) - end * nominal};
        return best;
    };
    const size_t last = blockEnds_.back().first;
    const auto first = soonest(0, stretch);
    const auto final = soonest(last - stretch, last + 1);
    nsPerSample_ = nominal + (final.second - first.second) / (final.first - first.first);
}

double TMonitorRecorder::FastPpm() const
{
    return (1e9 / rate_ / nsPerSample_ - 1.0) * 1e6;
}

int64_t TMonitorRecorder::SampleNs(size_t index) const
{
    auto block = std::lower_bound(blockEnds_.begin(), blockEnds_.end(),
                                  std::pair<size_t, int64_t>{index, 0});
    int64_t latest = std::numeric_limits<int64_t>::max();
    const auto window = static_cast<size_t>(kWindowSeconds * rate_);
    for (; block != blockEnds_.end() && block->first < index + window; ++block)
        latest = std::min(latest, block->second - SpanNs(block->first - index));
    return latest;
}

}  // namespace kv
