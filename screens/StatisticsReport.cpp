#include "StatisticsReport.h"

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

bool available(float value) {
    return value != -1.0f;
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

void StatisticsReport::addBatteryRows(const QMap<QString, double>& table,
                                      const QString& keyPrefix) {
    const auto data = [&table](const QString& key) {
        return static_cast<float>(PowerSource::find(table, key).value_or(-1.0));
    };
    const float voltage = data(PowerSource::Voltage);
    const float current = data(PowerSource::CurrentCapacity);
    const float max = data(PowerSource::MaxCapacity);
    const float design = data(PowerSource::DesignCapacity);
    const float amperage = data(PowerSource::Amperage);
    const float instant = data(PowerSource::InstantAmperage);
    const float boot = data(PowerSource::BootVoltage);
    const float cycles = data(PowerSource::CycleCount);
    const float temperature = data(PowerSource::Temperature);
    const float energyNow = data(PowerSource::CurrentEnergy);
    const float energyFull = data(PowerSource::MaxEnergy);
    const float energyDesign = data(PowerSource::DesignEnergy);
    const float power = data(PowerSource::Power);
    // Each row is one figure: its text is the figure through the format.
    const auto add = [&](const char* label, const char* format, const char* key, double value) {
        hardwareEntries_.append({QString::fromLatin1(label), QString::asprintf(format, value)});
        hardwareReadings_.append({keyPrefix + QString::fromLatin1(key), number(value)});
    };
    // A battery with a MaxCapacity of exactly 100 reports in percent, not mAh.
    const bool inMilliampHours = available(max) && max != 100.0f;
    // Energy batteries count in Wh; their own figures are shown as such, and charge and
    // health come from them, which no guessed voltage can distort.
    const bool energyKnown = available(energyFull) && energyFull > 0.0f;

    if (available(voltage))
        add("Voltage", "%2.2f V", "voltage_v", voltage / 1000.0f);
    if (inMilliampHours && available(current))
        add("Current Capacity", "%4.0f mAh", "current_capacity_mah", current);
    if (inMilliampHours)
        add("Max Capacity", "%4.0f mAh", "max_capacity_mah", max);
    if (available(design))
        add("Design Capacity", "%4.0f mAh", "design_capacity_mah", design);
    if (available(energyNow))
        add("Current Energy", "%2.2f Wh", "current_energy_wh", energyNow / 1000.0f);
    if (energyKnown)
        add("Full Energy", "%2.2f Wh", "full_energy_wh", energyFull / 1000.0f);
    if (available(energyDesign))
        add("Design Energy", "%2.2f Wh", "design_energy_wh", energyDesign / 1000.0f);
    // Rows whose inputs are missing are left out rather than shown with meaningless values.
    if (energyKnown && available(energyNow))
        add("Charge", "%2.2f%%", "charge_percent", energyNow * 100.0f / energyFull);
    else if (available(max) && available(current) && max != 0.0f)
        add("Charge", "%2.2f%%", "charge_percent", current * 100.0f / max);
    if (energyKnown && available(energyDesign) && energyDesign > 0.0f)
        add("Health", "%2.2f%%", "health_percent", energyFull * 100.0f / energyDesign);
    else if (inMilliampHours && available(design) && design > 0.0f)
        add("Health", "%2.2f%%", "health_percent", max * 100.0f / design);
    if (available(amperage))
        add("conn. Charger Capacity", "%4.0f mA", "charger_capacity_ma", amperage);
    if (available(instant) && instant > 0.0f)
        add("Flow to Battery", "%4.0f mA", "flow_to_battery_ma", instant);
    if (available(instant) && instant < 0.0f)
        add("Flow from Battery", "%4.0f mA", "flow_from_battery_ma", -instant);
    if (available(power) && power > 0.0f)
        add("Power to Battery", "%2.2f W", "power_to_battery_w", power / 1000.0f);
    if (available(power) && power < 0.0f)
        add("Power from Battery", "%2.2f W", "power_from_battery_w", -power / 1000.0f);
    const bool chargeKnown = available(current) && available(max) && max != 0.0f;
    const bool showPowerUse =
        available(instant) && available(amperage) &&
        (amperage == 0.0f || (chargeKnown && static_cast<double>(current / max) < 0.95));
    if (showPowerUse) {
        const float milliamps = amperage - instant;
        add("Current Power Use", "%4.0f mA", "power_use_ma", milliamps);
        if (available(voltage))
            add("Current Power Use", "%2.2f W", "power_use_w",
                milliamps / 1000.0f * voltage / 1000.0f);
    }
    if (available(boot))
        add("Boot Voltage", "%2.2f V", "boot_voltage_v", boot / 1000.0f);
    if (available(cycles))
        add("Cycle Count", "%2.0f cycles", "cycle_count", cycles);
    if (available(temperature))
        add("Temperature", "%2.1f C", "temperature_c", static_cast<double>(temperature) / 100.0);
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
