#pragma once

#include "Event.h"
#include "FetchRequest.h"

#include <QList>
#include <QString>

#include <memory>

class SqliteDatabase;

// A read-only view of the saved records on its own connection, for use on one thread.
class ReadContext {
public:
    // An empty path gives a context without store, whose queries are all empty.
    explicit ReadContext(const QString& path);
    ~ReadContext();

    QList<Event> executeFetchRequest(const FetchRequest& request);

private:
    std::unique_ptr<SqliteDatabase> db_;
};
