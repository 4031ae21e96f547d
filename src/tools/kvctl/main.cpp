// kvctl: the engine from the command line. Results go to stdout, messages, questions and
// progress to stderr; the interface is parsed by other tools and stays as it is.
#include "support/lang/AddedMessages.h"
#include "support/text/Conversions.h"
#include "support/platform/FilePlaces.h"
#include "support/log/LogNaming.h"
#include "support/log/RunLog.h"
#include "tools/cli/CliTexts.h"
#include "tools/kvctl/commands/Commands.h"
#include "tools/kvctl/CtlPlatform.h"
#include "tools/kvctl/CtlSession.h"
#include "tools/kvctl/Interrupt.h"

#include <QCoreApplication>

#include <algorithm>
#include <cstdio>

namespace {

int RunCommand(kv::TCtlSession& session, const kv::TCtlArguments& arguments,
               kv::TCtlPlatform& platform)
{
    const std::string& command = arguments.command;
    if (command == "search")
        return kv::RunSearch(session, arguments);
    if (command == "show")
        return kv::RunShow(session, arguments, platform);
    if (command == "standby")
        return kv::RunStandby(session, arguments, platform);
    if (command == "test")
        return kv::RunTest(session, arguments, platform);
    if (command == "readdress")
        return kv::RunReaddress(session, arguments);
    if (command == "mode")
        return kv::RunMode(session, arguments);
    if (command == "hv")
        return kv::RunHighVoltage(session, arguments);
    if (command == "gonogo")
        return kv::RunGoNoGo(session, arguments);
    return kv::RunMemory(session, arguments, platform);
}

int RunOnBus(const kv::TCtlArguments& arguments, kv::TCtlPlatform& platform)
{
    kv::TCtlSession session;
    std::string problem;
    if (const int status = session.Open(arguments.port, kv::CtlSettingsFile(arguments), problem);
        status != kv::kExitDone) {
        std::fprintf(stderr, "kvctl: %s\n", problem.c_str());
        return status;
    }
    const int status = RunCommand(session, arguments, platform);
    // Nothing found or done on a bus that was never there is not an answer a script may
    // take for one.
    if (!session.Reached()) {
        std::fprintf(stderr, "kvctl: %s\n", kv::Localize(19, "Ошибка преобразователя").c_str());
        return kv::kExitNoField;
    }
    return status;
}

}  // namespace

int main(int argc, char** argv)
{
    const std::vector<std::string> args(argv + 1, argv + argc);
    kv::UseConsoleLanguage(kv::SettingsArgument(args));
    const kv::TCtlCommandLine line = kv::ParseCtlCommandLine(args);
    std::fputs(line.out.c_str(), stdout);
    std::fputs(line.err.c_str(), stderr);
    if (!line.arguments)
        return line.status;
    kv::TCtlArguments arguments = *line.arguments;
    const kv::TFilePlaces places = kv::FindFilePlaces(kv::AppFolder(), arguments.settings);
    if (const int status = kv::OpenPackageArguments(arguments, places.stateFolder);
        status != kv::kExitDone)
        return status;
    if (arguments.command == "frame")
        return kv::RunFrame(arguments);
    if (arguments.command == "report")
        return kv::RunReport(arguments);
    if (arguments.command == "import")
        return kv::RunImport(arguments);
    if (arguments.command == "scenario")
        return kv::RunScenario(arguments);
    if (arguments.command == "log")
        return kv::RunLog(arguments);
    if (arguments.command == "pack")
        return kv::RunPack(arguments);

    QCoreApplication app(argc, argv);
    kv::TCtlPlatform platform;
    platform.assumeYes = arguments.yes;
    kv::InstallPlatform(&platform);
    kv::SetRecordsFolder(places.stateFolder);
    kv::StartRunLog(places, kv::LocalTimeNow());
    kv::SetLogTroubleHandler([] {
        const kv::TLogTrouble trouble = kv::LogTrouble();
        std::fprintf(stderr, "kvctl: %s %s (%s); %s %s%s\n",
                     kv::Localize(kv::kMsgLogNotWritten).c_str(), trouble.failedFile.c_str(),
                     trouble.reason.c_str(), kv::Localize(kv::kMsgLogGoesOn).c_str(),
                     trouble.file.c_str(),
                     trouble.failing ? ("; " + kv::Localize(kv::kMsgCtlLogInMemory)).c_str() : "");
    });
    kv::CatchInterrupt();
    const int status = RunOnBus(arguments, platform);
    std::fflush(stdout);
    kv::InstallPlatform(nullptr);
    return status;
}
