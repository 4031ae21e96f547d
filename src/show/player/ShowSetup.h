#pragma once
// What the next show plays and how: set between shows only, so that nothing the console or
// kvctl changes reaches a show under way.

#include <cstdint>

namespace kv {

class TProjectList;

enum TFiringMode : uint8_t { kFiringAutomatic = 0, kFiringManual = 1, kFiringBoth = 2 };
enum TControlMode : uint8_t { kControlDirect = 0, kControlAutonomous = 1 };

constexpr int32_t kDefaultMaxLateMs = 1000;

struct TShowSetup {
    // No scenario plays as an empty one.
    const TProjectList* scenario = nullptr;
    uint8_t controlMode = kControlDirect;
    uint8_t firingMode = kFiringAutomatic;
    // A cue later than this when its turn comes (the main thread held up) is passed over,
    // not sent in a burst with the others due meanwhile; 0: no limit. [show] MaxLateMs
    int32_t maxLateMs = kDefaultMaxLateMs;
    // The bus is a model of the installation: the log and the report's file name say so.
    bool rehearsal = false;
};

}  // namespace kv
