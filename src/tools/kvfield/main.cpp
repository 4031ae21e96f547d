// kvfield FILE: the simulated field on pseudo-terminals, one per converter. The terminal
// paths go to stdout, one a line, as soon as they exist; the field record goes to stderr.
#include "PtyBridge.h"

#include "field/FieldFile.h"

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
    if (argc != 2) {
        std::fprintf(stderr, "usage: kvfield FILE\n");
        return 2;
    }
    std::string problem;
    const auto field = kv::LoadField(argv[1], problem);
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
