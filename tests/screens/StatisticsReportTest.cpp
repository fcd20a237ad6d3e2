#include "StatisticsReport.h"
#include "BatteryLogHandler.h"
#include "Device.h"
#include "LogHandlerFixture.h"
#include "ManagedObjectContext.h"
#include "SysfsPowerSource.h"
#include "TestSupport.h"
#include "UIDeviceHardware.h"
#include "UserDefaults.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {
class StatisticsReportTest : public LogHandlerFixture {
protected:
    BatteryLogHandler handler{device, home.dataDir(), defaults};
    UIDeviceHardware hardware{*battery, 320};
    StatisticsReport report{handler, hardware};

    QStringList labels() const {
        QStringList out;
        for (const auto& entry : report.hardwareEntries())
            out.append(entry.first);
        return out;
    }
    QString value(const QString& label) const {
        for (const auto& entry : report.hardwareEntries())
            if (entry.first == label)
                return entry.second;
        return QStringLiteral("<absent>");
    }
};
} // namespace

TEST_F(StatisticsReportTest, PeriodValuesAndDurationsOfAFullBattery) {
    ManagedObjectContext* context = handler.managedObjectContext();
    context->insertNewEvent(clock.now() - 3 * 86400, 0.95f, 1); // only in the month and week
    context->insertNewEvent(clock.now() - 3600, 0.8f, 1);
    context->insertNewEvent(clock.now() - 1800, 0.7f, 1); // -0.2 per hour
    context->save(nullptr);

    report.buildRows();
    ASSERT_EQ(report.statisticsEntries().size(), 5) << "no energy row without a known energy";
    LogCapture log;
    report.updateData();
    EXPECT_TRUE(log.contains("Took ")) << "the update logs its duration";
    const auto& rows = report.statisticsEntries();
    EXPECT_EQ(rows[StatisticsReport::LoadCycles],
              (QStringList{"Load Cycles", "0.0", "0.3", "0.3", "0.1"}));
    EXPECT_EQ(rows[StatisticsReport::TimeDraining][4], "30 minutes");
    EXPECT_EQ(rows[StatisticsReport::AverageFullDrain][4], "5.0 hours")
        << "1 / (-0.2 / 3600) = -18000 s";
    EXPECT_EQ(rows[StatisticsReport::AverageFullCharge][4], "")
        << "no charging: the text stays empty";
    EXPECT_EQ(rows[StatisticsReport::AverageFullDrain][1], "")
        << "the overall totals are still zero";
}

TEST_F(StatisticsReportTest, EnergyRowUsesTheCapacityAndVoltageKnownAtLoad) {
    battery->voltage = 3.7;
    battery->table.insert(PowerSource::MaxCapacity, 1400); // 5180 mWh
    handler.statisticsRange().setLoadCycles(12.3f);
    report.buildRows();
    report.updateData();
    ASSERT_EQ(report.statisticsEntries().size(), 6);
    EXPECT_EQ(report.statisticsEntries()[StatisticsReport::WattHours][1], "63.71 Wh");
    EXPECT_EQ(report.statisticsEntries()[StatisticsReport::WattHours][0], "Batt. Watt hours");
}

TEST_F(StatisticsReportTest, HardwareReportInOrderWithEveryReading) {
    battery->table = {{PowerSource::Voltage, 3850},     {PowerSource::CurrentCapacity, 1000},
                      {PowerSource::MaxCapacity, 2000}, {PowerSource::DesignCapacity, 2500},
                      {PowerSource::Amperage, 0},       {PowerSource::InstantAmperage, -400},
                      {PowerSource::BootVoltage, 3700}, {PowerSource::CycleCount, 321},
                      {PowerSource::Temperature, 2950}};
    report.updateData();
    EXPECT_EQ(
        labels(),
        (QStringList{"Voltage", "Current Capacity", "Max Capacity", "Design Capacity", "Charge",
                     "Health", "conn. Charger Capacity", "Flow from Battery", "Current Power Use",
                     "Current Power Use", "Boot Voltage", "Cycle Count", "Temperature"}));
    const auto& entries = report.hardwareEntries();
    EXPECT_EQ(entries[0].second, "3.85 V");
    EXPECT_EQ(entries[1].second, "1000 mAh");
    EXPECT_EQ(entries[4].second, "50.00%");
    EXPECT_EQ(entries[5].second, "80.00%");
    EXPECT_EQ(entries[6].second, "   0 mA");
    EXPECT_EQ(entries[7].second, " 400 mA");
    EXPECT_EQ(entries[8].second, " 400 mA");
    EXPECT_EQ(entries[9].second, "1.54 W");
    EXPECT_EQ(entries[10].second, "3.70 V");
    EXPECT_EQ(entries[11].second, "321 cycles");
    EXPECT_EQ(entries[12].second, "29.5 C");
}

TEST_F(StatisticsReportTest, PercentBatteriesAndMissingReadingsLeaveRowsOut) {
    battery->table = {{PowerSource::MaxCapacity, 100},
                      {PowerSource::CurrentCapacity, 87},
                      {PowerSource::InstantAmperage, 0}};
    report.updateData();
    EXPECT_EQ(labels(), QStringList{"Charge"}) << "no capacities, health, flow or power rows";
    EXPECT_EQ(value("Charge"), "87.00%");

    // Charging near full: the charger's current is not all going into the battery.
    battery->table = {{PowerSource::MaxCapacity, 2000},
                      {PowerSource::CurrentCapacity, 1960},
                      {PowerSource::Amperage, 500},
                      {PowerSource::InstantAmperage, 200}};
    report.updateData();
    EXPECT_EQ(value("Flow to Battery"), " 200 mA");
    EXPECT_EQ(value("Current Power Use"), "<absent>") << "98 % charged while the charger supplies";
    EXPECT_EQ(value("Health"), "<absent>") << "no design capacity to compare with";
}

TEST_F(StatisticsReportTest, EachMissingReadingTakesItsRowsAndNoOthers) {
    const PowerSource::Properties full = {
        {PowerSource::Voltage, 3850},     {PowerSource::CurrentCapacity, 1000},
        {PowerSource::MaxCapacity, 2000}, {PowerSource::DesignCapacity, 2500},
        {PowerSource::Amperage, 0},       {PowerSource::InstantAmperage, -400},
        {PowerSource::BootVoltage, 3700}, {PowerSource::CycleCount, 321},
        {PowerSource::Temperature, 2950}};
    battery->table = full;
    report.updateData();
    const QStringList all = labels();
    const std::pair<QString, QStringList> cases[] = {
        {PowerSource::Voltage, {"Voltage", "Current Power Use"}}, // the watts, not the mA
        {PowerSource::CurrentCapacity, {"Current Capacity", "Charge"}},
        {PowerSource::MaxCapacity, {"Current Capacity", "Max Capacity", "Charge", "Health"}},
        {PowerSource::DesignCapacity, {"Design Capacity", "Health"}},
        {PowerSource::Amperage,
         {"conn. Charger Capacity", "Current Power Use", "Current Power Use"}},
        {PowerSource::InstantAmperage,
         {"Flow from Battery", "Current Power Use", "Current Power Use"}},
        {PowerSource::BootVoltage, {"Boot Voltage"}},
        {PowerSource::CycleCount, {"Cycle Count"}},
        {PowerSource::Temperature, {"Temperature"}},
    };
    for (const auto& [key, gone] : cases) {
        battery->table = full;
        battery->table.remove(key);
        report.updateData();
        QStringList expected = all;
        for (const QString& label : gone)
            expected.removeOne(label);
        EXPECT_EQ(labels(), expected) << "without " << qPrintable(key);
        for (const auto& [label, text] : report.hardwareEntries())
            EXPECT_FALSE(text.trimmed().startsWith('-'))
                << qPrintable(label) << " shows " << qPrintable(text) << " without "
                << qPrintable(key);
    }
}

TEST_F(StatisticsReportTest, ChargingShowsOnlyTheFiguresTheMachineReports) {
    QTemporaryDir supply;
    writeFiles(supply.path(), {{"BAT0/type", "Battery\n"},
                               {"BAT0/status", "Charging\n"},
                               {"BAT0/charge_full", "4000000\n"},
                               {"BAT0/charge_now", "2000000\n"},
                               {"BAT0/current_now", "1200000\n"},
                               {"BAT0/voltage_now", "12000000\n"},
                               {"AC/type", "Mains\n"},
                               {"AC/online", "1\n"}});
    SysfsPowerSource laptop(supply.path());
    const UIDeviceHardware laptopHardware(laptop, 320);
    StatisticsReport laptopReport(handler, laptopHardware);
    const auto valueOf = [&laptopReport](const QString& label) {
        QStringList values;
        for (const auto& [l, v] : laptopReport.hardwareEntries())
            if (l == label)
                values.append(v);
        return values;
    };

    laptopReport.updateData();
    EXPECT_EQ(valueOf("Flow to Battery"), QStringList{"1200 mA"});
    EXPECT_EQ(valueOf("conn. Charger Capacity"), QStringList{}) << "the adapter says nothing";
    EXPECT_EQ(valueOf("Current Power Use"), QStringList{}) << "not 0 mA / 0.00 W";

    // An adapter that reports its current: 20 V at 1.5 A is 2.5 A at the battery's 12 V, of
    // which 1.2 A charge the battery and 1.3 A run the machine.
    writeFile(supply.filePath("AC/current_now"), "1500000\n");
    writeFile(supply.filePath("AC/voltage_now"), "20000000\n");
    laptopReport.updateData();
    EXPECT_EQ(valueOf("conn. Charger Capacity"), QStringList{"2500 mA"});
    EXPECT_EQ(valueOf("Current Power Use"), (QStringList{"1300 mA", "15.60 W"}));

    // Discharging: the battery's current is the machine's draw.
    writeFile(supply.filePath("AC/online"), "0\n");
    writeFile(supply.filePath("BAT0/status"), "Discharging\n");
    laptopReport.updateData();
    EXPECT_EQ(valueOf("Current Power Use"), (QStringList{"1200 mA", "14.40 W"}));
}

TEST_F(StatisticsReportTest, EveryUpdateRewritesEveryCell) {
    battery->voltage = 3.7;
    battery->table.insert(PowerSource::MaxCapacity, 1400);
    ManagedObjectContext* context = handler.managedObjectContext();
    context->insertNewEvent(clock.now() - 3600, 0.8f, 1);
    context->insertNewEvent(clock.now() - 1800, 0.7f, 1);
    context->insertNewEvent(clock.now() - 1200, 0.75f, 2); // 0.3 per hour for 10 minutes
    context->save(nullptr);
    handler.statisticsRange().setFallingSum(-360.0f);
    handler.statisticsRange().setFallingSecs(1800.0f);
    handler.statisticsRange().setRaisingSum(360.0f);
    handler.statisticsRange().setRaisingSecs(1800.0f);
    report.buildRows();
    report.updateData();
    const auto& rows = report.statisticsEntries();
    ASSERT_EQ(rows.size(), 6);
    for (int column = 1; column <= StatisticsReport::PeriodCount; ++column) {
        EXPECT_FALSE(rows[StatisticsReport::AverageFullDrain][column].isEmpty()) << column;
        EXPECT_FALSE(rows[StatisticsReport::AverageFullCharge][column].isEmpty()) << column;
        EXPECT_FALSE(rows[StatisticsReport::WattHours][column].isEmpty()) << column;
    }

    // The totals are reset, the samples age out of every period, the energy is no longer known.
    handler.processAllPastDataForStatistics();
    clock.advance(40 * 86400.0);
    battery->table.clear();
    report.updateData();
    for (int column = 1; column <= StatisticsReport::PeriodCount; ++column) {
        EXPECT_EQ(rows[StatisticsReport::AverageFullDrain][column], "") << column;
        EXPECT_EQ(rows[StatisticsReport::AverageFullCharge][column], "") << column;
        EXPECT_EQ(rows[StatisticsReport::WattHours][column], "") << column;
        EXPECT_EQ(rows[StatisticsReport::TimeDraining][column], "0 seconds") << column;
    }
}

TEST_F(StatisticsReportTest, TextListsEverySection) {
    battery->table = {{PowerSource::Voltage, 3850}};
    report.buildRows();
    report.updateData();
    const QString text = report.toText();
    for (const char* header : {"Overall\n", "Last Month\n", "Last Week\n", "Last 24 hours\n",
                               "Battery Hardware Report\n"})
        EXPECT_TRUE(text.contains(header)) << header;
    EXPECT_TRUE(text.contains(QRegularExpression("  Voltage +3.85 V\n")));
}

TEST_F(StatisticsReportTest, JsonHoldsTheNumbersBehindTheTextsAndLeavesUnknownsOut) {
    battery->table = {{PowerSource::MaxCapacity, 100},
                      {PowerSource::CurrentCapacity, 87},
                      {PowerSource::InstantAmperage, 0}};
    handler.statisticsRange().setLoadCycles(0.3f);
    ManagedObjectContext* context = handler.managedObjectContext();
    context->insertNewEvent(clock.now() - 3600, 0.8f, 1);
    context->insertNewEvent(clock.now() - 1800, 0.7f, 1);
    context->save(nullptr);
    report.buildRows();
    report.updateData();

    const QJsonObject json = report.toJson();
    EXPECT_EQ(json.value("hardware").toObject(), (QJsonObject{{"charge_percent", 87}}))
        << "a percent battery has no capacities, and nothing unknown shows as -1";
    const QJsonObject periods = json.value("periods").toObject();
    EXPECT_EQ(periods.keys(), (QStringList{"last_24_hours", "last_month", "last_week", "overall"}));
    const QJsonObject overall = periods.value("overall").toObject();
    EXPECT_EQ(overall.value("load_cycles").toDouble(), 0.3) << "the float's shortest decimal";
    EXPECT_FALSE(overall.contains("average_full_drain_s")) << "no rate yet: the text is empty";
    const QJsonObject day = periods.value("last_24_hours").toObject();
    EXPECT_NEAR(day.value("average_full_drain_s").toDouble(), 18000, 0.01)
        << "a drain's time is positive";
    EXPECT_EQ(day.value("time_draining_s").toDouble(), 1800);
    EXPECT_FALSE(day.contains("average_full_charge_s"));
    EXPECT_FALSE(day.contains("energy_wh")) << "no energy row without a known energy";
    EXPECT_FALSE(QJsonDocument(json).toJson().contains("0.3000")) << "written as 0.3";
}

// The hardware report of each kind of kernel battery: what it counts in decides the rows, and
// no row shows a figure the battery did not give.
TEST_F(StatisticsReportTest, EveryKindOfBatteryGetsItsRows) {
    struct Case {
        const char* kind;
        QList<std::pair<QString, QString>> files;
        QList<std::pair<QString, QString>> rows; // label, value; only these, in this order
    };
    const QList<std::pair<QString, QString>> common = {{"BAT0/type", "Battery\n"},
                                                       {"BAT0/status", "Discharging\n"}};
    const Case cases[] = {
        {"charge only",
         {{"BAT0/charge_now", "3000000\n"},
          {"BAT0/charge_full", "4000000\n"},
          {"BAT0/charge_full_design", "5000000\n"}},
         {{"Current Capacity", "3000 mAh"},
          {"Max Capacity", "4000 mAh"},
          {"Design Capacity", "5000 mAh"},
          {"Charge", "75.00%"},
          {"Health", "80.00%"},
          {"conn. Charger Capacity", "   0 mA"}}},
        {"energy only, no design voltage",
         {{"BAT0/energy_now", "30000000\n"},
          {"BAT0/energy_full", "40000000\n"},
          {"BAT0/energy_full_design", "50000000\n"},
          {"BAT0/power_now", "8500000\n"}},
         {{"Current Energy", "30.00 Wh"},
          {"Full Energy", "40.00 Wh"},
          {"Design Energy", "50.00 Wh"},
          {"Charge", "75.00%"},
          {"Health", "80.00%"},
          {"conn. Charger Capacity", "   0 mA"},
          {"Power from Battery", "8.50 W"}}},
        {"energy with design voltage",
         {{"BAT0/energy_now", "22800000\n"},
          {"BAT0/energy_full", "45600000\n"},
          {"BAT0/energy_full_design", "57000000\n"},
          {"BAT0/voltage_min_design", "11400000\n"}},
         {{"Current Capacity", "2000 mAh"},
          {"Max Capacity", "4000 mAh"},
          {"Design Capacity", "5000 mAh"},
          {"Current Energy", "22.80 Wh"},
          {"Full Energy", "45.60 Wh"},
          {"Design Energy", "57.00 Wh"},
          {"Charge", "50.00%"},
          {"Health", "80.00%"},
          {"conn. Charger Capacity", "   0 mA"}}},
        {"capacity only",
         {{"BAT0/capacity", "64\n"}},
         {{"Charge", "64.00%"}, {"conn. Charger Capacity", "   0 mA"}}},
    };
    for (const Case& c : cases) {
        QTemporaryDir supply;
        for (const auto& [file, content] : common + c.files)
            writeFile(supply.filePath(file), content.toUtf8());
        SysfsPowerSource laptop(supply.path());
        const UIDeviceHardware laptopHardware(laptop, 320);
        StatisticsReport laptopReport(handler, laptopHardware);
        laptopReport.updateData();
        EXPECT_EQ(laptopReport.hardwareEntries(), c.rows) << c.kind;
    }
}

TEST_F(StatisticsReportTest, SeveralBatteriesAreListedEachWithTheirLevelTogether) {
    QTemporaryDir supply;
    writeFiles(supply.path(), {{"BAT0/type", "Battery\n"},
                               {"BAT0/model_name", "Front\n"},
                               {"BAT0/energy_now", "10000000\n"},
                               {"BAT0/energy_full", "20000000\n"},
                               {"BAT1/type", "Battery\n"},
                               {"BAT1/energy_now", "60000000\n"},
                               {"BAT1/energy_full", "60000000\n"}});
    SysfsPowerSource laptop(supply.path());
    const UIDeviceHardware laptopHardware(laptop, 320);
    StatisticsReport laptopReport(handler, laptopHardware);
    laptopReport.updateData();
    using Row = std::pair<QString, QString>;
    EXPECT_EQ(laptopReport.hardwareEntries(), (QList<Row>{{"Combined Charge", "87.50%"},
                                                          {"Front (BAT0)", ""},
                                                          {"Current Energy", "10.00 Wh"},
                                                          {"Full Energy", "20.00 Wh"},
                                                          {"Charge", "50.00%"},
                                                          {"BAT1", ""},
                                                          {"Current Energy", "60.00 Wh"},
                                                          {"Full Energy", "60.00 Wh"},
                                                          {"Charge", "100.00%"}}))
        << "70 of 80 Wh together, not the mean of 50 % and 100 %";
    const QJsonObject json = laptopReport.toJson()["hardware"].toObject();
    EXPECT_DOUBLE_EQ(json["battery1_charge_percent"].toDouble(), 100.0);
}
