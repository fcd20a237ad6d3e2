#include "EventStore.h"
#include "ManagedObjectContext.h"
#include "ReadContext.h"
#include "StoreLayout.h"
#include "TestSupport.h"

#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sqlite3.h>
#include <sys/stat.h>

namespace {
class EventStoreTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QString path() const { return dir.filePath("Locations.sqlite"); }
};

QList<double> dates(const QList<Event>& events) {
    QList<double> out;
    for (const Event& e : events)
        out.append(e.creationDate);
    return out;
}
} // namespace

TEST_F(EventStoreTest, FirstOpenCreatesAnEmptyStore) {
    EventStore store(path());
    ASSERT_TRUE(store.hasStore());
    EXPECT_TRUE(QFile::exists(path()));
    ManagedObjectContext context(store);
    EXPECT_TRUE(context.executeFetchRequest({}).isEmpty());
    EXPECT_TRUE(store.newReadContext()->executeFetchRequest({}).isEmpty());
}

TEST_F(EventStoreTest, BoundsAreStrictAndLimitsKeepTheSortOrder) {
    EventStore store(path());
    ManagedObjectContext context(store);
    for (double t : {100.0, 200.0, 300.0, 400.0})
        context.insertNewEvent(t, 0.5f, 1);
    ASSERT_TRUE(context.save(nullptr));

    EXPECT_EQ(dates(context.executeFetchRequest({100.0, 400.0, false, 0})),
              (QList<double>{300, 200}));
    EXPECT_EQ(dates(context.executeFetchRequest({std::nullopt, 300.0, false, 1})),
              (QList<double>{200}));
    EXPECT_EQ(dates(context.executeFetchRequest({200.0, std::nullopt, true, 1})),
              (QList<double>{300}));
    EXPECT_EQ(dates(context.executeFetchRequest({std::nullopt, std::nullopt, true, 0})),
              (QList<double>{100, 200, 300, 400}));
    EXPECT_TRUE(context.executeFetchRequest({400.0, std::nullopt, true, 0}).isEmpty());
}

TEST_F(EventStoreTest, PendingChangesStayInTheMainContextUntilSaved) {
    EventStore store(path());
    ManagedObjectContext context(store);
    QSignalSpy saved(&context, &ManagedObjectContext::didSave);

    const Event withdrawn = context.insertNewEvent(50.0, 0.1f, 1);
    const Event kept = context.insertNewEvent(60.0, 0.2f, 2);
    context.deleteObject(withdrawn);
    EXPECT_EQ(dates(context.executeFetchRequest({})), (QList<double>{60}));
    auto reader = store.newReadContext();
    EXPECT_TRUE(reader->executeFetchRequest({}).isEmpty()) << "a read context sees saved rows only";

    ASSERT_TRUE(context.save(nullptr));
    ASSERT_EQ(saved.count(), 1);
    const auto inserted = saved.at(0).at(0).value<QList<Event>>();
    ASSERT_EQ(inserted.size(), 1);
    EXPECT_GT(inserted.first().objectId, 0);
    EXPECT_FLOAT_EQ(inserted.first().batteryLevel, 0.2f);
    EXPECT_EQ(dates(reader->executeFetchRequest({})), (QList<double>{60}));
    EXPECT_FALSE(context.hasChanges());

    // A record handed out before the save can still be deleted by its temporary identity.
    context.deleteObject(kept);
    EXPECT_TRUE(context.executeFetchRequest({}).isEmpty()) << "pending delete hides the record";
    EXPECT_EQ(reader->executeFetchRequest({}).size(), 1);
    ASSERT_TRUE(context.save(nullptr));
    EXPECT_TRUE(reader->executeFetchRequest({}).isEmpty());
    EXPECT_EQ(context.savedCount(), 0);
}

TEST_F(EventStoreTest, PendingRecordsMergeIntoLimitedQueries) {
    EventStore store(path());
    ManagedObjectContext context(store);
    for (double t : {10.0, 20.0, 30.0})
        context.insertNewEvent(t, 0.5f, 1);
    context.save(nullptr);
    const QList<Event> all = context.executeFetchRequest({});
    context.deleteObject(all.first()); // 30
    context.insertNewEvent(25.0, 0.4f, 1);
    EXPECT_EQ(dates(context.executeFetchRequest({std::nullopt, std::nullopt, false, 2})),
              (QList<double>{25, 20}));
    // Same date: pending records come in the order they will have once saved.
    const Event first = context.insertNewEvent(20.0, 0.1f, 1);
    const Event second = context.insertNewEvent(20.0, 0.2f, 1);
    const QList<Event> ascending = context.executeFetchRequest({19.0, 21.0, true, 0});
    ASSERT_EQ(ascending.size(), 3);
    EXPECT_EQ(ascending[1].objectId, first.objectId);
    EXPECT_EQ(ascending[2].objectId, second.objectId);
}

TEST_F(EventStoreTest, ValuesRoundTripWithFullPrecision) {
    EventStore store(path());
    ManagedObjectContext context(store);
    const double date = 1765000000.123456;
    context.insertNewEvent(date, 0.857142866f, 3);
    context.save(nullptr);
    const QList<Event> read = store.newReadContext()->executeFetchRequest({});
    ASSERT_EQ(read.size(), 1);
    EXPECT_EQ(read.first().creationDate, date);
    EXPECT_EQ(read.first().batteryLevel, 0.857142866f);
    EXPECT_EQ(read.first().batteryState, 3);
}

TEST_F(EventStoreTest, DamagedFileIsReportedAndLeftUntouched) {
    const QByteArray garbage(8192, 'x');
    writeFile(path(), garbage);
    EventStore store(path());
    EXPECT_FALSE(store.hasStore());
    EXPECT_TRUE(store.openError().isError());
    ManagedObjectContext context(store);
    context.insertNewEvent(1.0, 0.5f, 1);
    EXPECT_TRUE(context.executeFetchRequest({}).isEmpty()) << "a store without file has nothing";
    StoreError error;
    EXPECT_FALSE(context.save(&error));
    EXPECT_TRUE(error.isError());
    EXPECT_FALSE(context.hasChanges()) << "changes that can never be written are not hoarded";
    EXPECT_TRUE(store.newReadContext()->executeFetchRequest({}).isEmpty());

    QFile file(path());
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), garbage);
}

namespace {
// Builds a database the way another program would, with SQLite itself.
void createDatabase(const QString& path, const char* sql) {
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(QFile::encodeName(path).constData(), &db), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(db, sql, nullptr, nullptr, nullptr), SQLITE_OK);
    sqlite3_close(db);
}

QByteArray bytesOf(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}
} // namespace

TEST_F(EventStoreTest, ForeignDatabasesAreRefusedAndLeftByteForByte) {
    struct Case {
        const char* sql;
        const char* reason;
    };
    const Case cases[] = {
        {"CREATE TABLE contacts (name TEXT); INSERT INTO contacts VALUES ('Ann');",
         "not an Ampelio log"},
        {"CREATE TABLE events (id INTEGER PRIMARY KEY, what TEXT);", "other columns"},
        {"CREATE TABLE events (id INTEGER PRIMARY KEY, creation_date REAL NOT NULL, "
         "battery_level REAL NOT NULL, battery_state INTEGER NOT NULL); PRAGMA user_version = 7;",
         "newer version"},
    };
    for (const Case& c : cases) {
        QFile::remove(path());
        createDatabase(path(), c.sql);
        const QByteArray before = bytesOf(path());
        EventStore store(path());
        EXPECT_FALSE(store.hasStore()) << c.sql;
        EXPECT_TRUE(store.openError().description.contains(QLatin1String(c.reason)))
            << qPrintable(store.openError().description);
        ManagedObjectContext context(store);
        context.insertNewEvent(1.0, 0.5f, 1);
        EXPECT_FALSE(context.save(nullptr));
        EXPECT_EQ(bytesOf(path()), before) << "neither converted to WAL nor given our table";
        EXPECT_FALSE(QFile::exists(path() + "-wal"));
    }
}

TEST_F(EventStoreTest, OurLogIsStampedAndOpensAgain) {
    {
        EventStore store(path());
        ManagedObjectContext context(store);
        context.insertNewEvent(1.0, 0.5f, 1);
        ASSERT_TRUE(context.save(nullptr));
    }
    EXPECT_EQ(StoreLayout::inspect(path()).verdict, StoreLayout::Verdict::Ours);
    // A log written before the layout had a version number is ours as well.
    QFile::remove(path());
    createDatabase(path(), "CREATE TABLE events (id INTEGER PRIMARY KEY, creation_date REAL NOT "
                           "NULL, battery_level REAL NOT NULL, battery_state INTEGER NOT NULL);");
    EventStore store(path());
    EXPECT_TRUE(store.hasStore());
    EXPECT_EQ(StoreLayout::inspect(QString(path() + ".none")).verdict,
              StoreLayout::Verdict::Missing);
    writeFile(path() + ".garbage", QByteArray(4096, 'z'));
    const auto garbage = StoreLayout::inspect(path() + ".garbage");
    EXPECT_EQ(garbage.verdict, StoreLayout::Verdict::Unreadable);
    EXPECT_EQ(garbage.reason, "it is not a database");
}

TEST_F(EventStoreTest, ANewLogIsPrivateWhateverTheUmask) {
    const mode_t saved = ::umask(0);
    {
        EventStore store(path());
        ASSERT_TRUE(store.hasStore());
    }
    ::umask(saved);
    EXPECT_EQ(QFile::permissions(path()), QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                              QFileDevice::ReadUser | QFileDevice::WriteUser);
}

TEST_F(EventStoreTest, ReadOnlyAccessCreatesNothing) {
    EventStore store(path(), StoreAccess::ReadOnly);
    EXPECT_FALSE(store.hasStore());
    EXPECT_FALSE(QFile::exists(path()));
}

// A log of the first layout (four columns, no other tables): it opens read-only as it is,
// and the logger converts it in place, keeping every record.
TEST_F(EventStoreTest, FirstLayoutLogsReadAsTheyAreAndMigrateInPlace) {
    createDatabase(path(),
                   "CREATE TABLE events (id INTEGER PRIMARY KEY, creation_date REAL NOT NULL, "
                   "battery_level REAL NOT NULL, battery_state INTEGER NOT NULL);"
                   "CREATE INDEX events_by_date ON events(creation_date);"
                   "INSERT INTO events VALUES (1, 100.0, 0.5, 1), (2, 200.0, 0.75, 3);"
                   "PRAGMA user_version = 1;");
    const QByteArray before = bytesOf(path());
    {
        ReadContext reader(path());
        ASSERT_TRUE(reader.hasStore());
        const QList<Event> events = reader.executeFetchRequest({});
        ASSERT_EQ(events.size(), 2);
        EXPECT_EQ(events[0].batteryState, 3);
        EXPECT_FALSE(events[0].notCharging);
        EXPECT_EQ(events[0].batteryId, 0);
    }
    EXPECT_EQ(bytesOf(path()), before) << "reading converts nothing";

    {
        LogCapture log;
        EventStore store(path());
        ASSERT_TRUE(store.hasStore());
        EXPECT_TRUE(log.contains("Converted the log"));
        ManagedObjectContext context(store);
        context.insertNewEvent(300.0, 0.7f, 3, true, 4);
        ASSERT_TRUE(context.save(nullptr));
    }
    EXPECT_EQ(StoreLayout::inspect(path()).verdict, StoreLayout::Verdict::Ours);
    ReadContext reader(path());
    const QList<Event> events = reader.executeFetchRequest({});
    ASSERT_EQ(events.size(), 3);
    EXPECT_EQ(events[0], (Event{3, 300.0, 0.7f, 3, true, 4}));
    EXPECT_EQ(events[2], (Event{1, 100.0, 0.5f, 1, false, 0})) << "old records unchanged";
    // Opening again converts nothing more.
    LogCapture log;
    EventStore again(path());
    EXPECT_TRUE(again.hasStore());
    EXPECT_FALSE(log.contains("Converted the log"));
}

TEST_F(EventStoreTest, AMigrationThatFailsLeavesTheOldLayout) {
    // A table in the way of the new layout's: the conversion cannot finish, so none of it stays.
    createDatabase(path(),
                   "CREATE TABLE events (id INTEGER PRIMARY KEY, creation_date REAL NOT NULL, "
                   "battery_level REAL NOT NULL, battery_state INTEGER NOT NULL);"
                   "INSERT INTO events VALUES (1, 100.0, 0.5, 1);"
                   "CREATE TABLE health (x INTEGER);");
    EventStore store(path());
    EXPECT_FALSE(store.hasStore());
    ReadContext reader(path());
    EXPECT_EQ(reader.executeFetchRequest({}).size(), 1);
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(QFile::encodeName(path()).constData(), &db), SQLITE_OK);
    EXPECT_NE(sqlite3_exec(db, "SELECT not_charging FROM events", nullptr, nullptr, nullptr),
              SQLITE_OK)
        << "the column added before the failure was rolled back";
    sqlite3_close(db);
}
