#include "SysfsPowerSource.h"
#include "TestSupport.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace {
QString fixture(const char* name) {
    return QStringLiteral(AMPELIO_PLATFORM_FIXTURES "/") + QLatin1String(name);
}
} // namespace

TEST(SysfsPowerSource, ChargeBasedBatteryMapsToMilliampHours) {
    SysfsPowerSource source(fixture("charge"));
    const auto table = source.properties();
    EXPECT_DOUBLE_EQ(table.value(PowerSource::CurrentCapacity), 3900.0);
    EXPECT_DOUBLE_EQ(table.value(PowerSource::MaxCapacity), 5200.0);
    EXPECT_DOUBLE_EQ(table.value(PowerSource::DesignCapacity), 5800.0);
    EXPECT_DOUBLE_EQ(table.value(PowerSource::Voltage), 12100.0);
    // Discharging: current flows out of the battery and nothing comes from a charger.
    EXPECT_DOUBLE_EQ(table.value(PowerSource::InstantAmperage), -1250.0);
    EXPECT_DOUBLE_EQ(table.value(PowerSource::Amperage), 0.0);
    EXPECT_DOUBLE_EQ(table.value(PowerSource::CycleCount), 123.0);
    EXPECT_DOUBLE_EQ(table.value(PowerSource::Temperature), 3010.0);
    EXPECT_FALSE(table.contains(PowerSource::BootVoltage));
    EXPECT_FLOAT_EQ(source.batteryData(PowerSource::BootVoltage), -1.0f);
    EXPECT_FLOAT_EQ(source.accurateBatteryLevel(), 0.75f);
    EXPECT_FLOAT_EQ(source.level(), 0.75f);
    EXPECT_EQ(source.state(), BatteryStateUnplugged);
    EXPECT_EQ(source.name(), QStringLiteral("5B10W13930 (BAT0)"));
    EXPECT_DOUBLE_EQ(source.designVoltage().value_or(0), 11.4);
}

TEST(SysfsPowerSource, EnergyBasedBatteryConvertsWithDesignVoltage) {
    SysfsPowerSource source(fixture("energy"));
    const auto table = source.properties();
    // 25.08 Wh at 11.4 V is 2200 mAh.
    EXPECT_NEAR(table.value(PowerSource::CurrentCapacity), 2200.0, 1e-9);
    EXPECT_NEAR(table.value(PowerSource::MaxCapacity), 4400.0, 1e-9);
    EXPECT_NEAR(table.value(PowerSource::DesignCapacity), 5000.0, 1e-9);
    // 14.28 W at 11.9 V is 1.2 A into the battery while charging.
    EXPECT_NEAR(table.value(PowerSource::InstantAmperage), 1200.0, 1e-9);
    EXPECT_FALSE(table.contains(PowerSource::Amperage))
        << "the adapter is online but does not report its current";
    EXPECT_FALSE(table.contains(PowerSource::CycleCount)) << "a cycle count of 0 means unknown";
    EXPECT_EQ(source.state(), BatteryStateCharging);
    EXPECT_FLOAT_EQ(source.accurateBatteryLevel(), 0.5f);
}

TEST(SysfsPowerSource, PercentOnlyBatteryReportsAHundredUnitBattery) {
    SysfsPowerSource source(fixture("percent"));
    const auto table = source.properties();
    EXPECT_DOUBLE_EQ(table.value(PowerSource::MaxCapacity), 100.0);
    EXPECT_DOUBLE_EQ(table.value(PowerSource::CurrentCapacity), 100.0);
    EXPECT_FALSE(table.contains(PowerSource::Voltage));
    EXPECT_FALSE(table.contains(PowerSource::Amperage)) << "no current known while full";
    EXPECT_FALSE(source.designVoltage());
    EXPECT_EQ(source.state(), BatteryStateFull);
    EXPECT_FLOAT_EQ(source.accurateBatteryLevel(), 1.0f);
}

TEST(SysfsPowerSource, MissingAndGarbageFilesReadAsAbsent) {
    {
        SysfsPowerSource source(fixture("missing"));
        EXPECT_FLOAT_EQ(source.batteryData(PowerSource::MaxCapacity), -1.0f);
        EXPECT_FLOAT_EQ(source.batteryData(PowerSource::CurrentCapacity), 2000.0f);
        EXPECT_FLOAT_EQ(source.accurateBatteryLevel(), -1.0f);
        EXPECT_FLOAT_EQ(source.level(), 0.40f) << "the platform level still answers";
    }
    LogCapture log;
    SysfsPowerSource source(fixture("garbage"));
    EXPECT_FLOAT_EQ(source.batteryData(PowerSource::CurrentCapacity), -1.0f);
    EXPECT_FLOAT_EQ(source.batteryData(PowerSource::InstantAmperage), -1.0f);
    EXPECT_FLOAT_EQ(source.batteryData(PowerSource::MaxCapacity), 5000.0f);
    EXPECT_FLOAT_EQ(source.accurateBatteryLevel(), -1.0f);
    EXPECT_FLOAT_EQ(source.level(), 0.80f);
    EXPECT_EQ(log.count(QStringLiteral("charge_now")), 1) << "each bad file is reported once";
}

TEST(SysfsPowerSource, ChoosesTheFirstSystemBatteryAndSkipsPeripherals) {
    SysfsPowerSource two(fixture("two"));
    EXPECT_FLOAT_EQ(two.accurateBatteryLevel(), 0.8f);

    QTemporaryDir dir;
    writeFiles(dir.path(), {{"0-mouse/type", "Battery\n"},
                            {"0-mouse/scope", "Device\n"},
                            {"0-mouse/capacity", "10\n"},
                            {"BAT0/type", "Battery\n"},
                            {"BAT0/capacity", "55\n"}});
    SysfsPowerSource source(dir.path());
    EXPECT_FLOAT_EQ(source.level(), 0.55f);

    SysfsPowerSource none(dir.filePath("does-not-exist"));
    EXPECT_TRUE(none.properties().isEmpty());
    EXPECT_FLOAT_EQ(none.level(), -1.0f);
    EXPECT_EQ(none.state(), BatteryStateUnknown);
}

TEST(SysfsPowerSource, ImplausibleCapacitiesGiveAFullOrUnknownLevel) {
    QTemporaryDir dir;
    writeFile(dir.filePath("BAT0/type"), "Battery\n");
    writeFile(dir.filePath("BAT0/charge_full"), "0\n");
    writeFile(dir.filePath("BAT0/charge_now"), "1000\n");
    SysfsPowerSource source(dir.path());
    EXPECT_FLOAT_EQ(source.accurateBatteryLevel(), -1.0f) << "not infinite";
    writeFile(dir.filePath("BAT0/charge_full"), "4000000\n");
    writeFile(dir.filePath("BAT0/charge_now"), "4120000\n"); // 103 %, common when full
    EXPECT_FLOAT_EQ(source.accurateBatteryLevel(), 1.0f);
    writeFile(dir.filePath("BAT0/charge_now"), "6000000\n"); // 150 %: a broken reading
    EXPECT_FLOAT_EQ(source.accurateBatteryLevel(), -1.0f);
}

TEST(SysfsPowerSource, LevelsAboveFullAreClampedUpTo120Percent) {
    QTemporaryDir dir;
    writeFile(dir.filePath("BAT0/type"), "Battery\n");
    writeFile(dir.filePath("BAT0/charge_full"), "4000000\n");
    SysfsPowerSource source(dir.path());
    const auto levelAt = [&](const char* chargeNow) {
        writeFile(dir.filePath("BAT0/charge_now"), chargeNow);
        return source.accurateBatteryLevel();
    };
    EXPECT_FLOAT_EQ(levelAt("3996000\n"), 0.999f) << "below full: as measured";
    EXPECT_FLOAT_EQ(levelAt("4000000\n"), 1.0f);
    EXPECT_FLOAT_EQ(levelAt("4004000\n"), 1.0f) << "100.1 %: full";
    EXPECT_FLOAT_EQ(levelAt("4800000\n"), 1.0f) << "120 %: still full";
    EXPECT_FLOAT_EQ(levelAt("4804000\n"), -1.0f) << "120.1 %: the reading is broken";
}

TEST(SysfsPowerSource, TheChargerCurrentComesOnlyFromAnAdapterThatReportsIt) {
    QTemporaryDir dir;
    writeFiles(dir.path(), {{"BAT0/type", "Battery\n"},
                            {"BAT0/status", "Charging\n"},
                            {"BAT0/current_now", "1200000\n"},
                            {"BAT0/voltage_now", "12000000\n"},
                            {"AC/type", "Mains\n"},
                            {"AC/online", "1\n"}});
    SysfsPowerSource source(dir.path());
    EXPECT_FLOAT_EQ(source.batteryData(PowerSource::Amperage), -1.0f)
        << "the battery's own current is no stand-in for the charger's";

    // A USB-C adapter at 20 V, 1.5 A: 30 W, which is 2.5 A at the battery's 12 V.
    writeFiles(dir.path(), {{"ucsi/type", "USB\n"},
                            {"ucsi/online", "0\n"},
                            {"ucsi/current_now", "1500000\n"},
                            {"ucsi/voltage_now", "20000000\n"}});
    EXPECT_FLOAT_EQ(source.batteryData(PowerSource::Amperage), -1.0f) << "an offline adapter";
    writeFile(dir.filePath("ucsi/online"), "1\n");
    EXPECT_FLOAT_EQ(source.batteryData(PowerSource::Amperage), 2500.0f);
    EXPECT_FLOAT_EQ(source.batteryData(PowerSource::InstantAmperage), 1200.0f);

    writeFile(dir.filePath("ucsi/online"), "0\n");
    writeFile(dir.filePath("BAT0/status"), "Discharging\n");
    EXPECT_FLOAT_EQ(source.batteryData(PowerSource::Amperage), 0.0f)
        << "unplugged, nothing comes from a charger";
}

TEST(SysfsPowerSource, StatusTexts) {
    EXPECT_EQ(SysfsPowerSource::stateFromStatus("Discharging"), BatteryStateUnplugged);
    EXPECT_EQ(SysfsPowerSource::stateFromStatus("Charging"), BatteryStateCharging);
    EXPECT_EQ(SysfsPowerSource::stateFromStatus("Full"), BatteryStateFull);
    EXPECT_EQ(SysfsPowerSource::stateFromStatus("Not charging"), BatteryStateFull);
    EXPECT_EQ(SysfsPowerSource::stateFromStatus("Unknown"), BatteryStateUnknown);
    EXPECT_EQ(SysfsPowerSource::stateFromStatus(""), BatteryStateUnknown);
}

TEST(SysfsPowerSource, IdentityAndAChargeLimitHoldingTheLevel) {
    QTemporaryDir root;
    writeFile(root.filePath("BAT0/type"), "Battery\n");
    writeFile(root.filePath("BAT0/status"), "Not charging\n");
    writeFile(root.filePath("BAT0/manufacturer"), "SMP\n");
    writeFile(root.filePath("BAT0/model_name"), "5B10W13930\n");
    writeFile(root.filePath("BAT0/charge_full_design"), "5800000\n");
    SysfsPowerSource source(root.path());
    EXPECT_EQ(source.state(), BatteryStateFull) << "stored logs know a held charge as Full";
    EXPECT_TRUE(source.isNotCharging());
    // Without a serial the design capacity tells two cells of one model apart.
    EXPECT_EQ(source.identity().key(), QStringLiteral("SMP/5B10W13930/5800"));
    writeFile(root.filePath("BAT0/serial_number"), "  4711 \n");
    EXPECT_EQ(source.identity().key(), QStringLiteral("SMP/5B10W13930/4711"));
    writeFile(root.filePath("BAT0/status"), "Full\n");
    EXPECT_FALSE(source.isNotCharging());
}

TEST(SysfsPowerSource, AFifoInTheBatteryFolderIsSkippedWithoutBlocking) {
    QTemporaryDir root;
    writeFile(root.filePath("BAT0/type"), "Battery\n");
    writeFile(root.filePath("BAT0/status"), "Discharging\n");
    writeFile(root.filePath("BAT0/charge_full"), "4000000\n");
    // Nobody ever writes to these: a blocking open or read would never return.
    for (const char* name : {"capacity", "charge_now"})
        ASSERT_EQ(::mkfifo(QFile::encodeName(root.filePath(QStringLiteral("BAT0/") + name)), 0600),
                  0);
    SysfsPowerSource source(root.path());
    EXPECT_FLOAT_EQ(source.level(), -1.0f);
    EXPECT_FALSE(source.properties().contains(PowerSource::CurrentCapacity));
    EXPECT_DOUBLE_EQ(source.properties().value(PowerSource::MaxCapacity), 4000.0);
}

TEST(SysfsPowerSource, ImpossibleValuesAreUnknown) {
    QTemporaryDir root;
    writeFiles(root.path(), {{"BAT0/type", "Battery\n"},
                             {"BAT0/status", "Charging\n"},
                             {"BAT0/capacity", "255\n"},
                             {"BAT0/charge_now", "-3000000\n"},
                             {"BAT0/charge_full", "9223372036854775807\n"},
                             {"BAT0/charge_full_design", "5000000\n"},
                             {"BAT0/temp", "-99999\n"}});
    LogCapture log;
    SysfsPowerSource source(root.path());
    const auto table = source.properties();
    EXPECT_FLOAT_EQ(source.level(), -1.0f);
    EXPECT_FALSE(table.contains(PowerSource::CurrentCapacity));
    EXPECT_FALSE(table.contains(PowerSource::MaxCapacity));
    EXPECT_FALSE(table.contains(PowerSource::Temperature));
    EXPECT_DOUBLE_EQ(table.value(PowerSource::DesignCapacity), 5000.0) << "plausible values stay";
    source.properties();
    EXPECT_EQ(log.count("Ignoring impossible battery value"), 4) << "one warning per file";

    writeFile(root.filePath("BAT0/capacity"), "100\n");
    writeFile(root.filePath("BAT0/charge_now"), "0\n");
    EXPECT_FLOAT_EQ(source.level(), 1.0f) << "the bounds themselves are possible";
    EXPECT_DOUBLE_EQ(source.properties().value(PowerSource::CurrentCapacity), 0.0);
}

TEST(SysfsPowerSource, EnergyBatteryKeepsItsWattHoursAndPower) {
    QTemporaryDir dir;
    writeFiles(dir.path(), {{"BAT0/type", "Battery\n"},
                            {"BAT0/status", "Discharging\n"},
                            {"BAT0/energy_now", "30000000\n"},
                            {"BAT0/energy_full", "40000000\n"},
                            {"BAT0/energy_full_design", "50000000\n"},
                            {"BAT0/power_now", "8500000\n"},
                            {"BAT0/manufacturer", "SMP\n"},
                            {"BAT0/model_name", "5B10\n"}});
    SysfsPowerSource source(dir.path());
    const auto table = source.properties();
    EXPECT_DOUBLE_EQ(table.value(PowerSource::CurrentEnergy), 30000.0);
    EXPECT_DOUBLE_EQ(table.value(PowerSource::MaxEnergy), 40000.0);
    EXPECT_DOUBLE_EQ(table.value(PowerSource::DesignEnergy), 50000.0);
    EXPECT_DOUBLE_EQ(table.value(PowerSource::Power), -8500.0) << "out of the battery";
    EXPECT_FALSE(table.contains(PowerSource::MaxCapacity)) << "no voltage to convert with";
    EXPECT_FLOAT_EQ(source.accurateBatteryLevel(), 0.75f) << "energy over energy";
    // Without a serial the design energy tells two cells of one model apart.
    EXPECT_EQ(source.identity().key(), QStringLiteral("SMP/5B10/50000"));
    writeFile(dir.filePath("BAT0/serial_number"), "  4711\n");
    EXPECT_EQ(source.identity().key(), QStringLiteral("SMP/5B10/4711"));
}

TEST(SysfsPowerSource, SeveralBatteriesGiveTheirLevelTogether) {
    SysfsPowerSource two(fixture("two"));
    const auto batteries = two.batteries();
    ASSERT_EQ(batteries.size(), 2);
    EXPECT_FLOAT_EQ(batteries[0].accurateLevel(), 0.8f);
    EXPECT_FLOAT_EQ(batteries[1].accurateLevel(), 0.4f);
    EXPECT_FLOAT_EQ(two.combinedBatteryLevel(), 0.6f);
    EXPECT_FLOAT_EQ(two.accurateBatteryLevel(), 0.8f) << "the first battery's table stays";

    // Energy adds up across cells of different voltage, so it wins over charge.
    QTemporaryDir dir;
    writeFiles(dir.path(), {{"BAT0/type", "Battery\n"},
                            {"BAT0/charge_now", "1000000\n"},
                            {"BAT0/charge_full", "2000000\n"},
                            {"BAT0/energy_now", "10000000\n"},
                            {"BAT0/energy_full", "20000000\n"},
                            {"BAT1/type", "Battery\n"},
                            {"BAT1/charge_now", "4000000\n"},
                            {"BAT1/charge_full", "4000000\n"},
                            {"BAT1/energy_now", "60000000\n"},
                            {"BAT1/energy_full", "60000000\n"},
                            {"BAT1/status", "Not charging\n"}});
    SysfsPowerSource mixed(dir.path());
    EXPECT_FLOAT_EQ(mixed.combinedBatteryLevel(), 0.875f);
    EXPECT_FLOAT_EQ(mixed.level(), 0.875f);
    EXPECT_TRUE(mixed.batteries()[1].notCharging);
    EXPECT_EQ(mixed.batteries()[1].state, BatteryStateFull);
    // A battery that reports neither makes the total unknown rather than wrong.
    writeFiles(dir.path(), {{"BAT2/type", "Battery\n"}, {"BAT2/capacity", "10\n"}});
    EXPECT_FLOAT_EQ(PowerSource::combinedLevel(mixed.batteries()), -1.0f);
}
