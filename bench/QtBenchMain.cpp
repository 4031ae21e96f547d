#include "QtBenchMain.h"

#include "support/QtPlatform.h"

#include <QCoreApplication>
#include <benchmark/benchmark.h>

namespace kv {

int RunQtBenchmarks(int argc, char** argv, void (*release)())
{
    QCoreApplication app(argc, argv);
    TQtPlatform platform;
    InstallPlatform(&platform);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    if (release)
        release();
    InstallPlatform(nullptr);
    return 0;
}

}  // namespace kv
