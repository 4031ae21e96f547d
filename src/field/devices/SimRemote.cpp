#include "field/devices/SimRemote.h"

#include <algorithm>

namespace kv {

namespace {

constexpr TSimRemote::TRecord kEmpty{0xFF, 0xFF, 0, 0, 0};

}  // namespace

TSimRemote::TSimRemote(const TRemoteSetup& setup)
    : TSimDevice(0, setup.converter, setup.version),
      setup_(setup),
      records_(static_cast<size_t>(std::max(setup.records, 0)), kEmpty),
      writeMode_(setup.writeMode)
{
}

void TSimRemote::Hear(const TWireFrame& f, TBusContext& bus)
{
    if (bus.NowNs() < busyUntilNs_)
        return;
    if (f[0] == 0x91 && writeMode_) {
        Store(f, bus);
        return;
    }
    if (!IsForMe(f))
        return;
    switch (f[0]) {
    case 0x80:
        SendVersion(bus);
        break;
    case 0x8F:
        SendIdentification(bus, static_cast<int>(written_), -1);
        if (Version() >= kEraseVersion)
            writeMode_ = false;  // the verification that follows a write ends write mode
        break;
    case 0x92: {
        const size_t number = static_cast<size_t>(f[3] + 256 * f[4]);
        if (number >= 1 && number <= records_.size()) {
            const TRecord& r = records_[number - 1];
            bus.Send(MakeWireFrame(0x91, r[0], r[1], r[2], r[3], r[4]));
        }
        break;
    }
    case 0x8A:
        if (Version() >= kEraseVersion) {
            const int64_t durationNs = int64_t{setup_.eraseMs} * 1'000'000;
            std::fill(records_.begin(), records_.end(), kEmpty);
            written_ = 0;
            writeMode_ = true;
            busyUntilNs_ = bus.NowNs() + durationNs;
            bus.Send(Answer(0x7F, 'C', 'l', 'E', 'e'), durationNs);
        }
        break;
    default:
        break;
    }
}

void TSimRemote::Store(const TWireFrame& f, TBusContext& bus)
{
    TRecord record{f[1], f[2], f[3], f[4], f[5]};
    if (written_ < records_.size())
        records_[written_++] = record;
    else
        record = kEmpty;
    bus.Send(MakeWireFrame(0x6E, record[0], record[1], record[2], record[3], record[4]));
}

}  // namespace kv
