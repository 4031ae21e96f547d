#pragma once
// Reading and writing a scenario file on disk.

#include <string>

namespace kv {

// The whole file into bytes. Gives an empty text, or the system's error text naming the file.
std::string ReadScenarioFile(const std::string& path, std::string& bytes);
// Replaces the file with text, the old file kept whole when the write fails. Gives an empty
// text, or the file's name and the system's reason.
std::string WriteScenarioFile(const std::string& path, const std::string& text);

}  // namespace kv
