#pragma once

#include "PowerSource.h"

#include <QHash>
#include <QList>
#include <QString>

class SqliteDatabase;

// The batteries a log has seen, each under a number that samples and health readings refer to.
// A battery is known by its identity key; several batteries in one machine are also known
// together as a set, so a sample names the batteries its combined level came from. A swapped
// battery gets a number of its own, which starts a new series beside the old one.
class BatteryCatalog {
public:
    struct Entry {
        qint64 id = 0;
        QString key;
        QString name;
    };

    explicit BatteryCatalog(SqliteDatabase& database);

    // The number of the battery, added on first sight; 0 when the log cannot be written.
    qint64 idFor(const BatteryReading& battery);
    // The number of the batteries together (the one battery's own number when alone).
    qint64 idForSet(const QList<BatteryReading>& batteries);
    // Each battery's own level of the sample, beside the combined one the sample holds.
    bool recordLevels(qint64 eventId, const QList<QPair<qint64, float>>& levels);
    QList<QPair<qint64, float>> levelsOf(qint64 eventId) const;
    // complete, when given, tells whether every row could be read.
    QList<Entry> entries(bool* complete = nullptr) const;
    QString nameOf(qint64 id) const;

    // What identifies a battery in the catalog: its identity, or its name when it has none
    // (the simulation, firmware that names nothing).
    static QString keyOf(const BatteryReading& battery);

private:
    qint64 idForKey(const QString& key, const QString& name, const BatteryIdentity& identity);

    SqliteDatabase& database_;
    QHash<QString, qint64> known_;
};
