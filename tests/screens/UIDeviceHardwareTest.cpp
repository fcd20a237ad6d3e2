#include "UIDeviceHardware.h"
#include "FakePowerSource.h"

#include <gtest/gtest.h>

using H = UIDeviceHardware;

TEST(UIDeviceHardware, ModelTables) {
    EXPECT_EQ(H::platformTypeFor("iPhone3,1", 320), H::IPhone4);
    EXPECT_EQ(H::platformStringFor(H::IPhone4), "iPhone 4");
    EXPECT_EQ(H::platformCodeFor(H::IPhone4), "N89");
    EXPECT_EQ(H::batterymAFor("iPhone3,1"), 1420.0);
    EXPECT_EQ(H::batteryVFor("iPhone3,1"), 3.7);

    EXPECT_EQ(H::platformTypeFor("iPhone4,1", 320), H::IPhone5);
    EXPECT_EQ(H::platformCodeFor(H::IPhone5), "Unknown iPhone");
    EXPECT_FALSE(H::batterymAFor("iPhone4,1"));

    EXPECT_EQ(H::batteryVFor("iPad2,1"), 3.8);
    EXPECT_EQ(H::platformTypeFor("iPad3,1", 768), H::UnknownIPad);
    EXPECT_EQ(H::platformStringFor(H::UnknownIPad), "Unknown iOS device");
    EXPECT_EQ(H::platformCodeFor(H::UnknownIPad), "Unknown iPad");
    EXPECT_FALSE(H::batterymAFor("iPad3,1"));
    EXPECT_EQ(H::batteryVFor("iPad3,1"), 3.75);

    EXPECT_EQ(H::platformTypeFor("iFPGA", 320), H::IFPGA);
    EXPECT_EQ(H::platformTypeFor("AppleTV2,1", 320), H::AppleTV2G);
    EXPECT_EQ(H::platformTypeFor("aarch64", 320), H::UnknownPlatform);
    EXPECT_FALSE(H::batteryVFor("x86_64"));
}

TEST(UIDeviceHardware, DesktopProcessorsAreSimulatorsSizedByTheScreen) {
    EXPECT_EQ(H::platformTypeFor("i386", 767), H::SimulatorPhone);
    EXPECT_EQ(H::platformTypeFor("x86_64", 768), H::SimulatorTablet);
    EXPECT_EQ(H::platformTypeFor("x86_64", std::nullopt), H::SimulatorPhone);
    EXPECT_EQ(H::platformStringFor(H::SimulatorTablet), "iPad Simulator");
}

TEST(UIDeviceHardware, EnergyPrefersTheMeasuredCapacityAndTheBatteryVoltage) {
    FakePowerSource battery;
    battery.voltage = 11.4;
    const UIDeviceHardware hardware(battery, 320);
    // This machine's model identifier is not in the phone table, so the battery's voltage serves.
    ASSERT_FALSE(H::batteryVFor(hardware.platform()));
    EXPECT_EQ(hardware.batteryV(), 11.4);
    EXPECT_FALSE(hardware.batteryWh()) << "no capacity known";
    battery.table.insert(PowerSource::MaxCapacity, 1380);
    EXPECT_DOUBLE_EQ(hardware.batteryWh().value_or(0), 11.4 * 1380);
    battery.table.insert(PowerSource::MaxCapacity, 100); // percent: no capacity at all here
    EXPECT_FALSE(hardware.batteryWh());
    battery.voltage.reset();
    battery.table.insert(PowerSource::MaxCapacity, 1380);
    EXPECT_FALSE(hardware.batteryWh()) << "no voltage known";
}

// Read off the machine running the test: only what every Linux machine has is asserted.
TEST(UIDeviceHardware, SystemFiguresComeFromTheRunningMachine) {
    FakePowerSource battery;
    const UIDeviceHardware hardware(battery, 320);
    EXPECT_GT(hardware.totalMemory(), 0u);
    EXPECT_LE(hardware.userMemory(), hardware.totalMemory()) << "available within the total";
    EXPECT_EQ(hardware.busFrequency(), 0u) << "Linux does not expose it";
    EXPECT_GT(hardware.maxSocketBufferSize(), 0u);
    EXPECT_GT(hardware.totalDiskSpace(), 0.0);
    EXPECT_LE(hardware.freeDiskSpace(), hardware.totalDiskSpace());
    // Machines without cpufreq (many virtual ones) report 0, the others at least 1 MHz.
    EXPECT_TRUE(hardware.cpuFrequency() == 0u || hardware.cpuFrequency() >= 1000000u);
}
