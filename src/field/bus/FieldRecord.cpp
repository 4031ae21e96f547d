#include "field/bus/FieldRecord.h"

#include <cstdio>

namespace kv {

namespace {

std::string TimeText(int64_t ns)
{
    char text[48];
    std::snprintf(text, sizeof text, "%u.%03u", FieldTick(ns),
                  static_cast<unsigned>((ns / 1000) % 1000));
    return text;
}

}  // namespace

std::string DescribeFrame(const TFrameEntry& entry)
{
    std::string line = TimeText(entry.endNs) + " c" + std::to_string(entry.converter) +
                       (entry.origin == TFrameOrigin::Pc ? " pc>" : " <field");
    char hex[4];
    for (uint8_t byte : entry.bytes) {
        std::snprintf(hex, sizeof hex, " %02X", byte);
        line += hex;
    }
    if (entry.damaged)
        line += " (damaged)";
    return line;
}

std::string DescribeShot(const TShotEntry& entry)
{
    std::string line = TimeText(entry.ns) + " c" + std::to_string(entry.converter) +
                       " fired module " + std::to_string(entry.address) + " channel " +
                       std::to_string(entry.channel + 1) +
                       (entry.source == TShotSource::Memory ? " from memory" : " by command");
    if (entry.shot > 1)
        line += " (shot " + std::to_string(entry.shot) + ")";
    if (entry.chargeVolts > 0)
        line += " charge " + std::to_string(entry.chargeVolts) + " V";
    return line;
}

}  // namespace kv
