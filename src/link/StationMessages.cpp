#include "link/StationMessages.h"

#include "link/BusEncoding.h"

#include <algorithm>

namespace kv {

namespace {

constexpr uint8_t kToStations = 255;
constexpr uint8_t kStartNotice = 0x10;
constexpr uint8_t kStopNotice = 0x11;
constexpr uint8_t kStatusQuery = 0x03;
constexpr uint8_t kStatusAnswer = 0x04;

uint8_t Byte(int value)
{
    return static_cast<uint8_t>(value);
}

}  // namespace

TFrameRecord EncodeStationNotice(const TStationNotice& notice)
{
    const int sent = std::clamp(notice.timeMs, 0, kLastBusTimeMs);
    return {notice.start ? kStartNotice : kStopNotice, TimeHigh(sent), TimeLow(sent),
            Byte(notice.stationId), 0, kToStations};
}

std::optional<TStationNotice> DecodeStationNotice(const TFrameRecord& frame)
{
    if (frame[5] != kToStations || (frame[0] != kStartNotice && frame[0] != kStopNotice))
        return std::nullopt;
    return TStationNotice{frame[0] == kStartNotice, TimeFromUnits(frame[1], frame[2]), frame[3]};
}

TFrameRecord EncodeStatusQuery(int askerId, int askedId)
{
    return {kStatusQuery, 0, 0, Byte(askerId), Byte(askedId), kToStations};
}

std::optional<int> DecodeStatusQuery(const TFrameRecord& frame)
{
    if (frame[0] != kStatusQuery || frame[5] != kToStations)
        return std::nullopt;
    return frame[3];
}

TFrameRecord EncodeStationStatus(const TStationStatus& status)
{
    return {kStatusAnswer, Byte((status.launchState & 0x0F) + 16 * (status.firingMode & 0x0F)),
            Byte(status.controlMode & 0x0F), Byte(status.stationId), Byte(status.askerId),
            kToStations};
}

std::optional<TStationStatus> DecodeStationStatus(const TFrameRecord& frame)
{
    if (frame[0] != kStatusAnswer || frame[5] != kToStations)
        return std::nullopt;
    return TStationStatus{frame[1] & 0x0F, frame[1] >> 4, frame[2] & 0x0F, frame[3], frame[4]};
}

}  // namespace kv
