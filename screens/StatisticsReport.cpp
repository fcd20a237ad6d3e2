#include "StatisticsReport.h"

#include "BatteryHardwareRows.h"
#include "BatteryLogHandler.h"
#include "DateIntervalFormatter.h"
#include "LogCategories.h"
#include "PowerSource.h"
#include "StatisticsHandler.h"
#include "StatisticsRange.h"
#include "UIDeviceHardware.h"

#include <QElapsedTimer>
#include <QJsonObject>

#include <charconv>
#include <cmath>
#include <memory>

namespace {
// Seconds for a whole battery at a rate given in level fractions per hour; negative for a drain.
double fullBatterySeconds(float ratePerHour) {
    const float perSecond = ratePerHour / 3600.0f;
    return 1.0 / static_cast<double>(perSecond);
}

// The figures are floats: the shortest decimal that reads back as the same float keeps 0.3 from
// becoming 0.30000001192092896 in the JSON.
double number(double value) {
    char buffer[32];
    const char* end = std::to_chars(buffer, buffer + sizeof buffer, static_cast<float>(value)).ptr;
    double out = value;
    std::from_chars(buffer, end, out);
    return out;
}
} // namespace

StatisticsReport::StatisticsReport(BatteryLogHandler& handler, const UIDeviceHardware& hardware)
    : handler_(handler), hardware_(hardware) {}

QString StatisticsReport::periodHeader(int period) {
    static const char* const headers[PeriodCount] = {"Overall", "Last Month", "Last Week",
                                                     "Last 24 hours"};
    return period >= 0 && period < PeriodCount ? QString::fromLatin1(headers[period]) : QString();
}

void StatisticsReport::buildRows() {
    statisticsEntries_.clear();
    QStringList titles = {QStringLiteral("Load Cycles"), QStringLiteral("Time Charging"),
                          QStringLiteral("Time Draining"), QStringLiteral("Average Full Charge"),
                          QStringLiteral("Average Full Drain")};
    if (hardware_.batteryWh())
        titles.append(QStringLiteral("Batt. Watt hours"));
    for (const QString& title : titles)
        statisticsEntries_.append(QStringList{title, {}, {}, {}, {}});
}

void StatisticsReport::updateData() {
    QElapsedTimer timer;
    timer.start();
    updatePeriods();
    qCInfo(lcScreens, "Took %f seconds to update statistics data",
           static_cast<double>(timer.nsecsElapsed()) / 1e9);
    rebuildHardware();
}

void StatisticsReport::updatePeriods() {
    if (statisticsEntries_.isEmpty())
        buildRows();
    const std::optional<double> energy = hardware_.batteryWh();
    for (int k = 0; k < PeriodCount; ++k) {
        std::unique_ptr<StatisticsRange> owned;
        const StatisticsRange* range = &handler_.statisticsRange();
        if (k == 1)
            range = (owned = StatisticsHandler::getLastMonth(handler_)).get();
        else if (k == 2)
            range = (owned = StatisticsHandler::getLastWeek(handler_)).get();
        else if (k == 3)
            range = (owned = StatisticsHandler::getLastDay(handler_)).get();
        const int column = k + 1;
        QList<Reading>& readings = periodReadings_[k];
        readings.clear();
        const auto set = [&](Row row, const QString& text, const char* key, double value) {
            statisticsEntries_[row][column] = text;
            readings.append({QString::fromLatin1(key), number(value)});
        };
        const auto duration = [](double seconds) {
            return DateIntervalFormatter::formatDetailledRelativeTime(seconds);
        };
        const double cycles = range->loadCycles();
        set(LoadCycles, QString::asprintf("%3.1f", cycles), "load_cycles", cycles);
        set(TimeCharging, duration(range->raisingSecs()), "time_charging_s", range->raisingSecs());
        set(TimeDraining, duration(range->fallingSecs()), "time_draining_s", range->fallingSecs());
        // Every cell is written on every update: a figure that became unknown (the totals were
        // reset, the period emptied, the energy is no longer reported) must not keep its old text.
        statisticsEntries_[AverageFullCharge][column].clear();
        statisticsEntries_[AverageFullDrain][column].clear();
        if (range->avgRaisingPerSec() != 0.0f) {
            const double seconds = fullBatterySeconds(range->avgRaisingPerSec());
            set(AverageFullCharge, duration(seconds), "average_full_charge_s", std::abs(seconds));
        }
        if (range->avgFallingPerSec() != 0.0f) {
            const double seconds = fullBatterySeconds(range->avgFallingPerSec());
            set(AverageFullDrain, duration(seconds), "average_full_drain_s", std::abs(seconds));
        }
        // The energy row exists only when the energy was known when the rows were built.
        if (statisticsEntries_.size() > WattHours) {
            statisticsEntries_[WattHours][column].clear();
            if (energy) {
                const double wattHours = *energy * cycles / 1000.0;
                set(WattHours, QString::asprintf("%5.2f Wh", wattHours), "energy_wh", wattHours);
            }
        }
    }
}

void StatisticsReport::rebuildHardware() {
    hardwareEntries_.clear();
    hardwareReadings_.clear();
    const QList<BatteryReading> batteries = hardware_.powerSource().batteries();
    if (batteries.size() <= 1) {
        addBatteryRows(hardware_.powerSource().properties(), QString());
        return;
    }
    // Several batteries: the level they give together, then each battery under its name.
    const float combined = PowerSource::combinedLevel(batteries);
    if (combined >= 0.0f) {
        hardwareEntries_.append(
            {QStringLiteral("Combined Charge"), QString::asprintf("%2.2f%%", combined * 100.0f)});
        hardwareReadings_.append(
            {QStringLiteral("combined_charge_percent"), number(combined * 100.0f)});
    }
    for (qsizetype i = 0; i < batteries.size(); ++i) {
        hardwareEntries_.append({batteries[i].name, QString()});
        addBatteryRows(batteries[i].properties, QStringLiteral("battery%1_").arg(i));
    }
}

void StatisticsReport::addBatteryRows(const PowerSource::Properties& table,
                                      const QString& keyPrefix) {
    for (const BatteryHardwareRows::Row& row : BatteryHardwareRows::of(table)) {
        hardwareEntries_.append({row.label, row.text});
        hardwareReadings_.append({keyPrefix + row.key, number(row.value)});
    }
}

QString StatisticsReport::toText() const {
    QString out;
    const auto line = [&out](const QString& label, const QString& value) {
        out += QStringLiteral("  %1 %2\n").arg(label, -26).arg(value);
    };
    for (int k = 0; k < PeriodCount; ++k) {
        out += periodHeader(k) + QLatin1Char('\n');
        for (const QStringList& row : statisticsEntries_)
            line(row[0], row[k + 1]);
        out += QLatin1Char('\n');
    }
    out += QStringLiteral("Battery Hardware Report\n");
    for (const auto& [label, value] : hardwareEntries_)
        line(label, value);
    return out;
}

QString StatisticsReport::periodKey(int period) {
    static const char* const keys[PeriodCount] = {"overall", "last_month", "last_week",
                                                  "last_24_hours"};
    return period >= 0 && period < PeriodCount ? QString::fromLatin1(keys[period]) : QString();
}

QJsonObject StatisticsReport::toJson() const {
    const auto object = [](const QList<Reading>& readings) {
        QJsonObject out;
        for (const Reading& reading : readings)
            out.insert(reading.key, reading.value);
        return out;
    };
    QJsonObject periods;
    for (int k = 0; k < PeriodCount; ++k)
        periods.insert(periodKey(k), object(periodReadings_[k]));
    return QJsonObject{{QStringLiteral("periods"), periods},
                       {QStringLiteral("hardware"), object(hardwareReadings_)}};
}
