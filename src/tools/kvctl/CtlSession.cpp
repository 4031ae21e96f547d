#include "tools/kvctl/CtlSession.h"

#include "devices/readiness/ChannelTest.h"
#include "devices/readiness/ConnectThresholds.h"
#include "devices/registry/Controls.h"
#include "show/player/ExtPlayer.h"
#include "show/session/ShowSession.h"
#include "support/text/IniFile.h"
#include "support/lang/Localizer.h"
#include "support/platform/Platform.h"
#include "tools/kvctl/CtlArguments.h"
#include "tools/kvctl/Interrupt.h"
#include "tools/kvctl/ProgressLine.h"

#include <cstdio>

namespace kv {

namespace {

constexpr uint8_t kAcceptAnnouncements = 1;
// Stations answer a station search within 150 ms; the search keeps listening well beyond,
// as a loaded machine may hand their answers over late.
constexpr uint32_t kStationAnswerMs = 500;

}  // namespace

TCtlSession::TCtlSession() = default;

TCtlSession::~TCtlSession()
{
    // The trace file takes frames until the port stops.
    engine_.reset();
    if (trace_)
        std::fclose(trace_);
}

int TCtlSession::Open(const std::string& portSetting, const std::string& settingsFile,
                      std::string& problem)
{
    const TIniFile ini = TIniFile::Load(settingsFile);
    thresholds_ = ReadConnectThresholds(ini);
    timecode_ = ReadTimecodeSettings(ini);
    const auto maxLateMs =
        static_cast<int32_t>(ini.ReadInteger("show", "MaxLateMs", kDefaultMaxLateMs));
    engine_ = std::make_unique<TShowSession>(
        TShowSession::TSettings{portSetting, maxLateMs, thresholds_}, problem,
        [](const std::string& text) { std::fprintf(stderr, "kvctl: %s\n", text.c_str()); });
    if (!problem.empty())
        return kExitFailed;
    Player().LaunchState = [this] { return launchState; };
    engine_->OnConverterLost = [this] {
        converterLost = true;
        ++lossesHeard;
        if (OnConverterLost)
            OnConverterLost();
    };
    engine_->OnConverterBack = [this] { converterLost = false; };
    Port().OnFrame = [this](const TFrameRecord& frame) { TraceFrame('<', frame); };
    Port().OnFrameSent = [this](const TFrameRecord& frame) { TraceFrame('>', frame); };
    if (engine_->Start())
        return kExitDone;
    problem = Localize(19, "Ошибка преобразователя");
    return kExitNoField;
}

void TCtlSession::Search(const std::vector<int>& addresses)
{
    TControls& controls = Controls();
    controls.searchFlags = kAcceptAnnouncements;
    uint32_t stationRound = 0;
    bool stationsAsked = false;
    TProgressLine progress;
    for (const int address : addresses) {
        if (Interrupted())
            break;
        controls.searchAddress = address;
        if (address == kStationAddress) {
            stationRound = Platform().TickCount();
            stationsAsked = true;
        }
        controls.SearchTick();
        progress.Show("search " + std::to_string(address));
        Platform().ProcessMessages();
    }
    if (stationsAsked) {
        const uint32_t heard = Platform().TickCount() - stationRound;
        if (heard < kStationAnswerMs)
            Wait(kStationAnswerMs - heard);
    }
    controls.searchFlags = 0;
    controls.SortByAddress();
}

void TCtlSession::Wait(uint32_t ms)
{
    const uint32_t start = Platform().TickCount();
    while (Platform().TickCount() - start < ms) {
        Platform().ProcessMessages();
        Platform().Sleep(1);
    }
}

bool TCtlSession::StartTrace(const std::string& path)
{
    trace_ = std::fopen(path.c_str(), "w");
    traceStart_ = Platform().TickCount();
    return trace_ != nullptr;
}

void TCtlSession::TraceFrame(char direction, const TFrameRecord& frame)
{
    if (!trace_)
        return;
    std::fprintf(trace_, "%u\t%c\t%02X %02X %02X %02X %02X %02X\n",
                 Platform().TickCount() - traceStart_, direction, frame[0], frame[1], frame[2],
                 frame[3], frame[4], frame[5]);
}

void TCtlSession::Prepare(TChannelTest& test, TProgressLine& progress) const
{
    test.thresholds = thresholds_;
    test.OnChannel = [&test, &progress](TCommonControl& module, int channel) {
        progress.Show("test " + std::to_string(module.address) + ": " +
                      std::to_string(channel + 1) + "/" + std::to_string(module.channelCount));
        Platform().ProcessMessages();
        test.stopRequested = Interrupted();
    };
}

}  // namespace kv
