#pragma once
// Dates captured audio by the stream's record latency, with its sign. A sink's monitor hands
// samples over before the sink plays them: its latency is below 0, and its samples are dated
// after the moment they came in.

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>

namespace kv {

class TCaptureDating {
public:
    // A reading of the record latency of the sample after the block that just came in:
    // how long before it came in it was captured (played, for a monitor).
    void Read(int64_t latencyUs);
    // When the sample after the block was captured, the block having come in during tick
    // now; none before the first reading. Of the last readings the one that dates it latest
    // is taken: a latency read too high dates samples too early and puts a clock set from
    // them ahead, one read too low only makes it late.
    std::optional<uint32_t> EndTick(uint32_t now) const;

private:
    static constexpr size_t kWindow = 50;
    std::array<int64_t, kWindow> readings_{};
    size_t count_ = 0;
};

}  // namespace kv
