#pragma once

#include <QJsonObject>
#include <QList>
#include <QPair>
#include <QString>

class BatteryLogHandler;

// The "Battery Health" section: for each battery the log has health readings of, its health
// now, the change per month, its cycles and when it is expected to reach 80 % and 70 % of its
// design capacity. Shown in the statistics tab, printed by `ampelio --report`.
class HealthReport {
public:
    static const QString Header;

    explicit HealthReport(BatteryLogHandler& handler);

    void updateData();
    // Label and value rows; a battery's name row (empty value) leads its rows when the log
    // knows several batteries.
    const QList<QPair<QString, QString>>& entries() const { return entries_; }
    QString toText() const;
    // {"<battery name>": {"health_percent": ..., "change_per_month_percent": ..., ...}}
    QJsonObject toJson() const { return json_; }

private:
    BatteryLogHandler& handler_;
    QList<QPair<QString, QString>> entries_;
    QJsonObject json_;
};
