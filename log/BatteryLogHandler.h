#pragma once

#include "Event.h"
#include "StatisticsRange.h"
#include "StoreAccess.h"
#include "StoreError.h"

#include <QList>
#include <QObject>
#include <QString>

#include <memory>
#include <optional>

class DataChangedListener;
class Device;
class EventStore;
class ManagedObjectContext;
class UserDefaults;

// The one central object of the battery log: it turns battery notifications into stored samples
// (dropping those that add nothing), answers time-window queries relative to a reference date,
// broadcasts changes to its listeners and keeps the running charge statistics.
class BatteryLogHandler : public QObject {
    Q_OBJECT
public:
    static constexpr int WindowLimit = 2000;

    // Opens the store and the statistics in documentsDirectory and starts battery monitoring.
    // Read-only access shows what is stored and writes nothing: no samples, no statistics file,
    // no store created where none exists.
    BatteryLogHandler(Device& device, QString documentsDirectory, UserDefaults& defaults,
                      QObject* parent = nullptr, StoreAccess access = StoreAccess::ReadWrite);
    ~BatteryLogHandler() override;

    // Store objects.
    QString applicationDocumentsDirectory() const { return documentsDirectory_; }
    EventStore* persistentStoreCoordinator();
    ManagedObjectContext* managedObjectContext();
    void setManagedObjectContext(std::unique_ptr<ManagedObjectContext> context);
    void cleanUp();

    // Sampling.
    void addEvent();
    Device& device() const { return device_; }

    // Window queries: ages in seconds before the reference date, newer age first.
    QList<Event> getArrayFrom(int fromSecs, int endSecs, bool getSurroundingPoints = true);
    double getFromDate() const;
    void setDate(double date);
    void resetDate();
    bool hasFixedDate() const { return fromDate_.has_value(); }
    void setRange(int seconds);
    int range() const { return range_; }
    void setVisibleRange(int beginDate, int endDate);
    int visibleBeginDate() const { return visibleBeginDate_; }
    int visibleEndDate() const { return visibleEndDate_; }
    void setVisibleBeginDate(int v) { visibleBeginDate_ = v; }
    void setVisibleEndDate(int v) { visibleEndDate_ = v; }
    bool fromDateIsNow() const;
    bool xAxisIsReversed() const;

    // Cached list and listeners.
    const std::optional<QList<Event>>& eventsArray() const { return eventsArray_; }
    void setEventsArray(std::optional<QList<Event>> events) { eventsArray_ = std::move(events); }
    void clearArray() { eventsArray_.reset(); }
    void deleteEvent(int index);
    // The listener is not owned; it must outlive the handler or never be called again.
    void addDataChangedListener(DataChangedListener* listener);
    const QList<DataChangedListener*>& dataChangedListeners() const { return listeners_; }
    void dataChanged(int index);
    void dataAdded(int index);
    void dataDeleted(int index);

    // Running statistics over the whole log.
    StatisticsRange& statisticsRange() { return *statisticsRange_; }
    void setStatisticsRange(std::unique_ptr<StatisticsRange> range);
    void resetStats();
    void updateStatistics(const Event& event);
    void processAllPastDataForStatistics();
    void readStatisticsData();
    void writeStatisticsData();
    QString statisticsPath() const;
    // Samples taken since the last successful save; at the end they are the ones lost.
    int unsavedSamples() const { return unsavedSamples_; }

public slots:
    void batteryLevelDidChange();
    void batteryStateDidChange();

private:
    void logStoreError(const StoreError& error) const;
    void saveSample(ManagedObjectContext& context);
    bool shouldDrop(const Event& previous, const Event& sample) const;
    std::optional<Event> lastStatisticsSample(const QList<Event>& candidates);

    Device& device_;
    QString documentsDirectory_;
    UserDefaults& defaults_;
    std::unique_ptr<EventStore> store_;
    std::unique_ptr<ManagedObjectContext> context_;
    std::optional<QList<Event>> eventsArray_;
    QList<DataChangedListener*> listeners_;
    std::optional<double> fromDate_;
    int range_ = 86400;
    int visibleBeginDate_ = 0;
    int visibleEndDate_ = 0;
    std::unique_ptr<StatisticsRange> statisticsRange_;
    StoreAccess access_;
    int unsavedSamples_ = 0;
};
