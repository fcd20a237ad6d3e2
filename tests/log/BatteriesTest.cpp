#include "BatteryCatalog.h"
#include "BatteryLogHandler.h"
#include "ChargeTimeEstimator.h"
#include "Device.h"
#include "EventCsvWriter.h"
#include "EventStateText.h"
#include "EventStore.h"
#include "HealthStore.h"
#include "HealthTrend.h"
#include "ManagedObjectContext.h"
#include "ReadContext.h"
#include "StatisticsHandler.h"
#include "StatisticsRange.h"
#include "SysfsPowerSource.h"
#include "TestSupport.h"
#include "UpowerImport.h"
#include "UserDefaults.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {
// A log on kernel-format battery folders that the test rewrites as the batteries change.
class BatteriesTest : public ::testing::Test {
protected:
    FakeClock clock;
    TemporaryHome home;
    QTemporaryDir supply;
    Device device{std::make_unique<SysfsPowerSource>(supply.path()), 60000};
    UserDefaults defaults{home.configDir() + "/Ampelio.ini"};
    std::unique_ptr<BatteryLogHandler> handler;

    void SetUp() override {
        device.setBatteryMonitoringEnabled(true);
        handler = std::make_unique<BatteryLogHandler>(device, home.dataDir(), defaults);
    }

    // An energy battery: now and full in Wh, design 50 Wh.
    void battery(const char* name, const char* serial, double nowWh, double fullWh,
                 const char* status = "Discharging") {
        const QString dir = supply.filePath(QLatin1String(name));
        const auto put = [&](const char* file, const QByteArray& value) {
            writeFile(dir + '/' + QLatin1String(file), value + '\n');
        };
        put("type", "Battery");
        put("status", status);
        put("manufacturer", "SMP");
        put("model_name", "L20M3P71");
        put("serial_number", serial);
        put("energy_now", QByteArray::number(qint64(nowWh * 1e6)));
        put("energy_full", QByteArray::number(qint64(fullWh * 1e6)));
        put("energy_full_design", "50000000");
        put("cycle_count", "42");
    }

    QList<Event> saved() { return handler->managedObjectContext()->savedPage(0, 1000); }
};
} // namespace

TEST_F(BatteriesTest, NotChargingIsItsOwnTextAndStoredAsFull) {
    battery("BAT0", "1", 35, 50, "Charging");
    handler->addEvent();
    clock.advance(60);
    battery("BAT0", "1", 40, 50, "Not charging"); // a charge limit holds 80 %
    handler->addEvent();
    clock.advance(60);
    battery("BAT0", "1", 50, 50, "Full");
    handler->addEvent();

    const QList<Event> events = saved();
    ASSERT_EQ(events.size(), 3);
    EXPECT_EQ(events[1].batteryState, 3) << "stored as full, as older readers expect";
    EXPECT_TRUE(events[1].notCharging);
    EXPECT_FALSE(events[0].notCharging);
    EXPECT_EQ(EventStateText::history(events[1]), "State: Not charging");
    EXPECT_EQ(EventStateText::statistics(events[1]), "Not charging");
    EXPECT_EQ(EventStateText::history(events[0]), "State: Battery Full");
    const QString csv =
        EventCsvWriter::text(handler->persistentStoreCoordinator()->newReadContext().get());
    EXPECT_TRUE(csv.contains(",State: Not charging,0.80\n")) << qPrintable(csv);
    EXPECT_TRUE(csv.contains(",State: Battery Full,1.00\n"));
}

TEST_F(BatteriesTest, ASwappedBatteryStartsANewSeries) {
    battery("BAT0", "1111", 25, 50);
    handler->addEvent();
    clock.advance(600);
    battery("BAT0", "1111", 24, 50);
    handler->addEvent(); // 0.48 after 0.50: dropped
    clock.advance(600);
    battery("BAT0", "2222", 26, 50); // another cell at nearly the same level
    handler->addEvent();

    const QList<Event> events = saved();
    ASSERT_EQ(events.size(), 2) << "the new battery's first sample is kept";
    EXPECT_NE(events[0].batteryId, events[1].batteryId);
    EXPECT_NE(events[0].batteryId, 0);
    // The step from one battery to the other is neither drain nor charge.
    EXPECT_FLOAT_EQ(handler->statisticsRange().loadCycles(), 0.0f);
    EXPECT_FLOAT_EQ(handler->statisticsRange().raisingSecs(), 0.0f);
    BatteryCatalog* catalog = handler->batteryCatalog();
    ASSERT_EQ(catalog->entries().size(), 2);
    EXPECT_EQ(catalog->entries()[0].key, "SMP/L20M3P71/1111") << "the old battery stays";
}

// An imported history is written after the logger's samples but is older. Neither the totals
// after a restart nor a period's statistics may step from its last sample to the logger's.
TEST_F(BatteriesTest, AnImportedHistoryAddsNoStepToTheTotals) {
    battery("BAT0", "1111", 25, 50);
    handler->addEvent(); // 0.50
    QTemporaryDir upower;
    const qint64 daysAgo = qint64(clock.now()) - 5 * 86400;
    writeFile(upower.filePath("history-charge-x.dat"),
              QByteArray::number(daysAgo) + "\t95\tdischarging\n" +
                  QByteArray::number(daysAgo + 600) + "\t90\tdischarging\n");
    ASSERT_EQ(UpowerImport::run(*handler->managedObjectContext(), upower.path()).taken, 2);

    handler = std::make_unique<BatteryLogHandler>(device, home.dataDir(), defaults);
    clock.advance(600);
    battery("BAT0", "1111", 20, 50);
    handler->addEvent(); // 0.40, ten minutes after 0.50
    EXPECT_NEAR(handler->statisticsRange().loadCycles(), 0.10f, 1e-4f)
        << "continues from the logger's 0.50, not the imported 0.90";
    EXPECT_NEAR(handler->statisticsRange().fallingSecs(), 600.0f, 1.0f);

    // The week holds both, in the order written: the import's own step counts, and no step
    // joins its 0.90 to the logger's 0.40 five days later.
    const auto week = StatisticsHandler::getLastWeek(*handler);
    EXPECT_NEAR(week->loadCycles(), 0.05f, 1e-4f);
}

TEST_F(BatteriesTest, TwoBatteriesAreLoggedTogetherAndEachOnItsOwn) {
    battery("BAT0", "1", 10, 20);
    battery("BAT1", "2", 60, 60);
    handler->addEvent();
    const QList<Event> events = saved();
    ASSERT_EQ(events.size(), 1);
    EXPECT_FLOAT_EQ(events[0].batteryLevel, 0.875f) << "70 of 80 Wh";
    const auto levels = handler->batteryCatalog()->levelsOf(events[0].objectId);
    ASSERT_EQ(levels.size(), 2);
    EXPECT_FLOAT_EQ(levels[0].second, 0.5f);
    EXPECT_FLOAT_EQ(levels[1].second, 1.0f);
    EXPECT_EQ(handler->batteryCatalog()->nameOf(events[0].batteryId),
              "L20M3P71 (BAT0) + L20M3P71 (BAT1)");

    // The live estimate reads the level the log keeps, not the first battery's; one battery's
    // current says nothing of the pair, so the rate comes from the slope.
    battery("BAT0", "1", 10, 20);
    writeFile(supply.filePath("BAT0/power_now"), "0\n"); // resting while BAT1 drains
    const ChargeReading reading = ChargeReading::from(device.powerSource(), clock.now());
    EXPECT_FLOAT_EQ(reading.level, 0.875f);
    EXPECT_FALSE(reading.instantAmperage);

    // A deleted sample takes its own levels along: a reused row id must not inherit them.
    ASSERT_TRUE(handler->deleteSample(events[0]));
    EXPECT_TRUE(handler->batteryCatalog()->levelsOf(events[0].objectId).isEmpty());
}

TEST_F(BatteriesTest, HealthIsReadAtStartAndOnceADay) {
    battery("BAT0", "1", 20, 45);
    battery("BAT1", "2", 20, 40);
    handler->startMonitoring();
    HealthStore* health = handler->healthStore();
    const qint64 first = handler->batteryCatalog()->entries()[0].id;
    ASSERT_EQ(health->readings(first).size(), 1);
    const HealthReading reading = health->readings(first).first();
    EXPECT_EQ(reading.unit, "mWh");
    EXPECT_DOUBLE_EQ(reading.full, 45000.0);
    EXPECT_DOUBLE_EQ(reading.healthPercent().value_or(0), 90.0);
    EXPECT_EQ(reading.cycles, 42);

    clock.advance(3600);
    handler->recordHealth();
    EXPECT_EQ(health->readings(first).size(), 1) << "an hour later: not due";
    clock.advance(86400);
    handler->recordHealth();
    EXPECT_EQ(health->readings(first).size(), 2);
    int all = 0;
    health->forEach([&all](const HealthReading&) { return ++all; });
    EXPECT_EQ(all, 4) << "both batteries, twice";

    // The clock set back a week: one reading now, then the day counts from it.
    clock.advance(-8 * 86400.0);
    handler->recordHealth();
    handler->recordHealth();
    EXPECT_EQ(health->readings(first).size(), 3);
    clock.advance(3600);
    handler->recordHealth();
    EXPECT_EQ(health->readings(first).size(), 3);
}

TEST(HealthTrend, AYearLosingOnePercentAMonthProjectsEightyPercent) {
    const double start = 1.7e9;
    const double day = 86400.0;
    const double perDay = 1.0 / HealthTrend::MonthDays; // percentage points, from 99 %
    QList<HealthReading> readings;
    for (int d = 0; d < 365; ++d) {
        // Noise of a few tenths, as firmware estimates wander.
        const double noise = ((d * 7919) % 11 - 5) * 0.06;
        readings.append({start + d * day, 1, 50000.0 * (0.99 - d * perDay / 100.0) + noise * 500.0,
                         50000.0, "mWh", d / 3, 30.0});
    }
    readings[100].full = 52000.0; // 104 %: impossible
    readings[200].full = 30000.0; // a one-day glitch
    const HealthTrend trend = HealthTrend::compute(readings);
    EXPECT_EQ(trend.flaggedCount(), 2);
    EXPECT_TRUE(trend.points()[100].flagged);
    EXPECT_TRUE(trend.points()[200].flagged);
    EXPECT_NEAR(trend.changePerMonth().value_or(0), -1.0, 0.05);
    EXPECT_NEAR(trend.currentPercent().value_or(0), 99.0 - 364 * perDay, 0.5);
    EXPECT_EQ(trend.cycles(), 121);
    const double expected80 = start + 19.0 * HealthTrend::MonthDays * day;
    const auto at80 = trend.projectedDate(80.0);
    ASSERT_TRUE(at80);
    EXPECT_FALSE(at80->alreadyReached);
    EXPECT_NEAR(at80->date, expected80, 15 * day);
    const auto at70 = trend.projectedDate(70.0);
    ASSERT_TRUE(at70);
    EXPECT_NEAR(at70->date, start + 29.0 * HealthTrend::MonthDays * day, 15 * day);
}

TEST(HealthTrend, NoProjectionWithoutAFallOrEnoughHistory) {
    QList<HealthReading> flat;
    for (int d = 0; d < 60; ++d)
        flat.append({d * 86400.0, 1, 45000.0, 50000.0, "mWh", {}, {}});
    const HealthTrend steady = HealthTrend::compute(flat);
    EXPECT_NEAR(steady.changePerMonth().value_or(1), 0.0, 1e-9);
    EXPECT_FALSE(steady.projectedDate(80.0));
    const auto reached = steady.projectedDate(95.0);
    ASSERT_TRUE(reached);
    EXPECT_TRUE(reached->alreadyReached);

    const HealthTrend young = HealthTrend::compute(flat.mid(0, 5));
    EXPECT_FALSE(young.changePerMonth()) << "five days say nothing about wear";
    EXPECT_DOUBLE_EQ(young.currentPercent().value_or(0), 90.0);

    // Without a design capacity there is no health at all.
    const HealthTrend unknown = HealthTrend::compute({{0.0, 1, 45000.0, -1.0, "mWh", {}, {}}});
    EXPECT_FALSE(unknown.currentPercent());
    EXPECT_TRUE(unknown.points().isEmpty());
}
