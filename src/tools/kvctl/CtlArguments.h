#pragma once
// kvctl's command line: global options, the command and its arguments and options.

#include "show/ScriptFormat.h"
#include "show/Timecode.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace kv {

struct TCtlArguments {
    std::string port = "auto";
    std::string settings;  // empty: kvshow.ini beside the program
    bool yes = false;
    std::string command;
    std::vector<std::string> positional;  // after the command
    std::vector<int> addresses;           // the probe order
    int32_t from = 0;
    int32_t tempo = 1000;
    int32_t offset = 0;
    bool autonomous = false;
    bool remote = false;
    std::string soundtrack;
    std::string trace;
    std::string report;    // the show's firing report, CSV
    std::string scenario;  // test: the continuity report against it
    std::string out;       // import: the scenario file written
    std::optional<TScriptFormat> format;
    int32_t railSize = 0;
    double fps = 0;
    bool dropFrame = false;  // import: the frames' labels are 29.97 drop-frame
    // show: the timecode's source, the label of show time 0 and the rate.
    std::string timecode;
    std::optional<TTimecodeLabel> timecodeZero;
    std::optional<TTimecodeRate> timecodeRate;
    // show: the sink the show clock is sent to as timecode ("soundtrack": the right channel
    // of the soundtrack's).
    std::string timecodeOut;
    bool partial = false;
};

// nullopt for a usage error, with the reason.
std::optional<TCtlArguments> ParseCtlArguments(const std::vector<std::string>& args,
                                               std::string& problem);
// "0-20,240-255": numbers and ranges 0-255, in the order given; nullopt when malformed.
std::optional<std::vector<int>> ParseAddressList(const std::string& text);
// One full search round in the search's own order: 240-254, 255, 0-239.
std::vector<int> SearchRoundAddresses();
// A bus address 0-255, decimal.
std::optional<int> ParseAddress(const std::string& text);
// A byte in hexadecimal, "0x" optional.
std::optional<uint8_t> ParseHexByte(const std::string& text);
std::string CtlUsage();

}  // namespace kv
