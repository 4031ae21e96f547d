#pragma once
// Benchmarks that run the engine on real time: a Qt event loop and the real platform services.

namespace kv {

// Runs the benchmarks chosen on the command line. `release`, when given, lets go of what they
// kept alive between runs while the platform is still installed.
int RunQtBenchmarks(int argc, char** argv, void (*release)() = nullptr);

}  // namespace kv
