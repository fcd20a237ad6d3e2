#pragma once

#include "Event.h"
#include "PowerSource.h"
#include "StatisticsRange.h"
#include "StoreAccess.h"
#include "StoreError.h"

#include <QList>
#include <QObject>
#include <QString>
#include <QTimer>

#include <memory>
#include <optional>

class BatteryCatalog;
class Device;
class EventStore;
class HealthStore;
class ManagedObjectContext;
class UserDefaults;

// The one central object of the battery log: it turns battery notifications into stored samples
// (dropping those that add nothing), answers time-window queries relative to a reference date,
// announces changes through its signals and keeps the running charge statistics. It lives on
// the GUI thread; tile threads read the store through read contexts of their own.
class BatteryLogHandler : public QObject {
    Q_OBJECT
public:
    static constexpr int WindowLimit = 2000;

    // Opens the store and the statistics in documentsDirectory. Samples are taken once
    // monitoring starts, so the screens can be built and connected first. Read-only access
    // shows what is stored and writes nothing: no samples, no statistics file, no store created
    // where none exists.
    BatteryLogHandler(Device& device, QString documentsDirectory, UserDefaults& defaults,
                      QObject* parent = nullptr, StoreAccess access = StoreAccess::ReadWrite);
    ~BatteryLogHandler() override;

    // Follows the battery's level and state changes from now on, and records the batteries'
    // health now and once a day.
    void startMonitoring();

    // Store objects.
    QString applicationDocumentsDirectory() const { return documentsDirectory_; }
    EventStore* persistentStoreCoordinator();
    ManagedObjectContext* managedObjectContext();
    void setManagedObjectContext(std::unique_ptr<ManagedObjectContext> context);
    void cleanUp();

    // Sampling. True when a sample was kept; false when it added nothing (level and state
    // unchanged) or could not be taken.
    bool addEvent();
    Device& device() const { return device_; }

    // Window queries: ages in seconds before the reference date, newer age first.
    QList<Event> getArrayFrom(int fromSecs, int endSecs, bool getSurroundingPoints = true);
    double getFromDate() const;
    void setDate(double date);
    void resetDate();
    void setRange(int seconds);
    int range() const { return range_; }
    void setVisibleRange(int beginDate, int endDate);
    int visibleBeginDate() const { return visibleBeginDate_; }
    int visibleEndDate() const { return visibleEndDate_; }
    void setVisibleBeginDate(int v) { visibleBeginDate_ = v; }
    void setVisibleEndDate(int v) { visibleEndDate_ = v; }
    bool fromDateIsNow() const;
    bool xAxisIsReversed() const;

    // A list a caller may attach: new samples are put in front of it, deleteEvent indexes it.
    const std::optional<QList<Event>>& eventsArray() const { return eventsArray_; }
    void setEventsArray(std::optional<QList<Event>> events) { eventsArray_ = std::move(events); }
    void clearArray() { eventsArray_.reset(); }
    void deleteEvent(int index);
    // Removes one saved sample (the history's edit mode) and announces it as deleteEvent does,
    // with its position in eventsArray or -1. False when the store refused the change.
    bool deleteSample(const Event& event);

    // The batteries the log has seen and their daily health readings; null without a store.
    BatteryCatalog* batteryCatalog();
    HealthStore* healthStore();
    // Adds a health reading for each battery whose last one is a day old.
    void recordHealth();

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

signals:
    // Told synchronously, in connection order, after the change is saved. The index is -1 when
    // the whole window changed, 0 for a new sample at the front, else the position of a
    // deleted record in eventsArray.
    void dataChanged(int index);
    void dataAdded(int index);
    void dataDeleted(int index);

public slots:
    void batteryLevelDidChange();
    void batteryStateDidChange();

private:
    void logStoreError(const StoreError& error) const;
    void saveSample(ManagedObjectContext& context);
    void recordBatteryLevels(const QList<BatteryReading>& batteries);
    std::optional<Event> lastStatisticsSample();
    void continueTotalsFromOwnSample(ManagedObjectContext& context, const Event& next);

    Device& device_;
    QString documentsDirectory_;
    UserDefaults& defaults_;
    std::unique_ptr<EventStore> store_;
    std::unique_ptr<ManagedObjectContext> context_;
    std::unique_ptr<BatteryCatalog> catalog_;
    std::unique_ptr<HealthStore> health_;
    QTimer* healthTimer_ = nullptr;
    std::optional<QList<Event>> eventsArray_;
    std::optional<double> fromDate_;
    int range_ = 86400;
    int visibleBeginDate_ = 0;
    int visibleEndDate_ = 0;
    std::unique_ptr<StatisticsRange> statisticsRange_;
    StoreAccess access_;
    int unsavedSamples_ = 0;
};
