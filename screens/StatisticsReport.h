#pragma once

#include "PowerSource.h"

#include <QJsonObject>
#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>

class BatteryLogHandler;
class UIDeviceHardware;

// The statistics of the four periods and the battery hardware report, as the texts the
// statistics screen and `ampelio --report` show, and as numbers for `ampelio --report --json`.
class StatisticsReport {
public:
    static constexpr int PeriodCount = 4;
    enum Row {
        LoadCycles,
        TimeCharging,
        TimeDraining,
        AverageFullCharge,
        AverageFullDrain,
        WattHours
    };

    // A figure behind a text, named with its unit ("voltage_v") for machine-readable output.
    struct Reading {
        QString key;
        double value;
    };

    StatisticsReport(BatteryLogHandler& handler, const UIDeviceHardware& hardware);

    static QString periodHeader(int period);
    // Titles with empty values; the energy row only when the battery's energy is known now.
    void buildRows();
    // Recomputes every value and rebuilds the hardware report.
    void updateData();

    // Row i: the title, then the values of the four periods.
    const QList<QStringList>& statisticsEntries() const { return statisticsEntries_; }
    const QList<QPair<QString, QString>>& hardwareEntries() const { return hardwareEntries_; }
    // The numbers behind the texts; a value left empty or a row left out has no reading.
    const QList<Reading>& periodReadings(int period) const { return periodReadings_[period]; }
    const QList<Reading>& hardwareReadings() const { return hardwareReadings_; }

    // Both tables as plain text, one section after the other.
    QString toText() const;
    // The same figures as numbers: {"periods": {"overall": {...}, ...}, "hardware": {...}}.
    QJsonObject toJson() const;
    // The key of a period in toJson(): "overall", "last_month", "last_week", "last_24_hours".
    static QString periodKey(int period);

private:
    void updatePeriods();
    void rebuildHardware();
    // The rows of one battery's property table; keys get the prefix (e.g. "bat1_") when given.
    void addBatteryRows(const PowerSource::Properties& table, const QString& keyPrefix);

    BatteryLogHandler& handler_;
    const UIDeviceHardware& hardware_;
    QList<QStringList> statisticsEntries_;
    QList<QPair<QString, QString>> hardwareEntries_;
    QList<Reading> periodReadings_[PeriodCount];
    QList<Reading> hardwareReadings_;
};
