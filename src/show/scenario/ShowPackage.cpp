#include "show/scenario/ShowPackage.h"

#include "support/lang/AddedMessages.h"
#include "support/text/IniFile.h"
#include "support/lang/Localizer.h"
#include "support/text/SavedFile.h"

#include <QCryptographicHash>

#include <archive.h>
#include <archive_entry.h>

#include <filesystem>
#include <map>
#include <memory>

namespace kv {

namespace {

// The table of contents; the parts live under their own prefixes so that no file name of
// the operator's can stand in for another part.
constexpr const char* kContents = "package.ini";
constexpr const char* kSettingsPart = "settings.ini";
constexpr const char* kScenarioDir = "scenario/";
constexpr const char* kSoundtrackDir = "soundtrack/";
// A part larger than this is no soundtrack of a show: refused before it fills the memory.
constexpr int64_t kMaxPartBytes = int64_t{4} << 30;

using TArchive = std::unique_ptr<archive, int (*)(archive*)>;

// The file name alone: a name with folders in it never reaches outside the unpack folder.
std::string PlainName(const std::string& name, const char* fallback)
{
    const std::string plain = std::filesystem::path(name).filename().string();
    return plain.empty() || plain == "." || plain == ".." ? fallback : plain;
}

std::string SettingsText(const TShowSettings& settings)
{
    std::string text = "[show]\nTempo=" + std::to_string(settings.tempo) +
                       "\nOffset=" + std::to_string(settings.offset) + "\n";
    if (settings.timecodeZero)
        text += "TimecodeZero=" + FormatTimecode(*settings.timecodeZero, false) + "\n";
    if (settings.timecodeRate)
        text += "TimecodeRate=" + TimecodeRateName(*settings.timecodeRate) + "\n";
    text += "[lockout]\n";
    for (const std::string& position : settings.lockedPositions)
        text += "Position=" + position + "\n";
    return text;
}

TShowSettings ParseSettings(const std::string& text)
{
    const TIniFile ini = TIniFile::Parse(text);
    TShowSettings settings;
    settings.tempo = static_cast<int32_t>(ini.ReadInteger("show", "Tempo", settings.tempo));
    settings.offset = static_cast<int32_t>(ini.ReadInteger("show", "Offset", settings.offset));
    settings.timecodeZero = ParseTimecode(ini.ReadString("show", "TimecodeZero", ""));
    const std::string rate = ini.ReadString("show", "TimecodeRate", "");
    if (!rate.empty())
        settings.timecodeRate = ParseTimecodeRate(rate);
    settings.lockedPositions = ini.Values("lockout");
    return settings;
}

bool AddEntry(archive* writer, const std::string& name, const std::string& bytes)
{
    const std::unique_ptr<archive_entry, void (*)(archive_entry*)> entry(archive_entry_new(),
                                                                        &archive_entry_free);
    archive_entry_set_pathname(entry.get(), name.c_str());
    archive_entry_set_size(entry.get(), static_cast<la_int64_t>(bytes.size()));
    archive_entry_set_filetype(entry.get(), AE_IFREG);
    archive_entry_set_perm(entry.get(), 0644);
    return archive_write_header(writer, entry.get()) == ARCHIVE_OK &&
           archive_write_data(writer, bytes.data(), bytes.size()) ==
               static_cast<la_ssize_t>(bytes.size());
}

bool WriteTar(const std::string& path, const std::map<std::string, std::string>& parts,
              const std::string& contents)
{
    TArchive writer(archive_write_new(), &archive_write_free);
    if (archive_write_set_format_pax_restricted(writer.get()) != ARCHIVE_OK ||
        archive_write_open_filename(writer.get(), path.c_str()) != ARCHIVE_OK)
        return false;
    bool written = AddEntry(writer.get(), kContents, contents);
    for (const auto& [name, bytes] : parts)
        written = written && AddEntry(writer.get(), name, bytes);
    return archive_write_close(writer.get()) == ARCHIVE_OK && written;
}

std::string Unreadable(const std::string& path, const std::string& reason)
{
    return Localize(kMsgPackageUnreadable) + " \"" + path + "\": " + reason;
}

// Every regular entry by name; empty reason on success.
std::string ReadTar(const std::string& path, std::map<std::string, std::string>& entries)
{
    TArchive reader(archive_read_new(), &archive_read_free);
    archive_read_support_format_tar(reader.get());
    if (archive_read_open_filename(reader.get(), path.c_str(), 1 << 16) != ARCHIVE_OK)
        return Unreadable(path, archive_error_string(reader.get()));
    archive_entry* entry = nullptr;
    int status = ARCHIVE_OK;
    while ((status = archive_read_next_header(reader.get(), &entry)) == ARCHIVE_OK) {
        if (archive_entry_filetype(entry) != AE_IFREG)
            continue;
        const int64_t size = archive_entry_size(entry);
        if (size < 0 || size > kMaxPartBytes)
            return Unreadable(path, archive_entry_pathname(entry));
        std::string bytes(static_cast<size_t>(size), '\0');
        if (archive_read_data(reader.get(), bytes.data(), bytes.size()) != size)
            return Unreadable(path, archive_error_string(reader.get()));
        entries[archive_entry_pathname(entry)] = std::move(bytes);
    }
    if (status != ARCHIVE_EOF)
        return Unreadable(path, archive_error_string(reader.get()));
    return {};
}

}  // namespace

bool IsShowPackage(const std::string& path)
{
    return std::filesystem::path(path).extension() == kShowPackageSuffix;
}

std::string Sha256Hex(const std::string& bytes)
{
    return QCryptographicHash::hash(QByteArrayView(bytes.data(), static_cast<qsizetype>(bytes.size())),
                                    QCryptographicHash::Sha256)
        .toHex()
        .toStdString();
}

std::string WriteShowPackage(const std::string& path, const TShowPackage& package)
{
    std::map<std::string, std::string> parts;
    parts[kSettingsPart] = SettingsText(package.settings);
    const std::string scenario = kScenarioDir + PlainName(package.scenarioName, "scenario.txt");
    parts[scenario] = package.scenario;
    std::string contents = "[package]\nFormat=1\nScenario=" + scenario + "\n";
    if (!package.soundtrackName.empty()) {
        const std::string soundtrack = kSoundtrackDir + PlainName(package.soundtrackName, "soundtrack");
        parts[soundtrack] = package.soundtrack;
        contents += "Soundtrack=" + soundtrack + "\n";
    }
    contents += "Settings=" + std::string(kSettingsPart) + "\n[sha256]\n";
    for (const auto& [name, bytes] : parts)
        contents += name + "=" + Sha256Hex(bytes) + "\n";
    return SaveFileWith(path, [&](const std::string& temporary) {
        return WriteTar(temporary, parts, contents);
    });
}

std::string ReadShowPackage(const std::string& path, TShowPackage& package)
{
    std::map<std::string, std::string> entries;
    if (std::string error = ReadTar(path, entries); !error.empty())
        return error;
    const auto contentsEntry = entries.find(kContents);
    if (contentsEntry == entries.end())
        return Localize(kMsgPackagePartMissing) + " " + kContents;
    const TIniFile contents = TIniFile::Parse(contentsEntry->second);
    const std::string scenario = contents.ReadString("package", "Scenario", "");
    const std::string soundtrack = contents.ReadString("package", "Soundtrack", "");
    const std::string settings = contents.ReadString("package", "Settings", "");
    struct TPart {
        const std::string& name;
        const char* role;
        bool needed;
    };
    for (const TPart& part : {TPart{scenario, "scenario", true}, TPart{soundtrack, "soundtrack", false},
                              TPart{settings, kSettingsPart, true}}) {
        if (part.name.empty()) {
            if (part.needed)
                return Localize(kMsgPackagePartMissing) + " " + part.role;
            continue;
        }
        const auto entry = entries.find(part.name);
        if (entry == entries.end())
            return Localize(kMsgPackagePartMissing) + " " + part.name;
        const std::string expected = contents.ReadString("sha256", part.name, "");
        if (expected.empty() || Sha256Hex(entry->second) != expected)
            return Localize(kMsgPackagePartDamaged) + " " + part.name;
    }
    package = {};
    package.scenarioName = PlainName(scenario, "scenario.txt");
    package.scenario = std::move(entries[scenario]);
    if (!soundtrack.empty()) {
        package.soundtrackName = PlainName(soundtrack, "soundtrack");
        package.soundtrack = std::move(entries[soundtrack]);
    }
    package.settings = ParseSettings(entries[settings]);
    return {};
}

}  // namespace kv
