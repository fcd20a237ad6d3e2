#pragma once

#include "PowerSource.h"

// A battery whose readings the test sets directly.
class FakePowerSource : public PowerSource {
public:
    float platformLevel = -1.0f;
    BatteryState currentState = BatteryStateUnknown;
    Properties table;
    std::optional<double> voltage;

    void setCharge(double current, double max) {
        table.insert(CurrentCapacity, current);
        table.insert(MaxCapacity, max);
    }

    QString name() const override { return QStringLiteral("Fake battery"); }
    Properties properties() const override { return table; }
    float level() const override { return platformLevel; }
    BatteryState state() const override { return currentState; }
    std::optional<double> designVoltage() const override { return voltage; }
};
