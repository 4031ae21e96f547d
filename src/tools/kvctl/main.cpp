// kvctl: the engine from the command line. Results go to stdout, messages, questions and
// progress to stderr; the interface is parsed by other tools and stays as it is.
#include "support/Conversions.h"
#include "support/LogNaming.h"
#include "tools/kvctl/Commands.h"
#include "tools/kvctl/CtlPlatform.h"
#include "tools/kvctl/CtlSession.h"
#include "tools/kvctl/Interrupt.h"

#include <QCoreApplication>

#include <cstdio>

namespace {

int RunOnBus(const kv::TCtlArguments& arguments, kv::TCtlPlatform& platform)
{
    kv::TCtlSession session;
    std::string problem;
    if (!session.Open(arguments.port, arguments.settings, problem)) {
        std::fprintf(stderr, "kvctl: %s\n", problem.c_str());
        return 1;
    }
    const std::string& command = arguments.command;
    if (command == "search")
        return kv::RunSearch(session, arguments);
    if (command == "show")
        return kv::RunShow(session, arguments, platform);
    if (command == "test")
        return kv::RunTest(session, arguments, platform);
    if (command == "readdress")
        return kv::RunReaddress(session, arguments);
    if (command == "gonogo")
        return kv::RunGoNoGo(session, arguments, platform);
    return kv::RunMemory(session, arguments, platform);
}

}  // namespace

int main(int argc, char** argv)
{
    const std::vector<std::string> args(argv + 1, argv + argc);
    std::string problem;
    const auto arguments = kv::ParseCtlArguments(args, problem);
    if (!arguments) {
        std::fprintf(stderr, "kvctl: %s\n%s", problem.c_str(), kv::CtlUsage().c_str());
        return 2;
    }
    if (arguments->command == "frame")
        return kv::RunFrame(*arguments);
    if (arguments->command == "report")
        return kv::RunReport(*arguments);
    if (arguments->command == "import")
        return kv::RunImport(*arguments);

    QCoreApplication app(argc, argv);
    kv::TCtlPlatform platform;
    platform.assumeYes = arguments->yes;
    kv::InstallPlatform(&platform);
    kv::StartRunLog(kv::AppFolder(), kv::LocalTimeNow());
    kv::CatchInterrupt();
    const int status = arguments->command == "scenario" ? kv::RunScenario(*arguments, platform)
                                                        : RunOnBus(*arguments, platform);
    std::fflush(stdout);
    kv::InstallPlatform(nullptr);
    return status;
}
