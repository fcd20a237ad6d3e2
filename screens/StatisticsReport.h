#pragma once

#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>

class BatteryLogHandler;
class UIDeviceHardware;

// The statistics of the four periods and the battery hardware report, as the texts the
// statistics screen and `ampelio --report` show.
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

    StatisticsReport(BatteryLogHandler& handler, const UIDeviceHardware& hardware);

    static QString periodHeader(int period);
    // Titles with empty values; the energy row only when the battery's energy is known now.
    void buildRows();
    // Recomputes every value and rebuilds the hardware report.
    void updateData();

    // Row i: the title, then the values of the four periods.
    const QList<QStringList>& statisticsEntries() const { return statisticsEntries_; }
    const QList<QPair<QString, QString>>& hardwareEntries() const { return hardwareEntries_; }

    // Both tables as plain text, one section after the other.
    QString toText() const;

private:
    void updatePeriods();
    void rebuildHardware();

    BatteryLogHandler& handler_;
    const UIDeviceHardware& hardware_;
    QList<QStringList> statisticsEntries_;
    QList<QPair<QString, QString>> hardwareEntries_;
};
