#pragma once
// Opening a show package for a slot or a command: every part read, checked and the
// scenario parsed before anything is handed over, so that a bad package changes nothing;
// the soundtrack (the player streams it from a file) and the scenario unpacked into the
// state folder, where they outlast a reboot, beside the record of the shows.

#include "show/scenario/Cue.h"
#include "show/scenario/ShowPackage.h"

#include <string>
#include <vector>

namespace kv {

struct TOpenedShow {
    std::vector<TCue> cues;  // in file order, as a slot's Assign takes them
    std::string scenarioName;
    std::string scenarioText;  // the scenario file's bytes
    std::string scenarioFile;    // unpacked
    std::string soundtrackFile;  // unpacked; empty: the package has none
    TShowSettings settings;
};

// stateFolder with a trailing "/". Empty on success, else the reason for the operator.
std::string OpenShowPackage(const std::string& path, const std::string& stateFolder,
                            TOpenedShow& show);

// Where a part with these bytes is unpacked: one folder per content, so that a file a
// player is streaming is never written over by another show's.
std::string UnpackedPartFile(const std::string& stateFolder, const std::string& name,
                             const std::string& bytes);

}  // namespace kv
