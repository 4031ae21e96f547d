#include "link/ClockMessage.h"

#include "link/BusEncoding.h"

#include <algorithm>

namespace kv {

namespace {

constexpr uint8_t kClockCode = 0x90;
constexpr uint8_t kStartForm = 0x80;
constexpr uint8_t kStopForm = 0x00;
constexpr uint8_t kToStations = 255;

}  // namespace

TFrameRecord EncodeClock(const TClockMessage& message)
{
    const int sent = std::max(message.timeMs, 0);
    return {kClockCode, TimeHigh(sent), TimeLow(sent), message.running ? kStartForm : kStopForm,
            0, 0};
}

std::optional<TClockMessage> DecodeClock(const TFrameRecord& frame)
{
    if (frame[0] != kClockCode || frame[5] == kToStations ||
        (frame[3] != kStartForm && frame[3] != kStopForm))
        return std::nullopt;
    return TClockMessage{TimeFromUnits(frame[1], frame[2]), frame[3] == kStartForm};
}

TFrameRecord InStopForm(const TFrameRecord& frame)
{
    TFrameRecord stopped = frame;
    stopped[3] = kStopForm;
    return stopped;
}

}  // namespace kv
