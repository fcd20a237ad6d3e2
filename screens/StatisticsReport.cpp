#include "StatisticsReport.h"

#include "BatteryLogHandler.h"
#include "DateIntervalFormatter.h"
#include "PowerSource.h"
#include "StatisticsHandler.h"
#include "StatisticsRange.h"
#include "UIDeviceHardware.h"

#include <QElapsedTimer>

#include <memory>

namespace {
// Seconds for a whole battery at a rate given in level fractions per hour; empty without a rate.
QString fullBatteryDuration(float ratePerHour) {
    if (ratePerHour == 0.0f)
        return QString();
    const float perSecond = ratePerHour / 3600.0f;
    return DateIntervalFormatter::formatDetailledRelativeTime(1.0 / static_cast<double>(perSecond));
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
    qInfo("Took %f seconds to update statistics data",
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
        statisticsEntries_[LoadCycles][column] =
            QString::asprintf("%3.1f", static_cast<double>(range->loadCycles()));
        statisticsEntries_[TimeCharging][column] =
            DateIntervalFormatter::formatDetailledRelativeTime(range->raisingSecs());
        statisticsEntries_[TimeDraining][column] =
            DateIntervalFormatter::formatDetailledRelativeTime(range->fallingSecs());
        // Every cell is written on every update: a figure that became unknown (the totals were
        // reset, the period emptied, the energy is no longer reported) must not keep its old text.
        statisticsEntries_[AverageFullDrain][column] =
            fullBatteryDuration(range->avgFallingPerSec());
        statisticsEntries_[AverageFullCharge][column] =
            fullBatteryDuration(range->avgRaisingPerSec());
        // The energy row exists only when the energy was known when the rows were built.
        if (statisticsEntries_.size() > WattHours)
            statisticsEntries_[WattHours][column] =
                energy
                    ? QString::asprintf("%5.2f Wh",
                                        *energy * static_cast<double>(range->loadCycles()) / 1000.0)
                    : QString();
    }
}

void StatisticsReport::rebuildHardware() {
    hardwareEntries_.clear();
    const auto data = [this](const QString& key) { return hardware_.batteryData(key); };
    const float voltage = data(PowerSource::Voltage);
    const float current = data(PowerSource::CurrentCapacity);
    const float max = data(PowerSource::MaxCapacity);
    const float design = data(PowerSource::DesignCapacity);
    const float amperage = data(PowerSource::Amperage);
    const float instant = data(PowerSource::InstantAmperage);
    const float boot = data(PowerSource::BootVoltage);
    const float cycles = data(PowerSource::CycleCount);
    const float temperature = data(PowerSource::Temperature);
    const auto add = [this](const char* label, const QString& value) {
        hardwareEntries_.append({QString::fromLatin1(label), value});
    };
    // A battery with a MaxCapacity of exactly 100 reports in percent, not mAh.
    const bool inMilliampHours = available(max) && max != 100.0f;

    if (available(voltage))
        add("Voltage", QString::asprintf("%2.2f V", static_cast<double>(voltage / 1000.0f)));
    if (inMilliampHours && available(current))
        add("Current Capacity", QString::asprintf("%4.0f mAh", static_cast<double>(current)));
    if (inMilliampHours)
        add("Max Capacity", QString::asprintf("%4.0f mAh", static_cast<double>(max)));
    if (available(design))
        add("Design Capacity", QString::asprintf("%4.0f mAh", static_cast<double>(design)));
    // Rows whose inputs are missing are left out rather than shown with meaningless values.
    if (available(max) && available(current) && max != 0.0f)
        add("Charge", QString::asprintf("%2.2f%%", static_cast<double>(current * 100.0f / max)));
    if (inMilliampHours && available(design) && design > 0.0f)
        add("Health", QString::asprintf("%2.2f%%", static_cast<double>(max * 100.0f / design)));
    if (available(amperage))
        add("conn. Charger Capacity", QString::asprintf("%4.0f mA", static_cast<double>(amperage)));
    if (available(instant) && instant > 0.0f)
        add("Flow to Battery", QString::asprintf("%4.0f mA", static_cast<double>(instant)));
    if (available(instant) && instant < 0.0f)
        add("Flow from Battery", QString::asprintf("%4.0f mA", static_cast<double>(-instant)));
    const bool chargeKnown = available(current) && available(max) && max != 0.0f;
    const bool showPowerUse =
        available(instant) && available(amperage) &&
        (amperage == 0.0f || (chargeKnown && static_cast<double>(current / max) < 0.95));
    if (showPowerUse) {
        const float milliamps = amperage - instant;
        add("Current Power Use", QString::asprintf("%4.0f mA", static_cast<double>(milliamps)));
        if (available(voltage))
            add("Current Power Use",
                QString::asprintf("%2.2f W",
                                  static_cast<double>(milliamps / 1000.0f * voltage / 1000.0f)));
    }
    if (available(boot))
        add("Boot Voltage", QString::asprintf("%2.2f V", static_cast<double>(boot / 1000.0f)));
    if (available(cycles))
        add("Cycle Count", QString::asprintf("%2.0f cycles", static_cast<double>(cycles)));
    if (available(temperature))
        add("Temperature", QString::asprintf("%2.1f C", static_cast<double>(temperature) / 100.0));
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
