#include "BatteryLogHandler.h"
#include "BatteryMetrics.h"
#include "ChargeTimeTracker.h"
#include "Device.h"
#include "FakePowerSource.h"
#include "MetricsTextfileWriter.h"
#include "NodeExporter.h"
#include "PrometheusTextfile.h"
#include "TestSupport.h"
#include "UserDefaults.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

#include <optional>

namespace {
// A laptop battery with a name; the serial has every character a label must escape.
class NamedBattery : public FakePowerSource {
public:
    BatteryIdentity identity() const override {
        return {QStringLiteral("SMP"), QStringLiteral("DELL 7FHHV"), QStringLiteral("5\"2\\x\ny"),
                5000.0};
    }
};

// The value of the series whose line starts with `series` (name and labels as written).
std::optional<double> valueOf(const QByteArray& text, const QByteArray& series) {
    for (const QByteArray& line : text.split('\n')) {
        // A name without labels matches its first series, whatever the labels.
        if (line.startsWith(series + ' ') || line.startsWith(series + '{'))
            return line.mid(line.lastIndexOf(' ') + 1).toDouble();
    }
    return std::nullopt;
}

class MetricsTest : public ::testing::Test {
protected:
    MetricsTest() {
        battery->currentState = BatteryStateUnplugged;
        battery->setCharge(3000, 4000);
        battery->table.insert(PowerSource::DesignCapacity, 5000);
        battery->table.insert(PowerSource::CycleCount, 123);
        battery->table.insert(PowerSource::Temperature, 2950);
        battery->table.insert(PowerSource::InstantAmperage, -1000);
        device.setBatteryMonitoringEnabled(true);
        times.update();
        QDir().mkpath(textfiles());
    }

    QString textfiles() const { return home.path() + QStringLiteral("/textfile"); }
    QByteArray file() const {
        QFile f(textfiles() + QStringLiteral("/ampelio.prom"));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

    FakeClock clock{1.8e9};
    TemporaryHome home;
    NamedBattery* battery = new NamedBattery; // owned by the device
    Device device{std::unique_ptr<PowerSource>(battery), 3600 * 1000};
    UserDefaults defaults{home.configDir() + "/Ampelio.ini"};
    BatteryLogHandler log{device, home.dataDir(), defaults};
    ChargeTimeTracker times{device};
};
} // namespace

TEST_F(MetricsTest, NodeExporterServesTheBatteryFigures) {
    MetricsTextfileWriter writer(log, device.powerSource(), &times, textfiles());
    log.addEvent();
    NodeExporter exporter(textfiles());
    ASSERT_TRUE(exporter.isListening()) << exporter.log().constData();
    const QByteArray metrics = exporter.scrape();
    ASSERT_FALSE(metrics.isEmpty()) << exporter.log().constData();

    // The collector rejects a whole file it cannot parse; this says it took ours.
    EXPECT_EQ(valueOf(metrics, "node_textfile_scrape_error"), 0.0) << metrics.constData();
    const QByteArray labels = R"({model="DELL 7FHHV",serial="5\"2\\x\ny")";
    EXPECT_EQ(valueOf(metrics, "ampelio_battery_level_percent" + labels + '}'), 75.0)
        << metrics.constData();
    EXPECT_EQ(valueOf(metrics, "ampelio_battery_health_percent" + labels + '}'), 80.0);
    EXPECT_EQ(valueOf(metrics, "ampelio_battery_full_capacity_mah" + labels + '}'), 4000.0);
    EXPECT_EQ(valueOf(metrics, "ampelio_battery_design_capacity_mah" + labels + '}'), 5000.0);
    EXPECT_EQ(valueOf(metrics, "ampelio_battery_cycle_count" + labels + '}'), 123.0);
    EXPECT_EQ(valueOf(metrics, "ampelio_battery_temperature_celsius" + labels + '}'), 29.5);
    // 3000 mAh left at 1 A.
    EXPECT_EQ(valueOf(metrics, "ampelio_battery_time_to_empty_seconds" + labels + '}'), 10800.0);
    EXPECT_FALSE(valueOf(metrics, "ampelio_battery_time_to_full_seconds"));
    EXPECT_EQ(valueOf(metrics, "ampelio_battery_state" + labels + R"(,state="discharging"})"), 1.0);
    EXPECT_EQ(valueOf(metrics, "ampelio_battery_state" + labels + R"(,state="charging"})"), 0.0);
    EXPECT_EQ(valueOf(metrics, "ampelio_samples_logged_total" + labels + '}'), 1.0);
}

TEST_F(MetricsTest, RewrittenAfterEachKeptSampleOnlyAndReadableByTheExporter) {
    log.addEvent();
    MetricsTextfileWriter writer(log, device.powerSource(), &times, textfiles());
    // Counted from the log at the start.
    EXPECT_EQ(valueOf(file(), "ampelio_samples_logged_total"), 1.0);
    EXPECT_EQ(QFileInfo(writer.path()).permissions() & QFile::ReadOther, QFile::ReadOther);

    clock.advance(60);
    battery->setCharge(2990, 4000);
    log.addEvent(); // dropped: it adds nothing
    EXPECT_EQ(valueOf(file(), "ampelio_battery_level_percent"), 75.0);
    battery->currentState = BatteryStateCharging;
    battery->table.insert(PowerSource::InstantAmperage, 2000);
    times.update();
    log.addEvent();
    const QByteArray after = file();
    EXPECT_EQ(valueOf(after, "ampelio_samples_logged_total"), 2.0);
    EXPECT_EQ(valueOf(after, "ampelio_battery_level_percent"), 74.75);
    EXPECT_FALSE(valueOf(after, "ampelio_battery_time_to_empty_seconds"));
    // 1010 mAh to go at 2 A.
    EXPECT_EQ(valueOf(after, "ampelio_battery_time_to_full_seconds"), 1818.0);
}

TEST_F(MetricsTest, AFailedWriteKeepsTheOldFileAndSaysSoOnce) {
    MetricsTextfileWriter writer(log, device.powerSource(), &times, textfiles());
    const QByteArray before = file();
    ASSERT_FALSE(before.isEmpty());
    LogCapture lines;
    {
        NearlyFullDisk disk(16);
        EXPECT_FALSE(writer.write());
        EXPECT_FALSE(writer.write());
    }
    EXPECT_EQ(file(), before);
    EXPECT_EQ(lines.count(QStringLiteral("Couldn't write the metrics file")), 1);
    EXPECT_TRUE(writer.write());
    EXPECT_TRUE(lines.contains(QStringLiteral("is written again")));
    EXPECT_TRUE(QDir(textfiles()).entryList(QDir::Files).size() == 1) << "no temporary left";
}

TEST(PrometheusTextfile, UnknownFiguresAreLeftOutAndLabelsEscaped) {
    FakePowerSource percentOnly;
    percentOnly.setCharge(40, 100);
    percentOnly.currentState = BatteryStateFull;
    const QByteArray text =
        PrometheusTextfile::format(BatteryMetrics::read(percentOnly, ChargeTimeEstimate{}, 7));
    EXPECT_EQ(valueOf(text, "ampelio_battery_level_percent"), 40.0);
    // In percent there are no capacities; an absent key is no zero.
    for (const char* absent :
         {"ampelio_battery_health_percent", "ampelio_battery_full_capacity_mah",
          "ampelio_battery_cycle_count", "ampelio_battery_temperature_celsius",
          "ampelio_battery_time_to_empty_seconds"})
        EXPECT_FALSE(valueOf(text, absent)) << absent;
    EXPECT_TRUE(text.contains(R"(ampelio_battery_state{model="",serial="",state="full"} 1)"));
    EXPECT_EQ(PrometheusTextfile::escapeLabelValue(QStringLiteral("a\\\"b\nc\u00e9")),
              QByteArray("a\\\\\\\"b\\nc\xc3\xa9"));
}
