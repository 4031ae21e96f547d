#pragma once
// kvfield served in a child process, for the tests that talk to it over its terminals.

#include <csignal>
#include <cstdio>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace kv {

inline std::string ReadLine(int fd)
{
    std::string line;
    char c = 0;
    while (read(fd, &c, 1) == 1 && c != '\n')
        line += c;
    return line;
}

// Runs `program file` and reads the paths of its `converters` terminals (an empty path where
// it printed fewer). Without keepRecord its field record goes to /dev/null, so a long test
// cannot fill the pipe and stall it.
class TKvfieldProcess {
public:
    TKvfieldProcess(const char* program, const std::string& file, int converters,
                    bool keepRecord)
    {
        int out[2];
        int record[2];
        if (pipe(out) != 0 || pipe(record) != 0)
            return;
        pid_ = fork();
        if (pid_ == 0) {
            dup2(out[1], 1);
            if (keepRecord)
                dup2(record[1], 2);
            else if (!freopen("/dev/null", "w", stderr))
                _exit(127);
            close(out[0]);
            close(record[0]);
            execl(program, "kvfield", file.c_str(), static_cast<char*>(nullptr));
            _exit(127);
        }
        close(out[1]);
        close(record[1]);
        out_ = out[0];
        err = record[0];
        for (int i = 0; i < converters; ++i)
            paths.push_back(ReadLine(out_));
    }
    ~TKvfieldProcess()
    {
        if (pid_ > 0 && !stopped_)
            Stop();
        close(out_);
        close(err);
    }
    TKvfieldProcess(const TKvfieldProcess&) = delete;
    TKvfieldProcess& operator=(const TKvfieldProcess&) = delete;

    // Stops it (SIGTERM) and gives its wait status.
    int Stop()
    {
        stopped_ = true;
        kill(pid_, SIGTERM);
        int status = 0;
        waitpid(pid_, &status, 0);
        return status;
    }

    pid_t Pid() const { return pid_; }

    std::vector<std::string> paths;  // one terminal per converter, in converter order
    int err = -1;                    // its field record, with keepRecord

private:
    pid_t pid_ = -1;
    int out_ = -1;
    bool stopped_ = false;
};

}  // namespace kv
