#include "rigs/VirtualSoundServer.h"

#include <algorithm>
#include <chrono>

namespace kv {

namespace {

int64_t SteadyNowUs()
{
    return std::chrono::duration_cast<std::chrono::microseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

class TVirtualOutput : public TSoundOutput {
public:
    TVirtualOutput(TVirtualSoundServer& server, const TSoundFormat& format)
        : server_(server),
          bytesPerSecond_(int64_t{format.rate} * format.channels * (format.eightBit ? 1 : 2)),
          lastUs_(server.NowUs())
    {
    }
    ~TVirtualOutput() override { server_.Closed(); }

    int64_t LatencyUs() override
    {
        server_.Call(TServerStall::Latency);
        Drain();
        return server_.LatencyUs() + queuedUs_;
    }
    bool Write(const uint8_t*, size_t size) override
    {
        server_.Call(TServerStall::WriteRoom);
        Drain();
        queuedUs_ += static_cast<int64_t>(size) * 1000000 / bytesPerSecond_;
        server_.Queued(lastUs_ + queuedUs_);
        return true;
    }
    void Flush() override
    {
        server_.Call(TServerStall::Everything);
        Drain();
        queuedUs_ = 0;
        server_.Queued(lastUs_);
    }

private:
    // The queue drains with the server's clock, but not while the server is held.
    void Drain()
    {
        const int64_t now = server_.NowUs();
        if (server_.Draining())
            queuedUs_ = std::max<int64_t>(queuedUs_ - (now - lastUs_), 0);
        lastUs_ = now;
        server_.Queued(now + queuedUs_);
    }

    TVirtualSoundServer& server_;
    const int64_t bytesPerSecond_;
    int64_t queuedUs_ = 0;
    int64_t lastUs_;
};

}  // namespace

std::string StallName(TServerStall kind)
{
    switch (kind) {
    case TServerStall::WriteRoom:
        return "NoWriteRoom";
    case TServerStall::Latency:
        return "LatencyUnanswered";
    default:
        return "ServerSilent";
    }
}

TVirtualSoundServer::TVirtualSoundServer(std::function<int64_t()> nowUs, int64_t latencyUs)
    : nowUs_(nowUs ? std::move(nowUs) : SteadyNowUs), latencyUs_(latencyUs)
{
}

std::unique_ptr<TSoundOutput> TVirtualSoundServer::Open(const TSoundFormat& format, int64_t,
                                                        const TSoundTarget&)
{
    Call(TServerStall::Everything);
    std::lock_guard lock(mutex_);
    ++open_;
    return std::make_unique<TVirtualOutput>(*this, format);
}

int64_t TVirtualSoundServer::NowUs()
{
    return nowUs_();
}

void TVirtualSoundServer::Stall(TServerStall kind, int forMs)
{
    std::lock_guard lock(mutex_);
    stalled_ = true;
    kind_ = kind;
    stallEndUs_ = nowUs_() + int64_t{forMs} * 1000;
    stallEndReal_ = std::chrono::steady_clock::now() + std::chrono::milliseconds(forMs);
}

void TVirtualSoundServer::Release()
{
    std::lock_guard lock(mutex_);
    stalled_ = false;
    released_.notify_all();
}

bool TVirtualSoundServer::Holding()
{
    std::lock_guard lock(mutex_);
    return holding_ > 0;
}

int TVirtualSoundServer::OpenOutputs()
{
    std::lock_guard lock(mutex_);
    return open_;
}

int64_t TVirtualSoundServer::QueuedUs()
{
    return OpenOutputs() > 0 ? std::max<int64_t>(queuedUntilUs_ - nowUs_(), 0) : 0;
}

bool TVirtualSoundServer::StallOver() const
{
    return !stalled_ || nowUs_() >= stallEndUs_ || std::chrono::steady_clock::now() >= stallEndReal_;
}

void TVirtualSoundServer::Call(TServerStall kind)
{
    std::unique_lock lock(mutex_);
    if (StallOver()) {
        stalled_ = false;
        return;
    }
    if (kind_ != TServerStall::Everything && kind != kind_)
        return;
    ++holding_;
    while (!StallOver())
        released_.wait_for(lock, std::chrono::milliseconds(1));
    stalled_ = false;
    --holding_;
}

bool TVirtualSoundServer::Draining()
{
    std::lock_guard lock(mutex_);
    return StallOver() || kind_ != TServerStall::Everything;
}

void TVirtualSoundServer::Closed()
{
    std::lock_guard lock(mutex_);
    --open_;
}

}  // namespace kv
