#pragma once
// A show script of a design program read into scenario cues, with every row it could not take
// and why: what the operator previews before the show replaces a slot's scenario.

#include "show/import/ScriptRows.h"
#include "show/scenario/Cue.h"

#include <string>
#include <string_view>
#include <vector>

namespace kv {

struct TImportRefusal {
    size_t line = 0;  // one-based line of the file
    std::string reason;
};

struct TImportResult {
    // Not empty when the file as a whole cannot be read; nothing else is filled then.
    std::string problem;
    TScriptFormat format = TScriptFormat::Plain;
    std::vector<TCue> cues;  // firing cues in ignition order, effect data in their notes
    std::vector<TImportRefusal> refused;  // in line order
};

TImportResult ImportShowScript(std::string_view bytes, const TImportOptions& options);

// Rows that ignite the same module channel at the same moment become one cue (a script gives
// a row to each of several effects on one ignition); a channel ignited at two moments is
// refused in every row, since one of the two could only fire early or not at all.
std::vector<TCue> MergeScriptRows(const std::vector<TScriptRow>& rows,
                                  std::vector<TImportRefusal>& refused);

}  // namespace kv
