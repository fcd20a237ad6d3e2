#include "BatteryLogHandler.h"

#include "Alert.h"
#include "BatteryCatalog.h"
#include "Clock.h"
#include "Device.h"
#include "DropRule.h"
#include "EventStore.h"
#include "HealthStore.h"
#include "LogCategories.h"
#include "ManagedObjectContext.h"
#include "Paths.h"
#include "SqliteDatabase.h"
#include "StatisticsFile.h"
#include "ThreadAffinity.h"
#include "UserDefaults.h"

#include <QFile>

namespace {
const char* const StoreAlertMessage =
    "Couldn't open the datastore. This is usually due to filesystem permission problems. Quit "
    "Ampelio, and use SBSettings -> 'More' -> 'Extra's' -> 'Fix user dir permissions'. No idea "
    "what I'm talking about? - Ask the developer.";
// Samples are compared against the newest record dated more than this far ahead of now, so a
// record from a clock that ran ahead does not suppress samples.
constexpr int PreviousSampleAge = -10;
// Health is due once a day; looking every hour catches the day on a machine that never sleeps
// and never changes its level (on the charger at a limit).
constexpr int HealthCheckMilliseconds = 3600 * 1000;
} // namespace

BatteryLogHandler::BatteryLogHandler(Device& device, QString documentsDirectory,
                                     UserDefaults& defaults, QObject* parent, StoreAccess access)
    : QObject(parent), device_(device), documentsDirectory_(std::move(documentsDirectory)),
      defaults_(defaults), access_(access) {
    if (!managedObjectContext())
        qCInfo(lcLog, "Managed object context could not be opened.");
    statisticsRange_ = std::make_unique<StatisticsRange>();
    resetStats();
    readStatisticsData();
}

BatteryLogHandler::~BatteryLogHandler() = default;

void BatteryLogHandler::startMonitoring() {
    connect(&device_, &Device::batteryLevelDidChange, this,
            &BatteryLogHandler::batteryLevelDidChange, Qt::UniqueConnection);
    connect(&device_, &Device::batteryStateDidChange, this,
            &BatteryLogHandler::batteryStateDidChange, Qt::UniqueConnection);
    device_.setBatteryMonitoringEnabled(true);
    recordHealth();
    if (!healthTimer_) {
        healthTimer_ = new QTimer(this);
        healthTimer_->setInterval(HealthCheckMilliseconds);
        connect(healthTimer_, &QTimer::timeout, this, &BatteryLogHandler::recordHealth);
        healthTimer_->start();
    }
}

BatteryCatalog* BatteryLogHandler::batteryCatalog() {
    EventStore* store = persistentStoreCoordinator();
    if (!catalog_ && store && store->hasStore())
        catalog_ = std::make_unique<BatteryCatalog>(store->mainConnection());
    return catalog_.get();
}

HealthStore* BatteryLogHandler::healthStore() {
    if (!health_ && batteryCatalog())
        health_ = std::make_unique<HealthStore>(store_->mainConnection(), *catalog_);
    return health_.get();
}

void BatteryLogHandler::recordHealth() {
    if (access_ == StoreAccess::ReadOnly)
        return;
    if (HealthStore* health = healthStore())
        health->recordIfDue(device_.powerSource().batteries(), Clock::now());
}

// --- store -----------------------------------------------------------------------------------

EventStore* BatteryLogHandler::persistentStoreCoordinator() {
    if (store_)
        return store_.get();
    const QString path = Paths::storePath(documentsDirectory_);
    store_ = std::make_unique<EventStore>(path, access_);
    // Having no log yet is no error for a reader.
    const bool expected = access_ == StoreAccess::ReadOnly && !QFile::exists(path);
    if (!store_->hasStore() && !expected) {
        logStoreError(store_->openError());
        // The user needs to know what is wrong and with which file to act on it.
        Alert::show(QStringLiteral("Error"),
                    QString::fromLatin1(StoreAlertMessage) +
                        QStringLiteral("\n\n%1\n%2").arg(store_->openError().description, path),
                    {QStringLiteral("Ok")});
    }
    return store_.get();
}

ManagedObjectContext* BatteryLogHandler::managedObjectContext() {
    if (!context_) {
        if (EventStore* store = persistentStoreCoordinator())
            context_ = std::make_unique<ManagedObjectContext>(*store);
    }
    return context_.get();
}

void BatteryLogHandler::setManagedObjectContext(std::unique_ptr<ManagedObjectContext> context) {
    context_ = std::move(context);
}

void BatteryLogHandler::cleanUp() {
    if (context_ && context_->hasChanges())
        saveSample(*context_);
    if (unsavedSamples_ > 0)
        qCWarning(lcLog, "%d samples could not be saved to %s", unsavedSamples_,
                  qPrintable(Paths::storePath(documentsDirectory_)));
}

void BatteryLogHandler::saveSample(ManagedObjectContext& context) {
    StoreError error;
    if (context.save(&error))
        unsavedSamples_ = 0;
    else
        logStoreError(error);
}

void BatteryLogHandler::logStoreError(const StoreError& error) const {
    qCInfo(lcLog, "Unresolved error %s, %s", qPrintable(error.description),
           qPrintable(error.userInfo));
}

// --- sampling --------------------------------------------------------------------------------

void BatteryLogHandler::batteryLevelDidChange() {
    addEvent();
}

void BatteryLogHandler::batteryStateDidChange() {
    addEvent();
}

bool BatteryLogHandler::addEvent() {
    AMPELIO_ASSERT_OWN_THREAD(this);
    if (access_ == StoreAccess::ReadOnly)
        return false;
    // Several batteries are logged as one: their level together, as the desktop shows it.
    const QList<BatteryReading> batteries = device_.powerSource().batteries();
    float level = PowerSource::combinedLevel(batteries);
    if (level < 0.0f)
        level = device_.batteryLevel();
    const BatteryState state = device_.batteryState();
    const bool notCharging = state == BatteryStateFull && device_.powerSource().isNotCharging();
    BatteryCatalog* catalog = batteryCatalog();
    const qint64 batteryId = catalog ? catalog->idForSet(batteries) : 0;

    const QList<Event> neighbours = getArrayFrom(PreviousSampleAge, PreviousSampleAge, true);
    ManagedObjectContext* context = managedObjectContext();
    if (!context)
        return false;
    const Event sample =
        context->insertNewEvent(Clock::now(), level, state, notCharging, batteryId);
    if (neighbours.size() == 1 && shouldDropSample(neighbours.first(), sample)) {
        context->deleteObject(sample);
        return false;
    }

    qCInfo(lcLog, "Logging batLevel: %f", static_cast<double>(level));
    continueTotalsFromOwnSample(*context, sample);
    if (eventsArray_ && !fromDate_)
        eventsArray_->prepend(sample);
    ++unsavedSamples_;
    saveSample(*context);
    if (batteries.size() > 1 && unsavedSamples_ == 0)
        recordBatteryLevels(batteries);
    if (!fromDate_) {
        emit dataChanged(0);
        emit dataAdded(0);
    }
    updateStatistics(sample);
    writeStatisticsData();
    // A battery put in since the last reading gets its first one now, not within the day.
    recordHealth();
    return true;
}

// Each battery's own level beside the combined one, under the row the save just wrote.
void BatteryLogHandler::recordBatteryLevels(const QList<BatteryReading>& batteries) {
    const QList<Event> saved = context_->savedLastTaken(1);
    if (saved.isEmpty() || !catalog_)
        return;
    QList<QPair<qint64, float>> levels;
    for (const BatteryReading& battery : batteries) {
        if (const qint64 id = catalog_->idFor(battery))
            levels.append({id, battery.accurateLevel()});
    }
    if (!catalog_->recordLevels(saved.first().objectId, levels))
        qCWarning(lcLog, "Couldn't record the levels of the single batteries");
}

// --- window queries --------------------------------------------------------------------------

QList<Event> BatteryLogHandler::getArrayFrom(int fromSecs, int endSecs, bool getSurroundingPoints) {
    AMPELIO_ASSERT_OWN_THREAD(this);
    QList<Event> result;
    ManagedObjectContext* context = managedObjectContext();
    if (!context)
        return result;
    const double reference = getFromDate();
    const double newer = reference - static_cast<double>(fromSecs);
    const double older = reference - static_cast<double>(endSecs);

    context->lock();
    if (getSurroundingPoints)
        result += context->executeFetchRequest({newer, std::nullopt, true, 1});
    result += context->executeFetchRequest({older, newer, false, WindowLimit});
    if (getSurroundingPoints)
        result += context->executeFetchRequest({std::nullopt, older, false, 1});
    context->unlock();
    return result;
}

double BatteryLogHandler::getFromDate() const {
    return fromDate_ ? *fromDate_ : Clock::now();
}

void BatteryLogHandler::setDate(double date) {
    fromDate_ = date;
    clearArray();
    emit dataChanged(-1);
}

void BatteryLogHandler::resetDate() {
    fromDate_.reset();
    clearArray();
    emit dataChanged(-1);
}

void BatteryLogHandler::setRange(int seconds) {
    range_ = seconds;
    clearArray();
    emit dataChanged(-1);
}

void BatteryLogHandler::setVisibleRange(int beginDate, int endDate) {
    clearArray();
    visibleBeginDate_ = beginDate;
    visibleEndDate_ = endDate;
}

bool BatteryLogHandler::fromDateIsNow() const {
    const int newerEdge = xAxisIsReversed() ? visibleBeginDate_ : visibleEndDate_;
    return newerEdge < 1;
}

bool BatteryLogHandler::xAxisIsReversed() const {
    return defaults_.boolForKey(QStringLiteral("xAxisLeftOrigin"));
}

void BatteryLogHandler::deleteEvent(int index) {
    if (!eventsArray_ || index < 0 || index >= eventsArray_->size()) {
        qCWarning(lcLog, "deleteEvent: no record at index %d", index);
        return;
    }
    const Event event = eventsArray_->takeAt(index);
    if (ManagedObjectContext* context = managedObjectContext()) {
        context->deleteObject(event);
        context->save(nullptr);
    }
    emit dataChanged(index);
    emit dataDeleted(index);
}

bool BatteryLogHandler::deleteSample(const Event& event) {
    AMPELIO_ASSERT_OWN_THREAD(this);
    ManagedObjectContext* context =
        access_ == StoreAccess::ReadOnly ? nullptr : managedObjectContext();
    if (!context || event.objectId <= 0)
        return false;
    context->deleteObject(event);
    StoreError error;
    if (!context->save(&error)) {
        logStoreError(error);
        // Reported as not deleted, so it must not happen with the next sample's save either.
        context->cancelDeletion(event);
        return false;
    }
    int index = -1;
    if (eventsArray_) {
        for (int i = 0; i < eventsArray_->size(); ++i) {
            if (eventsArray_->at(i).objectId == event.objectId) {
                eventsArray_->removeAt(i);
                index = i;
                break;
            }
        }
    }
    emit dataChanged(index);
    emit dataDeleted(index);
    return true;
}

// --- statistics ------------------------------------------------------------------------------

void BatteryLogHandler::setStatisticsRange(std::unique_ptr<StatisticsRange> range) {
    statisticsRange_ = std::move(range);
}

void BatteryLogHandler::resetStats() {
    statisticsRange_->resetStats();
}

void BatteryLogHandler::updateStatistics(const Event& event) {
    statisticsRange_->updateStatistics(event);
}

void BatteryLogHandler::processAllPastDataForStatistics() {
    resetStats();
    writeStatisticsData();
}

QString BatteryLogHandler::statisticsPath() const {
    return Paths::statisticsPath(documentsDirectory_);
}

void BatteryLogHandler::readStatisticsData() {
    QString path = statisticsPath();
    // A default shipped with the application seeds the totals on the first start.
    if (!QFile::exists(path) && QFile::exists(QStringLiteral(":/") + Paths::StatisticsFileName))
        path = QStringLiteral(":/") + Paths::StatisticsFileName;
    const auto damaged = access_ == StoreAccess::ReadOnly ? StatisticsFile::Damaged::Leave
                                                          : StatisticsFile::Damaged::MoveAside;
    if (!StatisticsFile::read(path, *statisticsRange_, damaged))
        return;
    const QList<Event> last = getArrayFrom(0, 0);
    if (last.size() != 1)
        qCInfo(
            lcLog,
            "Warning - Retrieved %d possible last elements while loading statistics instead of 1",
            static_cast<int>(last.size()));
    if (const auto previous = lastStatisticsSample())
        statisticsRange_->setLastEvent(*previous);
}

// The totals continue from the sample they took last. The newest record by date is not always
// that one: a record with an unknown level (-1) never reached the totals, and after the clock
// was set back the newest date belongs to a sample taken before older-dated ones. Continuing
// from such a record would count an interval twice or invent a step, and the saved totals
// would keep it; so the last usable record in the order taken serves.
std::optional<Event> BatteryLogHandler::lastStatisticsSample() {
    ManagedObjectContext* context = managedObjectContext();
    if (!context)
        return std::nullopt;
    constexpr int SearchLimit = 200;
    for (const Event& e : context->savedLastTaken(SearchLimit)) {
        if (e.batteryLevel >= 0.0f && e.batteryLevel <= 1.0f)
            return e;
    }
    return std::nullopt;
}

// An imported history is written after the logger's own samples though it is older, and carries
// no battery; so can the record the totals resumed from at the start. When the next sample has
// its battery, the totals continue from the newest one the logger took itself. This is looked up
// here rather than at the start, so that opening a log never pays for the search, and it happens
// once: from then on the last sample is the logger's.
void BatteryLogHandler::continueTotalsFromOwnSample(ManagedObjectContext& context,
                                                    const Event& next) {
    const std::optional<Event>& last = statisticsRange_->lastEvent();
    if (!last || last->batteryId != 0 || next.batteryId == 0)
        return;
    if (const auto own = context.savedLastTakenWithBattery())
        statisticsRange_->setLastEvent(*own);
}

void BatteryLogHandler::writeStatisticsData() {
    if (access_ == StoreAccess::ReadOnly)
        return;
    StatisticsFile::write(statisticsPath(), *statisticsRange_);
}
