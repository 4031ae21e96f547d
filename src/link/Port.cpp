#include "link/Port.h"

#include "link/FrameCheck.h"
#include "support/platform/Platform.h"

#include <algorithm>
#include <chrono>
#include <poll.h>
#include <unistd.h>
#include <utility>
#include <vector>

namespace kv {

namespace {

constexpr uint32_t kCyclePauseMs = 3;  // lets the rest of a frame arrive before the parse
constexpr uint32_t kReopenPauseMs = 100;
constexpr int64_t kNoWakeEventLookAgainNs = 20'000'000;
constexpr int kMaxStationId = 255;

std::array<uint8_t, kFrameSize> WireFrame(const TFrameRecord& record)
{
    std::array<uint8_t, kFrameSize> wire{};
    std::copy(record.begin(), record.end(), wire.begin());
    wire[6] = FrameCheck(record.data(), record.size());
    return wire;
}

// A write that put nothing out is a failure, never a success. The transport's failures
// (-1, -2) are the bus results of the same name.
TResult WriteResult(int written)
{
    if (written == kFrameSize)
        return kLinkOk;
    if (written > 0)
        return kLinkWriteFailed;
    return written == 0 ? kLinkNotConnected : static_cast<TResult>(written);
}

}  // namespace

class TPort::TWakingLock {
public:
    explicit TWakingLock(TPort& port) : port_(port), guard_(port.transportLock_) {}
    ~TWakingLock()
    {
        // Busy on the line till now: frames that fell due meanwhile waited for it, not for a
        // program held up.
        port_.lookTick_ = Platform().TickCount();
        guard_.unlock();
        port_.wake_.Signal();
    }
    TWakingLock(const TWakingLock&) = delete;
    TWakingLock& operator=(const TWakingLock&) = delete;

private:
    TPort& port_;
    std::unique_lock<std::mutex> guard_;
};

TPort::TPort(std::unique_ptr<TCommonPort> transport)
    : transport_(std::move(transport)),
      stationId_(static_cast<int>(Platform().Random(kMaxStationId)) + 1)
{
}

void TPort::DrawStationIdOtherThan(int taken)
{
    const int drawn = static_cast<int>(Platform().Random(kMaxStationId - 1)) + 1;
    stationId_ = drawn >= taken ? drawn + 1 : drawn;
}

TPort::~TPort()
{
    Stop();
}

bool TPort::Start()
{
    {
        std::lock_guard guard(transportLock_);
        if (connected_)
            return true;
        connected_ = transport_->Open();
    }
    if (!thread_.joinable() && !terminated_) {
        running_ = true;
        thread_ = std::thread(&TPort::Execute, this);
    }
    return connected_;
}

void TPort::Stop()
{
    terminated_ = true;
    wake_.Signal();
    if (!thread_.joinable())
        return;
    // The thread may be waiting for the main thread to run an event.
    while (running_) {
        Platform().ProcessMessages();
        Platform().Sleep(1);
    }
    thread_.join();
}

bool TPort::Reopen()
{
    TWakingLock guard(*this);  // the thread sleeps on descriptors this closes
    connected_ = transport_->Reopen();
    return connected_;
}

std::unique_ptr<TCommonPort> TPort::SwapTransport(std::unique_ptr<TCommonPort> next)
{
    TWakingLock guard(*this);
    transport_->Close();
    std::swap(transport_, next);
    {
        std::lock_guard bufferGuard(bufferLock_);
        buffer_.Clear();
    }
    // A failed open is a loss the thread reports and recovers from, as at the start.
    connected_ = transport_->Open();
    return next;
}

std::vector<int> TPort::AbsentConverters()
{
    std::lock_guard guard(transportLock_);
    return connected_ ? transport_->AbsentConverters() : std::vector<int>();
}

int TPort::ConverterCount()
{
    std::lock_guard guard(transportLock_);
    return transport_->DeviceCount();
}

void TPort::Execute()
{
    threadId_ = static_cast<int>(gettid());
    while (!terminated_) {
        SendDueFrames();
        if (!Cycle() && !terminated_)
            WaitForWork();
    }
    threadId_ = 0;
    running_ = false;
}

bool TPort::Cycle()
{
    const int waiting = ReadStep();
    if (waiting == -1)
        HandleLoss();
    else if (AbsentConverterBack())
        RaiseOnMainThread(OnConverterBack);
    else if (waiting > 0)
        Platform().Sleep(kCyclePauseMs);
    bool complete = false;
    {
        std::lock_guard guard(bufferLock_);
        complete = buffer_.Length() >= kFrameSize;
    }
    if (complete)
        DispatchFrames();
    return waiting != 0;
}

// A signal that comes after the sources were taken (a transaction's end, a reopening, a stop)
// leaves the event readable, so nothing is missed between the look and the sleep.
void TPort::WaitForWork()
{
    TWakeSources sources;
    {
        std::lock_guard guard(transportLock_);
        if (connected_ && ReceiveEnabled)
            transport_->WakeSources(sources);
    }
    std::vector<pollfd> probes;
    probes.reserve(sources.fds.size() + 1);
    probes.push_back({wake_.Fd(), POLLIN, 0});
    for (const int fd : sources.fds)
        probes.push_back({fd, POLLIN, 0});
    int64_t due = sources.dueSteadyNs;
    if (const int64_t frameIn = NextDueInNs(); frameIn >= 0) {
        const int64_t frameDue = SteadyNowNs() + frameIn;
        due = due < 0 ? frameDue : std::min(due, frameDue);
    }
    if (wake_.Fd() < 0) {
        const int64_t soon = SteadyNowNs() + kNoWakeEventLookAgainNs;
        due = due < 0 ? soon : std::min(due, soon);
    }
    timespec timeout{};
    timespec* limit = nullptr;
    if (due >= 0) {
        const int64_t ahead = std::max<int64_t>(due - SteadyNowNs(), 0);
        timeout.tv_sec = static_cast<time_t>(ahead / 1'000'000'000);
        timeout.tv_nsec = static_cast<long>(ahead % 1'000'000'000);
        limit = &timeout;
    }
    ::ppoll(probes.data(), probes.size(), limit, nullptr);
    wake_.Clear();
}

int TPort::ReadStep()
{
    if (!connected_)
        return -1;
    std::lock_guard guard(transportLock_);
    // Checked under the lock: a command may have turned it off while this thread waited.
    if (!ReceiveEnabled)
        return 0;
    const int waiting = transport_->BytesAvailable();
    if (waiting > 0) {
        std::lock_guard bufferGuard(bufferLock_);
        const int wanted = std::min(waiting, buffer_.FreeSpace());
        int converter = -1;
        const int got = wanted > 0 ? transport_->ReadAny(buffer_.End(), wanted, converter) : 0;
        if (got > 0)
            buffer_.Commit(got, converter);
    }
    return waiting;
}

void TPort::HandleLoss()
{
    {
        std::lock_guard guard(downLock_);
        down_ = true;
        downTick_ = Platform().TickCount();
        ++lossCount_;
    }
    RaiseOnMainThread(OnConverterLost);
    while (!terminated_) {
        // A shot due meanwhile fails now, as a send on the main thread would.
        SendDueFrames();
        Platform().Sleep(kReopenPauseMs);
        if (ReopenAfterLoss()) {
            RaiseOnMainThread(OnConverterBack);
            return;
        }
    }
}

bool TPort::ReopenAfterLoss()
{
    TWakingLock guard(*this);
    connected_ = transport_->Reopen();
    if (!connected_)
        return false;
    {
        std::lock_guard downGuard(downLock_);
        down_ = false;
        upTick_ = Platform().TickCount();
    }
    // Due during the pause or the reopening: out now, they would go late, in a burst.
    SendDueFramesLocked();
    return true;
}

bool TPort::AbsentConverterBack()
{
    std::lock_guard guard(transportLock_);
    return connected_ && transport_->TakeBackAbsent();
}

bool TPort::DownAt(uint32_t tick) const
{
    std::lock_guard guard(downLock_);
    if (lossCount_ == 0 || static_cast<int32_t>(tick - downTick_) < 0)
        return false;
    return down_ || static_cast<int32_t>(tick - upTick_) < 0;
}

void TPort::DispatchFrames()
{
    int count = 0;
    do {
        {
            std::lock_guard guard(bufferLock_);
            count = buffer_.Parse(batch_.data(), kBatchCapacity);
        }
        if (count > 0 && (OnFrame || OnFrameFrom)) {
            RaiseOnMainThread([this, count] {
                for (int i = 0; i < count; ++i) {
                    if (OnFrame)
                        OnFrame(batch_[static_cast<size_t>(i)].record);
                    if (OnFrameFrom)
                        OnFrameFrom(batch_[static_cast<size_t>(i)].record,
                                    batch_[static_cast<size_t>(i)].converter);
                }
            });
        }
    } while (count == kBatchCapacity);
}

void TPort::RaiseOnMainThread(const std::function<void()>& event)
{
    if (event && !terminated_)
        Platform().RunOnMainThread(event);
}

void TPort::KeepStrayBytes(const uint8_t* bytes, int count, int converter)
{
    std::lock_guard guard(bufferLock_);
    buffer_.Append(bytes, count, converter);
}

// Every write purges the converter's receive queue: keep what has already arrived.
void TPort::MoveWaitingBytesToBuffer()
{
    for (int round = 0; round <= kMaxConverters; ++round) {
        const int waiting = transport_->BytesAvailable();
        if (waiting <= 0)
            return;
        std::lock_guard guard(bufferLock_);
        const int wanted = std::min(waiting, buffer_.FreeSpace());
        int converter = -1;
        const int got = wanted > 0 ? transport_->ReadAny(buffer_.End(), wanted, converter) : 0;
        if (got <= 0)
            return;
        buffer_.Commit(got, converter);
    }
}

int TPort::WriteOnLine(const TFrameRecord& record, int converter)
{
    MoveWaitingBytesToBuffer();
    const auto wire = WireFrame(record);
    const int written = transport_->Write(wire.data(), kFrameSize, converter);
    if (OnFrameSent)
        OnFrameSent(record);
    return written;
}

int TPort::WriteFrame(const TFrameRecord& record, int converter)
{
    const int written = WriteOnLine(record, converter);
    if (written == kFrameSize && !echoSinceMark_) {
        echoSinceMark_ = true;
        firstEchoTick_ = Platform().TickCount();
    }
    return written;
}

uint64_t TPort::SendAt(const TFrameRecord& record, int converter, int sendings, uint32_t dueTick)
{
    uint64_t ticket = 0;
    {
        std::lock_guard guard(timedLock_);
        ticket = nextTicket_++;
        const auto later = std::find_if(timed_.begin(), timed_.end(), [&](const TTimedFrame& f) {
            return static_cast<int32_t>(f.dueTick - dueTick) > 0;
        });
        timed_.insert(later, {record, converter, std::max(sendings, 1), dueTick, ticket});
    }
    if (running_)
        wake_.Signal();
    else
        ArmTimedTimer();
    return ticket;
}

void TPort::ArmTimedTimer()
{
    if (NextDueInNs() == 0)
        SendDueFrames();
    if (!timedTimer_)
        timedTimer_ = Platform().CreateTimer([this] {
            timedTimer_->SetEnabled(false);
            ArmTimedTimer();
        });
    const int64_t wait = NextDueInNs();
    timedTimer_->SetEnabled(false);
    if (wait < 0)
        return;
    timedTimer_->SetInterval(static_cast<uint32_t>(std::max<int64_t>((wait + 999'999) / 1'000'000, 1)));
    timedTimer_->SetEnabled(true);
}

int64_t TPort::NextDueInNs()
{
    std::lock_guard guard(timedLock_);
    if (timed_.empty())
        return -1;
    const int32_t ms = static_cast<int32_t>(timed_.front().dueTick - Platform().TickCount());
    if (ms <= 0)
        return 0;
    // The tick begins on the whole millisecond of the monotonic clock it counts.
    return std::max<int64_t>(int64_t{ms} * 1'000'000 - SteadyNowNs() % 1'000'000, 0);
}

void TPort::SendDueFrames()
{
    std::lock_guard transport(transportLock_);
    SendDueFramesLocked();
}

void TPort::SendDueFramesLocked()
{
    const uint32_t now = Platform().TickCount();
    // Nothing looked for due frames for a while: the program was stopped or starved.
    const bool heldUp = looked_ && static_cast<int32_t>(now - lookTick_) > static_cast<int32_t>(kTimedStaleMs);
    looked_ = true;
    lookTick_ = now;
    for (;;) {
        TTimedFrame frame;
        {
            std::lock_guard guard(timedLock_);
            if (timed_.empty() ||
                static_cast<int32_t>(Platform().TickCount() - timed_.front().dueTick) < 0)
                return;
            frame = timed_.front();
            timed_.erase(timed_.begin());
        }
        // A command sent more than once is on the line once one sending came back.
        TTimedResult done{frame.ticket, kLinkNotConnected, 0};
        bool echoed = false;
        const bool stale = dropStale_ && heldUp &&
                           static_cast<int32_t>(now - frame.dueTick) > static_cast<int32_t>(kTimedStaleMs);
        const int sendings = DownAt(frame.dueTick) || stale ? 0 : frame.sendings;
        for (int i = 0; i < sendings; ++i) {
            const int result = WriteResult(WriteOnLine(frame.record, frame.converter));
            if (result == kLinkOk && !echoed) {
                echoed = true;
                done.sentTick = Platform().TickCount();
            }
            done.result = result;
        }
        if (echoed)
            done.result = kLinkOk;
        else
            done.sentTick = Platform().TickCount();
        std::lock_guard guard(timedLock_);
        timedResults_.push_back(done);
    }
}

std::vector<uint64_t> TPort::DropTimed()
{
    std::vector<uint64_t> dropped;
    {
        std::lock_guard guard(timedLock_);
        for (const TTimedFrame& frame : timed_)
            dropped.push_back(frame.ticket);
        timed_.clear();
    }
    // A frame the thread is writing ends, and is counted, before this returns.
    std::lock_guard wait(transportLock_);
    return dropped;
}

std::vector<TTimedResult> TPort::TakeTimedResults()
{
    std::lock_guard guard(timedLock_);
    return std::exchange(timedResults_, {});
}

TResult TPort::SendFrame(const TFrameRecord& record, int converter)
{
    TWakingLock guard(*this);
    SendDueFramesLocked();
    return WriteResult(WriteFrame(record, converter));
}

TResult TPort::ReplyWindow(uint8_t replyCode, int converter, bool anySource, int& source,
                           TFrameRecord& reply)
{
    const uint32_t start = Platform().TickCount();
    const auto inWindow = [&] {
        return Platform().TickCount() - start <= static_cast<uint32_t>(std::max(ReplyTimeout, 0));
    };
    source = converter;
    bool codeCame = false;
    const auto lookForCode = [&] {
        uint8_t byte = 0;
        const int got = (anySource || source == -1) ? transport_->ReadAny(&byte, 1, source)
                                                    : transport_->Read(&byte, 1, source);
        if (got > 0) {
            if (byte == replyCode)
                codeCame = true;
            else
                KeepStrayBytes(&byte, 1, source);
        }
        return got > 0;
    };
    do {
        lookForCode();
    } while (!codeCame && inWindow());
    // The window bounds the wait, not what counts: a machine that held this thread back past
    // its end must not fail a reply that came in time. What came meanwhile is looked at once.
    for (int waiting = codeCame ? 0 : transport_->BytesAvailable(); !codeCame && waiting > 0;
         --waiting)
        if (!lookForCode())
            break;
    if (!codeCame)
        return kLinkNoReply;

    std::array<uint8_t, kFrameSize> frame{replyCode};
    int got = 1;
    const int restFrom = anySource ? source : converter;
    while (got < kFrameSize) {
        const bool open = inWindow();
        if (!open && transport_->BytesAvailable() <= 0)
            break;
        const int n = transport_->Read(frame.data() + got, kFrameSize - got, restFrom);
        if (n > 0)
            got += n;
        else if (!open)
            break;
    }
    if (got != kFrameSize || FrameCheck(frame.data(), 6) != frame[6]) {
        // The code may have been a byte of another device's frame, a remote stop say: the
        // parse keeps whatever frame lies among these bytes.
        KeepStrayBytes(frame.data(), got, restFrom);
        return kLinkWriteFailed;
    }
    std::copy_n(frame.begin(), reply.size(), reply.begin());
    if (OnFrame)
        OnFrame(reply);
    return kLinkOk;
}

TResult TPort::Transact(const TFrameRecord& record, uint8_t replyCode, int converter,
                        int attemptMode, TFrameRecord& reply)
{
    TWakingLock guard(*this);
    SendDueFramesLocked();
    const int written = WriteFrame(record, converter);
    if (written != kFrameSize)
        return WriteResult(written);
    TResult result = kLinkNoReply;
    int source = converter;
    // With retries: two transmissions, three windows; the last window only listens.
    for (int attempts = 3; attempts > 0; --attempts) {
        result = ReplyWindow(replyCode, converter, false, source, reply);
        if (result == kLinkOk || attemptMode == -1)
            break;
        if (attempts - 1 > 1)
            WriteFrame(record, converter);
    }
    return result;
}

TResult TPort::TransactAny(const TFrameRecord& record, uint8_t replyCode, int& converter,
                           TFrameRecord& reply)
{
    TWakingLock guard(*this);
    SendDueFramesLocked();
    converter = -1;
    const int written = WriteFrame(record, -1);
    if (WriteResult(written) == kLinkNotConnected)
        return kLinkNotConnected;
    // A write that failed on one converter went out on the others: a device there answers.
    const TResult result = ReplyWindow(replyCode, -1, true, converter, reply);
    return result == kLinkOk || written == kFrameSize ? result : WriteResult(written);
}

int TPort::ReadDirect(uint8_t* buffer, int count, int& converter)
{
    std::lock_guard guard(transportLock_);
    if (converter == -1)
        return transport_->ReadAny(buffer, count, converter);
    return transport_->Read(buffer, count, converter);
}

}  // namespace kv
