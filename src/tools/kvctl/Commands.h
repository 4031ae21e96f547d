#pragma once
// kvctl's commands. Each returns the exit status: 0 success, 1 failure.

#include "tools/kvctl/CtlArguments.h"

#include <vector>

namespace kv {

class TCtlPlatform;
class TCtlSession;
class TProjectList;
struct TScenarioWarning;

int RunFrame(const TCtlArguments& arguments);
int RunScenario(const TCtlArguments& arguments, TCtlPlatform& platform);
int RunReport(const TCtlArguments& arguments);
int RunImport(const TCtlArguments& arguments);
int RunSearch(TCtlSession& session, const TCtlArguments& arguments);
int RunShow(TCtlSession& session, const TCtlArguments& arguments, TCtlPlatform& platform);
int RunMemory(TCtlSession& session, const TCtlArguments& arguments, TCtlPlatform& platform);
int RunTest(TCtlSession& session, const TCtlArguments& arguments, TCtlPlatform& platform);
int RunReaddress(TCtlSession& session, const TCtlArguments& arguments);
// 0 go, 1 no-go (or the check could not be made).
int RunGoNoGo(TCtlSession& session, const TCtlArguments& arguments, TCtlPlatform& platform);

// Loads the scenario; false when the load reported an error to the operator.
bool LoadScenario(const std::string& path, TProjectList& list, TCtlPlatform& platform);
// The console's warning window for each, with its modules: false at the first the operator
// does not go on from.
bool WarningsAccepted(const std::vector<TScenarioWarning>& warnings);

}  // namespace kv
