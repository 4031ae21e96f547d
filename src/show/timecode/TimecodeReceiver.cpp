#include "show/timecode/TimecodeReceiver.h"

#include "support/lang/AddedMessages.h"

#include <cstdio>

namespace kv {

TTimecodeReceiver::TTimecodeReceiver(const TTimecodeSettings& settings)
    : settings_(settings),
      input_(kSampleRate),
      chase_(input_, settings_),
      capture_(settings_.source, kSampleRate,
               [this](const float* samples, size_t count, uint32_t endTick) {
                   input_.Write(samples, count, endTick);
               })
{
}

bool TTimecodeReceiver::Open(std::string& error)
{
    return capture_.Running() || capture_.Start(error);
}

std::string TTimecodeReceiver::IndicatorText(uint32_t now, std::optional<int32_t> startAt)
{
    chase_.Poll(now);
    const bool locked = chase_.State() == TTimecodeChase::TState::Locked;
    const std::string label =
        locked ? FormatTimecode(chase_.Label(), chase_.DropFrame()) : "--:--:--:--";
    const std::string rate = locked ? " " + TimecodeRateName(chase_.Rate()) : "";
    std::string text = label + rate + " " + std::to_string(chase_.Quality(now)) + "%";
    const std::optional<int32_t> heard = chase_.Heard(now);
    if (startAt && heard && *heard < *startAt) {
        // Rounded up: the show never starts with the countdown still above zero.
        const int32_t seconds = (*startAt - *heard + 999) / 1000;
        char countdown[16];
        std::snprintf(countdown, sizeof countdown, "%02d:%02d:%02d", seconds / 3600,
                      seconds / 60 % 60, seconds % 60);
        text += " " + Localize(kMsgTimecodeCountdown) + " " + countdown;
    }
    return text;
}

}  // namespace kv
