#pragma once
// kvctl as a subprocess: its arguments, what it reads on stdin, and what it leaves.

#include <string>
#include <vector>

namespace kv::test {

struct TKvctlResult {
    int status = -1;  // exit status; -1 when it did not exit normally
    std::string out;
    std::string err;
};

// stdin: the text kvctl reads, then its end. interruptAfterMs >= 0: the operator's Ctrl+C
// then.
TKvctlResult RunKvctl(const std::vector<std::string>& args, const std::string& stdinText = {},
                      int interruptAfterMs = -1);
// The lines of a text, without their ends.
std::vector<std::string> Lines(const std::string& text);
std::string ReadWholeFile(const std::string& path);

}  // namespace kv::test
