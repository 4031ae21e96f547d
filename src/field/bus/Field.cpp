#include "field/bus/Field.h"

#include <algorithm>

namespace kv {

class TField::TContext : public TBusContext {
public:
    TContext(TField& field, TSimDevice& device, int64_t ns)
        : field_(field), device_(device), ns_(ns)
    {
    }
    int64_t NowNs() const override { return ns_; }
    void Send(const TWireFrame& frame, int64_t delayNs, const std::vector<uint8_t>& trailer,
              bool heardByDevices) override
    {
        const int64_t turnaround =
            device_.TurnaroundNs() >= 0 ? device_.TurnaroundNs() : field_.turnaroundNs_;
        field_.SendFromDevice(device_, ns_ + turnaround + delayNs, frame, trailer,
                              heardByDevices);
    }
    void RecordShot(int channel, TShotSource source, int shot, int chargeVolts) override
    {
        field_.RecordShot(device_, ns_, channel, source, shot, chargeVolts);
    }

private:
    TField& field_;
    TSimDevice& device_;
    int64_t ns_;
};

TField::TField(std::shared_ptr<TFieldClock> clock)
    : clock_(std::move(clock)), startNs_(clock_->NowNs())
{
}

TField::~TField() = default;

void TField::SetConverterCount(int count)
{
    std::lock_guard lock(mutex_);
    converters_.resize(static_cast<size_t>(std::max(count, 0)));
}

int TField::ConverterCount() const
{
    return static_cast<int>(converters_.size());
}

void TField::SetBaud(int baud)
{
    std::lock_guard lock(mutex_);
    baud_ = std::max(baud, 300);
}

void TField::SetTurnaroundUs(int64_t us)
{
    std::lock_guard lock(mutex_);
    turnaroundNs_ = std::max<int64_t>(us, 0) * 1000;
}

void TField::AddDevice(std::unique_ptr<TSimDevice> device)
{
    std::lock_guard lock(mutex_);
    if (device->Converter() >= static_cast<int>(converters_.size()))
        converters_.resize(static_cast<size_t>(device->Converter() + 1));
    devices_.push_back(std::move(device));
}

void TField::ShareLine(int converter, int withConverter)
{
    std::lock_guard lock(mutex_);
    const int needed = std::max(converter, withConverter) + 1;
    if (needed > static_cast<int>(converters_.size()))
        converters_.resize(static_cast<size_t>(needed));
    Converter(converter)->line = LineOf(withConverter);
}

int TField::LineOf(int converter) const
{
    if (converter < 0 || converter >= static_cast<int>(converters_.size()))
        return converter;
    const int line = converters_[static_cast<size_t>(converter)].line;
    return line < 0 ? converter : line;
}

std::vector<int> TField::OnLine(int converter) const
{
    std::vector<int> on;
    for (int i = 0; i < static_cast<int>(converters_.size()); ++i)
        if (LineOf(i) == LineOf(converter))
            on.push_back(i);
    return on;
}

int64_t TField::ElapsedMs()
{
    return (clock_->NowNs() - startNs_) / 1'000'000;
}

int64_t TField::LineNs(int count) const
{
    return int64_t{count} * 10'000'000'000 / baud_;  // 8N1: ten bits a byte
}

TSimConverter* TField::Converter(int index)
{
    if (index < 0 || index >= static_cast<int>(converters_.size()))
        return nullptr;
    return &converters_[static_cast<size_t>(index)];
}

void TField::Schedule(int64_t ns, std::function<void()> run)
{
    events_.push({ns, nextOrder_++, std::move(run)});
    changed_.Signal();
}

void TField::AdvanceTo(int64_t ns)
{
    for (;;) {
        TSimDevice* dueDevice = nullptr;
        int64_t due = kNeverNs;
        for (const auto& device : devices_) {
            const int64_t at = device->NextDueNs();
            if (at < due) {
                due = at;
                dueDevice = device.get();
            }
        }
        if (!events_.empty() && events_.top().ns <= due) {
            if (events_.top().ns > ns)
                return;
            const auto run = events_.top().run;
            events_.pop();
            run();
        } else if (dueDevice && due <= ns) {
            TContext context(*this, *dueDevice, due);
            dueDevice->RunDue(context);
        } else {
            return;
        }
    }
}

int64_t TField::Now()
{
    const int64_t now = clock_->NowNs();
    AdvanceTo(now);
    return now;
}

void TField::HearFromLine(int converter, const TWireFrame& frame, const TSimDevice* sender,
                          int64_t ns)
{
    // Index loop: a device may be told to renumber itself, never to leave.
    for (size_t i = 0; i < devices_.size(); ++i) {
        TSimDevice& device = *devices_[i];
        if (&device == sender || LineOf(device.Converter()) != LineOf(converter))
            continue;
        TContext context(*this, device, ns);
        device.Hear(frame, context);
    }
}

void TField::PutOnLine(int converter, int64_t ns, std::vector<uint8_t> bytes, bool damaged,
                       const TSimDevice* heardFrom, bool heardByDevices)
{
    TSimConverter* line = Converter(LineOf(converter));
    if (!line || bytes.empty())
        return;
    const int64_t start = std::max(ns, line->lineFreeNs);
    for (int heard : OnLine(converter))
        for (size_t i = 0; i < bytes.size(); ++i)
            Converter(heard)->Deliver(start + LineNs(static_cast<int>(i + 1)), bytes[i]);
    const int64_t end = start + LineNs(static_cast<int>(bytes.size()));
    line->lineFreeNs = end;
    if (heardByDevices && !damaged && bytes.size() >= 7) {
        TWireFrame frame;
        std::copy_n(bytes.begin(), 7, frame.begin());
        Schedule(end, [this, converter, frame, heardFrom, end] {
            HearFromLine(converter, frame, heardFrom, end);
        });
    }
    frames_.push_back({start, end, converter, TFrameOrigin::Field, std::move(bytes), damaged});
}

void TField::SendFromDevice(TSimDevice& device, int64_t ns, TWireFrame frame,
                            std::vector<uint8_t> trailer, bool heardByDevices)
{
    Schedule(ns, [this, &device, ns, frame, trailer = std::move(trailer), heardByDevices] {
        TDeviceFaults& faults = device.Faults();
        if (faults.SilentAt(ns))
            return;
        std::vector<uint8_t> bytes(frame.begin(), frame.end());
        bool damaged = false;
        if (faults.badCheckReplies > 0) {
            --faults.badCheckReplies;
            bytes[6] ^= 0x5A;
            damaged = true;
        } else if (faults.shortReplies > 0) {
            --faults.shortReplies;
            bytes.resize(4);
            damaged = true;
        }
        if (!damaged)
            bytes.insert(bytes.end(), trailer.begin(), trailer.end());
        PutOnLine(device.Converter(), ns, std::move(bytes), damaged, &device, heardByDevices);
    });
}

void TField::RecordShot(const TSimDevice& device, int64_t ns, int channel, TShotSource source,
                        int shot, int chargeVolts)
{
    shots_.push_back({ns, device.Converter(), device.Address(), channel, source, shot, chargeVolts});
}

void TField::Unplug(int converter, int64_t atMs)
{
    std::lock_guard lock(mutex_);
    if (TSimConverter* line = Converter(converter))
        line->SetPlugged(MsToNs(atMs), false);
    changed_.Signal();
}

void TField::Plug(int converter, int64_t atMs)
{
    std::lock_guard lock(mutex_);
    if (TSimConverter* line = Converter(converter))
        line->SetPlugged(MsToNs(atMs), true);
    changed_.Signal();
}

void TField::SetBadEcho(int converter, bool bad)
{
    std::lock_guard lock(mutex_);
    if (TSimConverter* line = Converter(converter))
        line->badEcho = bad;
}

void TField::InjectNoise(int converter, int64_t atMs, const std::vector<uint8_t>& bytes)
{
    std::lock_guard lock(mutex_);
    const int64_t ns = MsToNs(atMs);
    Schedule(ns, [this, converter, ns, bytes] {
        PutOnLine(converter, ns, bytes, true, nullptr, false);
    });
}

void TField::InjectFrame(int converter, int64_t atMs, const TWireFrame& frame)
{
    std::lock_guard lock(mutex_);
    const int64_t ns = MsToNs(atMs);
    Schedule(ns, [this, converter, ns, frame] {
        PutOnLine(converter, ns, {frame.begin(), frame.end()}, false, nullptr, true);
    });
}

void TField::Announce(int address, int64_t atMs)
{
    std::lock_guard lock(mutex_);
    const int64_t ns = MsToNs(atMs);
    Schedule(ns, [this, address, ns] {
        for (const auto& device : devices_) {
            if (device->Address() == address) {
                TContext context(*this, *device, ns);
                device->Announce(context);
            }
        }
    });
}

bool TField::WithDevice(int address, const std::function<void(TSimDevice&)>& use, int converter)
{
    std::lock_guard lock(mutex_);
    Now();
    for (const auto& device : devices_) {
        if (device->Address() == address && (converter < 0 || device->Converter() == converter)) {
            use(*device);
            changed_.Signal();  // its clock may have been set going
            return true;
        }
    }
    return false;
}

std::vector<TFrameEntry> TField::Frames(size_t from)
{
    std::lock_guard lock(mutex_);
    Now();
    if (from >= frames_.size())
        return {};
    return {frames_.begin() + static_cast<ptrdiff_t>(from), frames_.end()};
}

std::vector<TShotEntry> TField::Shots(size_t from)
{
    std::lock_guard lock(mutex_);
    Now();
    if (from >= shots_.size())
        return {};
    return {shots_.begin() + static_cast<ptrdiff_t>(from), shots_.end()};
}

void TField::ClearRecord()
{
    std::lock_guard lock(mutex_);
    Now();
    frames_.clear();
    shots_.clear();
}

int64_t TField::Transmit(int converter, const uint8_t* bytes, int count, TEcho echo,
                         std::vector<uint8_t>* waiting)
{
    std::lock_guard lock(mutex_);
    const int64_t now = Now();
    TSimConverter* line = Converter(converter);
    if (!line || !line->PluggedAt(now))
        return -1;
    if (echo == TEcho::Consumed) {
        if (waiting) {
            uint8_t arrived[256];
            for (int got; (got = line->Take(now, arrived, sizeof arrived)) > 0;)
                waiting->insert(waiting->end(), arrived, arrived + got);
        }
        line->PurgeArrived(now);  // a write empties the converter's receive queue first
    }
    const std::vector<int> others = OnLine(converter);
    for (int i = 0; i < count; ++i) {
        const int64_t end = now + LineNs(i + 1);
        if (echo == TEcho::Returned)
            line->Deliver(end, i == 0 && line->badEcho ? static_cast<uint8_t>(~bytes[0]) : bytes[i]);
        for (int other : others)
            if (other != converter)
                Converter(other)->Deliver(end, bytes[i]);
        TWireFrame frame;
        if (line->scanner.Push(bytes[i], frame)) {
            Schedule(end, [this, converter, frame, end] {
                frames_.push_back({end - LineNs(7), end, converter, TFrameOrigin::Pc,
                                   {frame.begin(), frame.end()}, false});
                HearFromLine(converter, frame, nullptr, end);
            });
        }
    }
    const int64_t end = now + LineNs(count);
    TSimConverter& shared = *Converter(LineOf(converter));
    shared.lineFreeNs = std::max(shared.lineFreeNs, end);
    changed_.Signal();
    return end;
}

bool TField::BadEcho(int converter)
{
    std::lock_guard lock(mutex_);
    const TSimConverter* line = Converter(converter);
    return line && line->badEcho;
}

bool TField::PluggedNow(int converter)
{
    std::lock_guard lock(mutex_);
    const TSimConverter* line = Converter(converter);
    return line && line->PluggedAt(Now());
}

bool TField::OutSince(int converter, int64_t sinceNs)
{
    std::lock_guard lock(mutex_);
    const TSimConverter* line = Converter(converter);
    return !line || line->OutWithin(sinceNs, Now());
}

int TField::Arrived(int converter)
{
    std::lock_guard lock(mutex_);
    const int64_t now = Now();
    const TSimConverter* line = Converter(converter);
    return line ? line->Arrived(now) : 0;
}

int TField::Take(int converter, uint8_t* buffer, int count)
{
    std::lock_guard lock(mutex_);
    const int64_t now = Now();
    TSimConverter* line = Converter(converter);
    return line ? line->Take(now, buffer, count) : 0;
}

void TField::Purge(int converter)
{
    std::lock_guard lock(mutex_);
    const int64_t now = Now();
    if (TSimConverter* line = Converter(converter))
        line->PurgeArrived(now);
}

int64_t TField::NextActivityNs()
{
    std::lock_guard lock(mutex_);
    return NextActivityAfter(Now());
}

int64_t TField::Watch(int& changeFd)
{
    std::lock_guard lock(mutex_);
    const int64_t now = Now();
    changed_.Clear();  // what the advance set going is in the answer
    changeFd = changed_.Fd();
    return NextActivityAfter(now);
}

int64_t TField::NextActivityAfter(int64_t now)
{
    int64_t next = events_.empty() ? kNeverNs : events_.top().ns;
    for (const auto& device : devices_)
        next = std::min(next, device->NextDueNs());
    for (const TSimConverter& line : converters_)
        next = std::min({next, line.NextArrivalNs(now), line.NextPlugChangeNs(now)});
    return next;
}

}  // namespace kv
