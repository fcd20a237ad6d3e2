#include "EventStore.h"

#include "ReadContext.h"
#include "SqliteDatabase.h"

EventStore::EventStore(QString path, StoreAccess access)
    : path_(std::move(path)),
      main_(std::make_unique<SqliteDatabase>(path_, access == StoreAccess::ReadOnly
                                                        ? SqliteDatabase::Mode::ReadOnly
                                                        : SqliteDatabase::Mode::ReadWrite)) {}

EventStore::~EventStore() = default;

bool EventStore::hasStore() const {
    return main_->isOpen();
}

const StoreError& EventStore::openError() const {
    return main_->openError();
}

std::unique_ptr<ReadContext> EventStore::newReadContext() const {
    return std::make_unique<ReadContext>(hasStore() ? path_ : QString());
}
