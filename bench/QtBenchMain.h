#pragma once
// Benchmarks that run the engine on real time: a Qt event loop and the real platform services
// (KV_BENCH_REAL_TIME=0: with the show's real-time requests refused).

namespace kv {

// Runs the benchmarks chosen on the command line. `release`, when given, lets go of what they
// kept alive between runs while the platform is still installed.
int RunQtBenchmarks(int argc, char** argv, void (*release)() = nullptr);

}  // namespace kv
