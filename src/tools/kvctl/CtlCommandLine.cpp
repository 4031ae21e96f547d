// kvctl's command line, each option declared once with its help, its range and its aliases.
#include "tools/kvctl/CtlArguments.h"
#include "tools/kvctl/CtlHelp.h"

#include "show/player/CommonPlayer.h"
#include "support/lang/AddedMessages.h"
#include "support/text/Conversions.h"
#include "tools/cli/CliTexts.h"

#include <CLI/CLI.hpp>

#include <algorithm>
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
    return Fill(Localize(kMsgCliRange), {std::to_string(least), std::to_string(most)});
}

// A whole number within the range, handed on in plain decimal.
CLI::Validator WholeIn(int64_t least, int64_t most)
{
    return CLI::Validator(
        [least, most](std::string& text) -> std::string {
            const auto value = ParseDecimal(text);
            if (!value)
                return Localize(kMsgCliNotWholeNumber) + " " + text;
            if (*value < least || *value > most)
                return Fill(Localize(kMsgCliOutside), {text, RangeText(least, most)});
            text = std::to_string(*value);
            return {};
        },
        RangeText(least, most));
}

// Per mille, or per cent with a "%" ("95%", "99.5%").
CLI::Validator Tempo()
{
    const std::string range = Fill(Localize(kMsgCliTempoRange),
                                   {RangeText(TCommonPlayer::kMinStartTempo,
                                              TCommonPlayer::kMaxStartTempo),
                                    std::to_string(TCommonPlayer::kMinStartTempo / 10),
                                    std::to_string(TCommonPlayer::kMaxStartTempo / 10)});
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
                return Localize(kMsgCliNotTempo) + " " + text;
            if (*permille < TCommonPlayer::kMinStartTempo ||
                *permille > TCommonPlayer::kMaxStartTempo)
                return Fill(Localize(kMsgCliOutside), {text, range});
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
                return Localize(kMsgCliNotAddress) + " " + text;
            text = std::to_string(*address);
            return {};
        },
        RangeText(0, 255));
}

CLI::Validator HexByte()
{
    return CLI::Validator(
        [](std::string& text) -> std::string {
            const auto byte = ParseHexByte(text);
            if (!byte)
                return Localize(kMsgCliNotHexByte) + " " + text;
            text = std::to_string(*byte);
            return {};
        },
        "");
}

// refusal: what the text is not, as Localize(kMsgCliNotTimecodeLabel).
CLI::Validator Parsed(std::function<bool(const std::string&)> parses, const std::string& refusal)
{
    return CLI::Validator(
        [parses, refusal](std::string& text) -> std::string {
            return parses(text) ? std::string() : refusal + " " + text;
        },
        "");
}

// CLI11's own IsMember tells its refusal in English.
CLI::Validator OneOf(const std::vector<std::string>& names)
{
    std::string list;
    for (const std::string& name : names)
        list += (list.empty() ? "" : ",") + name;
    return CLI::Validator(
        [names, list](std::string& text) -> std::string {
            return std::find(names.begin(), names.end(), text) != names.end()
                       ? std::string()
                       : Fill(Localize(kMsgCliNotOneOf), {text, list});
        },
        "{" + list + "}");
}

class TDeclarations {
public:
    TDeclarations(CLI::App& app, TCtlArguments& arguments) : app_(app), a_(arguments) {}

    void Global()
    {
        app_.add_option("--port", a_.port,
                        Localize(kMsgCtlPortHelp))
            ->capture_default_str();
        app_.add_option("--settings", a_.settings,
                        Localize(kMsgCtlSettingsHelp));
        app_.add_flag("--yes", a_.yes, Localize(kMsgCtlYesHelp));
    }

    void NoBus()
    {
        auto* frame = Command("frame", Localize(kMsgCtlFrameHelp));
        frame->add_option("BYTE", a_.frameBytes, Localize(kMsgCtlFrameBytesHelp))
            ->required()
            ->expected(6)
            ->transform(HexByte());
        auto* scenario = Command("scenario", Localize(kMsgCtlScenarioHelp));
        ScenarioFile(*scenario);
        Json(*scenario);
        auto* report = Command("report", Localize(kMsgCtlReportHelp));
        report->add_option("CSV", a_.input, Localize(kMsgCtlReportFileHelp))->required();
        Json(*report);
        Import();
        auto* log = Command("log", Localize(kMsgCtlLogHelp));
        log->add_option("FILE", a_.input, Localize(kMsgCtlLogFileHelp))->required();
    }

    void OnBus()
    {
        auto* search = Command("search", Localize(kMsgCtlSearchHelp));
        Addresses(*search);
        Json(*search);
        Show();
        Standby();
        Pack();
        for (const auto& [name, help] :
             {std::pair{"write", Localize(kMsgCtlWriteHelp)},
              std::pair{"verify", Localize(kMsgCtlVerifyHelp)}}) {
            auto* memory = Command(name, help);
            ScenarioFile(*memory);
            memory->add_flag("--remote", a_.remote,
                             Localize(kMsgCtlRemoteHelp));
            Addresses(*memory);
        }
        Addresses(*Command("erase", Localize(kMsgCtlEraseHelp)));
        auto* blackbox = Command("blackbox", Localize(kMsgCtlBlackBoxHelp));
        blackbox->add_option("FILE,--out", a_.out, Localize(kMsgCtlBlackBoxFileHelp))->required();
        Addresses(*blackbox);
        Test();
        auto* readdress = Command("readdress", Localize(kMsgCtlReaddressHelp));
        readdress->add_option("OLD", a_.oldAddress, Localize(kMsgCtlOldAddressHelp))
            ->required()
            ->transform(Address());
        readdress->add_option("NEW", a_.newAddress, Localize(kMsgCtlNewAddressHelp))->required();
        Addresses(*readdress);
        GoNoGo();
        auto* mode = Command("mode", Localize(kMsgCtlModeHelp));
        mode->add_option_function<std::string>(
                "MODE", [this](const std::string& text) { a_.testMode = text == "test"; },
                Localize(kMsgCtlModeValueHelp))
            ->required()
            ->check(OneOf({"fire", "test"}));
        Addresses(*mode);
        auto* hv = Command("hv", Localize(kMsgCtlHVHelp));
        hv->add_option("ADDR", a_.address, Localize(kMsgCtlHVModuleHelp))
            ->required()
            ->transform(Address());
        hv->add_option("--energy", a_.energy, Localize(kMsgCtlEnergyHelp))
            ->type_name("N")
            ->transform(WholeIn(0, 255));
        Addresses(*hv);
    }

    void Help()
    {
        auto* help = Command("help", Localize(kMsgCtlHelpHelp));
        help->add_option("COMMAND", helpTopic, Localize(kMsgCtlHelpTopicHelp));
    }

    std::string helpTopic;

private:
    CLI::App* Command(const std::string& name, const std::string& help)
    {
        CLI::App* command = app_.add_subcommand(name, help);
        command->group(Localize(kMsgCliCommands));
        // A command's help flag is made before the language's option group is handed down.
        command->set_help_flag("-h,--help", Localize(kMsgCliThisHelp));
        return command;
    }

    void ScenarioFile(CLI::App& command)
    {
        command.add_option("FILE,--scenario", a_.scenario, Localize(kMsgCtlScenarioFileHelp))
            ->required();
    }

    void Addresses(CLI::App& command)
    {
        command
            .add_option_function<std::string>(
                "--addresses", [this](const std::string& text) { a_.addresses = *ParseAddressList(text); },
                Localize(kMsgCtlAddressesHelp))
            ->type_name("LIST")
            ->check(Parsed([](const std::string& text) { return ParseAddressList(text).has_value(); },
                           Localize(kMsgCliNotAddressList)));
    }

    void Control(CLI::App& command)
    {
        command
            .add_option_function<std::string>(
                "--control", [this](const std::string& text) { a_.autonomous = text == "autonomous"; },
                Localize(kMsgCtlControlHelp))
            ->check(OneOf({"direct", "autonomous"}));
    }

    void Json(CLI::App& command)
    {
        command.add_flag("--json", a_.json, Localize(kMsgCtlJsonHelp));
    }

    // The help differs for pack, which keeps the values in the package it makes.
    void TempoAndOffset(CLI::App& command, const TMessage& tempoHelp = kMsgCtlTempoHelp,
                        const TMessage& offsetHelp = kMsgCtlOffsetHelp)
    {
        command.add_option("--tempo", a_.tempo, Localize(tempoHelp))
            ->type_name("PERMILLE|PERCENT%")
            ->transform(Tempo());
        command.add_option("--offset", a_.offset, Localize(offsetHelp))
            ->type_name("MS")
            ->transform(WholeIn(-TCommonPlayer::kMaxStartOffsetMs, TCommonPlayer::kMaxStartOffsetMs));
    }

    void Lock(CLI::App& command)
    {
        command.add_option("--lock", a_.lockedPositions,
                           Localize(kMsgCtlLockHelp))
            ->type_name("POSITION...");
    }

    void Pack()
    {
        auto* pack = Command("pack", Localize(kMsgCtlPackHelp));
        pack->add_option("SCENARIO", a_.scenario, Localize(kMsgCtlPackScenarioHelp))->required();
        Soundtrack(*pack);
        pack->add_option("--out", a_.out, Localize(kMsgCtlPackOutHelp))
            ->required()
            ->type_name("SHOW.kvshow");
        TempoAndOffset(*pack, kMsgCtlPackTempoHelp, kMsgCtlPackOffsetHelp);
        Lock(*pack);
        TimecodeIn(*pack, kMsgCtlPackTcInFpsHelp, kMsgCtlPackTcInZeroHelp);
    }

    void Soundtrack(CLI::App& command)
    {
        command.add_option("--soundtrack", a_.soundtrack, Localize(kMsgCtlSoundtrackHelp))
            ->type_name("AUDIO");
    }

    void Test()
    {
        auto* test = Command("test", Localize(kMsgCtlTestHelp));
        test->add_option("ADDR", a_.modules, Localize(kMsgCtlTestModulesHelp))
            ->transform(Address());
        test->add_option("--scenario", a_.scenario,
                         Localize(kMsgCtlTestScenarioHelp))
            ->type_name("FILE");
        Addresses(*test);
        Json(*test);
    }

    void GoNoGo()
    {
        auto* gonogo = Command("gonogo", Localize(kMsgCtlGoNoGoHelp));
        ScenarioFile(*gonogo);
        Control(*gonogo);
        Soundtrack(*gonogo);
        Addresses(*gonogo);
        Json(*gonogo);
    }

    void Import()
    {
        auto* import = Command("import", Localize(kMsgCtlImportHelp));
        import->add_option("SCRIPT", a_.input, Localize(kMsgCtlScriptHelp))->required();
        import->add_option("--out", a_.out, Localize(kMsgCtlScenarioOutHelp))
            ->required()
            ->type_name("FILE");
        import
            ->add_option_function<std::string>(
                "--format", [this](const std::string& text) { a_.format = ScriptFormatByName(text); },
                Localize(kMsgCtlFormatHelp))
            ->check(OneOf({"interchange", "rail", "frames", "plain"}));
        import->add_option("--rail-size", a_.railSize, Localize(kMsgCtlRailSizeHelp))
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
                Localize(kMsgCtlFpsHelp))
            ->type_name("F|29.97df")
            ->check(Parsed(
                [](const std::string& text) {
                    const double fps = TextToReal(text);
                    return (fps > 0 && fps <= 1000) ||
                           ParseTimecodeRate(text) == TTimecodeRate::Fps2997Drop;
                },
                Localize(kMsgCliNotFrameRate)));
        import->add_flag("--partial", a_.partial, Localize(kMsgCtlPartialHelp));
        Json(*import);
    }

    void Show()
    {
        auto* show = Command("show", Localize(kMsgCtlShowHelp));
        ScenarioFile(*show);
        Addresses(*show);
        show->add_option("--from", a_.from, Localize(kMsgCtlFromHelp))
            ->type_name("MS")
            ->transform(WholeIn(0, std::numeric_limits<int32_t>::max()));
        TempoAndOffset(*show);
        Control(*show);
        Soundtrack(*show);
        TraceAndReport(*show);
        Lock(*show);
        Timecode(*show);
        Json(*show);
    }

    void TraceAndReport(CLI::App& command)
    {
        command.add_option("--trace", a_.trace, Localize(kMsgCtlTraceHelp))->type_name("FILE");
        command.add_option("--report", a_.report, Localize(kMsgCtlReportOutHelp))
            ->type_name("CSV");
    }

    void Standby()
    {
        auto* standby = Command("standby", Localize(kMsgCtlStandbyHelp));
        ScenarioFile(*standby);
        Addresses(*standby);
        standby->add_option("--primary", a_.primaryId, Localize(kMsgCtlPrimaryHelp))
            ->type_name("ID")
            ->transform(WholeIn(1, 255));
        // Shorter, a busy primary would be taken for a silent one: two masters.
        standby->add_option("--takeover-ms", a_.takeoverMs, Localize(kMsgCtlTakeoverHelp))
            ->type_name("MS")
            ->capture_default_str()
            ->transform(WholeIn(100, 10000));
        TempoAndOffset(*standby);
        Control(*standby);
        TraceAndReport(*standby);
        Json(*standby);
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
                      Localize(kMsgCliNotTimecodeLabel));
    }

    // The desk's timecode: its rate and the label of show time 0.
    void TimecodeIn(CLI::App& command, const TMessage& rateHelp = kMsgCtlTcInFpsHelp,
                    const TMessage& zeroHelp = kMsgCtlTcInZeroHelp)
    {
        command.add_option_function<std::string>("--tc-in-fps,--fps", SetRate(a_.timecodeRate),
                                                 Localize(rateHelp))
            ->type_name("auto|24|25|29.97df|30")
            ->check(Parsed(
                [](const std::string& text) { return ParseTimecodeRate(text).has_value(); },
                Fill(Localize(kMsgCliNotTimecodeRate), {"auto, 24, 25, 29.97df, 30"})));
        command.add_option_function<std::string>("--tc-in-zero,--tc-zero", SetLabel(a_.timecodeZero),
                                                 Localize(zeroHelp))
            ->type_name("HH:MM:SS:FF")
            ->check(LabelCheck());
    }

    void Timecode(CLI::App& show)
    {
        show.add_option("--tc-in,--timecode", a_.timecode,
                        Localize(kMsgCtlTcInHelp))
            ->type_name("SOURCE");
        TimecodeIn(show);
        show.add_option("--tc-out", a_.timecodeOut,
                        Localize(kMsgCtlTcOutHelp))
            ->type_name("SINK|soundtrack");
        show.add_option_function<std::string>("--tc-out-fps", SetRate(a_.timecodeOutRate),
                                              Localize(kMsgCtlTcOutFpsHelp))
            ->type_name("24|25|29.97df|30")
            ->check(Parsed(
                [](const std::string& text) {
                    const auto parsed = ParseTimecodeRate(text);
                    return parsed && *parsed != TTimecodeRate::Auto;
                },
                Fill(Localize(kMsgCliNotTimecodeRate), {"24, 25, 29.97df, 30"})));
        show.add_option_function<std::string>("--tc-out-zero", SetLabel(a_.timecodeOutZero),
                                              Localize(kMsgCtlTcOutZeroHelp))
            ->type_name("HH:MM:SS:FF")
            ->check(LabelCheck());
    }

    CLI::App& app_;
    TCtlArguments& a_;
};

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
    CLI::App app(Localize(kMsgCtlAbout), "kvctl");
    const auto formatter = SpeakLanguage(app);
    // Global options after the command too, as scripts write them.
    app.fallthrough();
    app.set_version_flag("--version", [] { return CtlVersionText(); },
                         Localize(kMsgCtlVersionHelp));
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
        std::string reason = UsageReason(error);
        // CLI11 calls a command it does not know a missing one.
        for (const std::string& extra : app.remaining())
            if (chosen.empty() && !extra.starts_with('-')) {
                reason = Localize(kMsgCliUnknownCommand) + " " + extra;
                break;
            }
        result.err = UsageErrorText("kvctl", reason, *formatter, command, name);
        return result;
    }
    arguments.command = app.get_subcommands().front()->get_name();
    if (arguments.command == "help") {
        const CLI::App* topic = &app;
        if (!declarations.helpTopic.empty()) {
            topic = CommandNamed(app, declarations.helpTopic);
            if (!topic || declarations.helpTopic == "help") {
                result.status = kExitUsage;
                result.err = UsageErrorText(
                    "kvctl", Localize(kMsgCliNoSuchCommand) + " " + declarations.helpTopic,
                    *formatter, app, "kvctl");
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
