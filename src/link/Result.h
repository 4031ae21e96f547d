#pragma once
// What a bus operation or a device operation came to. Unscoped, so that results still compare
// and travel as ints (the black box stores them); [[nodiscard]] so that a result nobody looks
// at is a compiler warning: where one is dropped on purpose, Ignore says why.

#include <string>

namespace kv {

enum [[nodiscard]] TResult : int {
    kLinkOk = 0,
    kLinkNotConnected = -1,  // also a device error or a failed comparison
    kLinkWriteFailed = -2,   // write, echo or reply failure
    kLinkNoReply = -3,
    kResultNotSupported = -10,  // the firmware lacks the operation
    // A cue time the device memory cannot hold: the module is refused before anything is
    // written.
    kResultTimeOutsideMemory = -11,
    kResultMismatch = -100,  // the scenario in a module differs
    kResultAborted = -101,   // the operator cancelled
    // A channel outside the 512-entry tables: refused before any table or bus access.
    kResultBadChannel = kLinkNotConnected,
};

// The outcome in the operator's words; any other value at or above 0 is a success.
std::string ResultText(int result);

// A result dropped on purpose; why says what makes it safe.
constexpr void Ignore(TResult, const char* /*why*/) {}

}  // namespace kv
