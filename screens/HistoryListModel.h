#pragma once

#include "Event.h"

#include <QAbstractListModel>
#include <QCache>
#include <QElapsedTimer>
#include <QHash>

#include <memory>

class DateTimeFormatter;
class ManagedObjectContext;
class PercentFormatter;

// Every saved sample, newest first. Rows are read from the store in batches of 20 as they are
// asked for, so a log of millions of samples opens at once; after each save of the main context
// the model is told which records came and went and reports them by position.
class HistoryListModel : public QAbstractListModel {
    Q_OBJECT
public:
    static constexpr int BatchSize = 20;
    enum Roles { DetailTextRole = Qt::UserRole + 1, EventRole, InsertedAtRole };

    explicit HistoryListModel(ManagedObjectContext& context, QObject* parent = nullptr);
    ~HistoryListModel() override;

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

    // The record at a row; rows out of range give a default event.
    Event eventAt(int row) const;
    // Milliseconds since the row's record arrived through a save, or -1 for older records.
    qint64 millisecondsSinceInserted(int row) const;
    // Drops every cached batch and counts the records again.
    void reload();

    // "Charge: 85%  State: Running from Battery".
    QString detailText(const Event& event) const;
    QString dateText(const Event& event) const;

private:
    // A record whose row is between a save and its report to the views: a deleted one still
    // shown, or an inserted one not shown yet, with its place among the saved records.
    struct InFlight {
        Event event;
        qint64 savedPosition; // saved records newer than it
        qint64 row = 0;       // for deleted records: the row it is shown at
    };

    void contextDidSave(const QList<Event>& inserted, const QList<Event>& deleted);
    const QList<Event>* batch(qint64 index) const;
    Event savedEventAt(qint64 position) const;

    QList<InFlight> leaving_;  // deleted, still shown; ascending rows
    QList<InFlight> arriving_; // inserted, not shown yet; ascending saved positions

    ManagedObjectContext& context_;
    qint64 count_ = 0;
    mutable QCache<qint64, QList<Event>> batches_;
    QHash<qint64, qint64> insertedAt_; // record id -> clock reading when it arrived
    QElapsedTimer clock_;
    std::unique_ptr<DateTimeFormatter> dateFormatter_;
    std::unique_ptr<PercentFormatter> percentFormatter_;
};
