#include "console/app/SlotMemory.h"

#include "console/app/ViewState.h"

#include <QCryptographicHash>
#include <QFile>

#include <filesystem>
#include <system_error>

namespace kv {

namespace {

std::string Key(int slot, const char* what)
{
    return "Slot" + std::to_string(slot + 1) + what;
}

TKeptFile Stamped(const std::string& file)
{
    return {file, file.empty() ? std::string() : FileStamp(file)};
}

}  // namespace

std::string FileStamp(const std::string& path)
{
    std::error_code error;
    const auto size = std::filesystem::file_size(path, error);
    const auto time = std::filesystem::last_write_time(path, error);
    QFile file(QString::fromStdString(path));
    QCryptographicHash hash(QCryptographicHash::Sha256);
    if (error || !file.open(QIODevice::ReadOnly) || !hash.addData(&file))
        return {};
    return std::to_string(size) + ":" + std::to_string(time.time_since_epoch().count()) + ":" +
           hash.result().toHex().toStdString();
}

TKeptSlot TSlotMemory::Kept(int slot) const
{
    return {{state_.Read(Key(slot, "Scenario")), state_.Read(Key(slot, "ScenarioStamp"))},
            {state_.Read(Key(slot, "Soundtrack")), state_.Read(Key(slot, "SoundtrackStamp"))}};
}

void TSlotMemory::Keep(int slot, const std::string& scenarioFile,
                       const std::string& soundtrackFile)
{
    const TKeptSlot kept{Stamped(scenarioFile), Stamped(soundtrackFile)};
    state_.Write(Key(slot, "Scenario"), kept.scenario.file);
    state_.Write(Key(slot, "ScenarioStamp"), kept.scenario.stamp);
    state_.Write(Key(slot, "Soundtrack"), kept.soundtrack.file);
    state_.Write(Key(slot, "SoundtrackStamp"), kept.soundtrack.stamp);
}

TFileSince TSlotMemory::Since(const TKeptFile& kept)
{
    const std::string stamp = FileStamp(kept.file);
    if (stamp.empty())
        return TFileSince::Gone;
    return stamp == kept.stamp ? TFileSince::Same : TFileSince::Changed;
}

}  // namespace kv
