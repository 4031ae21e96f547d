#pragma once
// The port object: a thread that reads the converters, cuts the stream into checked frames and
// hands them to the main thread in batches, and the three ways to put a frame on the bus.
// Everything but the thread body runs on the main thread. The thread sleeps until a converter
// has bytes or hangs up, or until work is left for it; it never wakes on a tick of its own.

#include "link/CommonPort.h"
#include "link/FrameRecord.h"
#include "link/ReceiveBuffer.h"
#include "link/Result.h"
#include "link/WakeEvent.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace kv {

// The port's ReceiveEnabled: turning it back on wakes the thread for what arrived meanwhile.
class TReceiveSwitch {
public:
    explicit TReceiveSwitch(TWakeEvent& wake) : wake_(wake) {}
    TReceiveSwitch(const TReceiveSwitch&) = delete;
    TReceiveSwitch& operator=(bool on)
    {
        exchange(on);
        return *this;
    }
    bool exchange(bool on)
    {
        const bool was = on_.exchange(on);
        if (on)
            wake_.Signal();
        return was;
    }
    operator bool() const { return on_; }

private:
    std::atomic<bool> on_{true};
    TWakeEvent& wake_;
};

class TTimer;

// A frame handed over to leave at a moment of its own, and what became of it.
struct TTimedResult {
    uint64_t ticket;
    int result;          // of the last sending, as SendFrame's; 0 once any echo came back
    uint32_t sentTick;   // when the first echo came back, else when the sendings ended
};

class TPort {
public:
    static constexpr int kMaxConverters = 16;
    static constexpr int kBatchCapacity = 128;
    static constexpr int kDefaultReplyTimeout = 70;
    // A frame handed over to leave at its moment, found this long overdue after nothing on
    // the port looked for this long, waited out a hold-up of the program: sent now, with a
    // standby following, it would go after the standby went on with the show. Not sent then.
    static constexpr uint32_t kTimedStaleMs = 100;

    // Draws StationId. The thread starts with Start.
    explicit TPort(std::unique_ptr<TCommonPort> transport);
    // Stops the thread first.
    virtual ~TPort();
    TPort(const TPort&) = delete;
    TPort& operator=(const TPort&) = delete;

    // Opens the transport and starts the thread, which runs (and keeps reopening) even when
    // the open failed. Already connected: true and nothing else.
    bool Start();
    // Stops and joins the thread; no event is raised after it. Call on the main thread.
    void Stop();
    // The thread's system id while it runs, else 0: a show raises its priority.
    int ThreadId() const { return threadId_; }
    bool Reopen();
    int ConverterCount();
    // Lost beside others that are open: their devices cannot be reached.
    std::vector<int> AbsentConverters();
    // Closes the transport and puts next in its place, opened; bytes not yet parsed are
    // dropped, as they came from the other bus. Returns the old one, closed.
    std::unique_ptr<TCommonPort> SwapTransport(std::unique_ptr<TCommonPort> next);

    // One pass of the thread body: read step (with loss and reopening), parse, dispatch.
    // True when bytes were read or the converters reopened: more may be waiting. The thread
    // repeats it and sleeps between; tests without a thread call it themselves.
    bool Cycle();

    // Writes the frame with its echo check, no reply. 0, -1 or -2.
    TResult SendFrame(const TFrameRecord& record, int converter);
    // The frame goes out sendings times in a row once the tick dueTick has begun, never
    // before; frames due together leave in the order handed over, and before any frame sent
    // or exchanged once they are due. The port thread sends it (without the thread, a timer
    // of the main thread). Returns its ticket.
    uint64_t SendAt(const TFrameRecord& record, int converter, int sendings, uint32_t dueTick);
    // While a standby follows this station's show: frames that waited out a hold-up of the
    // program are not sent. Otherwise a late shot goes late, within the player's lateness
    // limit: a PC held up for a moment must not lose the cues it had handed over.
    void DropStaleTimed(bool on) { dropStale_ = on; }
    // Every handed-over frame whose tick has begun, on the calling thread if the port thread
    // has not sent it yet.
    void SendDueFrames();
    // Drops every frame handed over and not yet begun; one being written ends before any
    // frame sent after this call. Returns the tickets dropped.
    std::vector<uint64_t> DropTimed();
    // The frames sent since the last call, in the order they went.
    std::vector<TTimedResult> TakeTimedResults();
    // Writes and waits ReplyTimeout for a frame starting with replyCode. attemptMode -1: one
    // window; otherwise the frame goes out twice and is listened for in three windows.
    // 0, -1, -2 (write or reply failure), -3 (no reply code in time).
    TResult Transact(const TFrameRecord& record, uint8_t replyCode, int converter,
                     int attemptMode, TFrameRecord& reply);
    // Writes to every converter, one window; converter names the one that answered (on
    // failure the one of the last byte read, or -1).
    TResult TransactAny(const TFrameRecord& record, uint8_t replyCode, int& converter,
                        TFrameRecord& reply);

    int StationId() const { return stationId_; }
    // Another station on the bus drew the same number: this one draws one of the others.
    void DrawStationIdOtherThan(int taken);
    // How often a converter was lost since the port was made.
    int LossCount() const { return lossCount_; }
    // Whether the converters were lost at that tick: from the loss being noticed until they
    // were open again (the last loss only). A frame due then never goes out late.
    bool DownAt(uint32_t tick) const;
    // A command may go out several times; the first echo is when the device had it.
    void MarkEchoes() { echoSinceMark_ = false; }
    // False when no frame written since MarkEchoes came back from the line.
    bool FirstEchoSinceMark(uint32_t& tick) const
    {
        tick = firstEchoTick_;
        return echoSinceMark_;
    }
    // The byte transport the port reads and writes (the simulated field's, in a dry run).
    TCommonPort& Transport() { return *transport_; }

    // Milliseconds of one reply window; commands that need another set it and put it back.
    int ReplyTimeout = kDefaultReplyTimeout;
    // While false the thread leaves the converters' bytes to the main thread.
    TReceiveSwitch ReceiveEnabled{wake_};

    // Assign before Start; unassigned events are not raised.
    std::function<void(const TFrameRecord&)> OnFrame;      // parsed frames and accepted replies
    std::function<void(const TFrameRecord&)> OnFrameSent;  // every frame written
    std::function<void(const TFrameRecord&, int converter)> OnFrameFrom;  // parsed frames
    std::function<void()> OnConverterLost;
    std::function<void()> OnConverterBack;

protected:
    // One read straight from the transport, under the transport lock. converter -1: from
    // whichever converter has data, and converter then names it.
    int ReadDirect(uint8_t* buffer, int count, int& converter);

private:
    // The transport lock, waking the thread on release: a send may have left it bytes (stray
    // ones in the buffer, ones a purge held back), a reopening new descriptors to sleep on.
    class TWakingLock;

    int WriteFrame(const TFrameRecord& record, int converter);
    int WriteOnLine(const TFrameRecord& record, int converter);
    // The same with the transport lock held: a frame sent now never overtakes one already due.
    void SendDueFramesLocked();
    // Steady nanoseconds until the first handed-over frame is due, -1 when none waits.
    int64_t NextDueInNs();
    void ArmTimedTimer();
    void MoveWaitingBytesToBuffer();
    TResult ReplyWindow(uint8_t replyCode, int converter, bool anySource, int& source,
                        TFrameRecord& reply);
    void KeepStrayBytes(const uint8_t* bytes, int count, int converter);
    int ReadStep();
    void HandleLoss();
    // Reopens after a loss; the frames due meanwhile fail before any frame can go out.
    bool ReopenAfterLoss();
    // One of several converters, absent since the port was reopened, is back.
    bool AbsentConverterBack();
    void DispatchFrames();
    void RaiseOnMainThread(const std::function<void()>& event);
    void WaitForWork();
    void Execute();

    std::unique_ptr<TCommonPort> transport_;
    std::mutex transportLock_;  // a read step, a whole transaction, a reopening
    std::mutex bufferLock_;     // the receive buffer
    TWakeEvent wake_;           // work for the thread: stop, receive back on, bytes left
    TReceiveBuffer buffer_;
    std::array<TReceivedFrame, kBatchCapacity> batch_;
    std::atomic<bool> connected_{false};
    std::atomic<bool> terminated_{false};
    std::atomic<bool> running_{false};
    std::atomic<int> threadId_{0};
    std::atomic<int> lossCount_{0};
    mutable std::mutex downLock_;  // the three below
    bool down_ = false;
    uint32_t downTick_ = 0;
    uint32_t upTick_ = 0;
    struct TTimedFrame {
        TFrameRecord record;
        int converter;
        int sendings;
        uint32_t dueTick;
        uint64_t ticket;
    };
    std::mutex timedLock_;  // the two lists below
    std::vector<TTimedFrame> timed_;  // by due tick, then as handed over
    std::vector<TTimedResult> timedResults_;
    uint64_t nextTicket_ = 1;
    std::unique_ptr<TTimer> timedTimer_;  // without the thread
    // When due frames were last looked for, or the line last busy (transport lock).
    uint32_t lookTick_ = 0;
    bool looked_ = false;
    std::atomic<bool> dropStale_{false};
    bool echoSinceMark_ = false;
    uint32_t firstEchoTick_ = 0;
    std::thread thread_;
    std::atomic<int> stationId_;
};

}  // namespace kv
