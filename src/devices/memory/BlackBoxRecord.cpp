#include "devices/memory/BlackBoxRecord.h"

#include <bit>
#include <chrono>
#include <cstring>
#include <ctime>

namespace kv {

static_assert(std::endian::native == std::endian::little, "records are stored little-endian");

void PutInt32(uint8_t* at, int32_t value)
{
    std::memcpy(at, &value, sizeof value);
}

void PutDouble(uint8_t* at, double value)
{
    std::memcpy(at, &value, sizeof value);
}

int32_t GetInt32(const uint8_t* at)
{
    int32_t value;
    std::memcpy(&value, at, sizeof value);
    return value;
}

double GetDouble(const uint8_t* at)
{
    double value;
    std::memcpy(&value, at, sizeof value);
    return value;
}

double DaysSince1899(int year, int month, int day, int hour, int minute, int second,
                     int millisecond)
{
    using namespace std::chrono;
    const sys_days date = year_month_day{std::chrono::year{year},
                                         std::chrono::month{static_cast<unsigned>(month)},
                                         std::chrono::day{static_cast<unsigned>(day)}};
    const sys_days epoch = 1899y / December / 30;
    const double ms = ((hour * 60.0 + minute) * 60.0 + second) * 1000.0 + millisecond;
    return (date - epoch).count() + ms / 86400000.0;
}

double NowInDays()
{
    const auto now = std::chrono::system_clock::now();
    const std::time_t seconds = std::chrono::system_clock::to_time_t(now);
    std::tm local{};
    localtime_r(&seconds, &local);
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
                        now.time_since_epoch()).count() % 1000;
    return DaysSince1899(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour,
                         local.tm_min, local.tm_sec, static_cast<int>(ms));
}

}  // namespace kv
