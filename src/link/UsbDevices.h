#pragma once
// Finding the USB serial converters through sysfs and /dev/serial/by-id.

#include <string>
#include <vector>

namespace kv {

struct ConverterInfo {
    std::string path;  // the device node
    std::string serialNumber;
    std::string description;
    std::string vendorId;  // "0403" for FTDI; empty when not a USB device
};

// Where the system keeps its device tree; tests point these at a tree of their own.
struct TDeviceRoots {
    std::string sysfs = "/sys";
    std::string dev = "/dev";
};

// Every USB serial converter, FTDI ones first, each group in device-name order, at most
// maxConverters.
std::vector<ConverterInfo> EnumerateConverters(int maxConverters,
                                               const TDeviceRoots& roots = TDeviceRoots());
// The named device paths that exist, in the order given, at most maxConverters.
std::vector<ConverterInfo> ListedConverters(const std::vector<std::string>& paths,
                                            int maxConverters);

}  // namespace kv
