#pragma once
// Real time on Qt's event loop. Operator prompts go to stderr and are answered on stdin;
// the console overrides them with dialogs.

#include "support/platform/Platform.h"

#include <QThreadPool>

#include <atomic>
#include <mutex>
#include <random>
#include <thread>

namespace kv {

class TQtPlatform : public TPlatform {
public:
    // Construct on the main thread, after the QCoreApplication.
    TQtPlatform();

    uint32_t TickCount() override;
    void Sleep(uint32_t ms) override;
    std::unique_ptr<TTimer> CreateTimer(std::function<void()> onTimer) override;
    void RunOnMainThread(const std::function<void()>& call) override;
    bool IsMainThread() override;
    void ProcessMessages() override;

    TAnswer MessageBox(const std::string& text, const std::string& caption,
                       TButtons buttons) override;
    std::optional<std::string> InputBox(const std::string& caption, const std::string& prompt,
                                        const std::string& initial) override;
    std::optional<std::string> OpenFileName(const std::string& filter) override;
    std::optional<std::string> SaveFileName(const std::string& filter,
                                            const std::string& proposedName) override;
    bool PowerStatus(TPowerStatus& status) override;
    void DebugOutput(const std::string& line) override;
    uint32_t Random(uint32_t range) override;
    // On a thread of its own: a slow disk never holds up the show's clock.
    void SyncFile(const std::string& path, const std::function<void(int error)>& done) override;

    // Answer every Yes/No question with Yes without asking (kvctl --yes).
    bool assumeYes = false;

private:
    std::thread::id mainThread_;
    std::mutex randomMutex_;
    std::mt19937 random_;
    bool debugOutput_;
    std::atomic<int> syncsQueued_{0};
    QThreadPool syncThread_;  // after the count: its end waits for the sync it runs
};

// Milliseconds of the system's monotonic clock, truncated to 32 bits: the tick counter of the
// program, shared with the simulated field's record.
uint32_t MonotonicTick();

}  // namespace kv
