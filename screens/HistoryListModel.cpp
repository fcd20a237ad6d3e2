#include "HistoryListModel.h"

#include "DateTimeFormatter.h"
#include "EventStateText.h"
#include "ManagedObjectContext.h"
#include "PercentFormatter.h"

#include <algorithm>

namespace {
constexpr int CachedBatches = 256;
// How long a newly arrived row counts as new (for its fade-in).
constexpr qint64 FreshMilliseconds = 2000;
} // namespace

HistoryListModel::HistoryListModel(ManagedObjectContext& context, QObject* parent)
    : QAbstractListModel(parent), context_(context), batches_(CachedBatches),
      dateFormatter_(std::make_unique<DateTimeFormatter>(DateTimeFormatter::Style::Medium,
                                                         DateTimeFormatter::Style::Medium)),
      percentFormatter_(std::make_unique<PercentFormatter>()) {
    clock_.start();
    count_ = context_.savedCount();
    connect(&context_, &ManagedObjectContext::didSave, this, &HistoryListModel::contextDidSave);
}

HistoryListModel::~HistoryListModel() = default;

int HistoryListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(std::min<qint64>(count_, INT_MAX));
}

const QList<Event>* HistoryListModel::batch(qint64 index) const {
    if (const QList<Event>* cached = batches_.object(index))
        return cached;
    // Neighbouring batches give an anchor for an index range scan; only a jump needs an offset.
    QList<Event> rows;
    if (const QList<Event>* newer = index > 0 ? batches_.object(index - 1) : nullptr;
        newer && newer->size() == BatchSize)
        rows = context_.savedOlderThan(newer->last(), BatchSize);
    else if (const QList<Event>* older = batches_.object(index + 1); older && !older->isEmpty())
        rows = context_.savedNewerThan(older->first(), BatchSize);
    else
        rows = context_.savedPage(index * BatchSize, BatchSize);
    auto* stored = new QList<Event>(std::move(rows));
    batches_.insert(index, stored);
    return stored;
}

Event HistoryListModel::savedEventAt(qint64 position) const {
    const QList<Event>* rows = batch(position / BatchSize);
    const qsizetype offset = position % BatchSize;
    return offset < rows->size() ? rows->at(offset) : Event{};
}

// While a save is being reported, the rows are the saved records less those not shown yet,
// plus the deleted ones still shown; all three stay in newest-first order.
Event HistoryListModel::eventAt(int row) const {
    if (row < 0 || row >= count_)
        return {};
    qint64 position = row;
    for (const InFlight& leaving : leaving_) {
        if (leaving.row == row)
            return leaving.event;
        if (leaving.row < row)
            --position;
    }
    for (const InFlight& arriving : arriving_) {
        if (arriving.savedPosition > position)
            break;
        ++position;
    }
    return savedEventAt(position);
}

QVariant HistoryListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= count_)
        return {};
    const Event event = eventAt(index.row());
    switch (role) {
    case Qt::DisplayRole:
        return dateText(event);
    case DetailTextRole:
        return detailText(event);
    case EventRole:
        return QVariant::fromValue(event.objectId);
    case InsertedAtRole:
        return millisecondsSinceInserted(index.row());
    default:
        return {};
    }
}

qint64 HistoryListModel::millisecondsSinceInserted(int row) const {
    const auto it = insertedAt_.constFind(eventAt(row).objectId);
    return it == insertedAt_.constEnd() ? -1 : clock_.elapsed() - it.value();
}

QString HistoryListModel::dateText(const Event& event) const {
    return dateFormatter_->format(event.creationDate);
}

QString HistoryListModel::detailText(const Event& event) const {
    // A sample taken without any level source holds -1, which is no charge to show as "-100%".
    const QString charge = event.batteryLevel < 0.0f
                               ? QStringLiteral("unknown")
                               : percentFormatter_->format(static_cast<double>(event.batteryLevel));
    return QStringLiteral("Charge: %1  %2").arg(charge, EventStateText::history(event));
}

void HistoryListModel::reload() {
    beginResetModel();
    batches_.clear();
    count_ = context_.savedCount();
    endResetModel();
}

void HistoryListModel::contextDidSave(const QList<Event>& inserted, const QList<Event>& deleted) {
    batches_.clear();
    const auto newer = [](const Event& a, const Event& b) {
        return std::pair(a.creationDate, a.objectId) > std::pair(b.creationDate, b.objectId);
    };
    arriving_.clear();
    for (const Event& event : inserted)
        arriving_.append({event, context_.savedPositionOf(event)});
    std::sort(arriving_.begin(), arriving_.end(), [](const InFlight& a, const InFlight& b) {
        return a.savedPosition < b.savedPosition;
    });
    // Where each deleted record was shown: among the saved records, less the new ones above it,
    // plus the other deleted ones above it.
    leaving_.clear();
    for (const Event& gone : deleted) {
        InFlight entry{gone, context_.savedPositionOf(gone)};
        entry.row = entry.savedPosition;
        for (const InFlight& arriving : arriving_)
            entry.row -= newer(arriving.event, gone) ? 1 : 0;
        for (const Event& other : deleted)
            entry.row += newer(other, gone) ? 1 : 0;
        leaving_.append(entry);
    }
    std::sort(leaving_.begin(), leaving_.end(),
              [](const InFlight& a, const InFlight& b) { return a.row < b.row; });

    // From the bottom up, so the rows of the ones still to go stay valid.
    while (!leaving_.isEmpty()) {
        const int row = static_cast<int>(leaving_.last().row);
        beginRemoveRows({}, row, row);
        leaving_.removeLast();
        --count_;
        endRemoveRows();
    }
    // From the top down, so each lands at its final row.
    while (!arriving_.isEmpty()) {
        const int row = static_cast<int>(arriving_.first().savedPosition);
        insertedAt_.insert(arriving_.first().event.objectId, clock_.elapsed());
        beginInsertRows({}, row, row);
        arriving_.removeFirst();
        ++count_;
        endInsertRows();
    }
    // Forget arrivals that have finished fading in.
    const qint64 now = clock_.elapsed();
    insertedAt_.removeIf(
        [now](const auto& entry) { return now - entry.value() > FreshMilliseconds; });
}
