#include "QtBenchMain.h"

#include "support/platform/QtPlatform.h"

#include <QCoreApplication>
#include <benchmark/benchmark.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace kv {

namespace {

// KV_BENCH_REAL_TIME=0: the show's real-time requests are refused, as for a user the system
// does not allow them, so that one build measures both. Either way the answers are told.
class TBenchPlatform : public TQtPlatform {
public:
    TBenchPlatform()
    {
        const char* realTime = std::getenv("KV_BENCH_REAL_TIME");
        refuse_ = realTime && std::strcmp(realTime, "0") == 0;
    }
    ~TBenchPlatform() override
    {
        std::fprintf(stderr, "real-time requests: %d granted, %d refused; memory locks: %d granted, %d refused\n",
                     granted_[0], refused_[0], granted_[1], refused_[1]);
    }
    int SetRealTime(int thread, int priority, bool on) override
    {
        return Count(0, on, on && refuse_ ? EPERM : TQtPlatform::SetRealTime(thread, priority, on));
    }
    int LockMemory(bool on) override
    {
        return Count(1, on, on && refuse_ ? EPERM : TQtPlatform::LockMemory(on));
    }

private:
    int Count(int kind, bool on, int error)
    {
        if (on)
            ++(error == 0 ? granted_ : refused_)[kind];
        return error;
    }

    bool refuse_ = false;
    int granted_[2] = {};
    int refused_[2] = {};
};

}  // namespace

int RunQtBenchmarks(int argc, char** argv, void (*release)())
{
    QCoreApplication app(argc, argv);
    TBenchPlatform platform;
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
