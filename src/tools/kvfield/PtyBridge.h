#pragma once
// Serves the field's converters on pseudo-terminals: what the program writes to a terminal
// goes onto that converter's line (and comes back as echo), what the line carries to the PC
// is written back as it arrives.

#include "field/bus/Field.h"

#include <atomic>
#include <string>
#include <vector>

namespace kv {

class TPtyBridge {
public:
    explicit TPtyBridge(TField& field);
    ~TPtyBridge();
    TPtyBridge(const TPtyBridge&) = delete;
    TPtyBridge& operator=(const TPtyBridge&) = delete;

    // One terminal per converter; false with a reason when one cannot be made.
    bool Open(std::string& problem);
    const std::vector<std::string>& Paths() const { return paths_; }
    // Moves bytes both ways until stop is set; logs the field record to stderr.
    void Run(const std::atomic<bool>& stop);

private:
    void Pump();
    // Bytes that reached the PC side of a line and are not on the terminal yet.
    bool BytesWaiting();
    void LogRecord();

    TField& field_;
    std::vector<int> masters_;
    std::vector<int> slaves_;  // held open so the terminal stays up between clients
    std::vector<std::string> paths_;
    size_t framesLogged_ = 0;
    size_t shotsLogged_ = 0;
};

}  // namespace kv
