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
    std::string driver;    // the kernel driver of the serial port; empty when unknown
};

// Where the system keeps its device tree; tests point these at a tree of their own.
struct TDeviceRoots {
    std::string sysfs = "/sys";
    std::string dev = "/dev";
};

// Every USB serial device built on a USB-to-serial bridge chip (FTDI, CH341, CP210x, PL2303:
// the chips RS485 converters use), FTDI ones first, each group in device-name order, at most
// maxConverters. Modems and other CDC-ACM devices never answer a frame with its echo and
// must not be sent fire frames: they are taken only when named.
std::vector<ConverterInfo> EnumerateConverters(int maxConverters,
                                               const TDeviceRoots& roots = TDeviceRoots());
// The named device paths, in the order given, at most maxConverters; one that does not exist
// fails to open, and that is reported.
std::vector<ConverterInfo> ListedConverters(const std::vector<std::string>& paths,
                                            int maxConverters);

}  // namespace kv
