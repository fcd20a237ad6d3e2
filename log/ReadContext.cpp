#include "ReadContext.h"

#include "SqliteDatabase.h"

ReadContext::ReadContext(const QString& path) {
    if (!path.isEmpty())
        db_ = std::make_unique<SqliteDatabase>(path, SqliteDatabase::Mode::ReadOnly);
}

ReadContext::~ReadContext() = default;

QList<Event> ReadContext::executeFetchRequest(const FetchRequest& request) {
    if (!db_ || !db_->isOpen())
        return {};
    return db_->fetch(request);
}
