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
// that ends after it, less the samples between. Taken over the next 50 ms only, so that
// samples the server dropped under load shift the times from there on, not before.
class TMonitorRecorder {
public:
    explicit TMonitorRecorder(uint32_t rate);
    ~TMonitorRecorder() { Stop(); }
    bool Started() const { return pid_ > 0; }
    void Stop();
    const std::vector<int16_t>& Samples() const { return samples_; }
    int64_t SampleNs(size_t index) const;

private:
    int64_t SpanNs(size_t samples) const
    {
        return static_cast<int64_t>(samples) * 1000000000 / rate_;
    }

    uint32_t rate_;
    pid_t pid_ = -1;
    int fd_ = -1;
    std::thread reader_;
    std::vector<int16_t> samples_;
    std::vector<std::pair<size_t, int64_t>> blockEnds_;  // samples so far, moment
};

}  // namespace kv
