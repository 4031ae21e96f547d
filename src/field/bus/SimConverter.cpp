#include "field/bus/SimConverter.h"

#include "field/devices/SimDevice.h"

#include <algorithm>

namespace kv {

void TSimConverter::SetPlugged(int64_t atNs, bool plugged)
{
    const auto at = std::upper_bound(plugChanges_.begin(), plugChanges_.end(), atNs,
                                     [](int64_t ns, const auto& change) { return ns < change.first; });
    plugChanges_.insert(at, {atNs, plugged});
}

bool TSimConverter::PluggedAt(int64_t ns) const
{
    bool plugged = true;
    for (const auto& [at, state] : plugChanges_) {
        if (at > ns)
            break;
        plugged = state;
    }
    return plugged;
}

bool TSimConverter::OutWithin(int64_t fromNs, int64_t toNs) const
{
    if (!PluggedAt(fromNs))
        return true;
    return std::any_of(plugChanges_.begin(), plugChanges_.end(), [&](const auto& change) {
        return change.first > fromNs && change.first <= toNs && !change.second;
    });
}

int64_t TSimConverter::NextPlugChangeNs(int64_t nowNs) const
{
    for (const auto& change : plugChanges_)
        if (change.first > nowNs)
            return change.first;
    return kNeverNs;
}

void TSimConverter::Deliver(int64_t ns, uint8_t byte)
{
    if (!PluggedAt(ns))
        return;
    const auto at = std::upper_bound(queue_.begin(), queue_.end(), ns,
                                     [](int64_t t, const TArrival& a) { return t < a.ns; });
    queue_.insert(at, {ns, byte});
}

int TSimConverter::Arrived(int64_t nowNs) const
{
    const auto end = std::upper_bound(queue_.begin(), queue_.end(), nowNs,
                                      [](int64_t t, const TArrival& a) { return t < a.ns; });
    return static_cast<int>(end - queue_.begin());
}

int TSimConverter::Take(int64_t nowNs, uint8_t* buffer, int count)
{
    const int n = std::min(count, Arrived(nowNs));
    for (int i = 0; i < n; ++i) {
        buffer[i] = queue_.front().byte;
        queue_.pop_front();
    }
    return n;
}

void TSimConverter::PurgeArrived(int64_t nowNs)
{
    queue_.erase(queue_.begin(), queue_.begin() + Arrived(nowNs));
}

int64_t TSimConverter::NextArrivalNs(int64_t nowNs) const
{
    const int arrived = Arrived(nowNs);
    return arrived < static_cast<int>(queue_.size()) ? queue_[static_cast<size_t>(arrived)].ns
                                                     : kNeverNs;
}

}  // namespace kv
