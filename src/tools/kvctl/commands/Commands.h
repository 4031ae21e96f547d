#pragma once
// kvctl's commands. Each returns the exit status (kExitDone, kExitFailed, ...).

#include "tools/kvctl/CtlArguments.h"

#include <vector>

namespace kv {

class TCtlPlatform;
class TCtlSession;
class TProjectList;
struct TScenarioWarning;

int RunFrame(const TCtlArguments& arguments);
int RunScenario(const TCtlArguments& arguments);
int RunReport(const TCtlArguments& arguments);
int RunLog(const TCtlArguments& arguments);
int RunImport(const TCtlArguments& arguments);
int RunPack(const TCtlArguments& arguments);
// A show package named as the scenario: checked and unpacked into the state folder, its
// parts and settings taking the place of the options not given. kExitFailed when refused.
int OpenPackageArguments(TCtlArguments& arguments, const std::string& stateFolder);
int RunSearch(TCtlSession& session, const TCtlArguments& arguments);
int RunShow(TCtlSession& session, const TCtlArguments& arguments, TCtlPlatform& platform);
int RunStandby(TCtlSession& session, const TCtlArguments& arguments, TCtlPlatform& platform);
int RunMemory(TCtlSession& session, const TCtlArguments& arguments, TCtlPlatform& platform);
int RunTest(TCtlSession& session, const TCtlArguments& arguments, TCtlPlatform& platform);
int RunReaddress(TCtlSession& session, const TCtlArguments& arguments);
int RunMode(TCtlSession& session, const TCtlArguments& arguments);
int RunHighVoltage(TCtlSession& session, const TCtlArguments& arguments);
// 0 go, 1 no-go (or the check could not be made).
int RunGoNoGo(TCtlSession& session, const TCtlArguments& arguments);

// Loads the scenario; false when it cannot be read or a line is bad, told on stderr (a bad
// line as FILE:LINE: reason).
bool LoadScenario(const std::string& path, TProjectList& list);
// Each position to lock out is one the scenario names; else told, kExitUsage.
int CheckPositionsNamed(const TCtlArguments& arguments, const TProjectList& list);
// The console's warning window for each, with its modules: false at the first the operator
// does not go on from.
bool WarningsAccepted(const std::vector<TScenarioWarning>& warnings);

}  // namespace kv
