#include "SqliteDatabase.h"

#include "LogCategories.h"
#include "StoreLayout.h"

#include <QFile>

#include <sqlite3.h>

#include <algorithm>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
enum StatementIndex {
    InsertStatement = 8,
    DeleteStatement,
    CountStatement,
    AllStatement,
    PageStatement,
    OlderStatement,
    NewerStatement,
    PositionStatement,
    LastTakenStatement,
    LastWithBatteryStatement,
    BetweenStatement,
    BetweenTakenStatement,
    TakenSpanStatement,
    DeleteLevelsStatement,
    StatementCount
};
static_assert(StatementCount <= SqliteDatabase::MaxStatements, "room for every statement");

// Marks a log this build created, so an older build can tell a newer layout from its own.
const char* const LayoutVersionPragma = "PRAGMA user_version = 2";
static_assert(StoreLayout::Version == 2);

// Every statement is written with the first layout's column list; it is widened to the
// columns the file has when prepared, so a read-only look at an older log needs no change to it.
const char* const Layout1Select =
    "SELECT id, creation_date, battery_level, battery_state FROM events ";
const char* const Layout2Select = "SELECT id, creation_date, battery_level, battery_state, "
                                  "not_charging, battery_id FROM events ";
const char* const OlderLayoutSelect =
    "SELECT id, creation_date, battery_level, battery_state, 0, 0 FROM events ";

// Layout 2: the "Not charging" flag and the battery of each sample, the batteries themselves,
// each battery's own level per sample and the daily health readings. Added in place: columns
// with defaults need no rewrite of the table, so even a large log migrates at once.
const char* const Layout2Tables =
    "CREATE TABLE IF NOT EXISTS batteries (id INTEGER PRIMARY KEY, key TEXT NOT NULL UNIQUE, "
    "name TEXT NOT NULL DEFAULT '', manufacturer TEXT NOT NULL DEFAULT '', "
    "model TEXT NOT NULL DEFAULT '', serial TEXT NOT NULL DEFAULT '', design_capacity REAL);"
    "CREATE TABLE IF NOT EXISTS battery_levels (event_id INTEGER NOT NULL, "
    "battery_id INTEGER NOT NULL, level REAL NOT NULL, PRIMARY KEY (event_id, battery_id));"
    "CREATE TABLE IF NOT EXISTS health (id INTEGER PRIMARY KEY, date REAL NOT NULL, "
    "battery_id INTEGER NOT NULL, full REAL NOT NULL, design REAL NOT NULL, "
    "unit TEXT NOT NULL, cycles INTEGER, temperature REAL);"
    "CREATE INDEX IF NOT EXISTS health_by_battery ON health(battery_id, date);";

#define EVENT_COLUMNS "SELECT id, creation_date, battery_level, battery_state FROM events "

// The eight fetch forms: bit 0 lower bound, bit 1 upper bound, bit 2 ascending.
const char* const fetchSql[8] = {
    "SELECT id, creation_date, battery_level, battery_state FROM events "
    "ORDER BY creation_date DESC, id DESC LIMIT ?3",
    "SELECT id, creation_date, battery_level, battery_state FROM events "
    "WHERE creation_date > ?1 ORDER BY creation_date DESC, id DESC LIMIT ?3",
    "SELECT id, creation_date, battery_level, battery_state FROM events "
    "WHERE creation_date < ?2 ORDER BY creation_date DESC, id DESC LIMIT ?3",
    "SELECT id, creation_date, battery_level, battery_state FROM events "
    "WHERE creation_date > ?1 AND creation_date < ?2 ORDER BY creation_date DESC, id DESC LIMIT ?3",
    "SELECT id, creation_date, battery_level, battery_state FROM events "
    "ORDER BY creation_date ASC, id ASC LIMIT ?3",
    "SELECT id, creation_date, battery_level, battery_state FROM events "
    "WHERE creation_date > ?1 ORDER BY creation_date ASC, id ASC LIMIT ?3",
    "SELECT id, creation_date, battery_level, battery_state FROM events "
    "WHERE creation_date < ?2 ORDER BY creation_date ASC, id ASC LIMIT ?3",
    "SELECT id, creation_date, battery_level, battery_state FROM events "
    "WHERE creation_date > ?1 AND creation_date < ?2 ORDER BY creation_date ASC, id ASC LIMIT ?3",
};

Event readRow(sqlite3_stmt* stmt) {
    Event event;
    event.objectId = sqlite3_column_int64(stmt, 0);
    event.creationDate = sqlite3_column_double(stmt, 1);
    event.batteryLevel = static_cast<float>(sqlite3_column_double(stmt, 2));
    event.batteryState = sqlite3_column_int(stmt, 3);
    event.notCharging = sqlite3_column_int(stmt, 4) != 0;
    event.batteryId = sqlite3_column_int64(stmt, 5);
    return event;
}

// Steps a bound statement to the end; a failed step yields no records at all, never a part.
QList<Event> collect(sqlite3_stmt* stmt, sqlite3* db) {
    QList<Event> result;
    int rc;
    while ((rc = sqlite3_step(stmt)) == SQLITE_ROW)
        result.append(readRow(stmt));
    if (rc != SQLITE_DONE) {
        qCWarning(lcLog, "Store query failed: %s", sqlite3_errmsg(db));
        result.clear();
    }
    return result;
}

// Resets a statement when leaving scope so its read transaction never outlives the call.
struct StatementReset {
    sqlite3_stmt* stmt;
    ~StatementReset() {
        if (stmt)
            sqlite3_reset(stmt);
    }
};
} // namespace

SqliteDatabase::SqliteDatabase(const QString& path, Mode mode) : path_(path) {
    if (!openAndPrepareSchema(mode)) {
        sqlite3_close_v2(db_);
        db_ = nullptr;
    }
}

SqliteDatabase::~SqliteDatabase() {
    for (sqlite3_stmt* stmt : statements_)
        sqlite3_finalize(stmt);
    sqlite3_close_v2(db_);
}

bool SqliteDatabase::openAndPrepareSchema(Mode mode) {
    const StoreLayout::Result layout = StoreLayout::inspect(path_);
    if (!StoreLayout::isUsable(layout.verdict)) {
        openError_.code = layout.sqliteCode ? layout.sqliteCode : SQLITE_CANTOPEN;
        openError_.description = QStringLiteral("Refused the log: %1").arg(layout.reason);
        openError_.userInfo = QStringLiteral("{ path = \"%1\"; }").arg(path_);
        return false;
    }
    const int flags =
        mode == Mode::ReadOnly ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE;
    const QByteArray file =
        mode == Mode::ReadOnly ? StoreLayout::readOnlyUri(path_) : QFile::encodeName(path_);
    // SQLite creates files as the umask says (and its journals like the file); the log is the
    // user's alone, so it is created private first. An empty file is an empty database.
    if (mode == Mode::ReadWrite && layout.verdict == StoreLayout::Verdict::Missing) {
        const int fd = ::open(file.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (fd >= 0) {
            ::fchmod(fd, 0600);
            ::close(fd);
        }
    }
    int rc = sqlite3_open_v2(file.constData(), &db_, flags | SQLITE_OPEN_URI | SQLITE_OPEN_NOMUTEX,
                             nullptr);
    if (rc != SQLITE_OK) {
        openError_ = lastError(rc);
        return false;
    }
    sqlite3_busy_timeout(db_, 5000);
    if (mode == Mode::ReadOnly) {
        // Touch the schema now so a missing or foreign file is reported at open, not per query.
        if (!exec("SELECT 1 FROM events LIMIT 0", &openError_))
            return false;
        hasLayout2_ = exec("SELECT not_charging, battery_id FROM events LIMIT 0", nullptr);
        return true;
    }
    // Every write is a transaction of its own; WAL keeps readers on other threads unblocked and
    // FULL sync keeps the last samples when the battery itself runs out.
    if (!exec("PRAGMA journal_mode=WAL", &openError_) ||
        !exec("PRAGMA synchronous=FULL", &openError_))
        return false;
    // The version is written last, in the same transaction as the tables: a log that has it is
    // complete, and opening it writes nothing (a write transaction would cost a sync per start).
    if (userVersion() == StoreLayout::Version) {
        hasLayout2_ = true;
        return true;
    }
    // One transaction: a crash halfway leaves the log as it was, in the layout it had.
    if (!exec("BEGIN IMMEDIATE", &openError_))
        return false;
    const bool fresh = !exec("SELECT 1 FROM events LIMIT 0", nullptr);
    const bool migrate = !fresh && !exec("SELECT not_charging FROM events LIMIT 0", nullptr);
    const bool ready =
        (!fresh || exec("CREATE TABLE events (id INTEGER PRIMARY KEY, "
                        "creation_date REAL NOT NULL, battery_level REAL NOT NULL, "
                        "battery_state INTEGER NOT NULL, not_charging INTEGER NOT NULL DEFAULT 0, "
                        "battery_id INTEGER NOT NULL DEFAULT 0)",
                        &openError_)) &&
        (!migrate || exec("ALTER TABLE events ADD COLUMN not_charging INTEGER NOT NULL DEFAULT 0",
                          &openError_)) &&
        (!migrate || exec("ALTER TABLE events ADD COLUMN battery_id INTEGER NOT NULL DEFAULT 0",
                          &openError_)) &&
        exec("CREATE INDEX IF NOT EXISTS events_by_date ON events(creation_date)", &openError_) &&
        exec(Layout2Tables, &openError_) && exec(LayoutVersionPragma, &openError_);
    if (!ready || !exec("COMMIT", &openError_)) {
        exec("ROLLBACK", nullptr);
        return false;
    }
    if (migrate)
        qCInfo(lcLog, "Converted the log %s to layout %d", qPrintable(path_), StoreLayout::Version);
    hasLayout2_ = true;
    return true;
}

StoreError SqliteDatabase::lastError(int code) const {
    StoreError error;
    error.code = code;
    const char* message = db_ ? sqlite3_errmsg(db_) : sqlite3_errstr(code);
    error.description = QStringLiteral("SQLite error %1 (%2)")
                            .arg(code)
                            .arg(QString::fromUtf8(message ? message : sqlite3_errstr(code)));
    error.userInfo = QStringLiteral("{ path = \"%1\"; }").arg(path_);
    return error;
}

int SqliteDatabase::userVersion() {
    sqlite3_stmt* stmt = nullptr;
    if (sqlite3_prepare_v2(db_, "PRAGMA user_version", -1, &stmt, nullptr) != SQLITE_OK)
        return -1;
    const int version = sqlite3_step(stmt) == SQLITE_ROW ? sqlite3_column_int(stmt, 0) : -1;
    sqlite3_finalize(stmt);
    return version;
}

bool SqliteDatabase::exec(const char* sql, StoreError* error) {
    char* message = nullptr;
    const int rc = sqlite3_exec(db_, sql, nullptr, nullptr, &message);
    sqlite3_free(message);
    if (rc == SQLITE_OK)
        return true;
    if (error)
        *error = lastError(rc);
    return false;
}

sqlite3_stmt* SqliteDatabase::statement(int index, const char* sql) {
    if (!db_)
        return nullptr;
    sqlite3_stmt*& stmt = statements_[static_cast<size_t>(index)];
    if (stmt)
        return stmt;
    QByteArray text(sql);
    if (text.startsWith(Layout1Select))
        text.replace(0, qsizetype(std::strlen(Layout1Select)),
                     hasLayout2_ ? Layout2Select : OlderLayoutSelect);
    if (sqlite3_prepare_v3(db_, text.constData(), -1, SQLITE_PREPARE_PERSISTENT, &stmt, nullptr) !=
        SQLITE_OK) {
        qCWarning(lcLog, "Couldn't prepare a store query: %s", sqlite3_errmsg(db_));
        stmt = nullptr;
    }
    return stmt;
}

QList<Event> SqliteDatabase::fetch(const FetchRequest& request) {
    const int form =
        (request.after ? 1 : 0) | (request.before ? 2 : 0) | (request.ascending ? 4 : 0);
    sqlite3_stmt* stmt = statement(form, fetchSql[form]);
    if (!stmt)
        return {};
    StatementReset reset{stmt};
    if (request.after)
        sqlite3_bind_double(stmt, 1, *request.after);
    if (request.before)
        sqlite3_bind_double(stmt, 2, *request.before);
    sqlite3_bind_int64(stmt, 3, request.limit > 0 ? request.limit : -1);
    return collect(stmt, db_);
}

QList<Event> SqliteDatabase::page(qint64 offset, int limit) {
    sqlite3_stmt* stmt = statement(PageStatement, EVENT_COLUMNS
                                   "ORDER BY creation_date DESC, id DESC LIMIT ?2 OFFSET ?1");
    if (!stmt)
        return {};
    StatementReset reset{stmt};
    sqlite3_bind_int64(stmt, 1, offset);
    sqlite3_bind_int(stmt, 2, limit);
    return collect(stmt, db_);
}

// Row values follow the (creation_date, rowid) order of the date index, so these are range scans.
QList<Event> SqliteDatabase::olderThan(const Event& anchor, int limit) {
    return keyset(OlderStatement,
                  EVENT_COLUMNS "WHERE (creation_date, id) < (?1, ?2) "
                                "ORDER BY creation_date DESC, id DESC LIMIT ?3",
                  anchor, limit);
}

QList<Event> SqliteDatabase::newerThan(const Event& anchor, int limit) {
    QList<Event> result = keyset(NewerStatement,
                                 EVENT_COLUMNS "WHERE (creation_date, id) > (?1, ?2) "
                                               "ORDER BY creation_date ASC, id ASC LIMIT ?3",
                                 anchor, limit);
    std::reverse(result.begin(), result.end());
    return result;
}

QList<Event> SqliteDatabase::keyset(int index, const char* sql, const Event& anchor, int limit) {
    sqlite3_stmt* stmt = statement(index, sql);
    if (!stmt)
        return {};
    StatementReset reset{stmt};
    sqlite3_bind_double(stmt, 1, anchor.creationDate);
    sqlite3_bind_int64(stmt, 2, anchor.objectId);
    sqlite3_bind_int(stmt, 3, limit);
    return collect(stmt, db_);
}

QList<Event> SqliteDatabase::lastTaken(int limit) {
    sqlite3_stmt* stmt = statement(LastTakenStatement, EVENT_COLUMNS "ORDER BY id DESC LIMIT ?1");
    if (!stmt)
        return {};
    StatementReset reset{stmt};
    sqlite3_bind_int(stmt, 1, limit);
    return collect(stmt, db_);
}

std::optional<Event> SqliteDatabase::lastTakenWithBattery() {
    // A log from before batteries were recorded has no such record (nor the column).
    if (!hasLayout2_)
        return std::nullopt;
    // Only the newest records are searched: an import brings about a week (some 10,000 samples
    // at a line a minute), and an old log without batteries must not be read through at its
    // first new sample.
    constexpr qint64 SearchedRecords = 50000;
    sqlite3_stmt* stmt =
        statement(LastWithBatteryStatement, EVENT_COLUMNS
                  "WHERE id > (SELECT max(id) FROM events) - ?1 AND battery_id != 0 "
                  "AND battery_level >= 0 AND battery_level <= 1 ORDER BY id DESC LIMIT 1");
    if (!stmt)
        return std::nullopt;
    StatementReset reset{stmt};
    sqlite3_bind_int64(stmt, 1, SearchedRecords);
    const QList<Event> found = collect(stmt, db_);
    return found.isEmpty() ? std::nullopt : std::optional<Event>(found.first());
}

qint64 SqliteDatabase::positionOf(const Event& event) {
    sqlite3_stmt* stmt = statement(
        PositionStatement, "SELECT count(*) FROM events WHERE (creation_date, id) > (?1, ?2)");
    if (!stmt)
        return 0;
    StatementReset reset{stmt};
    sqlite3_bind_double(stmt, 1, event.creationDate);
    sqlite3_bind_int64(stmt, 2, event.objectId);
    return sqlite3_step(stmt) == SQLITE_ROW ? sqlite3_column_int64(stmt, 0) : 0;
}

bool SqliteDatabase::forEachNewestFirst(const std::function<bool(const Event&)>& visitor) {
    sqlite3_stmt* stmt = statement(AllStatement, "SELECT id, creation_date, battery_level, "
                                                 "battery_state FROM events "
                                                 "ORDER BY creation_date DESC, id DESC");
    return stmt && visit(stmt, visitor);
}

bool SqliteDatabase::forEachBetween(double after, double before,
                                    const std::function<bool(const Event&)>& visitor) {
    sqlite3_stmt* stmt =
        statement(BetweenStatement, EVENT_COLUMNS "WHERE creation_date > ?1 AND creation_date < ?2 "
                                                  "ORDER BY creation_date ASC, id ASC");
    if (!stmt)
        return false;
    sqlite3_bind_double(stmt, 1, after);
    sqlite3_bind_double(stmt, 2, before);
    return visit(stmt, visitor);
}

// The date index gives the row ids the period spans; the rows are then read in row-id order
// straight from the table, which needs no sort and touches the table in order.
bool SqliteDatabase::forEachTakenBetween(double after, double before,
                                         const std::function<bool(const Event&)>& visitor) {
    sqlite3_stmt* span =
        statement(TakenSpanStatement, "SELECT min(id), max(id) FROM events "
                                      "WHERE creation_date > ?1 AND creation_date < ?2");
    sqlite3_stmt* stmt = statement(BetweenTakenStatement,
                                   EVENT_COLUMNS "WHERE id BETWEEN ?3 AND ?4 "
                                                 "AND creation_date > ?1 AND creation_date < ?2 "
                                                 "ORDER BY id ASC");
    if (!span || !stmt)
        return false;
    qint64 first = 0;
    qint64 last = -1;
    {
        StatementReset reset{span};
        sqlite3_bind_double(span, 1, after);
        sqlite3_bind_double(span, 2, before);
        const int rc = sqlite3_step(span);
        if (rc != SQLITE_ROW)
            return rc == SQLITE_DONE;
        if (sqlite3_column_type(span, 0) == SQLITE_NULL)
            return true; // nothing in the period
        first = sqlite3_column_int64(span, 0);
        last = sqlite3_column_int64(span, 1);
    }
    sqlite3_bind_double(stmt, 1, after);
    sqlite3_bind_double(stmt, 2, before);
    sqlite3_bind_int64(stmt, 3, first);
    sqlite3_bind_int64(stmt, 4, last);
    return visit(stmt, visitor);
}

bool SqliteDatabase::visit(sqlite3_stmt* stmt, const std::function<bool(const Event&)>& visitor) {
    StatementReset reset{stmt};
    int rc;
    while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
        if (!visitor(readRow(stmt)))
            return true;
    }
    if (rc != SQLITE_DONE) {
        qCWarning(lcLog, "Reading the log stopped: %s", sqlite3_errmsg(db_));
        return false;
    }
    return true;
}

qint64 SqliteDatabase::count() {
    sqlite3_stmt* stmt = statement(CountStatement, "SELECT count(*) FROM events");
    if (!stmt)
        return 0;
    StatementReset reset{stmt};
    return sqlite3_step(stmt) == SQLITE_ROW ? sqlite3_column_int64(stmt, 0) : 0;
}

bool SqliteDatabase::write(QList<Event>& inserts, const QList<qint64>& deletes, StoreError* error) {
    if (!db_) {
        if (error)
            *error = openError_.isError() ? openError_ : lastError(SQLITE_CANTOPEN);
        return false;
    }
    sqlite3_stmt* insert =
        statement(InsertStatement, "INSERT INTO events (creation_date, battery_level, "
                                   "battery_state, not_charging, battery_id) "
                                   "VALUES (?1, ?2, ?3, ?4, ?5)");
    sqlite3_stmt* remove = statement(DeleteStatement, "DELETE FROM events WHERE id = ?1");
    // A sample's own battery levels go with it: a reused row id must not inherit them.
    sqlite3_stmt* removeLevels =
        statement(DeleteLevelsStatement, "DELETE FROM battery_levels WHERE event_id = ?1");
    if (!insert || !remove || !removeLevels || !exec("BEGIN IMMEDIATE", error))
        return false;
    QList<qint64> newIds;
    newIds.reserve(inserts.size());
    auto fail = [&](int rc) {
        if (error)
            *error = lastError(rc);
        sqlite3_reset(insert);
        sqlite3_reset(remove);
        sqlite3_reset(removeLevels);
        exec("ROLLBACK", nullptr);
        return false;
    };
    for (const qint64 id : deletes) {
        for (sqlite3_stmt* stmt : {remove, removeLevels}) {
            sqlite3_bind_int64(stmt, 1, id);
            const int rc = sqlite3_step(stmt);
            sqlite3_reset(stmt);
            if (rc != SQLITE_DONE)
                return fail(rc);
        }
    }
    for (const Event& event : inserts) {
        sqlite3_bind_double(insert, 1, event.creationDate);
        sqlite3_bind_double(insert, 2, static_cast<double>(event.batteryLevel));
        sqlite3_bind_int(insert, 3, event.batteryState);
        sqlite3_bind_int(insert, 4, event.notCharging ? 1 : 0);
        sqlite3_bind_int64(insert, 5, event.batteryId);
        const int rc = sqlite3_step(insert);
        sqlite3_reset(insert);
        if (rc != SQLITE_DONE)
            return fail(rc);
        newIds.append(sqlite3_last_insert_rowid(db_));
    }
    if (!exec("COMMIT", error)) {
        exec("ROLLBACK", nullptr);
        return false;
    }
    for (qsizetype i = 0; i < inserts.size(); ++i)
        inserts[i].objectId = newIds[i];
    return true;
}
