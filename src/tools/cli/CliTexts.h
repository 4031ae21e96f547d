#pragma once
// The command-line programs' own texts in one language: the console's, chosen before the
// command line is read so that its help and its usage errors speak it too.

#include <CLI/CLI.hpp>

#include <memory>
#include <string>
#include <vector>

namespace kv {

// The value of --settings on a command line not yet parsed; empty when not given.
std::string SettingsArgument(const std::vector<std::string>& args);
// The console's language as its settings name it (settings: --settings, or empty for the
// usual file); not the system's, which would change what scripts parse under another LANG.
// Russian when none is named.
void UseConsoleLanguage(const std::string& settings);

// text with %1, %2, ... replaced by the values in turn.
std::string Fill(std::string text, const std::vector<std::string>& values);

// Headings in the language, for the program and every command it adds later; call before
// any option is added.
std::shared_ptr<CLI::Formatter> SpeakLanguage(CLI::App& app);

// Why the command line was refused, with the option's name and the value given.
std::string UsageReason(const CLI::ParseError& error);
// "PROGRAM: reason", the command's usage line and where its help is.
std::string UsageErrorText(const std::string& program, const std::string& reason,
                           const CLI::Formatter& formatter, const CLI::App& command,
                           const std::string& name);

}  // namespace kv
