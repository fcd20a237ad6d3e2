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

bool ReadContext::hasStore() const {
    return db_ && db_->isOpen();
}

bool ReadContext::forEachNewestFirst(const std::function<bool(const Event&)>& visitor) {
    return hasStore() && db_->forEachNewestFirst(visitor);
}

bool ReadContext::forEachBetween(double after, double before,
                                 const std::function<bool(const Event&)>& visitor) {
    return hasStore() && db_->forEachBetween(after, before, visitor);
}
