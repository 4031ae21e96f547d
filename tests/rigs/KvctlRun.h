#pragma once
// kvctl as a subprocess: its arguments, what it reads on stdin, and what it leaves.

#include <csignal>
#include <string>
#include <utility>
#include <vector>

namespace kv::test {

struct TKvctlResult {
    int status = -1;  // exit status; -1 when it did not exit normally
    std::string out;
    std::string err;
};

struct TKvctlCall {
    TKvctlCall(std::vector<std::string> arguments, std::string input = {},
               std::string interruptOn = {}, int interruptWith = SIGINT)
        : args(std::move(arguments)), stdinText(std::move(input)),
          interruptOnOutput(std::move(interruptOn)), interruptSignal(interruptWith)
    {
    }
    std::vector<std::string> args;
    std::string stdinText;  // what kvctl reads, then its end
    // Not empty: the operator's Ctrl+C once stdout or stderr shows this text, as an operator
    // who watches the output would press it, however slow the machine.
    std::string interruptOnOutput;
    // Not empty: a second one, once the output shows this text after the first.
    std::string interruptAgainOnOutput;
    // Ctrl+C, or the end a closed terminal (SIGHUP) or a kill (SIGTERM) brings.
    int interruptSignal;
    // Not negative: the signal this long after the start instead, while kvctl shows nothing.
    int interruptAfterMs = -1;
    // Not negative: SIGCONT this long after the signal, as fg after Ctrl+Z.
    int continueAfterMs = -1;
};

TKvctlResult RunKvctl(const std::vector<std::string>& args, const std::string& stdinText = {});
// The calls run side by side, each on a field of its own: their time is the bus's, not the
// CPU's. The results come in the calls' order.
std::vector<TKvctlResult> RunKvctlTogether(const std::vector<TKvctlCall>& calls);
// A folder of this test process's own, with "/" at its end: the same test run from another
// build at the same time writes its files elsewhere. Removed at exit.
std::string ScratchFolder();
// The lines of a text, without their ends.
std::vector<std::string> Lines(const std::string& text);
std::string ReadWholeFile(const std::string& path);

}  // namespace kv::test
