#pragma once
// The default sink's monitor recorded with parec, mono, with the monotonic moment of every
// sample, for the benchmarks that compare what was heard with what was fired.

#include <sys/types.h>

#include <cstddef>
#include <cstdint>
#include <thread>
#include <utility>
#include <vector>

namespace kv {

int64_t MonotonicNs();

// Each block is stamped when parec hands it over; a sample was there no later than any block
// that ends after it, less the samples between counted at the pace the sink really played (a
// null sink runs a few hundred ppm off the system clock). Taken over the next 2 s: a parec
// held up by a loaded machine hands its blocks over late and in a burst, and only a block
// after the burst tells when they were there (over 50 ms, such stalls of 0.6 s made shots on
// time look up to 0.5 s early). Samples the server dropped only make the blocks after them
// tell a later moment, which the least of them leaves out.
class TMonitorRecorder {
public:
    explicit TMonitorRecorder(uint32_t rate);
    ~TMonitorRecorder() { Stop(); }
    bool Started() const { return pid_ > 0; }
    void Stop();
    const std::vector<int16_t>& Samples() const { return samples_; }
    int64_t SampleNs(size_t index) const;
    // How much faster than the system clock the sink played, from the blocks handed over
    // soonest at the recording's start and end.
    double FastPpm() const;

private:
    int64_t SpanNs(size_t samples) const
    {
        return static_cast<int64_t>(static_cast<double>(samples) * nsPerSample_);
    }
    void MeasurePace();

    uint32_t rate_;
    double nsPerSample_;
    pid_t pid_ = -1;
    int fd_ = -1;
    std::thread reader_;
    std::vector<int16_t> samples_;
    std::vector<std::pair<size_t, int64_t>> blockEnds_;  // samples so far, moment
};

}  // namespace kv
