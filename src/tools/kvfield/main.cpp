// kvfield FILE: the simulated field on pseudo-terminals, one per converter. The terminal
// paths go to stdout, one a line, as soon as they exist; the field record goes to stderr.
#include "PtyBridge.h"

#include "field/file/FieldFile.h"
#include "support/lang/AddedMessages.h"
#include "support/text/Conversions.h"
#include "tools/cli/CliTexts.h"

#include <CLI/CLI.hpp>

#include <atomic>
#include <csignal>
#include <cstdio>

namespace {

std::atomic<bool> stopRequested{false};

void RequestStop(int)
{
    stopRequested = true;
}

}  // namespace

int main(int argc, char** argv)
{
    kv::UseConsoleLanguage({});
    CLI::App app(kv::Localize(kv::kMsgFieldAbout), "kvfield");
    const auto formatter = kv::SpeakLanguage(app);
    app.set_version_flag("--version", "kvfield " + kv::AppVersionText(),
                         kv::Localize(kv::kMsgFieldVersionHelp));
    std::string file;
    app.add_option("FILE", file, kv::Localize(kv::kMsgFieldFileHelp))->required();
    try {
        app.parse(argc, argv);
    } catch (const CLI::Success& success) {
        return app.exit(success);
    } catch (const CLI::ParseError& error) {
        std::fputs(kv::UsageErrorText("kvfield", kv::UsageReason(error), *formatter, app, "kvfield")
                       .c_str(),
                   stderr);
        return 2;
    }
    std::string problem;
    const auto field = kv::LoadField(file, problem);
    if (!field) {
        std::fprintf(stderr, "kvfield: %s\n", problem.c_str());
        return 1;
    }
    kv::TPtyBridge bridge(*field);
    if (!bridge.Open(problem)) {
        std::fprintf(stderr, "kvfield: %s\n", problem.c_str());
        return 1;
    }
    std::signal(SIGINT, RequestStop);
    std::signal(SIGTERM, RequestStop);
    for (const std::string& path : bridge.Paths())
        std::printf("%s\n", path.c_str());
    std::fflush(stdout);
    bridge.Run(stopRequested);
    return 0;
}
