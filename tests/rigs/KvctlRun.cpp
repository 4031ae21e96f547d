#include "rigs/KvctlRun.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace kv::test {

namespace {

struct TChild {
    pid_t pid = -1;
    int out = -1;
    int err = -1;
    std::string interruptOn;
    std::string interruptAgainOn;
    int interruptSignal = SIGINT;
    std::chrono::steady_clock::time_point interruptAt = std::chrono::steady_clock::time_point::max();
    int continueAfterMs = -1;
    std::chrono::steady_clock::time_point continueAt = std::chrono::steady_clock::time_point::max();
};

void Signal(TChild& child)
{
    kill(child.pid, child.interruptSignal);
    if (child.continueAfterMs >= 0)
        child.continueAt =
            std::chrono::steady_clock::now() + std::chrono::milliseconds(child.continueAfterMs);
}

// Every pipe end is close-on-exec, so a child holds none of its siblings' pipes open.
TChild Launch(const TKvctlCall& call)
{
    int in[2];
    int out[2];
    int err[2];
    TChild child;
    if (pipe2(in, O_CLOEXEC) != 0 || pipe2(out, O_CLOEXEC) != 0 || pipe2(err, O_CLOEXEC) != 0)
        return child;
    child.pid = fork();
    if (child.pid == 0) {
        dup2(in[0], 0);
        dup2(out[1], 1);
        dup2(err[1], 2);
        std::vector<char*> argv{const_cast<char*>("kvctl")};
        for (const std::string& arg : call.args)
            argv.push_back(const_cast<char*>(arg.c_str()));
        argv.push_back(nullptr);
        execv(KVCTL_PATH, argv.data());
        _exit(127);
    }
    close(in[0]);
    close(out[1]);
    close(err[1]);
    if (!call.stdinText.empty())
        (void)!write(in[1], call.stdinText.data(), call.stdinText.size());
    close(in[1]);
    child.out = out[0];
    child.err = err[0];
    child.interruptOn = call.interruptOnOutput;
    child.interruptAgainOn = call.interruptAgainOnOutput;
    child.interruptSignal = call.interruptSignal;
    child.continueAfterMs = call.continueAfterMs;
    if (call.interruptAfterMs >= 0)
        child.interruptAt =
            std::chrono::steady_clock::now() + std::chrono::milliseconds(call.interruptAfterMs);
    return child;
}

void Interrupt(TChild& child, const std::string& output)
{
    if (child.pid <= 0 || child.interruptOn.empty() ||
        output.find(child.interruptOn) == std::string::npos)
        return;
    Signal(child);
    child.interruptOn = std::move(child.interruptAgainOn);
    child.interruptAgainOn.clear();
}

// The timed signals and SIGCONTs that are due; how long until the next, for poll (-1: none).
int InterruptByTime(std::vector<TChild>& children)
{
    using namespace std::chrono;
    const auto now = steady_clock::now();
    auto next = steady_clock::time_point::max();
    for (TChild& child : children) {
        if (child.pid > 0 && child.interruptAt <= now) {
            Signal(child);
            child.interruptAt = steady_clock::time_point::max();
        }
        if (child.pid > 0 && child.continueAt <= now) {
            kill(child.pid, SIGCONT);
            child.continueAt = steady_clock::time_point::max();
        }
        next = std::min({next, child.interruptAt, child.continueAt});
    }
    if (next == steady_clock::time_point::max())
        return -1;
    return static_cast<int>(duration_cast<milliseconds>(next - now).count()) + 1;
}

// Whether the system grants a show real-time priority and locked memory depends on the
// account the tests run under, not on kvctl; the requests are tested on virtual time.
void DropRealTimeRefusals(std::string& text)
{
    static const char* const kRefusals[] = {
        "Приоритет реального времени не разрешён системой",
        "Закрепление памяти в ОЗУ не разрешено системой",
    };
    std::string kept;
    std::istringstream stream(text);
    for (std::string line; std::getline(stream, line);) {
        const bool refusal = std::any_of(std::begin(kRefusals), std::end(kRefusals),
                                         [&line](const char* r) { return line.rfind(r, 0) == 0; });
        if (!refusal)
            kept += line + '\n';
    }
    if (!text.empty() && text.back() != '\n' && !kept.empty())
        kept.pop_back();
    text = std::move(kept);
}

}  // namespace

std::vector<TKvctlResult> RunKvctlTogether(const std::vector<TKvctlCall>& calls)
{
    std::vector<TKvctlResult> results(calls.size());
    std::vector<TChild> children;
    for (const TKvctlCall& call : calls)
        children.push_back(Launch(call));
    std::vector<pollfd> fds;
    std::vector<size_t> owners;  // the child of each pipe
    for (size_t i = 0; i < children.size(); ++i) {
        if (children[i].pid <= 0)
            continue;
        fds.push_back({children[i].out, POLLIN, 0});
        fds.push_back({children[i].err, POLLIN, 0});
        owners.insert(owners.end(), {i, i});
    }
    size_t open = fds.size();
    while (open > 0) {
        if (poll(fds.data(), fds.size(), InterruptByTime(children)) <= 0)
            continue;
        for (size_t i = 0; i < fds.size(); ++i) {
            if (fds[i].fd < 0 || !(fds[i].revents & (POLLIN | POLLHUP)))
                continue;
            TKvctlResult& result = results[owners[i]];
            std::string& sink = i % 2 == 0 ? result.out : result.err;
            char buffer[4096];
            const ssize_t n = read(fds[i].fd, buffer, sizeof buffer);
            if (n > 0) {
                sink.append(buffer, static_cast<size_t>(n));
                Interrupt(children[owners[i]], sink);
            } else {
                close(fds[i].fd);
                fds[i].fd = -1;
                --open;
            }
        }
    }
    for (size_t i = 0; i < children.size(); ++i) {
        if (children[i].pid <= 0)
            continue;
        int status = 0;
        waitpid(children[i].pid, &status, 0);
        if (WIFEXITED(status))
            results[i].status = WEXITSTATUS(status);
        DropRealTimeRefusals(results[i].out);
        DropRealTimeRefusals(results[i].err);
    }
    return results;
}

TKvctlResult RunKvctl(const std::vector<std::string>& args, const std::string& stdinText)
{
    return RunKvctlTogether({{args, stdinText}}).front();
}

std::string ScratchFolder()
{
    struct TFolder {
        TFolder()
        {
            std::string pattern =
                (std::filesystem::temp_directory_path() / "kvctl-test-XXXXXX").string();
            if (mkdtemp(pattern.data()))
                path = pattern + "/";
        }
        ~TFolder()
        {
            std::error_code error;
            if (!path.empty())
                std::filesystem::remove_all(path, error);
        }
        std::string path;
    };
    static const TFolder folder;
    return folder.path;
}

std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream stream(text);
    for (std::string line; std::getline(stream, line);)
        lines.push_back(line);
    return lines;
}

std::string ReadWholeFile(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << file.rdbuf();
    return bytes.str();
}

}  // namespace kv::test
