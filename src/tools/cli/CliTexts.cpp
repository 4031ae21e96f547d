#include "tools/cli/CliTexts.h"

#include "support/lang/AddedMessages.h"
#include "support/text/Conversions.h"
#include "support/platform/FilePlaces.h"
#include "support/text/IniFile.h"
#include "support/lang/LanguageChoice.h"

#include <algorithm>
#include <regex>
#include <sstream>

namespace kv {

namespace {

// CLI11 tells its errors in English only: each kind is read back into its parts, which the
// message table's text takes in the order given.
template <typename T>
bool Is(const CLI::ParseError& error)
{
    return dynamic_cast<const T*>(&error) != nullptr;
}

// By type: CLI11 names some errors after the command instead of their kind.
struct TErrorText {
    bool (*kind)(const CLI::ParseError&);
    const char* pattern;
    TMessage text;
    std::vector<int> parts;
};

const std::vector<TErrorText>& ErrorTexts()
{
    static const std::vector<TErrorText> texts{
        {Is<CLI::RequiredError>, "A subcommand is required|Requires at least .* subcommands",
         kMsgCliCommandRequired, {}},
        {Is<CLI::RequiredError>, "(.+) is required", kMsgCliArgumentRequired, {1}},
        {Is<CLI::ExtrasError>, ".*not expected: (.+)", kMsgCliNotExpected, {1}},
        {Is<CLI::ArgumentMismatch>, "(.+): \\d+ required .* missing", kMsgCliValueMissing, {1}},
        {Is<CLI::ArgumentMismatch>, "(.+): At (?:least|Most) (\\d+) required but received (\\d+)",
         kMsgCliValueCount, {1, 2, 3}},
        {Is<CLI::ArgumentMismatch>,
         "Expected (?:exactly|at least) (\\d+) arguments to (.+), got (\\d+)",
         kMsgCliValueCount, {2, 1, 3}},
        {Is<CLI::ConversionError>, "Could not convert: (.+) = (.*)", kMsgCliValueRefused, {1, 2}},
        {Is<CLI::ConversionError>, "The value (.+) is not an allowed value for (.+)",
         kMsgCliValueRefused, {2, 1}},
        {Is<CLI::ExcludesError>, "(.+) excludes (.+)", kMsgCliExcludes, {1, 2}},
        {Is<CLI::RequiresError>, "(.+) requires (.+)", kMsgCliRequires, {1, 2}},
    };
    return texts;
}

// CLI11 pads the name column by bytes: a Cyrillic word would push its text out of line.
class TFormatter : public CLI::Formatter {
public:
    std::string make_option(const CLI::Option* option, bool positional) const override
    {
        const std::string name = make_option_name(option, positional) + make_option_opts(option);
        const auto letters = std::count_if(name.begin(), name.end(), [](char c) {
            return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
        });
        std::stringstream out;
        CLI::detail::format_help(out, name, make_option_desc(option),
                                 column_width_ + name.size() - static_cast<size_t>(letters));
        return out.str();
    }
};

// CLI11 names the extras last first.
std::string InGivenOrder(const std::string& words)
{
    std::vector<std::string> list;
    std::istringstream stream(words);
    for (std::string word; stream >> word;)
        list.insert(list.begin(), word);
    std::string joined;
    for (const std::string& word : list)
        joined += (joined.empty() ? "" : " ") + word;
    return joined;
}

}  // namespace

std::string SettingsArgument(const std::vector<std::string>& args)
{
    std::string settings;
    for (size_t i = 0; i < args.size() && args[i] != "--"; ++i) {
        if (args[i] == "--settings" && i + 1 < args.size())
            settings = args[++i];
        else if (args[i].starts_with("--settings="))
            settings = args[i].substr(11);
    }
    return settings;
}

void UseConsoleLanguage(const std::string& settings)
{
    const TFilePlaces places = FindFilePlaces(AppFolder(), settings);
    const TIniFile ini = TIniFile::Load(places.settingsFile);
    SetLanguageFile(
        ChooseLanguage(SettingsFolder(places), ini.ReadString("console", "Language", ""), "").file);
    LoadMessageTable();
}

std::string Fill(std::string text, const std::vector<std::string>& values)
{
    for (size_t i = values.size(); i > 0; --i) {
        const std::string mark = "%" + std::to_string(i);
        for (size_t at = text.find(mark); at != std::string::npos;
             at = text.find(mark, at + values[i - 1].size()))
            text.replace(at, mark.size(), values[i - 1]);
    }
    return text;
}

std::shared_ptr<CLI::Formatter> SpeakLanguage(CLI::App& app)
{
    auto formatter = std::make_shared<TFormatter>();
    formatter->label("Usage", Localize(kMsgCliUsage));
    formatter->label("Positionals", Localize(kMsgCliPositionals));
    formatter->label("REQUIRED", Localize(kMsgCliRequiredMark));
    formatter->label("SUBCOMMAND", "COMMAND");
    formatter->label("SUBCOMMANDS", "COMMANDS");
    formatter->column_width(34);
    app.formatter(formatter);
    app.option_defaults()->group(Localize(kMsgCliOptions));
    app.set_help_flag("-h,--help", Localize(kMsgCliThisHelp));
    return formatter;
}

std::string UsageReason(const CLI::ParseError& error)
{
    const std::string what = error.what();
    for (const TErrorText& text : ErrorTexts()) {
        std::smatch match;
        if (!text.kind(error) || !std::regex_match(what, match, std::regex(text.pattern)))
            continue;
        std::vector<std::string> values;
        for (const int part : text.parts)
            values.push_back(match[part].str());
        if (Is<CLI::ExtrasError>(error))
            values.front() = InGivenOrder(values.front());
        return Fill(Localize(text.text), values);
    }
    // Validators speak the language already and CLI11 puts the option's name before them.
    if (Is<CLI::ValidationError>(error))
        return what;
    return Localize(kMsgCliWrongLine) + " " + what;
}

std::string UsageErrorText(const std::string& program, const std::string& reason,
                           const CLI::Formatter& formatter, const CLI::App& command,
                           const std::string& name)
{
    return program + ": " + reason + "\n" + formatter.make_usage(&command, name) +
           Localize(kMsgCliSee) + " " + name + " --help\n";
}

}  // namespace kv
