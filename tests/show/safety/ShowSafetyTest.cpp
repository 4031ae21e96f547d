// The show's safety rules over random shows and random sequences of what an operator, the bus
// and the machine do, checked on what the simulated field recorded. A failing case shrinks and
// prints as a TSafetyCase initialiser: paste it into ShowSafetyCaseTest.cpp as a plain test.
#include "show/safety/SafetyCaseGen.h"

#include <gtest/gtest.h>
#include <rapidcheck/gtest.h>

namespace kvtest {
namespace {

RC_GTEST_PROP(ShowSafety, NothingFiresTwiceEarlyUnarmedOrAfterAStop, ())
{
    const TSafetyCase safetyCase = *GenSafetyCase();
    const std::string broken = RunSafetyCase(safetyCase);
    if (!broken.empty())
        RC_FAIL(broken);
}

}  // namespace
}  // namespace kvtest
