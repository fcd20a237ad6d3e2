#include "StoreLayout.h"

#include <QFile>
#include <QFileInfo>
#include <QStringList>
#include <QUrl>

#include <sqlite3.h>

#include <cstring>

namespace {
using Verdict = StoreLayout::Verdict;

StoreLayout::Result refused(Verdict verdict, const QString& reason, int code = 0) {
    return {verdict, reason, code};
}

// The reason SQLite gives, with the system's words where the open itself failed.
QString sqliteReason(sqlite3* db, int code) {
    const int systemError = db ? sqlite3_system_errno(db) : 0;
    if ((code & 0xff) == SQLITE_CANTOPEN && systemError != 0)
        return QString::fromLocal8Bit(std::strerror(systemError));
    return QString::fromUtf8(sqlite3_errstr(code));
}

QStringList strings(sqlite3* db, const char* sql, int* rc) {
    QStringList result;
    sqlite3_stmt* stmt = nullptr;
    *rc = sqlite3_prepare_v2(db, sql, -1, &stmt, nullptr);
    if (*rc != SQLITE_OK)
        return result;
    while ((*rc = sqlite3_step(stmt)) == SQLITE_ROW)
        result.append(
            QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0))));
    if (*rc == SQLITE_DONE)
        *rc = SQLITE_OK;
    sqlite3_finalize(stmt);
    return result;
}

StoreLayout::Result judge(sqlite3* db) {
    int rc = SQLITE_OK;
    const QStringList tables = strings(
        db, "SELECT name FROM sqlite_master WHERE type = 'table' AND name NOT LIKE 'sqlite_%'",
        &rc);
    if (rc != SQLITE_OK)
        return refused(Verdict::Unreadable, sqliteReason(db, rc), rc);
    if (tables.isEmpty())
        return {Verdict::Empty, {}, 0};
    const QStringList known{QStringLiteral("events"), QStringLiteral("batteries"),
                            QStringLiteral("battery_levels"), QStringLiteral("health")};
    bool foreignTable = !tables.contains(QStringLiteral("events"));
    for (const QString& table : tables)
        foreignTable = foreignTable || !known.contains(table);
    if (foreignTable)
        return refused(Verdict::Foreign,
                       QStringLiteral("it is not an Ampelio log (it holds the tables %1)")
                           .arg(tables.join(QStringLiteral(", "))));
    const QStringList columns = strings(db, "SELECT name FROM pragma_table_info('events')", &rc);
    const QStringList ours{QStringLiteral("id"), QStringLiteral("creation_date"),
                           QStringLiteral("battery_level"), QStringLiteral("battery_state")};
    if (rc != SQLITE_OK)
        return refused(Verdict::Unreadable, sqliteReason(db, rc), rc);
    // Layout 1 had the first four columns; layout 2 added the two at the end in place.
    const QStringList ours2 =
        ours + QStringList{QStringLiteral("not_charging"), QStringLiteral("battery_id")};
    if (columns != ours && columns != ours2)
        return refused(Verdict::Foreign,
                       QStringLiteral("it is not an Ampelio log (its events table has other "
                                      "columns)"));
    const QStringList version = strings(db, "PRAGMA user_version", &rc);
    if (rc == SQLITE_OK && version.value(0).toInt() > StoreLayout::Version)
        return refused(Verdict::Newer,
                       QStringLiteral("it was written by a newer version of Ampelio (layout %1)")
                           .arg(version.value(0)));
    return {Verdict::Ours, {}, 0};
}
} // namespace

QByteArray StoreLayout::readOnlyUri(const QString& path) {
    const bool logged = QFileInfo::exists(path + QStringLiteral("-wal"));
    return "file:" + QUrl::toPercentEncoding(QFileInfo(path).absoluteFilePath(), "/") +
           (logged ? "?mode=ro" : "?mode=ro&immutable=1");
}

StoreLayout::Result StoreLayout::inspect(const QString& path) {
    const QFileInfo info(path);
    if (!info.exists() && !info.isSymLink())
        return {Verdict::Missing, {}, 0};
    if (!info.isFile())
        return refused(Verdict::Unreadable, QStringLiteral("it is not a regular file"));
    if (info.size() == 0)
        return {Verdict::Empty, {}, 0};
    sqlite3* db = nullptr;
    // Read-only, so inspecting can neither convert the file nor leave a journal behind.
    const int rc =
        sqlite3_open_v2(readOnlyUri(path).constData(), &db,
                        SQLITE_OPEN_READONLY | SQLITE_OPEN_URI | SQLITE_OPEN_NOMUTEX, nullptr);
    Result result =
        rc == SQLITE_OK ? judge(db) : refused(Verdict::Unreadable, sqliteReason(db, rc), rc);
    sqlite3_close_v2(db);
    if (result.verdict == Verdict::Unreadable && (result.sqliteCode & 0xff) == SQLITE_NOTADB)
        result.reason = QStringLiteral("it is not a database");
    return result;
}
