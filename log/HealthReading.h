#pragma once

#include <QString>
#include <QtGlobal>

#include <optional>

// One daily look at a battery's wear: its full capacity against its design capacity, in the
// unit the battery counts in ("mWh" or "mAh"), with its cycle count and temperature.
struct HealthReading {
    double date = 0.0; // seconds since the Unix epoch
    qint64 batteryId = 0;
    double full = 0.0;
    double design = 0.0;
    QString unit;
    std::optional<int> cycles;
    std::optional<double> temperature; // degrees Celsius

    // Full over design in percent; unknown without a design capacity.
    std::optional<double> healthPercent() const {
        if (design <= 0.0 || full < 0.0)
            return std::nullopt;
        return full * 100.0 / design;
    }
};
