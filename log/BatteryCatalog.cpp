#include "BatteryCatalog.h"

#include "LogCategories.h"
#include "SqliteDatabase.h"
#include "SqliteStatement.h"

#include <QStringList>

BatteryCatalog::BatteryCatalog(SqliteDatabase& database) : database_(database) {}

QString BatteryCatalog::keyOf(const BatteryReading& battery) {
    return battery.identity.isEmpty() ? QStringLiteral("name:") + battery.name
                                      : battery.identity.key();
}

qint64 BatteryCatalog::idFor(const BatteryReading& battery) {
    return idForKey(keyOf(battery), battery.name, battery.identity);
}

qint64 BatteryCatalog::idForSet(const QList<BatteryReading>& batteries) {
    if (batteries.size() == 1)
        return idFor(batteries.first());
    if (batteries.isEmpty())
        return 0;
    QStringList keys;
    QStringList names;
    for (const BatteryReading& battery : batteries) {
        keys.append(keyOf(battery));
        names.append(battery.name);
    }
    return idForKey(keys.join(QStringLiteral(" + ")), names.join(QStringLiteral(" + ")), {});
}

qint64 BatteryCatalog::idForKey(const QString& key, const QString& name,
                                const BatteryIdentity& identity) {
    if (const auto it = known_.constFind(key); it != known_.constEnd())
        return it.value();
    sqlite3* db = database_.handle();
    if (!db || !database_.hasLayout2())
        return 0;
    {
        SqliteStatement find(db, "SELECT id FROM batteries WHERE key = ?1");
        if (!find)
            return 0;
        find.bind(1, key);
        if (sqlite3_step(find.get()) == SQLITE_ROW)
            return known_[key] = sqlite3_column_int64(find.get(), 0);
    }
    SqliteStatement add(db, "INSERT INTO batteries (key, name, manufacturer, model, serial, "
                            "design_capacity) VALUES (?1, ?2, ?3, ?4, ?5, ?6)");
    if (!add)
        return 0;
    add.bind(1, key);
    add.bind(2, name);
    add.bind(3, identity.manufacturer);
    add.bind(4, identity.model);
    add.bind(5, identity.serial);
    if (identity.designCapacity >= 0)
        sqlite3_bind_double(add.get(), 6, identity.designCapacity);
    if (sqlite3_step(add.get()) != SQLITE_DONE) {
        // A read-only log (a report) cannot learn batteries; that is no error worth a line.
        if (sqlite3_db_readonly(db, "main") != 1)
            qCWarning(lcLog, "Couldn't record the battery %s: %s", qPrintable(key),
                      sqlite3_errmsg(db));
        return 0;
    }
    qCInfo(lcLog, "New battery in the log: %s (%s)", qPrintable(name), qPrintable(key));
    return known_[key] = sqlite3_last_insert_rowid(db);
}

bool BatteryCatalog::recordLevels(qint64 eventId, const QList<QPair<qint64, float>>& levels) {
    SqliteStatement add(database_.handle(), "INSERT OR REPLACE INTO battery_levels "
                                            "(event_id, battery_id, level) VALUES (?1, ?2, ?3)");
    if (!add)
        return false;
    for (const auto& [batteryId, level] : levels) {
        sqlite3_bind_int64(add.get(), 1, eventId);
        sqlite3_bind_int64(add.get(), 2, batteryId);
        sqlite3_bind_double(add.get(), 3, static_cast<double>(level));
        const int rc = sqlite3_step(add.get());
        sqlite3_reset(add.get());
        if (rc != SQLITE_DONE)
            return false;
    }
    return true;
}

QList<QPair<qint64, float>> BatteryCatalog::levelsOf(qint64 eventId) const {
    QList<QPair<qint64, float>> levels;
    SqliteStatement read(database_.hasLayout2() ? database_.handle() : nullptr,
                         "SELECT battery_id, level FROM battery_levels WHERE event_id = ?1 "
                         "ORDER BY battery_id");
    if (!read)
        return levels;
    sqlite3_bind_int64(read.get(), 1, eventId);
    while (sqlite3_step(read.get()) == SQLITE_ROW)
        levels.append({sqlite3_column_int64(read.get(), 0),
                       static_cast<float>(sqlite3_column_double(read.get(), 1))});
    return levels;
}

QList<BatteryCatalog::Entry> BatteryCatalog::entries(bool* complete) const {
    QList<Entry> out;
    SqliteStatement read(database_.hasLayout2() ? database_.handle() : nullptr,
                         "SELECT id, key, name FROM batteries ORDER BY id");
    if (complete)
        *complete = !read && !database_.hasLayout2(); // an older log has no batteries yet
    if (!read)
        return out;
    int rc;
    while ((rc = sqlite3_step(read.get())) == SQLITE_ROW)
        out.append({sqlite3_column_int64(read.get(), 0), read.text(1), read.text(2)});
    if (complete)
        *complete = rc == SQLITE_DONE;
    return out;
}

QString BatteryCatalog::nameOf(qint64 id) const {
    for (const Entry& entry : entries()) {
        if (entry.id == id)
            return entry.name;
    }
    return QString();
}
