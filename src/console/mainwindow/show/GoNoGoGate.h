#pragma once
// The go/no-go window before a start: the start goes ahead only after the operator has closed
// the window on the very lines the check gives now, with no stop heard on the bus since it
// came up. Each start takes that reading up, so the window never starts anything itself.

#include <optional>
#include <string>
#include <vector>

namespace kv {

class TGoNoGoGate {
public:
    void Shown(std::vector<std::string> lines, int remoteStops);
    // By the operator; a window put away by a show's start is not read.
    void Closed();
    // Whether these lines were read, with no stop since; the reading is used up either way.
    bool Read(const std::vector<std::string>& lines, int remoteStops);
    void Forget() { read_.reset(); }

private:
    std::optional<std::vector<std::string>> shown_;
    int shownStops_ = 0;
    std::optional<std::vector<std::string>> read_;
    int readStops_ = 0;
};

}  // namespace kv
