#pragma once

#include "Event.h"
#include "FetchRequest.h"
#include "StoreError.h"

#include <QList>
#include <QString>

#include <array>
#include <functional>
#include <optional>

struct sqlite3;
struct sqlite3_stmt;

// One SQLite connection to the event file with the prepared statements every query needs.
// A connection is used by one thread at a time.
class SqliteDatabase {
public:
    // Prepared statements kept open: the fetch forms and the named queries.
    static constexpr std::size_t MaxStatements = 24;

    enum class Mode { ReadWrite, ReadOnly };

    SqliteDatabase(const QString& path, Mode mode);
    ~SqliteDatabase();
    SqliteDatabase(const SqliteDatabase&) = delete;
    SqliteDatabase& operator=(const SqliteDatabase&) = delete;

    bool isOpen() const { return db_ != nullptr; }
    // The connection, for the log's other tables (batteries, health); null when not open.
    sqlite3* handle() const { return db_; }
    // False for a log of the first layout opened read-only (it is converted only when written).
    bool hasLayout2() const { return hasLayout2_; }
    const StoreError& openError() const { return openError_; }

    QList<Event> fetch(const FetchRequest& request);
    // Walks every record, newest first (date, then row id), until the visitor returns false.
    // Returns false when the store could not be read to the end.
    bool forEachNewestFirst(const std::function<bool(const Event&)>& visitor);
    // Records dated strictly between the two times, oldest first (date, then row id), one at a
    // time, so that long periods are never held in memory.
    bool forEachBetween(double after, double before,
                        const std::function<bool(const Event&)>& visitor);
    // The same records in the order they were taken (row id), whatever their dates.
    bool forEachTakenBetween(double after, double before,
                             const std::function<bool(const Event&)>& visitor);
    qint64 count();
    // Positional access in newest-first order (date, then row id), for lists over the whole log.
    QList<Event> page(qint64 offset, int limit);
    QList<Event> olderThan(const Event& anchor, int limit);
    QList<Event> newerThan(const Event& anchor, int limit);
    // The records written last, last first: the order they were taken, whatever their dates.
    QList<Event> lastTaken(int limit);
    // The last record written with its battery and a level of 0..1, among the newest 50,000:
    // the newest sample the logger took itself, as imported histories carry no battery.
    std::optional<Event> lastTakenWithBattery();
    // How many saved records come before the event in newest-first order.
    qint64 positionOf(const Event& event);

    // Writes inserts and deletes in one transaction; on failure nothing is written.
    // Inserted events get their row ids.
    bool write(QList<Event>& inserts, const QList<qint64>& deletes, StoreError* error);

private:
    bool exec(const char* sql, StoreError* error);
    // PRAGMA user_version, or -1 when it cannot be read.
    int userVersion();
    bool visit(sqlite3_stmt* stmt, const std::function<bool(const Event&)>& visitor);
    sqlite3_stmt* statement(int index, const char* sql);
    QList<Event> keyset(int index, const char* sql, const Event& anchor, int limit);
    StoreError lastError(int code) const;
    bool openAndPrepareSchema(Mode mode);

    QString path_;
    sqlite3* db_ = nullptr;
    StoreError openError_;
    bool hasLayout2_ = false;
    std::array<sqlite3_stmt*, MaxStatements> statements_{};
};
