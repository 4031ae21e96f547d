// Tests on real time: a Qt event loop and the real platform services.
#include "support/platform/QtPlatform.h"

#include <QCoreApplication>
#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    kv::TQtPlatform platform;
    kv::InstallPlatform(&platform);
    ::testing::InitGoogleTest(&argc, argv);
    const int result = RUN_ALL_TESTS();
    kv::InstallPlatform(nullptr);
    return result;
}
