#include "support/platform/PowerSupply.h"

#include "rigs/TempFolder.h"

#include <gtest/gtest.h>

using kv::ReadPowerSupply;
using kv::TPowerStatus;

namespace {

void AddSupply(const kvtest::TTempFolder& sys, const std::string& name, const std::string& type,
               std::initializer_list<std::pair<const char*, const char*>> values)
{
    sys.Write(name + "/type", type + "\n");
    for (const auto& [file, value] : values)
        sys.Write(name + "/" + file, std::string(value) + "\n");
}

}  // namespace

TEST(PowerSupply, MainsOnlineWithABatteryAndItsCapacity)
{
    kvtest::TTempFolder sys;
    AddSupply(sys, "AC", "Mains", {{"online", "1"}});
    AddSupply(sys, "BAT0", "Battery", {{"present", "1"}, {"capacity", "57"}});
    TPowerStatus status;
    ASSERT_TRUE(ReadPowerSupply(status, sys.Path()));
    EXPECT_EQ(status.acLineStatus, 1);
    EXPECT_EQ(status.batteryFlag & 128, 0);
    EXPECT_EQ(status.batteryLifePercent, 57);
}

TEST(PowerSupply, OnBatteryTheLineIsOffline)
{
    kvtest::TTempFolder sys;
    AddSupply(sys, "ADP1", "Mains", {{"online", "0"}});
    AddSupply(sys, "BAT1", "Battery", {{"capacity", "29"}});
    TPowerStatus status;
    ASSERT_TRUE(ReadPowerSupply(status, sys.Path()));
    EXPECT_EQ(status.acLineStatus, 0);
    EXPECT_EQ(status.batteryLifePercent, 29);
}

TEST(PowerSupply, MainsWithoutBatteryReportsNoBattery)
{
    kvtest::TTempFolder sys;
    AddSupply(sys, "AC", "Mains", {{"online", "1"}});
    AddSupply(sys, "BAT0", "Battery", {{"present", "0"}, {"capacity", "80"}});
    TPowerStatus status;
    ASSERT_TRUE(ReadPowerSupply(status, sys.Path()));
    EXPECT_EQ(status.batteryFlag & 128, 128);
    EXPECT_EQ(status.batteryLifePercent, 255);
}

TEST(PowerSupply, NoSupplyAtAllCannotBeRead)
{
    kvtest::TTempFolder sys;
    TPowerStatus status;
    EXPECT_FALSE(ReadPowerSupply(status, sys.Path()));
    EXPECT_FALSE(ReadPowerSupply(status, sys.Path() + "missing"));
    AddSupply(sys, "BAT0", "Battery", {{"present", "0"}});
    EXPECT_FALSE(ReadPowerSupply(status, sys.Path()));
}

TEST(PowerSupply, AWirelessMouseBatteryIsNotThePcsBattery)
{
    kvtest::TTempFolder sys;
    AddSupply(sys, "hidpp_battery_0", "Battery", {{"scope", "Device"}, {"capacity", "12"}});
    TPowerStatus status;
    EXPECT_FALSE(ReadPowerSupply(status, sys.Path()));
    AddSupply(sys, "AC", "Mains", {{"online", "0"}});
    AddSupply(sys, "BAT0", "Battery", {{"capacity", "64"}});
    ASSERT_TRUE(ReadPowerSupply(status, sys.Path()));
    EXPECT_EQ(status.batteryLifePercent, 64);
}
