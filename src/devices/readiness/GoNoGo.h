#pragma once
// The go/no-go check before a show: the show as designed against the installation as the
// console last found it, worst first, each finding with what to do about it.

#include "devices/kinds/CommonControl.h"
#include "devices/memory/ScenarioCue.h"

#include <climits>
#include <cstdint>
#include <string>
#include <vector>

namespace kv {

class TControls;

struct TGoNoGoFacts {
    TCueView cues;
    TConnectThresholds thresholds;
    int converterCount = 0;
    std::vector<int> absentConverters;  // lost beside others that are open
    bool converterLost = false;
    bool autonomous = false;
    int32_t from = INT32_MIN;  // the start point: the cues before it are not played
    bool soundtrackLoaded = false;
    int64_t soundtrackMs = 0;
    uint32_t now = 0;  // the tick count, for the channel tests' age
    bool standby = false;  // following another station's show, to take it over
};

enum class TGoLevel : uint8_t {
    NoGo,     // the show would miss cues or fire what it should not
    Caution,  // the operator decides
};

struct TGoFinding {
    TGoLevel level = TGoLevel::NoGo;
    std::string found;
    std::string todo;
};

// Nothing found: the show may go.
std::vector<TGoFinding> CheckGoNoGo(const TControls& controls, const TGoNoGoFacts& facts);

// Worst first, so the first line tells.
bool IsNoGo(const std::vector<TGoFinding>& findings);
// The headline over the lines: all clear, no-go or the operator's decision.
std::string GoNoGoSummary(const std::vector<TGoFinding>& findings);
std::string GoLevelText(TGoLevel level);
// As printed: "СТОП: Модули в режиме теста: 2 — Переведите их в режим пуска (F12)."
std::string GoFindingLine(const TGoFinding& finding);

}  // namespace kv
