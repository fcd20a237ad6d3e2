#pragma once

#include "PowerSource.h"

#include <QList>
#include <QString>

// The hardware report's rows for one battery's property table, in the report's order. Rows whose
// inputs are missing are left out rather than shown with meaningless values.
class BatteryHardwareRows {
public:
    struct Row {
        QString label;
        QString text;
        // The figure behind the text, named with its unit ("voltage_v").
        QString key;
        double value;
    };

    static QList<Row> of(const PowerSource::Properties& table);

private:
    // The amount now, when full and by design, in one unit (charge in mAh or energy in mWh);
    // -1 where the battery does not report it.
    struct Amounts {
        float now;
        float full;
        float design;
    };

    explicit BatteryHardwareRows(const PowerSource::Properties& table);

    float read(const QString& key) const;
    void add(const char* label, const char* format, const char* key, double value);
    // A battery with a MaxCapacity of exactly 100 reports in percent, not mAh.
    bool inMilliampHours() const;
    bool energyKnown() const;

    void addAmountRows();
    void addChargeAndHealthRows();
    void addFlowRows();
    void addConditionRows();

    const PowerSource::Properties& table_;
    const Amounts charge_;
    const Amounts energy_;
    QList<Row> rows_;
};
