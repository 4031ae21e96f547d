#pragma once
// A show package (.kvshow): the scenario, its soundtrack and the show's settings in one tar
// file, with a SHA-256 of each part in its table of contents, so that a show copied between
// machines on a stick arrives whole or is refused, the damaged part named.

#include "show/scenario/Timecode.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace kv {

// What the show was fired with beside its cues.
struct TShowSettings {
    int32_t tempo = 1000;  // per mille
    int32_t offset = 0;    // ms
    // The desk's timecode: the label of show time 0 and the rate; none: the console's own.
    std::optional<TTimecodeLabel> timecodeZero;
    std::optional<TTimecodeRate> timecodeRate;
    std::vector<std::string> lockedPositions;
    bool operator==(const TShowSettings&) const = default;
};

struct TShowPackage {
    std::string scenarioName;  // file name, no folder
    std::string scenario;      // the scenario file's bytes
    std::string soundtrackName;  // empty: no soundtrack
    std::string soundtrack;
    TShowSettings settings;
};

inline constexpr const char* kShowPackageSuffix = ".kvshow";

// By its name's suffix, as the file dialogs tell them apart.
bool IsShowPackage(const std::string& path);

// Replaces the file whole (an old one stays as it was when the write fails). Empty on
// success, else the reason naming the file.
std::string WriteShowPackage(const std::string& path, const TShowPackage& package);
// Reads every part and checks each against its checksum before giving any. Empty on
// success, else the reason, naming the part that is missing or damaged.
std::string ReadShowPackage(const std::string& path, TShowPackage& package);

// SHA-256 of the bytes, lower-case hexadecimal.
std::string Sha256Hex(const std::string& bytes);

}  // namespace kv
