#pragma once
// The engine's session as kvctl runs it, with the settings file's thresholds and timecode, a
// trace of the frames, and the bus search over a list of addresses.

#include "devices/kinds/CommonControl.h"
#include "link/PortProto.h"
#include "link/StationMessages.h"
#include "show/session/ShowSession.h"
#include "show/timecode/TimecodeSettings.h"

#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace kv {

class TChannelTest;
class TControls;
class TProgressLine;
class TExtPlayer;

class TCtlSession {
public:
    TCtlSession();
    ~TCtlSession();
    TCtlSession(const TCtlSession&) = delete;
    TCtlSession& operator=(const TCtlSession&) = delete;

    // Reads the settings and starts the port: kExitDone, or with the reason kExitFailed when
    // the transport cannot be what was asked for (a field file it cannot use), kExitNoField
    // when no converter opened.
    int Open(const std::string& portSetting, const std::string& settingsFile,
             std::string& problem);
    // A converter is open now.
    bool Reached() const { return !converterLost; }
    // Probes each address as one step of the bus search does, with announcements and
    // station answers accepted meanwhile; then sorts the registry by address.
    void Search(const std::vector<int>& addresses);
    // Lets frames, timers and handed-over calls run for this long.
    void Wait(uint32_t ms);
    // Every frame sent and every frame received from now on, to this file, timed from now.
    bool StartTrace(const std::string& path);

    TShowSession& Engine() { return *engine_; }
    TPortProto& Port() { return engine_->Port(); }
    TControls& Controls() { return engine_->Controls(); }
    TExtPlayer& Player() { return engine_->Player(); }
    const TConnectThresholds& Thresholds() const { return thresholds_; }
    // The test on this session's thresholds, each channel shown on progress, Ctrl+C stopping it.
    void Prepare(TChannelTest& test, TProgressLine& progress) const;
    const TTimecodeSettings& Timecode() const { return timecode_; }

    // What other stations' status queries are told.
    TLaunchState launchState = kLaunchIdle;
    // A converter went away and has not come back.
    bool converterLost = false;
    // Converter losses heard since the session opened.
    int lossesHeard = 0;
    // Raised after a loss is heard.
    std::function<void()> OnConverterLost;

private:
    void TraceFrame(char direction, const TFrameRecord& frame);

    TConnectThresholds thresholds_;
    TTimecodeSettings timecode_;
    std::unique_ptr<TShowSession> engine_;
    std::FILE* trace_ = nullptr;
    uint32_t traceStart_ = 0;
};

}  // namespace kv
