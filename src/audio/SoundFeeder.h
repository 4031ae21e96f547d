#pragma once
// The state of one playing stream, shared by the main thread and the stream's feeding thread.
// The feeding thread decodes into the sound server a little at a time and makes every server
// call; the main thread asks for plays and stops and reads where the music is heard, and
// never waits for a server call: a server that stops answering must not freeze the window.
// A lock guards the shared state only, never a server call.

#include "audio/AudioDecoder.h"
#include "audio/SoundServer.h"

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

namespace kv {

class TSoundFeeder {
public:
    // A server call that has not returned after this long stalls the output.
    static constexpr int64_t kStallUs = 200000;
    // Sound queued at the server ahead of the speakers: enough to ride out a late feed.
    static constexpr int64_t kLeadUs = 300000;

    TSoundFeeder(std::unique_ptr<TAudioDecoder> decoder, std::shared_ptr<TSoundServer> server);

    // The feeding thread: probes the server, then feeds the plays asked for until Quit.
    void Run();

    // The main thread's side. Waits up to waitMs for the probe; true also when it is not over.
    bool HasOutput(int waitMs);
    int64_t PositionBytes();
    void SetPositionBytes(int64_t position);
    // Waits up to waitMs for the server to take the play.
    void Play(int waitMs);
    void Stop();
    bool IsActive();
    int64_t HeardDelayUs();
    bool Stalled();
    void Quit();
    // Whether the feeding thread has ended within waitMs.
    bool WaitUntilEnded(int waitMs);
    // The feeding thread's id while it runs; 0 before and after.
    int ThreadId() const { return threadId_; }

private:
    enum class TProbe { Unknown, Output, NoOutput };

    // With the lock held.
    bool PlayStarted() const { return started_ != 0 && started_ == asked_; }
    int64_t HeardBytesAt(int64_t nowUs) const;

    // The feeding thread's own.
    void Probe();
    void StartOutput(uint64_t ask, int64_t from);
    void CloseOutput();
    void Feed(uint64_t ask);
    // Keeps about kLeadUs of sound queued at the server; false on a failed call.
    bool FillQueue();
    // When the first sample of this play reaches the speakers, by the server's latency.
    int64_t HeardStartNow();
    // The play of that ask ended by itself (end of file, failure) at position.
    void Finish(uint64_t ask, int64_t position);
    void BeginCall();
    void EndCall();
    int64_t BytesToUs(int64_t bytes) const { return bytes * 1000000 / bytesPerSecond_; }

    std::unique_ptr<TAudioDecoder> decoder_;  // the feeding thread's after construction
    const std::shared_ptr<TSoundServer> server_;
    const TSoundFormat format_;
    const int64_t frameBytes_;
    const int64_t bytesPerSecond_;
    const int64_t length_;

    std::mutex mutex_;
    std::atomic<int> threadId_{0};
    std::condition_variable wake_;      // the feeding thread waits on it
    std::condition_variable answered_;  // the main thread waits on it, within its bound
    // Asked by the main thread; the feeding thread ends a play that ends by itself.
    bool playing_ = false;
    int64_t position_ = 0;  // where the next play starts; where a stopped one stopped
    uint64_t asked_ = 0;    // counts the asks to start, stop or move a play
    bool quit_ = false;
    // Told by the feeding thread.
    TProbe probe_ = TProbe::Unknown;
    uint64_t started_ = 0;  // the ask whose play the server took; 0: none
    int64_t startByte_ = 0;
    int64_t writtenEnd_ = 0;  // the end of what the server was given
    int64_t heardStartUs_ = 0;
    int64_t callSinceUs_ = -1;  // a server call under way since then
    bool ended_ = false;

    // The feeding thread's alone.
    std::unique_ptr<TSoundOutput> output_;
    uint64_t applied_ = 0;
    int64_t heardReadUs_ = 0;  // when the heard moment was last read
    bool decodedAll_ = false;
    std::vector<uint8_t> chunk_;
};

}  // namespace kv
