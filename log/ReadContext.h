#pragma once

#include "Event.h"
#include "FetchRequest.h"

#include <QList>
#include <QString>

#include <functional>
#include <memory>

class SqliteDatabase;

// A read-only view of the saved records on its own connection, for use on one thread.
class ReadContext {
public:
    // An empty path gives a context without store, whose queries are all empty.
    explicit ReadContext(const QString& path);
    ~ReadContext();

    bool hasStore() const;
    // The connection, for the log's other tables; null without store.
    SqliteDatabase* database() const { return db_.get(); }
    QList<Event> executeFetchRequest(const FetchRequest& request);
    // Every saved record, newest first, until the visitor returns false; false when the store
    // could not be read to the end.
    bool forEachNewestFirst(const std::function<bool(const Event&)>& visitor);
    // Records dated strictly between the two times, oldest first, until the visitor returns
    // false; false when the store could not be read.
    bool forEachBetween(double after, double before,
                        const std::function<bool(const Event&)>& visitor);

private:
    std::unique_ptr<SqliteDatabase> db_;
};
