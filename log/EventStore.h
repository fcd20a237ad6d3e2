#pragma once

#include "StoreAccess.h"
#include "StoreError.h"

#include <QString>

#include <memory>

class SqliteDatabase;
class ReadContext;

// The store file and its opening: one SQLite file in WAL mode with an index on the date.
// A store that could not be opened stays without file for the life of the process; every
// save then fails and every query is empty.
class EventStore {
public:
    explicit EventStore(QString path, StoreAccess access = StoreAccess::ReadWrite);
    ~EventStore();

    const QString& path() const { return path_; }
    bool hasStore() const;
    const StoreError& openError() const;

    // The read-write connection of the main context.
    SqliteDatabase& mainConnection() { return *main_; }
    // A context on its own connection that sees only saved records; for any thread.
    std::unique_ptr<ReadContext> newReadContext() const;

private:
    QString path_;
    std::unique_ptr<SqliteDatabase> main_;
};
