#pragma once
// What one data row of a show script says: which module channel ignites when, the effect's
// moment, name and position; or why the row cannot be taken.

#include "show/import/ScriptFormat.h"
#include "show/import/ScriptTime.h"
#include "support/text/CsvReader.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace kv {

struct TImportOptions {
    std::optional<TScriptFormat> format;  // none: told by the header
    int32_t railSize = 0;                 // channels a rail holds; 0: not confirmed
    double fps = 0;                       // frames a second of the frames layout
    bool dropFrame = false;               // its labels are 29.97 drop-frame; fps is not read
};

struct TScriptRow {
    size_t line = 0;
    int32_t ignition = 0;  // ms; the module fires then
    int32_t effect = 0;    // ms; the effect is seen then
    int32_t module = 0;
    int32_t channel = 0;  // zero-based
    std::string effectName;
    std::string position;
};

enum class TRowVerdict {
    Taken,
    Refused,      // the reason says why
    UnitInDoubt,  // a time so far out that its column's unit, and every row's time, is in doubt
};

class TRowMapping {
public:
    TRowMapping(TScriptFormat format, const std::vector<std::string>& header,
                const TImportOptions& options);
    // Not empty when the header lacks what the layout needs; no row maps then.
    const std::string& Problem() const { return problem_; }
    // With the reason when the row is not taken.
    TRowVerdict Map(const TCsvRow& row, TScriptRow& out, std::string& reason) const;

private:
    void Need(int column, std::string_view name);
    TRowVerdict MapTimes(const TCsvRow& row, TScriptRow& out, std::string& reason) const;
    bool MapAddress(const TCsvRow& row, TScriptRow& out, std::string& reason) const;

    TImportOptions options_;
    std::string problem_;
    size_t columns_ = 0;  // the header's, up to its last named one
    int rowType_ = -1;
    int ignition_ = -1;
    int effect_ = -1;
    TTimeUnit ignitionUnit_ = TTimeUnit::Seconds;
    TTimeUnit effectUnit_ = TTimeUnit::Seconds;
    int hours_ = -1, minutes_ = -1, seconds_ = -1, frames_ = -1;
    int prefire_ = -1;
    TTimeUnit prefireUnit_ = TTimeUnit::Seconds;
    int deviceDelay_ = -1;
    int module_ = -1;
    int rail_ = -1;
    int pin_ = -1;
    int hexAddress_ = -1;
    std::vector<int> effectNames_;  // the first that is not empty
    int position_ = -1;
};

}  // namespace kv
