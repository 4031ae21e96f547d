#include "KvctlRun.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <fstream>
#include <sstream>

namespace kv::test {

TKvctlResult RunKvctl(const std::vector<std::string>& args, const std::string& stdinText,
                      int interruptAfterMs)
{
    int in[2];
    int out[2];
    int err[2];
    TKvctlResult result;
    if (pipe(in) != 0 || pipe(out) != 0 || pipe(err) != 0)
        return result;
    const pid_t child = fork();
    if (child == 0) {
        dup2(in[0], 0);
        dup2(out[1], 1);
        dup2(err[1], 2);
        for (const int fd : {in[0], in[1], out[0], out[1], err[0], err[1]})
            close(fd);
        std::vector<char*> argv{const_cast<char*>("kvctl")};
        for (const std::string& arg : args)
            argv.push_back(const_cast<char*>(arg.c_str()));
        argv.push_back(nullptr);
        execv(KVCTL_PATH, argv.data());
        _exit(127);
    }
    close(in[0]);
    close(out[1]);
    close(err[1]);
    if (!stdinText.empty())
        (void)!write(in[1], stdinText.data(), stdinText.size());
    close(in[1]);
    pollfd fds[2] = {{out[0], POLLIN, 0}, {err[0], POLLIN, 0}};
    std::string* sinks[2] = {&result.out, &result.err};
    int open = 2;
    const auto start = std::chrono::steady_clock::now();
    bool interrupted = interruptAfterMs < 0;
    while (open > 0) {
        const int ready = poll(fds, 2, interrupted ? -1 : 10);
        if (!interrupted && std::chrono::steady_clock::now() - start >=
                                std::chrono::milliseconds(interruptAfterMs)) {
            kill(child, SIGINT);
            interrupted = true;
        }
        if (ready <= 0)
            continue;
        for (int i = 0; i < 2; ++i) {
            if (fds[i].fd < 0 || !(fds[i].revents & (POLLIN | POLLHUP)))
                continue;
            char buffer[4096];
            const ssize_t n = read(fds[i].fd, buffer, sizeof buffer);
            if (n > 0) {
                sinks[i]->append(buffer, static_cast<size_t>(n));
            } else {
                close(fds[i].fd);
                fds[i].fd = -1;
                --open;
            }
        }
    }
    int status = 0;
    waitpid(child, &status, 0);
    if (WIFEXITED(status))
        result.status = WEXITSTATUS(status);
    return result;
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
