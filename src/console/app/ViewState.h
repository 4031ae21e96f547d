#pragma once
// What the operator last chose on the console itself (the night palette), kept across
// restarts in kvshow.state in the state folder (kvshow.ini only the settings window writes).

#include <map>
#include <string>

namespace kv {

class TViewState {
public:
    // A missing or unreadable file holds nothing.
    explicit TViewState(std::string path);

    std::string Read(const std::string& key) const;
    // The whole file goes to a new one renamed over the old, so a crash leaves one or the
    // other; false when it cannot be written (the choice then lasts this run only).
    bool Write(const std::string& key, const std::string& value);

private:
    std::string path_;
    std::map<std::string, std::string> values_;
};

}  // namespace kv
