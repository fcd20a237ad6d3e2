#include "HealthStore.h"

#include "BatteryCatalog.h"
#include "LogCategories.h"
#include "SqliteDatabase.h"
#include "SqliteStatement.h"

#include <cmath>

namespace {
HealthReading readRow(const SqliteStatement& s) {
    sqlite3_stmt* stmt = s.get();
    HealthReading reading;
    reading.date = sqlite3_column_double(stmt, 0);
    reading.batteryId = sqlite3_column_int64(stmt, 1);
    reading.full = sqlite3_column_double(stmt, 2);
    reading.design = sqlite3_column_double(stmt, 3);
    reading.unit = s.text(4);
    if (sqlite3_column_type(stmt, 5) != SQLITE_NULL)
        reading.cycles = sqlite3_column_int(stmt, 5);
    if (sqlite3_column_type(stmt, 6) != SQLITE_NULL)
        reading.temperature = sqlite3_column_double(stmt, 6);
    return reading;
}

#define HEALTH_COLUMNS                                                                             \
    "SELECT date, battery_id, full, design, unit, cycles, temperature FROM health "
} // namespace

HealthStore::HealthStore(SqliteDatabase& database, BatteryCatalog& catalog)
    : database_(database), catalog_(catalog) {}

// Energy where the battery counts in it (no voltage guess in the ratio), else charge.
std::optional<HealthReading> HealthStore::readingOf(const QMap<QString, double>& table,
                                                    double now) {
    HealthReading reading;
    reading.date = now;
    if (table.contains(PowerSource::MaxEnergy)) {
        reading.unit = QStringLiteral("mWh");
        reading.full = table.value(PowerSource::MaxEnergy);
        reading.design = table.value(PowerSource::DesignEnergy, -1.0);
    } else if (table.contains(PowerSource::MaxCapacity) &&
               table.value(PowerSource::MaxCapacity) != 100.0) {
        reading.unit = QStringLiteral("mAh");
        reading.full = table.value(PowerSource::MaxCapacity);
        reading.design = table.value(PowerSource::DesignCapacity, -1.0);
    } else {
        return std::nullopt;
    }
    if (table.contains(PowerSource::CycleCount))
        reading.cycles = static_cast<int>(table.value(PowerSource::CycleCount));
    if (table.contains(PowerSource::Temperature))
        reading.temperature = table.value(PowerSource::Temperature) / 100.0;
    return reading;
}

int HealthStore::recordIfDue(const QList<BatteryReading>& batteries, double now) {
    int added = 0;
    for (const BatteryReading& battery : batteries) {
        std::optional<HealthReading> reading = readingOf(battery.properties, now);
        if (!reading)
            continue;
        reading->batteryId = catalog_.idFor(battery);
        if (reading->batteryId == 0)
            continue;
        // Measured from the reading taken last, either way: a clock set back a week gives one
        // reading now, not none for a week nor one at every check.
        const auto last = lastDate(reading->batteryId);
        if (last && std::fabs(now - *last) < ReadingInterval)
            continue;
        if (add(*reading))
            ++added;
    }
    return added;
}

bool HealthStore::add(const HealthReading& reading) {
    SqliteStatement add(database_.handle(),
                        "INSERT INTO health (date, battery_id, full, design, unit, cycles, "
                        "temperature) VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7)");
    if (!add)
        return false;
    sqlite3_stmt* stmt = add.get();
    sqlite3_bind_double(stmt, 1, reading.date);
    sqlite3_bind_int64(stmt, 2, reading.batteryId);
    sqlite3_bind_double(stmt, 3, reading.full);
    sqlite3_bind_double(stmt, 4, reading.design);
    add.bind(5, reading.unit);
    if (reading.cycles)
        sqlite3_bind_int(stmt, 6, *reading.cycles);
    if (reading.temperature)
        sqlite3_bind_double(stmt, 7, *reading.temperature);
    if (sqlite3_step(stmt) != SQLITE_DONE) {
        qCWarning(lcLog, "Couldn't record the battery's health: %s",
                  sqlite3_errmsg(database_.handle()));
        return false;
    }
    return true;
}

std::optional<double> HealthStore::lastDate(qint64 batteryId) const {
    SqliteStatement read(database_.hasLayout2() ? database_.handle() : nullptr,
                         "SELECT date FROM health WHERE battery_id = ?1 ORDER BY id DESC LIMIT 1");
    if (!read)
        return std::nullopt;
    sqlite3_bind_int64(read.get(), 1, batteryId);
    if (sqlite3_step(read.get()) != SQLITE_ROW)
        return std::nullopt;
    return sqlite3_column_double(read.get(), 0);
}

QList<HealthReading> HealthStore::readings(qint64 batteryId, bool* complete) const {
    QList<HealthReading> out;
    SqliteStatement read(database_.hasLayout2() ? database_.handle() : nullptr,
                         HEALTH_COLUMNS "WHERE battery_id = ?1 ORDER BY date, id");
    if (complete)
        *complete = !read && !database_.hasLayout2(); // an older log has no readings yet
    if (!read)
        return out;
    sqlite3_bind_int64(read.get(), 1, batteryId);
    int rc;
    while ((rc = sqlite3_step(read.get())) == SQLITE_ROW)
        out.append(readRow(read));
    if (complete)
        *complete = rc == SQLITE_DONE;
    return out;
}

bool HealthStore::forEach(const std::function<bool(const HealthReading&)>& visitor) const {
    SqliteStatement read(database_.hasLayout2() ? database_.handle() : nullptr,
                         HEALTH_COLUMNS "ORDER BY battery_id, date, id");
    if (!read)
        return !database_.hasLayout2(); // an older log simply has no readings yet
    int rc;
    while ((rc = sqlite3_step(read.get())) == SQLITE_ROW) {
        if (!visitor(readRow(read)))
            return true;
    }
    return rc == SQLITE_DONE;
}
