#include "link/UsbDevices.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <unistd.h>

namespace kv {
namespace {

namespace fs = std::filesystem;

// A device tree: USB devices with their ttys under sys/, the nodes and by-id links under dev/.
class ConverterEnumeration : public ::testing::Test {
protected:
    ConverterEnumeration()
        : root_(fs::temp_directory_path() / ("kv-enum-" + std::to_string(getpid())))
    {
        fs::remove_all(root_);
        roots_.sysfs = (root_ / "sys").string();
        roots_.dev = (root_ / "dev").string();
        fs::create_directories(root_ / "sys/bus/usb-serial/devices");
        fs::create_directories(root_ / "dev/serial/by-id");
    }
    ~ConverterEnumeration() override { fs::remove_all(root_); }

    void AddUsbTty(const std::string& tty, const std::string& vendor, const std::string& serial,
                   const std::string& product, bool usbSerial)
    {
        const fs::path usb = root_ / "sys/devices/usb1" / ("1-" + tty);
        const fs::path iface = usb / "1-1:1.0" / tty;
        fs::create_directories(iface);
        std::ofstream(usb / "idVendor") << vendor << "\n";
        std::ofstream(usb / "serial") << serial << "\n";
        std::ofstream(usb / "product") << product << "\n";
        fs::create_directories(root_ / "sys/class/tty" / tty);
        fs::create_directory_symlink(iface, root_ / "sys/class/tty" / tty / "device");
        if (usbSerial)
            fs::create_directories(root_ / "sys/bus/usb-serial/devices" / tty);
        else
            fs::create_symlink("../../" + tty, root_ / "dev/serial/by-id" / ("usb-" + serial));
    }

    fs::path root_;
    TDeviceRoots roots_;
};

TEST_F(ConverterEnumeration, FtdiFirstThenTheOthersEachInDeviceOrder)
{
    AddUsbTty("ttyUSB10", "0403", "FT10", "RS485 ten", true);
    AddUsbTty("ttyUSB2", "0403", "FT2", "RS485 two", true);
    AddUsbTty("ttyUSB0", "10c4", "CP0", "CP2102", true);
    AddUsbTty("ttyACM0", "2341", "ACM", "Other", false);

    const auto found = EnumerateConverters(16, roots_);
    ASSERT_EQ(found.size(), 4u);
    EXPECT_EQ(found[0].path, roots_.dev + "/ttyUSB2");
    EXPECT_EQ(found[0].serialNumber, "FT2");
    EXPECT_EQ(found[0].description, "RS485 two");
    EXPECT_EQ(found[1].path, roots_.dev + "/ttyUSB10");
    EXPECT_EQ(found[2].path, roots_.dev + "/ttyACM0");
    EXPECT_EQ(found[3].vendorId, "10c4");

    const auto limited = EnumerateConverters(2, roots_);
    ASSERT_EQ(limited.size(), 2u);
    EXPECT_EQ(limited[1].serialNumber, "FT10");
}

TEST_F(ConverterEnumeration, ListedPathsKeepTheirOrderAndSkipMissingNodes)
{
    fs::create_directories(root_ / "dev");
    std::ofstream(root_ / "dev/b");
    std::ofstream(root_ / "dev/a");
    const auto listed = ListedConverters(
        {(root_ / "dev/b").string(), (root_ / "dev/gone").string(), (root_ / "dev/a").string()}, 16);
    ASSERT_EQ(listed.size(), 2u);
    EXPECT_EQ(listed[0].path, (root_ / "dev/b").string());
    EXPECT_EQ(listed[1].path, (root_ / "dev/a").string());
}

}  // namespace
}  // namespace kv
