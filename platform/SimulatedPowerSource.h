#pragma once

#include "PowerSource.h"

// A deterministic battery for machines without one: it runs a 12-hour cycle (7.5 h on battery
// from 100 % to 25 %, 1.5 h charging back to 100 %, 3 h sitting full) on the wall clock,
// optionally sped up for demonstrations.
class SimulatedPowerSource : public PowerSource {
public:
    static constexpr double CycleSeconds = 43200.0;
    static constexpr double DischargeSeconds = 27000.0;
    static constexpr double ChargeSeconds = 5400.0;
    static constexpr double FullCapacityMah = 2750.0;
    static constexpr double DesignCapacityMah = 3000.0;

    // speed > 1 runs the model that many times faster, counted from construction.
    explicit SimulatedPowerSource(double speed = 1.0);

    QString name() const override;
    Properties properties() const override;
    float level() const override;
    BatteryState state() const override;
    std::optional<double> designVoltage() const override { return 3.85; }

    struct Reading {
        double level; // exact fraction, before the platform's 1 % steps
        BatteryState state;
        double completedCycles;
    };
    // The model at a given simulated time (seconds since the epoch).
    static Reading readingAt(double simulatedSeconds);

private:
    Reading now() const;

    double speed_;
    double origin_;
};
