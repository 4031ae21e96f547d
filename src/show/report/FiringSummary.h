#pragma once
// The figures of a firing report that the paperwork after a show asks for: how late the PC's
// shots went out (median, 99th percentile, worst), how many went out early, and how many
// cues were missed, by reason.

#include "show/report/FiringReport.h"

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace kv {

constexpr size_t kMissReasonCount = static_cast<size_t>(TMissReason::TooLate) + 1;
constexpr size_t kCheckResultCount = 6;

struct TFiringSummary {
    int cues = 0;
    int fired = 0;   // on the show clock: the lateness figures are theirs
    int byHand = 0;
    int memory = 0;  // left to the modules' own memory
    int elsewhere = 0;  // heard fired by the other station of a standby pair
    int missed = 0;
    int early = 0;   // fired before their time
    // Nearest rank; 0 when nothing was fired on the clock.
    int32_t latenessP50 = 0;
    int32_t latenessP99 = 0;
    int32_t latenessMax = 0;
    std::array<int, kMissReasonCount> missedBy{};
    // What the check after the shot found, of the shots on the clock, by hand and from memory:
    // an igniter still connected may not have fired.
    std::array<int, kCheckResultCount> checkedAs{};

    int MissedBy(TMissReason reason) const { return missedBy[static_cast<size_t>(reason)]; }
    int CheckedAs(TCheckResult check) const;
};

TFiringSummary SummarizeFiring(std::span<const TCueRecord> records);

// The operator's word for a reason, localized ("пульт не найден").
std::string MissReasonText(TMissReason reason);
// The summary as lines of text, for the printed report and the command line.
std::vector<std::string> FiringSummaryLines(const TFiringSummary& summary);

}  // namespace kv
