#pragma once
// The stop form of the clock message. A module that misses the one frame (noise on the line,
// a radio hop) plays the rest of its memory after the stop: while the modules may be playing
// it, the stop goes out several times, and again while a converter fails to take it, until
// their memory has run out. Heard from the bus, the same stop again is no news.

#include "link/FrameRecord.h"

#include <cstdint>
#include <memory>

namespace kv {

class TPortProto;
class TTimer;

class TStopBroadcast {
public:
    static constexpr int kSendings = 3;
    static constexpr uint32_t kRetryMs = 250;
    // How long a heard or sent stop makes the same frame no news.
    static constexpr uint32_t kSameStopMs = 1000;

    // The platform must be installed: the re-send timer comes from it.
    explicit TStopBroadcast(TPortProto& port);
    ~TStopBroadcast();
    TStopBroadcast(const TStopBroadcast&) = delete;
    TStopBroadcast& operator=(const TStopBroadcast&) = delete;

    // The stop at time (ms). memoryMs: how long the modules may still play their memory, -1
    // when they play none: then it goes once. owe: a show ended, so a stop that failed is
    // owed (an idle station's late stop would stop another station's show). True when one
    // sending reached every converter.
    bool Send(int32_t time, int32_t memoryMs, bool owe);
    // The modules' clocks stand for a new start: every sending, nothing owed.
    void SendBeforeStart(int32_t time);
    bool Owed() const { return owed_; }
    // Owed, and going out again while the modules may still play their memory.
    bool Repeating() const;

    // The owed stop once more, as it went first; true when it went out.
    bool SendOwed();
    // A show starts: its own stop will be owed.
    void Forget();
    // A stop form from the bus: false when the same frame went out or came in lately (sent
    // again so that no module misses it, or this station's own come back late).
    bool Heard(const TFrameRecord& frame, uint32_t now);

private:
    bool SendTimes(int sendings);
    void Retry();

    TPortProto& port_;
    std::unique_ptr<TTimer> retry_;
    int time_ = 0;
    int sendings_ = 1;
    bool owed_ = false;
    uint32_t retryUntil_ = 0;
    TFrameRecord lastStop_{};
    uint32_t lastStopTick_ = 0;
    bool stopSeen_ = false;
};

}  // namespace kv
