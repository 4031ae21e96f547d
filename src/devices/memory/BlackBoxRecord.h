#pragma once
// One firing module's black box as stored in a .dat file (little-endian).

#include <cstddef>
#include <cstdint>

namespace kv {

constexpr size_t kBlackBoxRecordSize = 31901;
constexpr size_t kBlackBoxAddressOffset = 0;
constexpr size_t kBlackBoxVersionOffset = 1;
constexpr size_t kBlackBoxChannelsOffset = 5;
constexpr size_t kBlackBoxReadTimeOffset = 9;
constexpr size_t kBlackBoxReadTimeAgainOffset = 17;
constexpr size_t kBlackBoxCounterOffset = 25;
// In the 128 reserved bytes, which readers of the file pass over: how the read of this module
// went (0, or the result code that ended it) and how many log words it read.
constexpr size_t kBlackBoxStatusOffset = 29;
constexpr size_t kBlackBoxWordsReadOffset = 33;
constexpr size_t kBlackBoxLogOffset = 157;
constexpr int kBlackBoxWords = 7936;
constexpr uint16_t kBlackBoxFirstAddress = 0x0400;

void PutInt32(uint8_t* at, int32_t value);
void PutDouble(uint8_t* at, double value);
int32_t GetInt32(const uint8_t* at);
double GetDouble(const uint8_t* at);

// Days since 30 December 1899, the fraction being the time of day.
double DaysSince1899(int year, int month, int day, int hour, int minute, int second,
                     int millisecond);
double NowInDays();  // local time

}  // namespace kv
