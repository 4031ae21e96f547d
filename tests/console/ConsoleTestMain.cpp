// Widget tests: a QApplication on the offscreen platform and the console platform, with the
// power status and the operator's answers under the test's control.
#include "rigs/console/ConsoleTestPlatform.h"
#include "rigs/console/ModalDriver.h"

#include <QApplication>
#include <gtest/gtest.h>

#include <cstdlib>

namespace kv {

TConsoleTestPlatform& TestPlatform()
{
    static TConsoleTestPlatform platform;
    return platform;
}

namespace {

class TModalActionsDropper : public ::testing::EmptyTestEventListener {
    void OnTestEnd(const ::testing::TestInfo&) override { DropModalActions(); }
};

}  // namespace

}  // namespace kv

int main(int argc, char** argv)
{
    // The windows' texts are asserted in Russian, whatever language the machine speaks.
    setenv("LC_ALL", "C.UTF-8", 1);
    QApplication app(argc, argv);
    kv::InstallPlatform(&kv::TestPlatform());
    ::testing::InitGoogleTest(&argc, argv);
    ::testing::UnitTest::GetInstance()->listeners().Append(new kv::TModalActionsDropper);
    const int result = RUN_ALL_TESTS();
    kv::InstallPlatform(nullptr);
    return result;
}
