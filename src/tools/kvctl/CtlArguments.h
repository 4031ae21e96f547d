#pragma once
// kvctl's command line: global options, the command and its arguments and options.

#include "show/import/ScriptFormat.h"
#include "show/scenario/Timecode.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace kv {

// The exit statuses scripts rely on.
inline constexpr int kExitDone = 0;     // done, or go
inline constexpr int kExitFailed = 1;   // the operation failed, no-go, a bad input file
inline constexpr int kExitUsage = 2;    // the command line is wrong
inline constexpr int kExitNoField = 3;  // no converter opened or found, or every one lost

struct TCtlArguments {
    std::string port = "auto";
    std::string settings;  // empty: beside the program, else the user's (FindFilePlaces)
    bool yes = false;
    std::string command;
    std::vector<int> addresses;  // the probe order
    std::string scenario;        // the scenario file a command reads
    std::string input;           // report: the CSV; import: the script
    std::string out;             // the file a command writes
    std::string package;         // the show package the scenario came from
    std::vector<int> frameBytes;  // frame: the six bytes given
    std::vector<int> modules;  // test: the modules tested, all when empty
    int oldAddress = 0;        // readdress
    int address = 0;           // hv: the module
    std::optional<int> energy;  // hv: the charge energy setting written
    bool testMode = false;      // mode: test mode, or fire mode
    std::vector<std::string> lockedPositions;  // show: positions whose cues are passed over
    std::string newAddress;    // readdress: as typed, checked as the console checks it
    int32_t from = 0;
    // Unset: a package's, else 1000 and 0.
    std::optional<int32_t> tempo;
    std::optional<int32_t> offset;
    bool autonomous = false;
    bool remote = false;
    std::string soundtrack;
    std::string trace;
    std::string report;  // the show's firing report, CSV
    std::optional<TScriptFormat> format;
    int32_t railSize = 0;
    double fps = 0;
    bool dropFrame = false;  // import: the frames' labels are 29.97 drop-frame
    // show: the timecode's source, the label of show time 0 and the rate.
    std::string timecode;
    std::optional<TTimecodeLabel> timecodeZero;
    std::optional<TTimecodeRate> timecodeRate;
    // show: the sink the show clock is sent to as timecode ("soundtrack": the right channel
    // of the soundtrack's), its rate and the label of show time 0.
    std::string timecodeOut;
    std::optional<TTimecodeRate> timecodeOutRate;
    std::optional<TTimecodeLabel> timecodeOutZero;
    // standby: the primary's station number (0: the one heard starting a show) and the
    // silence after which its show is taken over.
    int primaryId = 0;
    uint32_t takeoverMs = 300;
    bool partial = false;
    bool json = false;  // one object on stdout for scripts, not the lines for people
};

// What the command line asks: the arguments, or the status to exit with after the text
// (help or version on stdout, a usage error on stderr).
struct TCtlCommandLine {
    std::optional<TCtlArguments> arguments;
    int status = kExitDone;
    std::string out;
    std::string err;
};

TCtlCommandLine ParseCtlCommandLine(const std::vector<std::string>& args);
// "0-20,240-255": numbers and ranges 0-255, in the order given; nullopt when malformed.
std::optional<std::vector<int>> ParseAddressList(const std::string& text);
// One full search round in the search's own order: 240-254, 255, 0-239.
std::vector<int> SearchRoundAddresses();
// A bus address 0-255, decimal.
std::optional<int> ParseAddress(const std::string& text);
// A byte in hexadecimal, "0x" optional.
std::optional<uint8_t> ParseHexByte(const std::string& text);
// The settings file this run reads.
std::string CtlSettingsFile(const TCtlArguments& arguments);

}  // namespace kv
