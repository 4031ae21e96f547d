#include "support/platform/PowerSupply.h"

#include <filesystem>
#include <algorithm>
#include <fstream>

namespace kv {

namespace {

std::string ReadFirstLine(const std::filesystem::path& file)
{
    std::ifstream in(file);
    std::string line;
    std::getline(in, line);
    return line;
}

}  // namespace

bool ReadPowerSupply(TPowerStatus& status, const std::string& root)
{
    namespace fs = std::filesystem;
    std::error_code error;
    fs::directory_iterator it(root, error);
    if (error)
        return false;

    bool anySupply = false;
    bool anyMains = false;
    bool mainsOnline = false;
    bool battery = false;
    int capacity = -1;
    for (const fs::directory_entry& entry : it) {
        const std::string type = ReadFirstLine(entry.path() / "type");
        if (type == "Mains" || type == "USB") {
            anySupply = true;
            anyMains = true;
            if (ReadFirstLine(entry.path() / "online") == "1")
                mainsOnline = true;
        } else if (type == "Battery") {
            // Mice and headsets report their own batteries.
            if (ReadFirstLine(entry.path() / "present") == "0" ||
                ReadFirstLine(entry.path() / "scope") == "Device")
                continue;
            anySupply = true;
            battery = true;
            const std::string text = ReadFirstLine(entry.path() / "capacity");
            if (!text.empty() && capacity < 0) {
                try {
                    capacity = std::clamp(std::stoi(text), 0, 100);
                } catch (...) {
                }
            }
        }
    }
    if (!anySupply)
        return false;

    status = TPowerStatus{};
    status.acLineStatus = anyMains ? (mainsOnline ? 1 : 0) : (battery ? 0 : 255);
    status.batteryFlag = battery ? 0 : 128;
    status.batteryLifePercent = capacity >= 0 ? static_cast<uint8_t>(capacity) : 255;
    return true;
}

}  // namespace kv
