#include "tools/kvctl/CtlArguments.h"

#include "show/CommonPlayer.h"
#include "support/Conversions.h"

#include <cstdlib>
#include <map>
#include <set>

namespace kv {

namespace {

constexpr int kHighestAddress = 255;

// Options and the commands that take them; global options go with every command.
const std::map<std::string, std::set<std::string>>& CommandOptions()
{
    static const std::map<std::string, std::set<std::string>> options = {
        {"frame", {}},
        {"scenario", {}},
        {"search", {"--addresses"}},
        {"show",
         {"--addresses", "--from", "--tempo", "--offset", "--control", "--soundtrack", "--trace",
          "--report", "--timecode", "--tc-zero", "--fps", "--tc-out"}},
        {"write", {"--addresses", "--remote"}},
        {"verify", {"--addresses", "--remote"}},
        {"erase", {"--addresses"}},
        {"blackbox", {"--addresses"}},
        {"test", {"--addresses", "--scenario"}},
        {"readdress", {"--addresses"}},
        {"report", {}},
        {"import", {"--out", "--format", "--rail-size", "--fps", "--partial"}},
        {"gonogo", {"--addresses", "--control", "--soundtrack"}},
    };
    return options;
}

const std::map<std::string, std::pair<size_t, size_t>>& PositionalCounts()
{
    static const std::map<std::string, std::pair<size_t, size_t>> counts = {
        {"frame", {6, 6}},  {"scenario", {1, 1}}, {"search", {0, 0}},   {"show", {1, 1}},
        {"write", {1, 1}},  {"verify", {1, 1}},   {"erase", {0, 0}},    {"blackbox", {1, 1}},
        {"test", {0, 256}}, {"readdress", {2, 2}}, {"report", {1, 1}},
        {"import", {1, 1}}, {"gonogo", {1, 1}},
    };
    return counts;
}

bool TakesValue(const std::string& option)
{
    return option != "--yes" && option != "--remote" && option != "--partial";
}

std::optional<int32_t> ParseInt32(const std::string& text)
{
    const auto value = ParseInteger(text, 32);
    if (!value)
        return std::nullopt;
    return static_cast<int32_t>(*value);
}

// Stores one option's value; false when the value is not one the option takes.
bool StoreOption(TCtlArguments& arguments, const std::string& option, const std::string& value)
{
    if (option == "--port")
        arguments.port = value;
    else if (option == "--settings")
        arguments.settings = value;
    else if (option == "--yes")
        arguments.yes = true;
    else if (option == "--remote")
        arguments.remote = true;
    else if (option == "--soundtrack")
        arguments.soundtrack = value;
    else if (option == "--trace")
        arguments.trace = value;
    else if (option == "--report")
        arguments.report = value;
    else if (option == "--scenario")
        arguments.scenario = value;
    else if (option == "--out")
        arguments.out = value;
    else if (option == "--partial")
        arguments.partial = true;
    else if (option == "--format") {
        arguments.format = ScriptFormatByName(value);
        if (!arguments.format)
            return false;
    } else if (option == "--timecode") {
        arguments.timecode = value;
    } else if (option == "--tc-out") {
        arguments.timecodeOut = value;
    } else if (option == "--tc-zero") {
        arguments.timecodeZero = ParseTimecode(value);
        if (!arguments.timecodeZero)
            return false;
    } else if (option == "--fps") {
        // The import's frame rate, or the show's timecode rate.
        arguments.timecodeRate = ParseTimecodeRate(value);
        arguments.fps = TextToReal(value);
        // An import's 29.97 labels count non-drop unless named drop-frame.
        arguments.dropFrame =
            arguments.timecodeRate == TTimecodeRate::Fps2997Drop && !(arguments.fps > 0);
        if (!arguments.timecodeRate && !(arguments.fps > 0 && arguments.fps <= 1000))
            return false;
    } else if (option == "--control") {
        if (value != "direct" && value != "autonomous")
            return false;
        arguments.autonomous = value == "autonomous";
    } else if (option == "--addresses") {
        const auto list = ParseAddressList(value);
        if (!list)
            return false;
        arguments.addresses = *list;
    } else {
        const auto number = ParseInt32(value);
        if (!number)
            return false;
        if (option == "--from")
            arguments.from = *number;
        else if (option == "--tempo") {
            if (*number < TCommonPlayer::kMinStartTempo || *number > TCommonPlayer::kMaxStartTempo)
                return false;
            arguments.tempo = *number;
        }
        else if (option == "--rail-size") {
            if (*number < 1 || *number > 512)
                return false;
            arguments.railSize = *number;
        }
        else if (std::abs(*number) <= TCommonPlayer::kMaxStartOffsetMs)
            arguments.offset = *number;
        else
            return false;
    }
    return true;
}

bool IsGlobal(const std::string& option)
{
    return option == "--port" || option == "--settings" || option == "--yes";
}

}  // namespace

std::optional<TCtlArguments> ParseCtlArguments(const std::vector<std::string>& args,
                                               std::string& problem)
{
    TCtlArguments arguments;
    arguments.addresses = SearchRoundAddresses();
    std::vector<std::pair<std::string, std::string>> options;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (!arg.starts_with("--") || arg.size() == 2) {
            if (arguments.command.empty())
                arguments.command = arg;
            else
                arguments.positional.push_back(arg);
            continue;
        }
        std::string name = arg;
        std::string value;
        const size_t equals = arg.find('=');
        if (equals != std::string::npos) {
            name = arg.substr(0, equals);
            value = arg.substr(equals + 1);
        } else if (TakesValue(arg)) {
            if (i + 1 >= args.size()) {
                problem = arg + " needs a value";
                return std::nullopt;
            }
            value = args[++i];
        }
        options.emplace_back(name, value);
    }
    const auto command = CommandOptions().find(arguments.command);
    if (command == CommandOptions().end()) {
        problem = arguments.command.empty() ? "no command" : "unknown command " + arguments.command;
        return std::nullopt;
    }
    for (const auto& [name, value] : options) {
        if (!IsGlobal(name) && !command->second.contains(name)) {
            problem = arguments.command + " does not take " + name;
            return std::nullopt;
        }
        if (!StoreOption(arguments, name, value)) {
            problem = "bad value for " + name + ": " + value;
            return std::nullopt;
        }
    }
    if (arguments.command == "import" && arguments.out.empty()) {
        problem = "import needs --out";
        return std::nullopt;
    }
    const auto [least, most] = PositionalCounts().at(arguments.command);
    if (arguments.positional.size() < least || arguments.positional.size() > most) {
        problem = "wrong number of arguments for " + arguments.command;
        return std::nullopt;
    }
    return arguments;
}

std::optional<int> ParseAddress(const std::string& text)
{
    if (text.empty() || text.find_first_not_of("0123456789") != std::string::npos ||
        text.size() > 3)
        return std::nullopt;
    const int value = std::stoi(text);
    if (value > kHighestAddress)
        return std::nullopt;
    return value;
}

std::optional<std::vector<int>> ParseAddressList(const std::string& text)
{
    std::vector<int> addresses;
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = text.find(',', start);
        if (end == std::string::npos)
            end = text.size();
        const std::string item = text.substr(start, end - start);
        const size_t dash = item.find('-');
        const auto first = ParseAddress(item.substr(0, dash));
        const auto last = dash == std::string::npos ? first : ParseAddress(item.substr(dash + 1));
        if (!first || !last || *last < *first)
            return std::nullopt;
        for (int address = *first; address <= *last; ++address)
            addresses.push_back(address);
        start = end + 1;
    }
    return addresses;
}

std::vector<int> SearchRoundAddresses()
{
    std::vector<int> addresses;
    for (int address = 240; address <= 255; ++address)
        addresses.push_back(address);
    for (int address = 0; address < 240; ++address)
        addresses.push_back(address);
    return addresses;
}

std::optional<uint8_t> ParseHexByte(const std::string& text)
{
    std::string digits = text;
    if (digits.starts_with("0x") || digits.starts_with("0X"))
        digits.erase(0, 2);
    if (digits.empty() || digits.size() > 2 ||
        digits.find_first_not_of("0123456789abcdefABCDEF") != std::string::npos)
        return std::nullopt;
    return static_cast<uint8_t>(std::stoi(digits, nullptr, 16));
}

std::string CtlUsage()
{
    return "usage: kvctl [--port auto|PATH[,PATH...]|sim:FILE] [--settings FILE] [--yes] "
           "COMMAND [ARGS...]\n"
           "  frame B0 B1 B2 B3 B4 B5\n"
           "  scenario FILE\n"
           "  search [--addresses LIST]\n"
           "  show FILE [--addresses LIST] [--from MS] [--tempo PERMILLE]\n"
           "       [--offset MS] [--control direct|autonomous] [--soundtrack AUDIO]\n"
           "       [--trace FILE] [--report CSV] [--timecode SOURCE [--tc-zero HH:MM:SS:FF]\n"
           "       [--fps auto|24|25|29.97df|30]] [--tc-out SINK|soundtrack]\n"
           "       (tempo 500-2000 per mille, 1000 = 100 %; offset at most 600000 ms either way)\n"
           "  write FILE [--remote] [--addresses LIST]\n"
           "  verify FILE [--remote] [--addresses LIST]\n"
           "  erase [--addresses LIST]\n"
           "  blackbox OUTFILE [--addresses LIST]\n"
           "  test [--addresses LIST] [--scenario FILE] [ADDR...]\n"
           "  readdress OLD NEW [--addresses LIST]\n"
           "  report CSV\n"
           "  import SCRIPT --out SCENARIO [--format interchange|rail|frames|plain]\n"
           "       [--rail-size N] [--fps F|29.97df] [--partial]\n"
           "  gonogo FILE [--control direct|autonomous] [--soundtrack AUDIO] [--addresses LIST]\n"
           "LIST: numbers and ranges, e.g. 0-20,240-255 (255: the station round); default "
           "240-254,255,0-239\n"
           "--trace lines: ms since the show command began, TAB, > sent or < received, TAB, "
           "six hex bytes\n"
           "--report: every cue of the show with the moment it went out, its lateness, the "
           "check after it, or why it was missed\n"
           "report: the figures of such a file: lateness median, 99th percentile and worst, "
           "shots early, missed cues by reason\n"
           "show --timecode: armed, the show starts when the timecode from the PulseAudio "
           "source reaches the start point and follows it; the [timecode] settings give "
           "the rest\n"
           "show --tc-out: the show clock sent as timecode to the PulseAudio sink, or the right "
           "channel of the soundtrack's, at the [timecode] OutputRate and OutputZero\n"
           "test --scenario: then the channels the scenario fires that will not fire, per module; "
           "status 1 when there are any\n"
           "import: a design program's show script into a scenario; each refused row on stderr as "
           "\"line N: reason\"; status 1 and nothing written when a row is refused, unless "
           "--partial. --rail-size: channels of a rail, needed for rails past the first; --fps: "
           "the frame rate of the frames layout (29.97 labels count non-drop, 29.97df "
           "drop-frame). plain: times in seconds, H:MM:SS.xx, or whole milliseconds when the "
           "column's name ends in ms\n"
           "gonogo: the search, a channel test of the modules the scenario fires and, in "
           "autonomous control, a verify of every module's memory; then what stands in the "
           "show's way, worst first, each line with what to do. Status 0: go (\"Внимание\" "
           "lines are the operator's decision), 1: a \"СТОП\" line\n";
}

}  // namespace kv
