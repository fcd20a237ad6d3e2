#include "SimulatedPowerSource.h"

#include "Clock.h"

#include <cmath>

namespace {
constexpr double EmptyLevel = 0.25;
constexpr double ChargeMa = 1375.0;
constexpr double DrainMa = 275.0;
// Cycles counted from 2026-01-01 so the cycle count is plausible and grows slowly.
constexpr double CycleEpoch = 1767225600.0;
} // namespace

SimulatedPowerSource::SimulatedPowerSource(double speed)
    : speed_(speed > 0 ? speed : 1.0), origin_(Clock::now()) {}

QString SimulatedPowerSource::name() const {
    return QStringLiteral("Simulated battery");
}

SimulatedPowerSource::Reading SimulatedPowerSource::readingAt(double t) {
    const double phase = std::fmod(std::fmod(t, CycleSeconds) + CycleSeconds, CycleSeconds);
    const double cycles = std::max(0.0, std::floor((t - CycleEpoch) / CycleSeconds));
    if (phase < DischargeSeconds)
        return {1.0 - (1.0 - EmptyLevel) * phase / DischargeSeconds, BatteryStateUnplugged, cycles};
    if (phase < DischargeSeconds + ChargeSeconds) {
        const double p = (phase - DischargeSeconds) / ChargeSeconds;
        return {EmptyLevel + (1.0 - EmptyLevel) * p, BatteryStateCharging, cycles};
    }
    return {1.0, BatteryStateFull, cycles};
}

SimulatedPowerSource::Reading SimulatedPowerSource::now() const {
    const double wall = Clock::now();
    return readingAt(origin_ + (wall - origin_) * speed_);
}

PowerSource::Properties SimulatedPowerSource::properties() const {
    const Reading r = now();
    const bool charging = r.state == BatteryStateCharging;
    Properties table;
    table.insert(CurrentCapacity, std::round(r.level * FullCapacityMah));
    table.insert(MaxCapacity, FullCapacityMah);
    table.insert(DesignCapacity, DesignCapacityMah);
    table.insert(Voltage, std::round(3500.0 + 700.0 * r.level + (charging ? 150.0 : 0.0)));
    table.insert(BootVoltage, 3750.0);
    // The charger feeds the machine as well as the battery; full, it feeds the machine alone.
    table.insert(Amperage,
                 charging ? ChargeMa + DrainMa : (r.state == BatteryStateFull ? DrainMa : 0.0));
    table.insert(InstantAmperage,
                 charging ? ChargeMa : (r.state == BatteryStateUnplugged ? -DrainMa : 0.0));
    table.insert(CycleCount, 150.0 + r.completedCycles);
    table.insert(Temperature, charging ? 3150.0 : 2850.0);
    return table;
}

float SimulatedPowerSource::level() const {
    return static_cast<float>(std::round(now().level * 100.0) / 100.0);
}

BatteryState SimulatedPowerSource::state() const {
    return now().state;
}
