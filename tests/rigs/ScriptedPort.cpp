#include "rigs/ScriptedPort.h"

#include "rigs/LinkFixture.h"

#include "link/FrameCheck.h"
#include "support/platform/Platform.h"

#include <algorithm>
#include <utility>

namespace kv::test {

namespace {
constexpr uint32_t kEmptyReadMs = 1;
}

TScriptedPort::TScriptedPort(int converters)
    : incoming_(static_cast<size_t>(converters)), badEcho_(static_cast<size_t>(converters))
{
}

void TScriptedPort::Deliver(int converter, const std::vector<uint8_t>& bytes, uint32_t afterMs)
{
    std::lock_guard guard(mutex_);
    pending_.push_back({Platform().TickCount() + afterMs, converter, bytes});
    MoveDueBytes();
}

void TScriptedPort::DeliverFrame(int converter, const std::vector<uint8_t>& record,
                                 uint32_t afterMs)
{
    Deliver(converter, Wire(record), afterMs);
}

std::vector<TScriptedPort::TWrite> TScriptedPort::Writes()
{
    std::lock_guard guard(mutex_);
    return writes_;
}

int TScriptedPort::Opens()
{
    std::lock_guard guard(mutex_);
    return opens_;
}

void TScriptedPort::FailOpens(int count)
{
    std::lock_guard guard(mutex_);
    failOpens_ = count;
}

void TScriptedPort::SetLost(bool lost)
{
    std::lock_guard guard(mutex_);
    lost_ = lost;
}

void TScriptedPort::SetBadEcho(int converter, bool bad)
{
    std::lock_guard guard(mutex_);
    badEcho_[static_cast<size_t>(converter)] = bad;
}

void TScriptedPort::HoldBackNextRead(uint32_t ms)
{
    std::lock_guard guard(mutex_);
    holdBack_ = ms;
}

int TScriptedPort::HeldBack(int got)
{
    uint32_t ms = 0;
    {
        std::lock_guard guard(mutex_);
        ms = std::exchange(holdBack_, 0);
    }
    Platform().Sleep(ms);
    return got;
}

void TScriptedPort::MoveDueBytes()
{
    const uint32_t now = Platform().TickCount();
    auto due = std::stable_partition(pending_.begin(), pending_.end(), [now](const TPending& p) {
        return static_cast<int32_t>(now - p.due) >= 0;
    });
    for (auto it = pending_.begin(); it != due; ++it)
        incoming_[static_cast<size_t>(it->converter)].insert(
            incoming_[static_cast<size_t>(it->converter)].end(), it->bytes.begin(), it->bytes.end());
    pending_.erase(pending_.begin(), due);
}

bool TScriptedPort::Open()
{
    std::lock_guard guard(mutex_);
    ++opens_;
    connected_ = failOpens_ == 0;
    if (failOpens_ > 0)
        --failOpens_;
    if (connected_)
        lost_ = false;
    return connected_;
}

void TScriptedPort::Close()
{
    std::lock_guard guard(mutex_);
    connected_ = false;
}

bool TScriptedPort::Reopen()
{
    Close();
    return Open();
}

int TScriptedPort::DeviceCount()
{
    std::lock_guard guard(mutex_);
    return connected_ ? static_cast<int>(incoming_.size()) : 0;
}

int TScriptedPort::BytesAvailable()
{
    std::lock_guard guard(mutex_);
    if (!connected_)
        return 0;
    if (lost_)
        return -1;
    MoveDueBytes();
    size_t total = 0;
    for (const auto& queue : incoming_)
        total += queue.size();
    return static_cast<int>(total);
}

int TScriptedPort::Take(int converter, uint8_t* buffer, int count)
{
    auto& queue = incoming_[static_cast<size_t>(converter)];
    const int taken = std::min(count, static_cast<int>(queue.size()));
    std::copy_n(queue.begin(), taken, buffer);
    queue.erase(queue.begin(), queue.begin() + taken);
    return taken;
}

int TScriptedPort::FirstWithData()
{
    MoveDueBytes();
    for (size_t i = 0; i < incoming_.size(); ++i)
        if (!incoming_[i].empty())
            return static_cast<int>(i);
    return -1;
}

int TScriptedPort::Read(uint8_t* buffer, int count, int converter)
{
    int source = converter;
    if (converter < 0)
        return ReadAny(buffer, count, source);
    {
        std::lock_guard guard(mutex_);
        if (!connected_)
            return -1;
        MoveDueBytes();
        if (!incoming_[static_cast<size_t>(converter)].empty())
            return HeldBack(Take(converter, buffer, count));
    }
    Platform().Sleep(kEmptyReadMs);
    return HeldBack(0);
}

int TScriptedPort::ReadAny(uint8_t* buffer, int count, int& converter)
{
    converter = -1;
    {
        std::lock_guard guard(mutex_);
        if (!connected_)
            return -1;
        const int source = FirstWithData();
        if (source >= 0) {
            converter = source;
            return HeldBack(Take(source, buffer, count));
        }
    }
    Platform().Sleep(kEmptyReadMs);
    return HeldBack(0);
}

int TScriptedPort::Write(const uint8_t* buffer, int count, int converter)
{
    std::vector<int> targets;
    {
        std::lock_guard guard(mutex_);
        if (!connected_)
            return -1;
        for (int i = 0; i < static_cast<int>(incoming_.size()); ++i)
            if (converter == -1 || converter == i)
                targets.push_back(i);
    }
    int result = -2;
    for (int target : targets) {
        {
            std::lock_guard guard(mutex_);
            MoveDueBytes();
            incoming_[static_cast<size_t>(target)].clear();  // the converter's purge
            writes_.push_back({target, std::vector<uint8_t>(buffer, buffer + count),
                               Platform().TickCount()});
            result = badEcho_[static_cast<size_t>(target)] ? -2 : count;
        }
        if (result == count && onWrite)
            onWrite(target, std::vector<uint8_t>(buffer, buffer + count));
    }
    return result;
}

std::vector<uint8_t> Wire(std::vector<uint8_t> record)
{
    record.push_back(FrameCheck(record.data(), record.size()));
    return record;
}

}  // namespace kv::test
