#include "BatteryMetrics.h"

#include <cmath>

namespace {
std::optional<double> property(const PowerSource::Properties& properties, const QString& key) {
    const auto found = PowerSource::find(properties, key);
    return found && *found >= 0 ? found : std::nullopt;
}
} // namespace

BatteryMetrics BatteryMetrics::read(const PowerSource& source, const ChargeTimeEstimate& estimate,
                                    qint64 samplesLogged) {
    BatteryMetrics m;
    const BatteryIdentity identity = source.identity();
    m.model = identity.model;
    m.serial = identity.serial;
    float level = source.combinedBatteryLevel();
    if (level < 0)
        level = source.level();
    // Two decimals: the single-precision level would otherwise show as 74.7499990463.
    if (level >= 0)
        m.levelPercent = std::round(static_cast<double>(level) * 10000.0) / 100.0;
    m.state = source.state();
    m.notCharging = source.isNotCharging();
    const PowerSource::Properties properties = source.properties();
    // A battery that reports in percent has no capacities in mAh to speak of.
    const bool inPercent = properties.value(PowerSource::MaxCapacity, -1.0) == 100.0;
    if (!inPercent) {
        m.fullCapacityMah = property(properties, PowerSource::MaxCapacity);
        m.designCapacityMah = property(properties, PowerSource::DesignCapacity);
        if (m.fullCapacityMah && m.designCapacityMah && *m.designCapacityMah > 0)
            m.healthPercent = *m.fullCapacityMah / *m.designCapacityMah * 100.0;
    }
    m.cycleCount = property(properties, PowerSource::CycleCount);
    // Temperature may be below zero; only a missing key is unknown.
    if (properties.contains(PowerSource::Temperature))
        m.temperatureCelsius = properties.value(PowerSource::Temperature) / 100.0;
    // Whole seconds: an estimate is not finer than that, and "2016.00000858" only looks exact.
    if (estimate.kind == ChargeTimeEstimate::ToEmpty)
        m.timeToEmptySeconds = std::round(estimate.seconds);
    else if (estimate.kind == ChargeTimeEstimate::ToFull)
        m.timeToFullSeconds = std::round(estimate.seconds);
    m.samplesLogged = samplesLogged;
    return m;
}
