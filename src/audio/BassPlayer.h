#pragma once
// The show's soundtrack: a file that plays, positioned in milliseconds.

#include "audio/BassFile.h"

namespace kv {

class TBassPlayer : public TBassFile {
public:
    void Open() override;

    // The caller checks Loaded first.
    void PlayFrom(int64_t ms);
    void StopPlaying();
    bool IsPlaying();
    // Positions without playing; nothing when unloaded.
    void Seek(int64_t ms);
    // What the audience hears now, in ms; 0 when unloaded.
    int64_t TimePosition();
    // The same in whole ms gone by, rounded down, so that a clock read from it never runs
    // ahead of the sound.
    int64_t HeardMs();
    // How long after PlayFrom the first sample reaches the audience, in µs: the output's
    // latency. 0 once it is heard, when stopped and when unloaded.
    int64_t HeardDelayUs();
    // The sound server stopped answering: the heard position is no guide to the music.
    bool OutputStalled();
    // The thread that feeds the soundtrack to the sound server; 0: none.
    int FeedingThread() const;
    int32_t TimeLength() const { return duration; }
};

}  // namespace kv
