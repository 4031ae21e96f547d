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
int RunSearch(TCtlSession& session, const TCtlArguments& arguments);
int RunShow(TCtlSession& session, const TCtlArguments& arguments, TCtlPlatform& platform);
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
// The console's warning window for each, with its modules: false at the first the operator
// does not go on from.
bool WarningsAccepted(const std::vector<TScenarioWarning>& warnings);

}  // namespace kv
