#pragma once
// The sound desk's timecode as the console and kvctl receive it: the capture from the
// configured PulseAudio source, the decoder and the chase, and the indicator's text.

#include "audio/PulseCapture.h"
#include "show/timecode/TimecodeChase.h"
#include "show/timecode/TimecodeInput.h"
#include "show/timecode/TimecodeSettings.h"

#include <cstdint>
#include <optional>
#include <string>

namespace kv {

class TTimecodeReceiver {
public:
    static constexpr int kSampleRate = 48000;

    explicit TTimecodeReceiver(const TTimecodeSettings& settings);

    // Starts the capture unless it runs; false with the sound server's reason.
    bool Open(std::string& error);
    void Close() { capture_.Stop(); }
    bool IsOpen() const { return capture_.Running(); }
    const TTimecodeSettings& Settings() const { return settings_; }
    TTimecodeChase& Chase() { return chase_; }
    // The samples, for a capture of another kind.
    TTimecodeInput& Input() { return input_; }
    // "01:00:05:12 25 98%" while locked, "--:--:--:--" with the quality otherwise; with a
    // start point (show ms) not yet reached, the countdown to it in whole seconds begun.
    std::string IndicatorText(uint32_t now, std::optional<int32_t> startAt = std::nullopt);

private:
    TTimecodeSettings settings_;
    TTimecodeInput input_;
    TTimecodeChase chase_;
    TPulseCapture capture_;
};

}  // namespace kv
