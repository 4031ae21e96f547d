#pragma once
// A sound server of the test's own in place of PulseAudio, for the real playback stream: a
// stream's queue drains at the sound's own pace and is heard latencyUs after it drains. The
// test can make its calls block, as a server does that grants no write room, leaves a
// latency query unanswered or stops answering altogether.

#include "audio/SoundServer.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>

namespace kv {

enum class TServerStall {
    WriteRoom,  // writes wait for room
    Latency,    // latency queries do not return
    Everything  // no call returns
};

// For test names.
std::string StallName(TServerStall kind);

class TVirtualSoundServer : public TSoundServer {
public:
    // nowUs: the server's clock; the system's steady clock when empty.
    explicit TVirtualSoundServer(std::function<int64_t()> nowUs = {}, int64_t latencyUs = 20000);

    std::unique_ptr<TSoundOutput> Open(const TSoundFormat& format, int64_t queueUs,
                                       const TSoundTarget& target) override;
    int64_t NowUs() override;

    // From now on calls of that kind block for forMs on the server's clock (and no longer
    // than that in real time either), or until Release. A server that answers nothing
    // plays nothing meanwhile.
    void Stall(TServerStall kind, int forMs);
    void Release();
    // A call is held in a stall right now.
    bool Holding();
    // Streams open now.
    int OpenOutputs();
    // How long the sound last queued on a stream lasts from now, on the server's clock.
    int64_t QueuedUs();
    // From now on latency queries say byUs less than the truth (below 0: more), as a
    // misread does.
    void UnderstateLatency(int64_t byUs) { understatedUs_ = byUs; }

    // For the outputs: blocks a call of that kind while the stall lasts.
    void Call(TServerStall kind);
    bool Draining();
    void Queued(int64_t untilUs) { queuedUntilUs_ = untilUs; }
    void Closed();
    int64_t LatencyUs() const { return latencyUs_ - understatedUs_; }

private:
    bool StallOver() const;

    const std::function<int64_t()> nowUs_;
    const int64_t latencyUs_;
    std::mutex mutex_;
    std::condition_variable released_;
    bool stalled_ = false;
    TServerStall kind_ = TServerStall::Everything;
    int64_t stallEndUs_ = 0;
    std::chrono::steady_clock::time_point stallEndReal_;
    int holding_ = 0;
    int open_ = 0;
    std::atomic<int64_t> understatedUs_{0};
    std::atomic<int64_t> queuedUntilUs_{0};
};

}  // namespace kv
