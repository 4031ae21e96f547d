#include "devices/readiness/GoNoGo.h"

#include "devices/readiness/ContinuityReport.h"
#include "devices/registry/Controls.h"
#include "devices/memory/ModuleCues.h"
#include "devices/memory/ScenarioChecks.h"
#include "support/lang/AddedMessages.h"

#include <algorithm>
#include <set>

namespace kv {

namespace {

constexpr uint32_t kMsPerMinute = 60000;

// The kinds of finding, worst first; within a level the lines keep this order.
enum TBucket {
    kMissing, kSilent, kChannels, kTestMode, kCharge, kConverters, kMemory, kMotorMoves, kUntested,
    kSoundtrack, kStandby,
    kBeforeZero, kBucketCount
};

std::string MinutesText(int64_t ms)
{
    const int64_t seconds = std::max<int64_t>(ms, 0) / 1000;
    return std::to_string(seconds / 60) + ":" + (seconds % 60 < 10 ? "0" : "") +
           std::to_string(seconds % 60);
}

class TFindings {
public:
    void Add(TBucket bucket, TGoLevel level, const TMessage& found, const std::string& detail,
             const TMessage& todo)
    {
        buckets_[bucket].push_back(
            {level, Localize(found) + (detail.empty() ? "" : " " + detail), Localize(todo)});
    }
    std::vector<TGoFinding> Sorted() const
    {
        std::vector<TGoFinding> lines;
        for (const TGoLevel level : {TGoLevel::NoGo, TGoLevel::Caution})
            for (const auto& bucket : buckets_)
                for (const TGoFinding& finding : bucket)
                    if (finding.level == level)
                        lines.push_back(finding);
        return lines;
    }

private:
    std::vector<TGoFinding> buckets_[kBucketCount];
};

// "3: неподключен: 2, 5 (проверка, минут назад: 12)"
std::string ModuleChannels(const TControls& controls, int address,
                           const std::vector<TChannelFinding>& findings, uint32_t now)
{
    std::string text = std::to_string(address) + ": " + ChannelFindingsText(findings);
    const auto* module = dynamic_cast<const TCommonControl*>(controls.FindByAddress(address));
    if (module && module->channelsTestedAt)
        text += " (" + Localize(kMsgGoTestAge) + " " +
                std::to_string((now - *module->channelsTestedAt) / kMsPerMinute) + ")";
    return text;
}

void CheckChannels(TFindings& findings, const TControls& controls, const TGoNoGoFacts& facts)
{
    const TContinuityReport report = BuildContinuityReport(controls, facts.cues, facts.thresholds);
    for (const TModuleContinuity& module : report.modules) {
        // A module not on the bus is a line of its own.
        if (!module.present)
            continue;
        std::vector<TChannelFinding> stoppers, untested;
        for (const TChannelFinding& finding : module.notReady)
            (finding.finding == TContinuityFinding::Untested ? untested : stoppers).push_back(finding);
        if (!stoppers.empty())
            findings.Add(kChannels, TGoLevel::NoGo, kMsgGoChannels,
                         ModuleChannels(controls, module.address, stoppers, facts.now),
                         kMsgGoChannelsTodo);
        if (!untested.empty())
            findings.Add(kUntested, TGoLevel::Caution, kMsgGoChannels,
                         ModuleChannels(controls, module.address, untested, facts.now),
                         kMsgGoUntestedTodo);
    }
}

void CheckConverters(TFindings& findings, const TControls& controls, const TGoNoGoFacts& facts)
{
    if (facts.converterLost)
        findings.Add(kConverters, TGoLevel::NoGo, kMsgGoConverterLost, {}, kMsgGoConverterTodo);
    if (facts.converterCount <= 0) {
        findings.Add(kConverters, TGoLevel::NoGo, kMsgGoNoConverter, {}, kMsgGoConverterTodo);
        return;
    }
    std::set<int> beyond;
    for (size_t i = 0; i < facts.cues.size(); ++i)
        if (const TCommonDevice* device = controls.FindByAddress(facts.cues[i].module);
            device && (device->converterIndex >= facts.converterCount ||
                       std::ranges::find(facts.absentConverters, device->converterIndex) !=
                           facts.absentConverters.end()))
            beyond.insert(device->address);
    if (!beyond.empty())
        findings.Add(kConverters, TGoLevel::NoGo, kMsgGoConverterGone,
                     ModuleListText({beyond.begin(), beyond.end()}), kMsgGoConverterTodo);
}

void CheckMemory(TFindings& findings, const TControls& controls, TCueView cues)
{
    // Every firing module plays its memory when told the time, also one without a cue here.
    std::vector<int> stale;
    for (int i = 0; i < controls.Count(); ++i) {
        const auto* module = dynamic_cast<const TCommonControl*>(controls.DeviceAt(i));
        if (module && IsFiringModuleAddress(module->address) &&
            module->memoryFingerprint != ModuleMemoryFingerprint(cues, *module))
            stale.push_back(module->address);
    }
    if (!stale.empty())
        findings.Add(kMemory, TGoLevel::NoGo, kMsgGoMemoryStale, ModuleListText(stale),
                     kMsgGoMemoryTodo);
}

void CheckMotorMoves(TFindings& findings, const TControls& controls, TCueView cues)
{
    // A move left from a longer earlier scenario would turn the motor in this show or after it.
    std::vector<int> holding, unknown;
    for (int i = 0; i < controls.Count(); ++i) {
        const auto* module = dynamic_cast<const TCommonControl*>(controls.DeviceAt(i));
        if (!module || !IsFiringModuleAddress(module->address) || !KeepsMoves(*module))
            continue;
        const int moves = ModuleCueCount(cues, *module);
        if (module->motorMovesAtMost && *module->motorMovesAtMost <= moves)
            continue;
        (module->motorMovesAtLeast > moves ? holding : unknown).push_back(module->address);
    }
    if (!holding.empty())
        findings.Add(kMotorMoves, TGoLevel::NoGo, kMsgGoMotorMoves, ModuleListText(holding),
                     kMsgGoMotorMovesTodo);
    if (!unknown.empty())
        findings.Add(kMotorMoves, TGoLevel::NoGo, kMsgGoMotorMovesUnknown, ModuleListText(unknown),
                     kMsgGoMotorMovesUnknownTodo);
}

void CheckSoundtrack(TFindings& findings, const TGoNoGoFacts& facts)
{
    int32_t end = 0;
    for (size_t i = 0; i < facts.cues.size(); ++i)
        end = std::max(end, facts.cues[i].time);
    if (!facts.soundtrackLoaded)
        findings.Add(kSoundtrack, TGoLevel::Caution, kMsgGoNoSoundtrack, {}, kMsgGoSoundtrackTodo);
    else if (facts.soundtrackMs < end)
        findings.Add(kSoundtrack, TGoLevel::Caution, kMsgGoShortSoundtrack,
                     MinutesText(facts.soundtrackMs) + " < " + MinutesText(end),
                     kMsgGoSoundtrackTodo);
}

}  // namespace

std::vector<TGoFinding> CheckGoNoGo(const TControls& controls, const TGoNoGoFacts& facts)
{
    TFindings findings;
    const TCueView cues = facts.cues;
    if (const std::vector<int> missing = MissingModules(controls, cues); !missing.empty())
        findings.Add(kMissing, TGoLevel::NoGo, kMsgGoModulesMissing, ModuleListText(missing),
                     kMsgGoModulesTodo);
    if (const std::vector<int> silent = ModulesSilentSinceFound(controls, cues); !silent.empty())
        findings.Add(kSilent, TGoLevel::NoGo, kMsgGoModulesSilent, ModuleListText(silent),
                     kMsgGoModulesSilentTodo);
    CheckChannels(findings, controls, facts);
    if (const std::vector<int> testMode = ModulesInTestMode(controls, cues); !testMode.empty())
        findings.Add(kTestMode, TGoLevel::NoGo, kMsgGoTestMode, ModuleListText(testMode),
                     kMsgGoTestModeTodo);
    if (const auto unknown = HighVoltageSettingUnknown(controls, cues); !unknown.empty())
        findings.Add(kCharge, TGoLevel::NoGo, kMsgGoChargeUnknown, ModuleListText(unknown),
                     kMsgGoChargeTodo);
    if (const auto oneVolt = HighVoltageChannelsUnmeasured(controls, cues); !oneVolt.empty())
        findings.Add(kCharge, TGoLevel::NoGo, kMsgGoChargeOneVolt, ModuleListText(oneVolt),
                     kMsgGoChargeTodo);
    CheckConverters(findings, controls, facts);
    if (facts.autonomous) {
        if (const auto untold = HighVoltageChargesInTurn(controls, cues, facts.from); !untold.empty())
            findings.Add(kCharge, TGoLevel::NoGo, kMsgChargesInTurn, ModuleListText(untold),
                         kMsgChargesInTurnTodo);
        CheckMemory(findings, controls, cues);
        CheckMotorMoves(findings, controls, cues);
    }
    CheckSoundtrack(findings, facts);
    // No station message carries the show: the operators compare it themselves.
    if (facts.standby)
        findings.Add(kStandby, TGoLevel::Caution, kMsgGoStandbyUnchecked, {}, kMsgGoStandbyTodo);
    size_t beforeZero = 0;
    for (size_t i = 0; i < cues.size(); ++i)
        beforeZero += cues[i].time < 0 ? 1 : 0;
    if (beforeZero > 0)
        findings.Add(kBeforeZero, TGoLevel::Caution, kMsgGoBeforeZero, std::to_string(beforeZero),
                     kMsgGoBeforeZeroTodo);
    return findings.Sorted();
}

bool IsNoGo(const std::vector<TGoFinding>& findings)
{
    return !findings.empty() && findings.front().level == TGoLevel::NoGo;
}

std::string GoNoGoSummary(const std::vector<TGoFinding>& findings)
{
    return Localize(findings.empty()    ? kMsgGoAllClear
                    : IsNoGo(findings) ? kMsgGoSummaryNoGo
                                       : kMsgGoSummaryCaution);
}

std::string GoLevelText(TGoLevel level)
{
    return Localize(level == TGoLevel::NoGo ? kMsgGoLevelNoGo : kMsgGoLevelCaution);
}

std::string GoFindingLine(const TGoFinding& finding)
{
    return GoLevelText(finding.level) + ": " + finding.found + " — " + finding.todo;
}

}  // namespace kv
