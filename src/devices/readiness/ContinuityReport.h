#pragma once
// Before the show, from the last channel test: per firing module, the channels the scenario
// fires that will not fire (the show-stoppers first), the connected channels it leaves
// unused, and the shorts and faults elsewhere.

#include "devices/kinds/CommonControl.h"
#include "devices/memory/ScenarioCue.h"

#include <cstdint>
#include <string>
#include <vector>

namespace kv {

class TControls;

// Worst first; everything before Untested is a show-stopper.
enum class TContinuityFinding : uint8_t {
    ModuleAbsent,   // no firing module at that address was found on the bus
    NoSuchChannel,  // beyond the module's channels
    Open,
    Short,
    Fault,          // a resistance between the connected and the open limits
    NoAnswer,       // the measurement failed
    Untested,
};

struct TChannelFinding {
    int channel = 0;  // zero-based
    TContinuityFinding finding = TContinuityFinding::Untested;
    double ohms = 0;  // when the module reports resistances
};

struct TModuleContinuity {
    int address = 0;
    bool present = false;
    int channelCount = 0;
    int tested = 0;                           // channels with a test result
    std::vector<TChannelFinding> notReady;    // fired by the scenario, not connected
    std::vector<int> connectedUnused;
    std::vector<TChannelFinding> faultsUnused;  // shorts and faults the scenario does not fire

    int ShowStoppers() const;
    int Untested() const;
};

struct TContinuityReport {
    // Modules with show-stoppers first, then by address.
    std::vector<TModuleContinuity> modules;

    int ShowStoppers() const;
    // The scenario's channels no test has measured: not cleared either.
    int Untested() const;
};

// "Каналов сценария, которые не сработают: 2", and the untested ones when there are any.
std::string ContinuitySummary(const TContinuityReport& report);

// Kind by kind, worst first: "неподключен: 3-5; короткое замыкание: 7 (0.4 Ом)".
std::string ChannelFindingsText(std::vector<TChannelFinding> findings);

// The registered firing modules and the modules the scenario's firing cues name.
TContinuityReport BuildContinuityReport(const TControls& controls, TCueView cues,
                                        const TConnectThresholds& thresholds);

// "Пульт, ID=4, каналов: 7, проверено: 7"
std::string ContinuityModuleHead(const TModuleContinuity& module);
struct TContinuityLine {
    std::string caption;   // "Подключены, не в сценарии:"
    std::string channels;  // "неподключен: 3-5; короткое замыкание: 7 (0.4 Ом)" or "2, 9-16"
    bool showStopper = false;
};
// The module's findings in the report's order, each kind on a line.
std::vector<TContinuityLine> ContinuityModuleLines(const TModuleContinuity& module);
// The report as lines of text, for the printed report and the command line.
std::vector<std::string> ContinuityReportLines(const TContinuityReport& report);

}  // namespace kv
