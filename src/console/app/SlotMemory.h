#pragma once
// The files of the eight slots (scenario or show package, and soundtrack), kept in the
// console's state file so that they come back after a restart; each with a stamp of its size,
// time and checksum, so that a file changed since is told from the one the operator loaded.

#include <string>

namespace kv {

class TViewState;

struct TKeptFile {
    std::string file;   // empty: none
    std::string stamp;  // as FileStamp gave it when kept
};

struct TKeptSlot {
    TKeptFile scenario;
    TKeptFile soundtrack;
};

enum class TFileSince { Same, Changed, Gone };

// "size:mtime:sha256"; empty when the file cannot be read.
std::string FileStamp(const std::string& path);

class TSlotMemory {
public:
    explicit TSlotMemory(TViewState& state) : state_(state) {}

    // slot 0-7
    TKeptSlot Kept(int slot) const;
    // The slot's files as they stand now; empty names for none.
    void Keep(int slot, const std::string& scenarioFile, const std::string& soundtrackFile);
    static TFileSince Since(const TKeptFile& kept);

private:
    TViewState& state_;
};

}  // namespace kv
