#pragma once

#include "HealthReading.h"
#include "PowerSource.h"

#include <QList>

#include <functional>
#include <optional>

class BatteryCatalog;
class SqliteDatabase;

// The health readings of the log's batteries, in the log's own file: once a day and at start
// per battery, so years of wear fit in a few thousand rows.
class HealthStore {
public:
    static constexpr double ReadingInterval = 86400.0;

    HealthStore(SqliteDatabase& database, BatteryCatalog& catalog);

    // The reading a battery's table gives now; none when it knows neither full nor design
    // capacity (a battery that reports in percent).
    static std::optional<HealthReading> readingOf(const QMap<QString, double>& properties,
                                                  double now);
    // Adds a reading for every battery whose last one is a day old or that has none; returns
    // how many were added.
    int recordIfDue(const QList<BatteryReading>& batteries, double now);
    bool add(const HealthReading& reading);
    // The date of the battery's reading taken last (not the latest date: the clock may step).
    std::optional<double> lastDate(qint64 batteryId) const;
    // A battery's readings, oldest first.
    // complete, when given, tells whether every reading could be read.
    QList<HealthReading> readings(qint64 batteryId, bool* complete = nullptr) const;
    // Every reading, by battery and then oldest first, until the visitor returns false.
    bool forEach(const std::function<bool(const HealthReading&)>& visitor) const;

private:
    SqliteDatabase& database_;
    BatteryCatalog& catalog_;
};
