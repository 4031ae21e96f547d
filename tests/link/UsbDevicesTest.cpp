#include "rigs/DeviceTree.h"

#include <gtest/gtest.h>

namespace kv {
namespace {

class ConverterEnumeration : public ::testing::Test {
protected:
    TDeviceTree tree;
};

// This test once took every USB serial device: a modem port sorted last made every broadcast
// fail its echo, and fire frames went into it. Only the bridge chips converters use are taken.
TEST_F(ConverterEnumeration, BridgeChipsOnlyFtdiFirstThenTheOthersEachInDeviceOrder)
{
    tree.AddUsbTty("ttyUSB10", "0403", "FT10", "RS485 ten", "ftdi_sio", true);
    tree.AddUsbTty("ttyUSB2", "0403", "FT2", "RS485 two", "ftdi_sio", true);
    tree.AddUsbTty("ttyUSB0", "10c4", "CP0", "CP2102", "cp210x", true);
    tree.AddUsbTty("ttyUSB1", "1a86", "CH1", "CH340", "ch341-uart", true);
    tree.AddUsbTty("ttyUSB3", "067b", "PL3", "PL2303", "pl2303", true);
    tree.AddUsbTty("ttyUSB4", "2c7c", "MODEM", "LTE modem", "option1", true);
    tree.AddUsbTty("ttyACM0", "2341", "ACM", "Board", "cdc_acm", false);

    const auto found = EnumerateConverters(16, tree.roots);
    ASSERT_EQ(found.size(), 5u);
    EXPECT_EQ(found[0].path, tree.roots.dev + "/ttyUSB2");
    EXPECT_EQ(found[0].serialNumber, "FT2");
    EXPECT_EQ(found[0].description, "RS485 two");
    EXPECT_EQ(found[0].driver, "ftdi_sio");
    EXPECT_EQ(found[1].path, tree.roots.dev + "/ttyUSB10");
    EXPECT_EQ(found[2].path, tree.roots.dev + "/ttyUSB0");
    EXPECT_EQ(found[2].vendorId, "10c4");
    EXPECT_EQ(found[3].driver, "ch341-uart");
    EXPECT_EQ(found[4].path, tree.roots.dev + "/ttyUSB3");

    const auto limited = EnumerateConverters(2, tree.roots);
    ASSERT_EQ(limited.size(), 2u);
    EXPECT_EQ(limited[1].serialNumber, "FT10");
}

// This test once saw a named path that did not exist dropped without a word; it is now kept,
// so that opening it fails and the operator is told which one.
TEST_F(ConverterEnumeration, ListedPathsKeepTheirOrder)
{
    const auto listed = ListedConverters({"/dev/b", "/dev/gone", "/dev/a"}, 2);
    ASSERT_EQ(listed.size(), 2u);
    EXPECT_EQ(listed[0].path, "/dev/b");
    EXPECT_EQ(listed[1].path, "/dev/gone");
}

}  // namespace
}  // namespace kv
