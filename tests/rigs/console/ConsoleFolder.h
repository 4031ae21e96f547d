#pragma once
// A program folder of its own for each test: kvshow.ini on the demo field, logs/, and the
// language file.

#include <string>
#include <vector>

namespace kv {

class TConsoleFolder {
public:
    TConsoleFolder();
    ~TConsoleFolder();

    const std::string& Path() const { return path_; }  // with a trailing "/"
    // Writes kvshow.ini with these lines after the demo field's [link] section.
    void WriteSettings(const std::string& extra = {}) const;
    void WriteFile(const std::string& name, const std::string& text) const;
    // The log's lines, decoded from Windows-1251, without line ends.
    static std::vector<std::string> LogLines(const std::string& path);
    // The log's messages, without their time stamps.
    static std::vector<std::string> LogMessages(const std::string& path);
    std::string LogName(int number) const;

private:
    std::string path_;
};

}  // namespace kv
