#include "rigs/DeviceTree.h"

#include <fstream>
#include <unistd.h>

namespace kv {

namespace fs = std::filesystem;

TDeviceTree::TDeviceTree()
    : root(fs::temp_directory_path() / ("kv-tree-" + std::to_string(getpid())))
{
    fs::remove_all(root);
    roots.sysfs = (root / "sys").string();
    roots.dev = (root / "dev").string();
    fs::create_directories(root / "sys/bus/usb-serial/devices");
    fs::create_directories(root / "dev/serial/by-id");
}

TDeviceTree::~TDeviceTree()
{
    fs::remove_all(root);
}

void TDeviceTree::AddUsbTty(const std::string& tty, const std::string& vendor,
                            const std::string& serial, const std::string& product,
                            const std::string& driver, bool usbSerial)
{
    const fs::path usb = root / "sys/devices/usb1" / ("1-" + tty);
    const fs::path port = usb / "1-1:1.0" / tty;
    fs::create_directories(port);
    std::ofstream(usb / "idVendor") << vendor << "\n";
    std::ofstream(usb / "serial") << serial << "\n";
    std::ofstream(usb / "product") << product << "\n";
    const fs::path drivers = root / "sys/bus/usb-serial/drivers" / driver;
    fs::create_directories(drivers);
    fs::create_directory_symlink(drivers, port / "driver");
    fs::create_directories(root / "sys/class/tty" / tty);
    fs::create_directory_symlink(port, root / "sys/class/tty" / tty / "device");
    if (usbSerial)
        fs::create_directories(root / "sys/bus/usb-serial/devices" / tty);
    else
        fs::create_symlink("../../" + tty, root / "dev/serial/by-id" / ("usb-" + serial));
}

fs::path TDeviceTree::Node(const std::string& tty) const
{
    return root / "dev" / tty;
}

}  // namespace kv
