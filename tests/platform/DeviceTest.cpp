#include "Device.h"
#include "PowerSourceFactory.h"
#include "SimulatedPowerSource.h"
#include "SysfsPowerSource.h"
#include "TestSupport.h"

#include <QSignalSpy>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {
QString makeBattery(const QTemporaryDir& dir, const char* status, const char* capacity) {
    writeFile(dir.filePath("BAT0/type"), "Battery\n");
    writeFile(dir.filePath("BAT0/status"), QByteArray(status) + "\n");
    writeFile(dir.filePath("BAT0/capacity"), QByteArray(capacity) + "\n");
    return dir.path();
}
} // namespace

TEST(Device, PollingEmitsOneSignalPerKindOfChange) {
    QTemporaryDir dir;
    Device device(std::make_unique<SysfsPowerSource>(makeBattery(dir, "Discharging", "80")), 60000);
    QSignalSpy level(&device, &Device::batteryLevelDidChange);
    QSignalSpy state(&device, &Device::batteryStateDidChange);

    EXPECT_FLOAT_EQ(device.batteryLevel(), -1.0f) << "no readings before monitoring";
    device.setBatteryMonitoringEnabled(true);
    EXPECT_FLOAT_EQ(device.batteryLevel(), 0.8f);
    device.poll();
    EXPECT_EQ(level.count(), 0);
    EXPECT_EQ(state.count(), 0);

    makeBattery(dir, "Discharging", "79");
    device.poll();
    EXPECT_EQ(level.count(), 1);
    EXPECT_EQ(state.count(), 0);

    makeBattery(dir, "Charging", "79");
    device.poll();
    EXPECT_EQ(level.count(), 1);
    EXPECT_EQ(state.count(), 1);
    EXPECT_EQ(device.batteryState(), BatteryStateCharging);

    device.setBatteryMonitoringEnabled(false);
    makeBattery(dir, "Full", "100");
    device.poll();
    EXPECT_EQ(level.count(), 1) << "no notifications while monitoring is off";
}

TEST(Device, PollIntervalComesFromTheEnvironment) {
    qputenv("AMPELIO_POLL_SECONDS", "1");
    EXPECT_EQ(Device::pollMillisecondsFromEnvironment(), 1000);
    qputenv("AMPELIO_POLL_SECONDS", "nonsense");
    EXPECT_EQ(Device::pollMillisecondsFromEnvironment(), 30000);
    qunsetenv("AMPELIO_POLL_SECONDS");
    EXPECT_EQ(Device::pollMillisecondsFromEnvironment(), 30000);
}

TEST(PowerSourceFactory, ChoosesSysfsOnlyWhereABatteryExists) {
    QTemporaryDir withBattery;
    makeBattery(withBattery, "Full", "100");
    QTemporaryDir empty;

    qputenv("AMPELIO_POWER_SUPPLY_DIR", QFile::encodeName(withBattery.path()));
    qunsetenv("AMPELIO_POWER_SOURCE");
    EXPECT_NE(dynamic_cast<SysfsPowerSource*>(PowerSourceFactory::createFromEnvironment().get()),
              nullptr);

    qputenv("AMPELIO_POWER_SOURCE", "simulated");
    EXPECT_NE(
        dynamic_cast<SimulatedPowerSource*>(PowerSourceFactory::createFromEnvironment().get()),
        nullptr);

    qputenv("AMPELIO_POWER_SUPPLY_DIR", QFile::encodeName(empty.path()));
    qputenv("AMPELIO_POWER_SOURCE", "auto");
    EXPECT_NE(
        dynamic_cast<SimulatedPowerSource*>(PowerSourceFactory::createFromEnvironment().get()),
        nullptr);

    qputenv("AMPELIO_POWER_SOURCE", "sysfs");
    EXPECT_NE(dynamic_cast<SysfsPowerSource*>(PowerSourceFactory::createFromEnvironment().get()),
              nullptr)
        << "an explicit choice holds even without a battery";
    qunsetenv("AMPELIO_POWER_SOURCE");
    qunsetenv("AMPELIO_POWER_SUPPLY_DIR");
}

TEST(SimulatedPowerSource, RunsADeterministicCycleAndReportsEveryKey) {
    using S = SimulatedPowerSource;
    const double cycleStart = 1800.0 * S::CycleSeconds; // a whole number of cycles
    EXPECT_EQ(S::readingAt(cycleStart).state, BatteryStateUnplugged);
    EXPECT_DOUBLE_EQ(S::readingAt(cycleStart).level, 1.0);
    EXPECT_NEAR(S::readingAt(cycleStart + S::DischargeSeconds - 1).level, 0.25, 1e-4);
    EXPECT_EQ(S::readingAt(cycleStart + S::DischargeSeconds + 1).state, BatteryStateCharging);
    EXPECT_EQ(S::readingAt(cycleStart + S::DischargeSeconds + S::ChargeSeconds + 1).state,
              BatteryStateFull);

    FakeClock clock(cycleStart + 3600);
    S source;
    const auto table = source.properties();
    for (const QString& key :
         {S::CurrentCapacity, S::MaxCapacity, S::DesignCapacity, S::Voltage, S::BootVoltage,
          S::Amperage, S::InstantAmperage, S::CycleCount, S::Temperature})
        EXPECT_TRUE(table.contains(key)) << qPrintable(key);
    EXPECT_LT(table.value(S::InstantAmperage), 0.0);
    EXPECT_NEAR(source.accurateBatteryLevel(), 0.9, 0.001);
    EXPECT_FLOAT_EQ(source.level(), 0.9f);

    S fast(10.0);
    clock.advance(S::DischargeSeconds / 10.0);
    EXPECT_EQ(fast.state(), BatteryStateCharging) << "ten times faster reaches charging sooner";
    // The simulated charger feeds the machine as well as the battery, so the machine's own draw
    // (charger current less battery current) stays what it was while discharging.
    const auto charging = fast.properties();
    EXPECT_DOUBLE_EQ(charging.value(S::Amperage) - charging.value(S::InstantAmperage),
                     -table.value(S::InstantAmperage));
}
