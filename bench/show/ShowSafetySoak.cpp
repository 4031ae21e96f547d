// Soak of the show's safety rules: random safety cases for the given number of seconds (60
// without an argument), in batches of fresh seeds. Prints the cases per second and stops at
// the first counterexample, shrunk and printed as a TSafetyCase initialiser.
#include "show/safety/SafetyCaseGen.h"

#include <chrono>
#include <cstdlib>
#include <iostream>
#include <random>

int main(int argc, char** argv)
{
    const double seconds = argc > 1 ? std::atof(argv[1]) : 60.0;
    constexpr int kBatch = 50;
    using TClock = std::chrono::steady_clock;
    const TClock::time_point begin = TClock::now();
    std::random_device entropy;
    long cases = 0;
    int batches = 0;
    bool held = true;
    while (held && std::chrono::duration<double>(TClock::now() - begin).count() < seconds) {
        rc::detail::TestParams params;
        params.seed = (uint64_t{entropy()} << 32) | entropy();
        params.maxSuccess = kBatch;
        rc::detail::TestMetadata metadata;
        metadata.id = "soak";
        const rc::detail::TestResult result = rc::detail::checkTestable(
            [&cases] {
                ++cases;
                const kvtest::TSafetyCase safetyCase = *kvtest::GenSafetyCase();
                const std::string broken = kvtest::RunSafetyCase(safetyCase);
                if (!broken.empty())
                    RC_FAIL(broken);
            },
            metadata, params);
        held = result.is<rc::detail::SuccessResult>();
        if (!held) {
            std::cout << "seed " << params.seed << "\n";
            rc::detail::printResultMessage(result, std::cout);
            std::cout << "\n";
        }
        ++batches;
    }
    const double elapsed = std::chrono::duration<double>(TClock::now() - begin).count();
    std::cout << cases << " cases (shrinking included) in " << elapsed << " s: "
              << cases / elapsed << " cases/s, " << (held ? "no counterexample" : "a counterexample")
              << "\n";
    return held ? 0 : 1;
}
