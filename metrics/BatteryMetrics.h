#pragma once

#include "ChargeTimeEstimator.h"
#include "PowerSource.h"

#include <QString>

#include <optional>

// One battery's figures for the fleet metrics; a figure the battery does not report is empty
// and its series is left out of the file (absent reads as unknown in a query, a 0 would not).
struct BatteryMetrics {
    QString model;
    QString serial;
    std::optional<double> levelPercent;
    BatteryState state = BatteryStateUnknown;
    bool notCharging = false;
    std::optional<double> healthPercent; // full-charge capacity / design capacity
    std::optional<double> fullCapacityMah;
    std::optional<double> designCapacityMah;
    std::optional<double> cycleCount;
    std::optional<double> temperatureCelsius;
    std::optional<double> timeToEmptySeconds;
    std::optional<double> timeToFullSeconds;
    qint64 samplesLogged = 0;

    static BatteryMetrics read(const PowerSource& source, const ChargeTimeEstimate& estimate,
                               qint64 samplesLogged);
};
