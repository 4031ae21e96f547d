#pragma once
// The black-box file (.dat): the format number 1, then the records as read, one per module.

#include <cstdint>
#include <string>
#include <vector>

namespace kv {

constexpr int32_t kBlackBoxFileFormat = 1;

// Today's date in the short format, with ".dat", in the records folder.
std::string ProposedBlackBoxFileName();
// The operator's name with ".DAT" unless it already ends in ".dat" in any case.
std::string BlackBoxFileName(const std::string& chosen);
// One line a module of the records read: its address and how its read went.
std::vector<std::string> BlackBoxStatusLines(const std::vector<uint8_t>& records);
// Whether any module's log was read whole.
bool AnyBlackBoxRead(const std::vector<uint8_t>& records);
// Creates or overwrites the file. Empty on success, else the system's reason.
std::string WriteBlackBoxFile(const std::string& path, const std::vector<uint8_t>& records);

}  // namespace kv
