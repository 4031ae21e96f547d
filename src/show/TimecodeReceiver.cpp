#include "show/TimecodeReceiver.h"

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

std::string TTimecodeReceiver::IndicatorText(uint32_t now)
{
    chase_.Poll(now);
    const bool locked = chase_.State() == TTimecodeChase::TState::Locked;
    const std::string label =
        locked ? FormatTimecode(chase_.Label(), chase_.DropFrame()) : "--:--:--:--";
    const std::string rate = locked ? " " + TimecodeRateName(chase_.Rate()) : "";
    return label + rate + " " + std::to_string(chase_.Quality(now)) + "%";
}

}  // namespace kv
