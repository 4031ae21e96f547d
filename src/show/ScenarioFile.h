#pragma once
// Reading and writing a scenario file on disk.

#include <string>

namespace kv {

// The whole file into bytes. Gives an empty text, or the system's error text naming the file.
std::string ReadScenarioFile(const std::string& path, std::string& bytes);
// Replaces the file with text. Gives an empty text, or the system's error text.
std::string WriteScenarioFile(const std::string& path, const std::string& text);

}  // namespace kv
