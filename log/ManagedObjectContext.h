#pragma once

#include "Event.h"
#include "FetchRequest.h"
#include "StoreError.h"

#include <QHash>
#include <QList>
#include <QObject>

#include <functional>
#include <mutex>
#include <optional>

class EventStore;

// The main context: inserts and deletes stay pending until save() writes them in one
// transaction. Its queries see the saved records with the pending changes applied (and
// nothing at all when the store could not be opened).
// It belongs to the GUI thread (debug builds assert it); the lock marks multi-query sequences
// that must see one state of the store.
class ManagedObjectContext : public QObject {
    Q_OBJECT
public:
    explicit ManagedObjectContext(EventStore& store, QObject* parent = nullptr);

    EventStore& store() const { return store_; }

    // A new pending record; its objectId is temporary (negative) until the save.
    Event insertNewEvent(double creationDate, float batteryLevel, int batteryState,
                         bool notCharging = false, qint64 batteryId = 0);
    // Withdraws a pending insert, or marks a saved record for deletion.
    void deleteObject(const Event& event);
    // Takes back a deletion that is still pending (its save failed and the user was told so).
    void cancelDeletion(const Event& event);
    bool hasChanges() const { return !pendingInserts_.isEmpty() || !pendingDeletes_.isEmpty(); }
    // On failure the pending changes stay pending, so a later save can still write them; a
    // context without store file drops them, as no save can ever succeed.
    bool save(StoreError* error);

    QList<Event> executeFetchRequest(const FetchRequest& request);
    // Records dated strictly between the two times, pending changes applied, in the order they
    // were taken (saved ones by row id, then the pending inserts) and one at a time, until the
    // visitor returns false; false when the store could not be read.
    bool forEachTakenBetween(double after, double before,
                             const std::function<bool(const Event&)>& visitor);
    // Saved records only, newest first, until the visitor returns false.
    bool forEachSavedNewestFirst(const std::function<bool(const Event&)>& visitor);
    qint64 savedCount();
    // Saved records by position in newest-first order (date, then row id), for lists that
    // page through the whole log.
    QList<Event> savedPage(qint64 offset, int limit);
    QList<Event> savedOlderThan(const Event& anchor, int limit);
    QList<Event> savedNewerThan(const Event& anchor, int limit);
    qint64 savedPositionOf(const Event& event);
    // Saved records in the reverse of the order they were written.
    QList<Event> savedLastTaken(int limit);
    std::optional<Event> savedLastTakenWithBattery();

    void lock() { mutex_.lock(); }
    void unlock() { mutex_.unlock(); }

signals:
    // After a successful save: what it wrote. Inserted events carry their row ids.
    void didSave(const QList<Event>& inserted, const QList<Event>& deleted);

private:
    qint64 permanentId(qint64 id) const { return id < 0 ? savedTemporaryIds_.value(id, 0) : id; }
    QList<Event> applyPending(QList<Event> saved, const FetchRequest& request) const;

    EventStore& store_;
    std::mutex mutex_;
    QList<Event> pendingInserts_;
    QList<Event> pendingDeletes_;
    QHash<qint64, qint64> savedTemporaryIds_;
    qint64 nextTemporaryId_ = -1;
};
