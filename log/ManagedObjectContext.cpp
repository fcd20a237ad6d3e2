#include "ManagedObjectContext.h"

#include "EventStore.h"
#include "SqliteDatabase.h"
#include "ThreadAffinity.h"

#include <algorithm>
#include <limits>
#include <optional>

namespace {
// Pending records sort after saved ones of the same date and in the order they were inserted
// (their temporary ids count down), as they will once saved.
std::pair<double, qint64> orderKey(const Event& e) {
    return std::pair(e.creationDate, e.objectId < 0
                                         ? std::numeric_limits<qint64>::max() / 2 - e.objectId
                                         : e.objectId);
}
} // namespace

ManagedObjectContext::ManagedObjectContext(EventStore& store, QObject* parent)
    : QObject(parent), store_(store) {}

Event ManagedObjectContext::insertNewEvent(double creationDate, float batteryLevel,
                                           int batteryState, bool notCharging, qint64 batteryId) {
    Event event{nextTemporaryId_--, creationDate, batteryLevel,
                batteryState,       notCharging,  batteryId};
    pendingInserts_.append(event);
    return event;
}

void ManagedObjectContext::deleteObject(const Event& event) {
    const auto pending = std::find_if(pendingInserts_.begin(), pendingInserts_.end(),
                                      [&](const Event& e) { return e.objectId == event.objectId; });
    if (pending != pendingInserts_.end()) {
        pendingInserts_.erase(pending);
        return;
    }
    Event saved = event;
    saved.objectId = permanentId(event.objectId);
    if (saved.objectId <= 0)
        return;
    const bool already = std::any_of(pendingDeletes_.cbegin(), pendingDeletes_.cend(),
                                     [&](const Event& e) { return e.objectId == saved.objectId; });
    if (!already)
        pendingDeletes_.append(saved);
}

void ManagedObjectContext::cancelDeletion(const Event& event) {
    pendingDeletes_.removeIf([&](const Event& e) { return e.objectId == event.objectId; });
}

bool ManagedObjectContext::save(StoreError* error) {
    AMPELIO_ASSERT_OWN_THREAD(this);
    if (!hasChanges())
        return true;
    QList<Event> inserted = pendingInserts_;
    QList<qint64> deleteIds;
    deleteIds.reserve(pendingDeletes_.size());
    for (const Event& e : pendingDeletes_)
        deleteIds.append(e.objectId);
    if (!store_.mainConnection().write(inserted, deleteIds, error)) {
        // Without a store file nothing can ever be written; keeping the changes would only
        // grow memory for the life of the process. Other failures keep them for the next save.
        if (!store_.hasStore()) {
            pendingInserts_.clear();
            pendingDeletes_.clear();
        }
        return false;
    }
    // Keep the temporary ids resolvable so records handed out before the save can be deleted.
    for (qsizetype i = 0; i < inserted.size(); ++i)
        savedTemporaryIds_.insert(pendingInserts_[i].objectId, inserted[i].objectId);
    const QList<Event> deleted = std::exchange(pendingDeletes_, {});
    pendingInserts_.clear();
    emit didSave(inserted, deleted);
    return true;
}

QList<Event> ManagedObjectContext::executeFetchRequest(const FetchRequest& request) {
    AMPELIO_ASSERT_OWN_THREAD(this);
    SqliteDatabase& db = store_.mainConnection();
    if (!db.isOpen())
        return {};
    if (!hasChanges())
        return db.fetch(request);
    FetchRequest widened = request;
    if (widened.limit > 0)
        widened.limit += static_cast<int>(pendingDeletes_.size());
    return applyPending(db.fetch(widened), request);
}

QList<Event> ManagedObjectContext::applyPending(QList<Event> events,
                                                const FetchRequest& request) const {
    if (!hasChanges())
        return events;
    events.removeIf([&](const Event& e) {
        return std::any_of(pendingDeletes_.cbegin(), pendingDeletes_.cend(),
                           [&](const Event& d) { return d.objectId == e.objectId; });
    });
    for (const Event& e : pendingInserts_) {
        if ((!request.after || e.creationDate > *request.after) &&
            (!request.before || e.creationDate < *request.before))
            events.append(e);
    }
    std::stable_sort(events.begin(), events.end(), [&](const Event& a, const Event& b) {
        return request.ascending ? orderKey(a) < orderKey(b) : orderKey(b) < orderKey(a);
    });
    if (request.limit > 0 && events.size() > request.limit)
        events.resize(request.limit);
    return events;
}

bool ManagedObjectContext::forEachTakenBetween(double after, double before,
                                               const std::function<bool(const Event&)>& visitor) {
    AMPELIO_ASSERT_OWN_THREAD(this);
    SqliteDatabase& db = store_.mainConnection();
    if (!db.isOpen())
        return false;
    const std::lock_guard lock(mutex_);
    bool more = true;
    const bool read = db.forEachTakenBetween(after, before, [&](const Event& saved) {
        const bool deleted =
            std::any_of(pendingDeletes_.cbegin(), pendingDeletes_.cend(),
                        [&](const Event& d) { return d.objectId == saved.objectId; });
        if (!deleted)
            more = visitor(saved);
        return more;
    });
    // Pending inserts were taken after every saved record, in the order they were inserted.
    for (auto e = pendingInserts_.cbegin(); more && e != pendingInserts_.cend(); ++e) {
        if (e->creationDate > after && e->creationDate < before)
            more = visitor(*e);
    }
    return read;
}

bool ManagedObjectContext::forEachSavedNewestFirst(
    const std::function<bool(const Event&)>& visitor) {
    return store_.mainConnection().forEachNewestFirst(visitor);
}

qint64 ManagedObjectContext::savedCount() {
    return store_.mainConnection().count();
}

QList<Event> ManagedObjectContext::savedPage(qint64 offset, int limit) {
    return store_.mainConnection().page(offset, limit);
}

QList<Event> ManagedObjectContext::savedOlderThan(const Event& anchor, int limit) {
    return store_.mainConnection().olderThan(anchor, limit);
}

QList<Event> ManagedObjectContext::savedNewerThan(const Event& anchor, int limit) {
    return store_.mainConnection().newerThan(anchor, limit);
}

qint64 ManagedObjectContext::savedPositionOf(const Event& event) {
    return store_.mainConnection().positionOf(event);
}

QList<Event> ManagedObjectContext::savedLastTaken(int limit) {
    return store_.mainConnection().lastTaken(limit);
}

std::optional<Event> ManagedObjectContext::savedLastTakenWithBattery() {
    return store_.mainConnection().lastTakenWithBattery();
}
