#pragma once
// kvctl's commands. Each returns the exit status: 0 success, 1 failure.

#include "tools/kvctl/CtlArguments.h"

namespace kv {

class TCtlPlatform;
class TCtlSession;
class TProjectList;

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

}  // namespace kv
