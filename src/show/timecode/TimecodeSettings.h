#pragma once
// The [timecode] section of kvshow.ini: where the sound desk's timecode comes in, which rate
// it has, which label is show time 0, what a lost signal does to a running show, how many
// frames in a row make a lock; and the timecode the console sends of its own show clock.

#include "audio/SoundServer.h"
#include "show/scenario/Timecode.h"

#include <cstdint>
#include <string>

namespace kv {

class TIniFile;

enum class TTimecodeLoss : uint8_t { Freewheel, Stop };

// The timecode sent of the show's own clock.
struct TTimecodeOutputSettings {
    // A sink, or the right channel of the soundtrack's.
    TSoundTarget target{{}, TSoundSide::Both, "timecode"};
    TTimecodeRate rate = TTimecodeRate::Fps25;
    TTimecodeLabel zero;  // the label of show time 0
    bool on = false;      // sent from the program's start
};

struct TTimecodeSettings {
    std::string source;  // a PulseAudio source; empty: the server's default
    TTimecodeRate rate = TTimecodeRate::Auto;
    TTimecodeLabel zero;  // the label of show time 0
    TTimecodeLoss onLoss = TTimecodeLoss::Freewheel;
    int32_t freewheelMs = 3000;
    // With a freewheel, the clock runs on over the signal heard after the last whole frame
    // (off: it keeps to that frame's end, up to a frame behind the desk).
    bool withinFrame = true;
    // Frames in a row, each following the one before, that make a lock.
    int32_t lockFrames = 5;
    // Frame periods in a row without such a frame (garbage, silence) that end it.
    int32_t unlockFrames = 5;
    // A jump forward by more passes over the cues in between; a smaller one fires them.
    int32_t jumpLimitMs = 250;
    // A wait armed after the timecode passed the start point starts the show where the
    // timecode is; off, it refuses (the show's start was never heard).
    bool joinLate = false;
    TTimecodeOutputSettings output;
};

// Values out of range or unreadable keep the default.
TTimecodeSettings ReadTimecodeSettings(const TIniFile& ini);

}  // namespace kv
