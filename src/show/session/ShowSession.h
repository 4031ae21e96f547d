#pragma once
// The engine as the console and kvctl run it: the port on the transport the port setting
// names, the registry and the show player, wired alike. Every frame from the bus reaches the
// registry first, then the player; a converter back lets the player send a stop it owes.

#include "devices/kinds/CommonControl.h"
#include "show/player/ShowSetup.h"
#include "show/standby/StandbyFollower.h"

#include <functional>
#include <memory>
#include <string>

namespace kv {

class TControls;
class TExtPlayer;
class TPortProto;
class TStandby;
class TTimecodeArm;
class TTimecodeChase;
class TTimecodeOutput;
struct TTimecodeOutputSettings;

class TShowSession {
public:
    struct TSettings {
        std::string port;  // "sim:FILE" (its shows are rehearsals) or the converters
        int32_t maxLateMs = kDefaultMaxLateMs;
        TConnectThresholds thresholds;
    };
    // problem: why the transport is not the one asked for, empty when it is; the port then has
    // no converter. onOpenProblem hears of each converter that will not open.
    TShowSession(const TSettings& settings, std::string& problem,
                 std::function<void(const std::string& text)> onOpenProblem = {});
    // No frame reaches the registry or the player while they go.
    ~TShowSession();
    TShowSession(const TShowSession&) = delete;
    TShowSession& operator=(const TShowSession&) = delete;

    // Starts the port: false when no converter opened.
    bool Start();

    // The timecode sent follows the show clock: while stopped, the start point, standing.
    std::unique_ptr<TTimecodeOutput> MakeTimecodeOutput(const TTimecodeOutputSettings& settings);
    // A wait for the desk's timecode to reach the start point, the offset taken off.
    std::unique_ptr<TTimecodeArm> MakeTimecodeArm(TTimecodeChase& chase,
                                                  std::function<void()> reached,
                                                  std::function<void()> refused);

    // This station as the standby of another on the bus: the player's scenario is the show it
    // follows, and the bus's frames reach the player through the standby until it takes over
    // or is disarmed.
    TStandby& ArmStandby(const TStandbySetup& setup);
    void DisarmStandby();
    TStandby* Standby() { return standby_.get(); }

    TPortProto& Port() { return *port_; }
    TControls& Controls() { return *controls_; }
    TExtPlayer& Player() { return *player_; }

    // On the main thread. A converter back is told before the player hears of it.
    std::function<void()> OnConverterLost;
    std::function<void()> OnConverterBack;

private:
    std::unique_ptr<TPortProto> port_;
    std::unique_ptr<TControls> controls_;
    std::unique_ptr<TExtPlayer> player_;
    std::unique_ptr<TStandby> standby_;
};

}  // namespace kv
