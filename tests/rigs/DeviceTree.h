#pragma once
// A device tree of its own for the converter search: USB devices with their ttys and drivers
// under sys/, the nodes and by-id links under dev/.

#include "link/UsbDevices.h"

#include <filesystem>
#include <string>

namespace kv {

class TDeviceTree {
public:
    TDeviceTree();
    ~TDeviceTree();
    TDeviceTree(const TDeviceTree&) = delete;
    TDeviceTree& operator=(const TDeviceTree&) = delete;

    // usbSerial: listed by the usb-serial bus (ttyUSB); otherwise only by a by-id link (ttyACM).
    void AddUsbTty(const std::string& tty, const std::string& vendor, const std::string& serial,
                   const std::string& product, const std::string& driver, bool usbSerial);
    // The device node dev/tty, a link to a real terminal.
    std::filesystem::path Node(const std::string& tty) const;

    const std::filesystem::path root;
    TDeviceRoots roots;
};

}  // namespace kv
