// Widget tests: a QApplication on the offscreen platform and the console platform, with the
// power status and the operator's answers under the test's control.
#include "ConsoleTestPlatform.h"

#include <QApplication>
#include <gtest/gtest.h>

namespace kv {

TConsoleTestPlatform& TestPlatform()
{
    static TConsoleTestPlatform platform;
    return platform;
}

}  // namespace kv

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    kv::InstallPlatform(&kv::TestPlatform());
    ::testing::InitGoogleTest(&argc, argv);
    const int result = RUN_ALL_TESTS();
    kv::InstallPlatform(nullptr);
    return result;
}
