#include "devices/readiness/ContinuityReport.h"

#include "devices/registry/Controls.h"
#include "devices/kinds/Firmware.h"
#include "support/lang/AddedMessages.h"

#include <algorithm>
#include <cstdio>
#include <map>
#include <set>

namespace kv {

namespace {

bool ReportsOhms(const TCommonControl& module)
{
    return module.deviceType == 3 || (module.deviceType <= 2 && module.version >= kVersionResistance);
}

// A motor module's channels are measured but never classified: they tell nothing.
bool HasIgniters(const TCommonControl& module)
{
    return module.deviceType != 4;
}

TChannelFinding Finding(const TCommonControl& module, int channel,
                        const TConnectThresholds& thresholds)
{
    TChannelFinding finding{channel, TContinuityFinding::Untested, 0};
    if (channel < 0 || channel >= std::min(module.channelCount, kChannelSlots)) {
        finding.finding = TContinuityFinding::NoSuchChannel;
        return finding;
    }
    if (ReportsOhms(module))
        finding.ohms = module.ChannelValue(channel);
    switch (module.ChannelState(channel)) {
    case kChannelOpen:
        finding.finding = TContinuityFinding::Open;
        break;
    case kChannelFault:
        if (!module.ChannelMeasured(channel))
            finding.finding = TContinuityFinding::NoAnswer;
        else if (ReportsOhms(module) && finding.ohms < thresholds.connectResistLo)
            finding.finding = TContinuityFinding::Short;
        else
            finding.finding = TContinuityFinding::Fault;
        break;
    default:
        break;
    }
    return finding;
}

TModuleContinuity ModuleReport(const TCommonControl& module, const std::set<int>& used,
                               const TConnectThresholds& thresholds)
{
    TModuleContinuity report;
    report.address = module.address;
    report.present = true;
    report.channelCount = module.channelCount;
    for (const int channel : used) {
        const TChannelFinding finding = Finding(module, channel, thresholds);
        if (finding.finding == TContinuityFinding::NoSuchChannel ||
            module.ChannelState(channel) != kChannelConnected)
            report.notReady.push_back(finding);
    }
    const int channels = std::clamp(module.channelCount, 0, kChannelSlots);
    for (int channel = 0; channel < channels; ++channel) {
        const uint8_t state = module.ChannelState(channel);
        if (state != kChannelUntested)
            ++report.tested;
        if (used.contains(channel) || !HasIgniters(module))
            continue;
        if (state == kChannelConnected) {
            report.connectedUnused.push_back(channel);
        } else if (state == kChannelFault) {
            const TChannelFinding finding = Finding(module, channel, thresholds);
            if (finding.finding != TContinuityFinding::NoAnswer)
                report.faultsUnused.push_back(finding);
        }
    }
    std::stable_sort(report.notReady.begin(), report.notReady.end(),
                     [](const TChannelFinding& a, const TChannelFinding& b) {
                         return a.finding < b.finding;
                     });
    return report;
}

std::string Ohms(double ohms)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.1f", ohms);
    return text + (" " + Localize(kMsgOhms));
}

// One-based, runs of three or more as ranges: "2, 6-16".
std::string ChannelList(const std::vector<int>& channels)
{
    std::string text;
    for (size_t i = 0; i < channels.size();) {
        size_t end = i + 1;
        while (end < channels.size() && channels[end] == channels[end - 1] + 1)
            ++end;
        text += (text.empty() ? "" : ", ") + std::to_string(channels[i] + 1);
        if (end - i >= 3)
            text += "-" + std::to_string(channels[end - 1] + 1);
        else if (end - i == 2)
            text += ", " + std::to_string(channels[i + 1] + 1);
        i = end;
    }
    return text;
}

std::string ContinuityFindingText(TContinuityFinding finding)
{
    switch (finding) {
    case TContinuityFinding::ModuleAbsent: return Localize(kMsgModuleAbsent);
    case TContinuityFinding::NoSuchChannel: return Localize(kMsgNoSuchChannel);
    case TContinuityFinding::Open: return Localize(51, "неподключен");
    case TContinuityFinding::Short: return Localize(kMsgShortCircuit);
    case TContinuityFinding::Fault: return Localize(52, "ошибка");
    case TContinuityFinding::NoAnswer: return Localize(kMsgNoAnswer);
    default: return Localize(kMsgUntested);
    }
}

}  // namespace

std::string ChannelFindingsText(std::vector<TChannelFinding> findings)
{
    std::stable_sort(findings.begin(), findings.end(),
                     [](const auto& a, const auto& b) { return a.finding < b.finding; });
    std::string text;
    for (size_t i = 0; i < findings.size();) {
        const TContinuityFinding kind = findings[i].finding;
        size_t end = i;
        std::vector<int> channels;
        std::string measured;
        // Only modules that report resistances find shorts and faults once measured.
        const bool withOhms = kind == TContinuityFinding::Short || kind == TContinuityFinding::Fault;
        for (; end < findings.size() && findings[end].finding == kind; ++end) {
            channels.push_back(findings[end].channel);
            measured += (measured.empty() ? "" : ", ") + std::to_string(findings[end].channel + 1) +
                        " (" + Ohms(findings[end].ohms) + ")";
        }
        text += (text.empty() ? "" : "; ") + ContinuityFindingText(kind) + ": " +
                (withOhms ? measured : ChannelList(channels));
        i = end;
    }
    return text;
}


int TModuleContinuity::ShowStoppers() const
{
    return static_cast<int>(std::count_if(notReady.begin(), notReady.end(), [](const auto& f) {
        return f.finding < TContinuityFinding::Untested;
    }));
}

int TModuleContinuity::Untested() const
{
    return static_cast<int>(notReady.size()) - ShowStoppers();
}

int TContinuityReport::ShowStoppers() const
{
    int count = 0;
    for (const TModuleContinuity& module : modules)
        count += module.ShowStoppers();
    return count;
}

int TContinuityReport::Untested() const
{
    int count = 0;
    for (const TModuleContinuity& module : modules)
        count += module.Untested();
    return count;
}

std::string ContinuitySummary(const TContinuityReport& report)
{
    std::string text = Localize(kMsgShowStoppers) + " " + std::to_string(report.ShowStoppers());
    if (report.Untested() > 0)
        text += Localize(kMsgUntestedInScenario) + " " + std::to_string(report.Untested());
    return text;
}

TContinuityReport BuildContinuityReport(const TControls& controls, TCueView cues,
                                        const TConnectThresholds& thresholds)
{
    std::map<int, std::set<int>> used;  // module: channels
    for (size_t i = 0; i < cues.size(); ++i)
        if (cues[i].kind == kKindFire)
            used[cues[i].module].insert(cues[i].channel);
    TContinuityReport report;
    for (int index = 0; index < controls.Count(); ++index) {
        const TCommonDevice* device = controls.DeviceAt(index);
        const auto* module = dynamic_cast<const TCommonControl*>(device);
        if (!module || !IsFiringModuleAddress(device->address))
            continue;
        report.modules.push_back(ModuleReport(*module, used[module->address], thresholds));
        used.erase(module->address);
    }
    for (const auto& [address, channels] : used) {
        if (channels.empty())
            continue;
        TModuleContinuity absent;
        absent.address = address;
        for (const int channel : channels)
            absent.notReady.push_back({channel, TContinuityFinding::ModuleAbsent, 0});
        report.modules.push_back(std::move(absent));
    }
    std::stable_sort(report.modules.begin(), report.modules.end(),
                     [](const TModuleContinuity& a, const TModuleContinuity& b) {
                         const bool aStops = a.ShowStoppers() > 0;
                         const bool bStops = b.ShowStoppers() > 0;
                         return aStops != bStops ? aStops : a.address < b.address;
                     });
    return report;
}


std::string ContinuityModuleHead(const TModuleContinuity& module)
{
    std::string head = Localize(55, "Пульт, ID=") + std::to_string(module.address);
    if (module.present)
        head += Localize(22, ", каналов:") + " " + std::to_string(module.channelCount) +
                Localize(kMsgTestedChannels) + " " + std::to_string(module.tested);
    return head;
}

std::vector<TContinuityLine> ContinuityModuleLines(const TModuleContinuity& module)
{
    std::vector<TContinuityLine> lines;
    if (!module.notReady.empty())
        lines.push_back({Localize(kMsgNotReadyChannels), ChannelFindingsText(module.notReady),
                         module.ShowStoppers() > 0});
    if (!module.connectedUnused.empty())
        lines.push_back({Localize(kMsgConnectedUnused), ChannelList(module.connectedUnused), false});
    if (!module.faultsUnused.empty())
        lines.push_back({Localize(kMsgFaultsUnused), ChannelFindingsText(module.faultsUnused), false});
    return lines;
}

std::vector<std::string> ContinuityReportLines(const TContinuityReport& report)
{
    std::vector<std::string> lines{ContinuitySummary(report)};
    for (const TModuleContinuity& module : report.modules) {
        lines.push_back(ContinuityModuleHead(module));
        for (const TContinuityLine& line : ContinuityModuleLines(module))
            lines.push_back("    " + line.caption + " " + line.channels);
    }
    return lines;
}

}  // namespace kv
