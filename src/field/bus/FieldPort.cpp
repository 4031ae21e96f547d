#include "field/bus/FieldPort.h"

#include <algorithm>

namespace kv {

namespace {

constexpr int64_t kReadTimeoutNs = 20'000'000;
constexpr int64_t kSmallestWaitNs = 100'000;
constexpr int64_t kLongestWaitNs = 1'000'000;  // other writers may bring bytes meanwhile

}  // namespace

TFieldPort::TFieldPort(std::shared_ptr<TField> field, int maxConverters,
                       std::vector<int> converters)
    : field_(std::move(field)), maxConverters_(maxConverters), own_(std::move(converters))
{
}

bool TFieldPort::Open()
{
    bound_.clear();
    openNs_ = field_->Clock().NowNs();
    for (int i = 0; i < field_->ConverterCount() && static_cast<int>(bound_.size()) < maxConverters_; ++i) {
        const bool own = own_.empty() || std::find(own_.begin(), own_.end(), i) != own_.end();
        if (own && field_->PluggedNow(i)) {
            bound_.push_back(i);
            field_->Purge(i);
        }
    }
    held_.assign(bound_.size(), {});
    connected_ = !bound_.empty();
    return connected_;
}

void TFieldPort::Close()
{
    bound_.clear();
    held_.clear();
    connected_ = false;
}

bool TFieldPort::Reopen()
{
    Close();
    return Open();
}

int TFieldPort::DeviceCount()
{
    return static_cast<int>(bound_.size());
}

bool TFieldPort::Lost(int index)
{
    return field_->OutSince(bound_[static_cast<size_t>(index)], openNs_);
}

int TFieldPort::BytesAvailable()
{
    if (!connected_)
        return 0;
    int total = 0;
    for (int i = 0; i < DeviceCount(); ++i) {
        if (Lost(i))
            return -1;
        total += field_->Arrived(bound_[static_cast<size_t>(i)]) +
                 static_cast<int>(held_[static_cast<size_t>(i)].size());
    }
    return total;
}

int TFieldPort::ReadFirst(uint8_t* buffer, int count, int index, int& from)
{
    from = -1;
    if (!connected_)
        return -1;
    if (index >= DeviceCount() || count <= 0)
        return 0;
    const int first = index < 0 ? 0 : index;
    const int last = index < 0 ? DeviceCount() - 1 : index;
    TFieldClock& clock = field_->Clock();
    const int64_t deadline = clock.NowNs() + kReadTimeoutNs;
    for (;;) {
        for (int i = first; i <= last; ++i) {
            if (Lost(i))
                continue;
            std::vector<uint8_t>& held = held_[static_cast<size_t>(i)];
            const int fromHeld = std::min(count, static_cast<int>(held.size()));
            std::copy_n(held.begin(), fromHeld, buffer);
            held.erase(held.begin(), held.begin() + fromHeld);
            const int got =
                fromHeld > 0 ? fromHeld : field_->Take(bound_[static_cast<size_t>(i)], buffer, count);
            if (got > 0) {
                from = i;
                return got;
            }
        }
        const int64_t now = clock.NowNs();
        if (now >= deadline)
            return 0;
        const int64_t wake = std::min({deadline, field_->NextActivityNs(), now + kLongestWaitNs});
        clock.SleepUntilNs(std::max(wake, now + kSmallestWaitNs));
    }
}

int TFieldPort::Read(uint8_t* buffer, int count, int converter)
{
    int from = -1;
    return ReadFirst(buffer, count, converter, from);
}

int TFieldPort::ReadAny(uint8_t* buffer, int count, int& converter)
{
    return ReadFirst(buffer, count, -1, converter);
}

int TFieldPort::WriteOne(const uint8_t* buffer, int count, int index)
{
    const int converter = bound_[static_cast<size_t>(index)];
    if (Lost(index))
        return -2;
    // What waits is held for the next read, as the serial transport holds it before its purge.
    const int64_t echoed = field_->Transmit(converter, buffer, count, TField::TEcho::Consumed,
                                            &held_[static_cast<size_t>(index)]);
    if (echoed < 0)
        return -2;
    field_->Clock().SleepUntilNs(echoed);
    return field_->BadEcho(converter) ? -2 : count;
}

int TFieldPort::Write(const uint8_t* buffer, int count, int converter)
{
    if (!connected_)
        return -1;
    if (converter >= DeviceCount() || count <= 0)
        return -2;
    if (converter >= 0)
        return WriteOne(buffer, count, converter);
    return WriteToEach(DeviceCount(), count, [&](int i) { return WriteOne(buffer, count, i); });
}

void TFieldPort::WakeSources(TWakeSources& sources)
{
    if (!connected_)
        return;
    int changeFd = -1;
    const int64_t next = field_->Watch(changeFd);
    sources.fds.push_back(changeFd);
    // The next moment counts only bytes still on their way; those already come (since the
    // thread's read step) or held back by a purge turn no descriptor readable either.
    const bool waiting =
        std::any_of(held_.begin(), held_.end(), [](const auto& held) { return !held.empty(); }) ||
        std::any_of(bound_.begin(), bound_.end(), [&](int line) { return field_->Arrived(line) > 0; });
    if (waiting)
        sources.dueSteadyNs = 0;
    else if (next != kNeverNs)
        sources.dueSteadyNs = field_->Clock().SteadyNsAt(next);
}

}  // namespace kv
