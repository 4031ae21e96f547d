#pragma once
// Reading a scenario file from disk.

#include <string>

namespace kv {

// The whole file into bytes. Gives an empty text, or the system's error text naming the file.
std::string ReadScenarioFile(const std::string& path, std::string& bytes);

}  // namespace kv
