#pragma once
// SMPTE/EBU timecode labels and the frame rates a sound desk sends, with the arithmetic that
// turns a label into show milliseconds. Drop-frame labels skip frame numbers 00 and 01 at
// each minute but every tenth, so that 29.97 frames a second keep to the wall clock.

#include <cstdint>
#include <optional>
#include <string>

namespace kv {

enum class TTimecodeRate : uint8_t { Auto, Fps24, Fps25, Fps2997Drop, Fps30 };

struct TTimecodeLabel {
    int hours = 0;
    int minutes = 0;
    int seconds = 0;
    int frames = 0;
    bool operator==(const TTimecodeLabel&) const = default;
};

// Frames a second as counted in the labels (30 for 29.97 drop-frame); 0 for Auto.
int LabelFps(TTimecodeRate rate);
// The frame's length in microseconds (Auto: 0).
int64_t FramePeriodUs(TTimecodeRate rate);
// Whether the label can occur at the rate: fields in range, no skipped drop-frame number.
bool ValidLabel(const TTimecodeLabel& label, TTimecodeRate rate);
// Frames since 00:00:00:00.
int64_t FrameIndex(const TTimecodeLabel& label, TTimecodeRate rate);
TTimecodeLabel LabelAt(int64_t index, TTimecodeRate rate);
// Where the frame begins, in milliseconds since 00:00:00:00, rounded down.
int64_t FrameStartMs(int64_t index, TTimecodeRate rate);
// The last frame that begins at or before ms (ms may be below 0 of the day: then below 0).
int64_t FrameAtMs(int64_t ms, TTimecodeRate rate);

// "HH:MM:SS:FF", the last separator ":" or ";"; fields checked against 30 frames at most.
std::optional<TTimecodeLabel> ParseTimecode(const std::string& text);
// "HH:MM:SS:FF"; drop-frame with ";" before the frames, as desks show it.
std::string FormatTimecode(const TTimecodeLabel& label, bool dropFrame);
// "auto", "24", "25", "29.97df" (also "29.97"), "30"; case and blanks ignored.
std::optional<TTimecodeRate> ParseTimecodeRate(const std::string& text);
// "24", "25", "29.97 drop-frame", "30"; "auto".
std::string TimecodeRateName(TTimecodeRate rate);

}  // namespace kv
