#pragma once
// The show clock sent as linear timecode to a sound server's sink, for a sound or lighting
// desk to chase. A thread of its own keeps a short queue of frames at the server, each frame
// labelled with the show time at the moment it will be heard; the main thread hands it the
// show clock every few milliseconds and never waits for the server: a server that stops
// answering holds that thread, never the show clock or the port.

#include "audio/SoundServer.h"
#include "show/timecode/TimecodeGenerator.h"
#include "show/timecode/TimecodeSettings.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace kv {

class TTimer;

class TTimecodeOutput {
public:
    static constexpr int kSampleRate = 48000;
    // Sound kept queued at the server, enough to ride out a late write: a loaded machine let
    // a queue of a frame and a half run dry, and the desk heard a gap.
    static constexpr int64_t kLeadUs = 150000;
    // While a show runs the thread that writes runs at real-time priority, as the threads the
    // show clock follows do: below the port's and the main thread's, so that it never delays
    // a shot, above all else.
    static constexpr int kWriterPriority = 9;
    static constexpr uint32_t kFollowMs = 5;
    // What is queued ahead of the show by more (a stop, a step back, a slower tempo) is
    // dropped, so that a desk that chases it stands, or steps back, with the show.
    static constexpr int32_t kDropAheadMs = 20;

    // clock: the show clock now and whether a show runs, asked on the main thread.
    using TClock = std::function<TShowClockLook(uint32_t now, bool& running)>;

    TTimecodeOutput(const TTimecodeOutputSettings& settings,
                    std::shared_ptr<TSoundServer> server, TClock clock);
    ~TTimecodeOutput();
    TTimecodeOutput(const TTimecodeOutput&) = delete;
    TTimecodeOutput& operator=(const TTimecodeOutput&) = delete;

    const TTimecodeOutputSettings& Settings() const { return settings_; }
    // Starts sending: the stream opens on the output's thread.
    void Start();
    void Stop();
    bool Running() const;
    // The server refused the stream or a write: nothing is sent.
    bool Failed() const;
    // A frame has reached the server since the start.
    bool Sending() const;
    // The label sent last.
    TTimecodeLabel Label() const;

private:
    struct TShared;
    void Follow();
    void Raise(bool on);

    TTimecodeOutputSettings settings_;
    std::shared_ptr<TSoundServer> server_;
    TClock clock_;
    std::shared_ptr<TShared> shared_;
    std::unique_ptr<TTimer> timer_;
    int raised_ = 0;  // the writer's thread id while raised
};

// One step of the output's thread: what is queued dropped when it has got ahead of the show;
// a frame written, labelled for the moment it will be heard, when less than the lead is
// queued; false when none was (failed: the write failed).
bool SendTimecodeFrame(TSoundOutput& output, TTimecodeGenerator& generator, bool& failed);

}  // namespace kv
