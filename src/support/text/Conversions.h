#pragma once
// Small conversions shared by the whole program. Numbers are shown and written with "." as
// the decimal point, dates and times in the Russian formats, whatever the system locale.

#include <cstdint>
#include <ctime>
#include <optional>
#include <string>
#include <string_view>

namespace kv {

std::string IntToText(int64_t value);
// Without the TABs and SPACEs at either end.
std::string_view TrimBlanks(std::string_view text);
// x nudged by 0.00001 away from zero, then truncated toward zero.
int64_t TruncNudged(double x);
// Rounded to 4 decimals first, then half away from zero: 2.49996 gives 3.
int64_t RoundHalfAway(double x);
// round(done / total * 100), half away from zero; 0 when total is 0.
int Percent(long long done, long long total);
// Whole seconds of ms as H:mm:ss (hours wrap at 24), then "." and 1, 2 or 3 fraction digits.
std::string ClockText(int64_t ms, int decimals);
std::string EnsureExtension(const std::string& name, const std::string& extension);
int64_t TextToIntOrZero(const std::string& text);
// An integer as the operators' files write it: optional blanks, optional sign, decimal digits
// or "$"/"0x" and hexadecimal digits. Decimal values must fit a signed integer of bits;
// hexadecimal ones may fill all bits and wrap to negative ($FFFFFFFF is -1 for 32 bits).
std::optional<int64_t> ParseInteger(std::string_view text, int bits = 64);
// "," and "." both taken as the decimal separator; empty or invalid text gives 0.
double TextToReal(const std::string& text);
// The hexadecimal digits up to the first other character.
uint64_t HexToInt(const std::string& text);
// "07.12.2026" and "07.12.2026 1:00:03".
std::string ShortDateText(const std::tm& time);
std::string DateTimeText(const std::tm& time);
std::tm LocalTimeNow();
// The full path of the running program file; empty when the system cannot tell.
std::string AppFilePath();
// The folder of the running program, with a trailing "/"; empty (the working folder) when
// the system cannot tell.
std::string AppFolder();
// The program's version as four dot-separated numbers, "0.0.0.0" when the build gave none.
std::string AppVersionText();

}  // namespace kv
