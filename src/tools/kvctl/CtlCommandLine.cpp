// kvctl's command line, each option declared once with its help, its range and its aliases.
#include "tools/kvctl/CtlArguments.h"
#include "tools/kvctl/CtlHelp.h"

#include "show/CommonPlayer.h"
#include "support/Conversions.h"

#include <CLI/CLI.hpp>

#include <cmath>
#include <limits>

namespace kv {

namespace {

using TTransform = std::function<std::string(std::string&)>;

// Decimal only: CLI11 itself would read "010" as octal.
std::optional<int64_t> ParseDecimal(const std::string& text)
{
    const size_t digits = text.starts_with('-') ? 1 : 0;
    if (text.size() == digits || text.find_first_not_of("0123456789", digits) != std::string::npos)
        return std::nullopt;
    return ParseInteger(text, 32);
}

std::string RangeText(int64_t least, int64_t most)
{
    return std::to_string(least) + " to " + std::to_string(most);
}

// A whole number within the range, handed on in plain decimal.
CLI::Validator WholeIn(int64_t least, int64_t most)
{
    return CLI::Validator(
        [least, most](std::string& text) -> std::string {
            const auto value = ParseDecimal(text);
            if (!value)
                return "not a whole number: " + text;
            if (*value < least || *value > most)
                return text + " is outside " + RangeText(least, most);
            text = std::to_string(*value);
            return {};
        },
        RangeText(least, most));
}

// Per mille, or per cent with a "%" ("95%", "99.5%").
CLI::Validator Tempo()
{
    const std::string range = RangeText(TCommonPlayer::kMinStartTempo,
                                        TCommonPlayer::kMaxStartTempo) +
                              " per mille, or " +
                              std::to_string(TCommonPlayer::kMinStartTempo / 10) + "% to " +
                              std::to_string(TCommonPlayer::kMaxStartTempo / 10) + "%";
    return CLI::Validator(
        [range](std::string& text) -> std::string {
            std::optional<int64_t> permille;
            if (text.ends_with('%')) {
                const std::string number = text.substr(0, text.size() - 1);
                const double percent = TextToReal(number);
                const double tenths = percent * 10;
                if (percent > 0 && std::abs(tenths - std::round(tenths)) < 1e-6)
                    permille = std::llround(tenths);
            } else {
                permille = ParseDecimal(text);
            }
            if (!permille)
                return "not a tempo: " + text;
            if (*permille < TCommonPlayer::kMinStartTempo ||
                *permille > TCommonPlayer::kMaxStartTempo)
                return text + " is outside " + range;
            text = std::to_string(*permille);
            return {};
        },
        range);
}

// Handed on in plain decimal: CLI11 itself would read "010" as octal.
CLI::Validator Address()
{
    return CLI::Validator(
        [](std::string& text) -> std::string {
            const auto address = ParseAddress(text);
            if (!address)
                return "not a bus address (0 to 255): " + text;
            text = std::to_string(*address);
            return {};
        },
        "0 to 255");
}

CLI::Validator HexByte()
{
    return CLI::Validator(
        [](std::string& text) -> std::string {
            const auto byte = ParseHexByte(text);
            if (!byte)
                return "not a hex byte: " + text;
            text = std::to_string(*byte);
            return {};
        },
        "");
}

CLI::Validator Parsed(std::function<bool(const std::string&)> parses, const std::string& what)
{
    return CLI::Validator(
        [parses, what](std::string& text) -> std::string {
            return parses(text) ? std::string() : "not " + what + ": " + text;
        },
        "");
}

class TDeclarations {
public:
    TDeclarations(CLI::App& app, TCtlArguments& arguments) : app_(app), a_(arguments) {}

    void Global()
    {
        app_.add_option("--port", a_.port,
                        "auto: every USB-serial converter found; PATH[,PATH...]: these devices, "
                        "in this order; sim:FILE: the simulated field FILE describes")
            ->capture_default_str();
        app_.add_option("--settings", a_.settings,
                        "the settings file read (default: kvshow.ini beside the program)");
        app_.add_flag("--yes", a_.yes, "answer every question yes");
    }

    void NoBus()
    {
        auto* frame = Command("frame", "the seven wire bytes of a frame: the six given and the "
                                       "check byte");
        frame->add_option("BYTE", a_.frameBytes, "six bytes in hexadecimal, 0x optional")
            ->required()
            ->expected(6)
            ->transform(HexByte());
        auto* scenario = Command("scenario", "a scenario's cues, one a line, sorted by time");
        ScenarioFile(*scenario);
        Json(*scenario);
        auto* report = Command("report", "the figures of a firing report: lateness, shots "
                                         "early, missed cues by reason");
        report->add_option("CSV", a_.input, "the firing report a show wrote")->required();
        Json(*report);
        Import();
        auto* log = Command("log", "a run log, printed in UTF-8");
        log->add_option("FILE", a_.input, "the run log")->required();
    }

    void OnBus()
    {
        auto* search = Command("search", "the devices found, one a line, in address order");
        Addresses(*search);
        Json(*search);
        Show();
        Pack();
        for (const auto& [name, help] :
             {std::pair{"write", "write the scenario into the modules' memory (F8)"},
              std::pair{"verify", "compare the modules' memory with the scenario (F9)"}}) {
            auto* memory = Command(name, help);
            ScenarioFile(*memory);
            memory->add_flag("--remote", a_.remote,
                             "the remote controller's memory (Shift+F8, Shift+F9)");
            Addresses(*memory);
        }
        Addresses(*Command("erase", "erase the scenario in every module (Ctrl+F8)"));
        auto* blackbox = Command("blackbox", "read every module's black box (Ctrl+F9)");
        blackbox->add_option("FILE,--out", a_.out, "the file written, .DAT added")->required();
        Addresses(*blackbox);
        Test();
        auto* readdress = Command("readdress", "give the firing module at OLD the address NEW");
        readdress->add_option("OLD", a_.oldAddress, "its address now")
            ->required()
            ->transform(Address());
        readdress->add_option("NEW", a_.newAddress, "its new address, 1 to 239")->required();
        Addresses(*readdress);
        GoNoGo();
        auto* mode = Command("mode", "every firing module found to fire mode (F12) or test "
                                     "mode (F11)");
        mode->add_option_function<std::string>(
                "MODE", [this](const std::string& text) { a_.testMode = text == "test"; },
                "fire or test")
            ->required()
            ->check(CLI::IsMember({"fire", "test"}));
        Addresses(*mode);
        auto* hv = Command("hv", "read a high-voltage module's charge energy setting, or set it");
        hv->add_option("ADDR", a_.address, "the module")->required()->transform(Address());
        hv->add_option("--energy", a_.energy, "the setting written, then read back")
            ->type_name("N")
            ->transform(WholeIn(0, 255));
        Addresses(*hv);
    }

    void Help()
    {
        auto* help = Command("help", "this help, or a command's");
        help->add_option("COMMAND", helpTopic, "the command");
    }

    std::string helpTopic;

private:
    CLI::App* Command(const std::string& name, const std::string& help)
    {
        CLI::App* command = app_.add_subcommand(name, help);
        command->group("Commands");
        return command;
    }

    void ScenarioFile(CLI::App& command)
    {
        command.add_option("FILE,--scenario", a_.scenario, "the scenario file, or a show package (.kvshow)")
            ->required();
    }

    void Addresses(CLI::App& command)
    {
        command
            .add_option_function<std::string>(
                "--addresses", [this](const std::string& text) { a_.addresses = *ParseAddressList(text); },
                "bus addresses and ranges, probed in this order (default: one search round, "
                "240-254,255,0-239)")
            ->type_name("LIST")
            ->check(Parsed([](const std::string& text) { return ParseAddressList(text).has_value(); },
                           "a list of addresses and ranges 0 to 255, as 0-20,240-255"));
    }

    void Control(CLI::App& command)
    {
        command
            .add_option_function<std::string>(
                "--control", [this](const std::string& text) { a_.autonomous = text == "autonomous"; },
                "direct: the console fires each cue; autonomous: the modules fire from their "
                "memory")
            ->check(CLI::IsMember({"direct", "autonomous"}));
    }

    void Json(CLI::App& command)
    {
        command.add_flag("--json", a_.json, "print one JSON object for scripts (docs/kvctl.md)");
    }

    void TempoAndOffset(CLI::App& command)
    {
        command.add_option("--tempo", a_.tempo, "the tempo: per mille (1000 = 100 %) or per cent "
                                                "with % (default: the package's, else 1000)")
            ->type_name("PERMILLE|PERCENT%")
            ->transform(Tempo());
        command.add_option("--offset", a_.offset, "the offset, ms (default: the package's, else 0)")
            ->type_name("MS")
            ->transform(WholeIn(-TCommonPlayer::kMaxStartOffsetMs, TCommonPlayer::kMaxStartOffsetMs));
    }

    void Lock(CLI::App& command)
    {
        command.add_option("--lock", a_.lockedPositions,
                           "positions locked out: their cues are passed over (Ctrl+L)")
            ->type_name("POSITION...");
    }

    void Pack()
    {
        auto* pack = Command("pack", "a show package: the scenario, its soundtrack and the "
                                     "show's settings in one .kvshow file, each part checksummed");
        pack->add_option("SCENARIO", a_.scenario, "the scenario file")->required();
        Soundtrack(*pack);
        pack->add_option("--out", a_.out, "the package written")
            ->required()
            ->type_name("SHOW.kvshow");
        TempoAndOffset(*pack);
        Lock(*pack);
        TimecodeIn(*pack);
    }

    void Soundtrack(CLI::App& command)
    {
        command.add_option("--soundtrack", a_.soundtrack, "the show's soundtrack")
            ->type_name("AUDIO");
    }

    void Test()
    {
        auto* test = Command("test", "test the channels of the firing modules given (all when "
                                     "none), then list the connected channels");
        test->add_option("ADDR", a_.modules, "the modules tested")->transform(Address());
        test->add_option("--scenario", a_.scenario,
                         "then the channels of this scenario that will not fire")
            ->type_name("FILE");
        Addresses(*test);
        Json(*test);
    }

    void GoNoGo()
    {
        auto* gonogo = Command("gonogo", "what stands in the show's way, worst first");
        ScenarioFile(*gonogo);
        Control(*gonogo);
        Soundtrack(*gonogo);
        Addresses(*gonogo);
        Json(*gonogo);
    }

    void Import()
    {
        auto* import = Command("import", "a design program's show script into a scenario file");
        import->add_option("SCRIPT", a_.input, "the show script")->required();
        import->add_option("--out", a_.out, "the scenario file written")
            ->required()
            ->type_name("FILE");
        import
            ->add_option_function<std::string>(
                "--format", [this](const std::string& text) { a_.format = ScriptFormatByName(text); },
                "the script's layout (default: recognised)")
            ->check(CLI::IsMember({"interchange", "rail", "frames", "plain"}));
        import->add_option("--rail-size", a_.railSize, "channels of a rail")
            ->type_name("N")
            ->transform(WholeIn(1, 512));
        import
            ->add_option_function<std::string>(
                "--fps",
                [this](const std::string& text) {
                    a_.fps = TextToReal(text);
                    // 29.97 labels count non-drop unless named drop-frame.
                    a_.dropFrame = !(a_.fps > 0);
                },
                "the frames layout's frame rate; 29.97 labels count non-drop, 29.97df "
                "drop-frame")
            ->type_name("F|29.97df")
            ->check(Parsed(
                [](const std::string& text) {
                    const double fps = TextToReal(text);
                    return (fps > 0 && fps <= 1000) ||
                           ParseTimecodeRate(text) == TTimecodeRate::Fps2997Drop;
                },
                "a frame rate above 0 up to 1000, or 29.97df"));
        import->add_flag("--partial", a_.partial, "write the rows taken though some are refused");
        Json(*import);
    }

    void Show()
    {
        auto* show = Command("show", "fire the show as the console's automatic firing does, "
                                     "until it ends or is stopped");
        ScenarioFile(*show);
        Addresses(*show);
        show->add_option("--from", a_.from, "the start point, ms of show time")
            ->type_name("MS")
            ->transform(WholeIn(0, std::numeric_limits<int32_t>::max()));
        TempoAndOffset(*show);
        Control(*show);
        Soundtrack(*show);
        show->add_option("--trace", a_.trace, "every frame sent and received, to this file")
            ->type_name("FILE");
        show->add_option("--report", a_.report, "the firing report, also written here")
            ->type_name("CSV");
        Lock(*show);
        Timecode(*show);
        Json(*show);
    }

    static std::function<void(const std::string&)> SetRate(std::optional<TTimecodeRate>& target)
    {
        return [&target](const std::string& text) { target = ParseTimecodeRate(text); };
    }

    static std::function<void(const std::string&)> SetLabel(std::optional<TTimecodeLabel>& target)
    {
        return [&target](const std::string& text) { target = ParseTimecode(text); };
    }

    static CLI::Validator LabelCheck()
    {
        return Parsed([](const std::string& text) { return ParseTimecode(text).has_value(); },
                      "a timecode label HH:MM:SS:FF");
    }

    // The desk's timecode: its rate and the label of show time 0.
    void TimecodeIn(CLI::App& command)
    {
        command.add_option_function<std::string>("--tc-in-fps,--fps", SetRate(a_.timecodeRate),
                                                 "the incoming timecode's rate (default: the "
                                                 "package's, else [timecode] Rate)")
            ->type_name("auto|24|25|29.97df|30")
            ->check(Parsed(
                [](const std::string& text) { return ParseTimecodeRate(text).has_value(); },
                "a timecode rate (auto, 24, 25, 29.97df, 30)"));
        command.add_option_function<std::string>("--tc-in-zero,--tc-zero", SetLabel(a_.timecodeZero),
                                                 "the incoming label of show time 0 (default: "
                                                 "the package's, else [timecode] Zero)")
            ->type_name("HH:MM:SS:FF")
            ->check(LabelCheck());
    }

    void Timecode(CLI::App& show)
    {
        show.add_option("--tc-in,--timecode", a_.timecode,
                        "wait, armed, for the timecode on this PulseAudio source to reach the "
                        "start point, then follow it")
            ->type_name("SOURCE");
        TimecodeIn(show);
        show.add_option("--tc-out", a_.timecodeOut,
                        "send the show clock as timecode to this PulseAudio sink (soundtrack: "
                        "the right channel of the soundtrack's)")
            ->type_name("SINK|soundtrack");
        show.add_option_function<std::string>("--tc-out-fps", SetRate(a_.timecodeOutRate),
                                              "the timecode sent's rate (default: [timecode] "
                                              "OutputRate)")
            ->type_name("24|25|29.97df|30")
            ->check(Parsed(
                [](const std::string& text) {
                    const auto parsed = ParseTimecodeRate(text);
                    return parsed && *parsed != TTimecodeRate::Auto;
                },
                "a timecode rate (24, 25, 29.97df, 30)"));
        show.add_option_function<std::string>("--tc-out-zero", SetLabel(a_.timecodeOutZero),
                                              "the label sent for show time 0 (default: "
                                              "[timecode] OutputZero)")
            ->type_name("HH:MM:SS:FF")
            ->check(LabelCheck());
    }

    CLI::App& app_;
    TCtlArguments& a_;
};

std::string UsageLine(const CLI::Formatter& formatter, const CLI::App& command,
                      const std::string& name)
{
    return formatter.make_usage(&command, name);
}

const CLI::App* CommandNamed(const CLI::App& app, const std::string& name)
{
    for (const CLI::App* command : app.get_subcommands({}))
        if (command->get_name() == name)
            return command;
    return nullptr;
}

}  // namespace

TCtlCommandLine ParseCtlCommandLine(const std::vector<std::string>& args)
{
    TCtlCommandLine result;
    TCtlArguments arguments;
    arguments.addresses = SearchRoundAddresses();
    CLI::App app("kvctl: the console's engine from the command line, for scripts.", "kvctl");
    const auto formatter = std::make_shared<CLI::Formatter>();
    formatter->label("Usage", "usage");
    formatter->label("SUBCOMMAND", "COMMAND");
    formatter->label("SUBCOMMANDS", "COMMANDS");
    formatter->column_width(34);
    app.formatter(formatter);
    // Global options after the command too, as scripts write them.
    app.fallthrough();
    app.set_help_flag("-h,--help", "this help");
    app.set_version_flag("--version", [] { return CtlVersionText(); },
                         "the version, the build, and where settings and logs are");
    app.require_subcommand(1, 1);
    TDeclarations declarations(app, arguments);
    declarations.Global();
    declarations.NoBus();
    declarations.OnBus();
    declarations.Help();
    app.footer(CtlHelpFooter());

    std::vector<std::string> reversed(args.rbegin(), args.rend());
    try {
        app.parse(reversed);
    } catch (const CLI::CallForVersion& version) {
        result.out = std::string(version.what()) + "\n";
        return result;
    } catch (const CLI::Success&) {
        result.out = app.help();
        return result;
    } catch (const CLI::ParseError& error) {
        const auto chosen = app.get_subcommands();
        const CLI::App& command = chosen.empty() ? app : *chosen.front();
        const std::string name = chosen.empty() ? "kvctl" : "kvctl " + command.get_name();
        result.status = kExitUsage;
        std::string reason = error.what();
        // CLI11 calls a command it does not know a missing one.
        for (const std::string& extra : app.remaining())
            if (chosen.empty() && !extra.starts_with('-')) {
                reason = "unknown command " + extra;
                break;
            }
        result.err = "kvctl: " + reason + "\n" + UsageLine(*formatter, command, name) +
                     "see " + name + " --help\n";
        return result;
    }
    arguments.command = app.get_subcommands().front()->get_name();
    if (arguments.command == "help") {
        const CLI::App* topic = &app;
        if (!declarations.helpTopic.empty()) {
            topic = CommandNamed(app, declarations.helpTopic);
            if (!topic || declarations.helpTopic == "help") {
                result.status = kExitUsage;
                result.err = "kvctl: no command " + declarations.helpTopic + "\n" +
                             UsageLine(*formatter, app, "kvctl") + "see kvctl --help\n";
                return result;
            }
        }
        result.out = topic == &app ? formatter->make_help(&app, "kvctl", CLI::AppFormatMode::Normal)
                                   : topic->help("kvctl");
        return result;
    }
    result.arguments = arguments;
    return result;
}

}  // namespace kv
