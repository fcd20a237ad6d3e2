#include "BatteryLogHandler.h"
#include "Device.h"
#include "DropRule.h"
#include "EventStore.h"
#include "LogHandlerFixture.h"
#include "ManagedObjectContext.h"
#include "TestSupport.h"
#include "UserDefaults.h"

#include <QFile>

#include <gtest/gtest.h>

namespace {
// Writes every broadcast of the log into a journal, under a name.
void record(BatteryLogHandler& handler, QObject* receiver, const QString& name,
            QStringList& journal) {
    QObject::connect(&handler, &BatteryLogHandler::dataChanged, receiver, [&journal, name](int i) {
        journal.append(QStringLiteral("%1 changed %2").arg(name).arg(i));
    });
    QObject::connect(&handler, &BatteryLogHandler::dataAdded, receiver, [&journal, name](int i) {
        journal.append(QStringLiteral("%1 added %2").arg(name).arg(i));
    });
    QObject::connect(&handler, &BatteryLogHandler::dataDeleted, receiver, [&journal, name](int i) {
        journal.append(QStringLiteral("%1 deleted %2").arg(name).arg(i));
    });
}

class BatteryLogHandlerTest : public LogHandlerFixture {
protected:
    std::unique_ptr<BatteryLogHandler> handler = makeHandler();
    // Takes a sample at the given level and state and says whether it was kept.
    bool sample(float level, BatteryState state) {
        battery->platformLevel = level;
        battery->currentState = state;
        const qint64 before = handler->managedObjectContext()->savedCount();
        handler->addEvent();
        return handler->managedObjectContext()->savedCount() == before + 1;
    }
    void store(double age, float level, int state = 1) {
        ManagedObjectContext* context = handler->managedObjectContext();
        context->insertNewEvent(clock.now() - age, level, state);
        context->save(nullptr);
    }
    QList<double> ages(const QList<Event>& events) const {
        QList<double> out;
        for (const Event& e : events)
            out.append(clock.now() - e.creationDate);
        return out;
    }
};
} // namespace

TEST_F(BatteryLogHandlerTest, DropRuleKeepsOnlySamplesThatAddSomething) {
    EXPECT_TRUE(sample(0.78f, BatteryStateUnplugged)) << "the first sample is always kept";
    clock.advance(60);
    EXPECT_FALSE(sample(0.80f, BatteryStateUnplugged)) << "0.02 step, same state";
    clock.advance(60);
    EXPECT_FALSE(sample(0.75f, BatteryStateUnplugged)) << "compared with the kept 0.78, not 0.80";
    clock.advance(60);
    EXPECT_TRUE(sample(0.70f, BatteryStateUnplugged));
}

TEST(DropRule, BoundariesAndStateChanges) {
    struct Case {
        float previousLevel;
        int previousState;
        float level;
        int state;
        bool dropped;
    };
    const Case cases[] = {
        {0.78f, BatteryStateUnplugged, 0.80f, BatteryStateUnplugged, true},
        {0.75f, BatteryStateUnplugged, 0.80f, BatteryStateUnplugged, false}, // 0.05 is no less
        {0.80f, BatteryStateUnplugged, 0.80f, BatteryStateCharging, false},  // new state
        {0.97f, BatteryStateCharging, 1.00f, BatteryStateCharging, false},   // first time full
        {1.00f, BatteryStateCharging, 1.00f, BatteryStateCharging, true},
        {1.00f, BatteryStateFull, 0.99f, BatteryStateCharging, true},   // full -> charging: no news
        {1.00f, BatteryStateFull, 0.99f, BatteryStateUnknown, true},    // full -> unknown neither
        {1.00f, BatteryStateFull, 0.99f, BatteryStateUnplugged, false}, // unplugged is
        {-1.00f, BatteryStateUnknown, -1.00f, BatteryStateUnknown, true},
    };
    for (const Case& c : cases) {
        const Event previous{1, 0, c.previousLevel, c.previousState};
        const Event sample{2, 60, c.level, c.state};
        EXPECT_EQ(shouldDropSample(previous, sample), c.dropped)
            << c.previousLevel << "/" << c.previousState << " -> " << c.level << "/" << c.state;
    }
}

TEST_F(BatteryLogHandlerTest, NothingIsSampledBeforeMonitoringStarts) {
    battery->platformLevel = 0.5f;
    emit device.batteryLevelDidChange();
    EXPECT_EQ(handler->managedObjectContext()->savedCount(), 0);
    handler->startMonitoring();
    handler->startMonitoring(); // twice is once
    emit device.batteryLevelDidChange();
    EXPECT_EQ(handler->managedObjectContext()->savedCount(), 1);
}

TEST_F(BatteryLogHandlerTest, PrefersTheAccurateLevelAndFallsBackToThePlatformLevel) {
    battery->setCharge(1200, 1400);
    ASSERT_TRUE(sample(0.5f, BatteryStateUnplugged));
    // Samples are dated at the (frozen) current time, so windows start just after it.
    auto stored = handler->getArrayFrom(-1, 60);
    ASSERT_EQ(stored.size(), 1);
    EXPECT_NEAR(stored.first().batteryLevel, 0.857f, 0.001f);

    battery->table.clear();
    clock.advance(60);
    ASSERT_TRUE(sample(0.5f, BatteryStateUnplugged));
    EXPECT_FLOAT_EQ(handler->getArrayFrom(-1, 30).first().batteryLevel, 0.5f);

    battery->platformLevel = -1.0f;
    clock.advance(60);
    handler->addEvent();
    EXPECT_FLOAT_EQ(handler->getArrayFrom(-1, 30).first().batteryLevel, -1.0f)
        << "an unknown level is stored as -1";
}

TEST_F(BatteryLogHandlerTest, OverfullReadingsAreStoredAsFullUpTo120Percent) {
    battery->setCharge(4800, 4000);
    ASSERT_TRUE(sample(0.97f, BatteryStateCharging));
    EXPECT_FLOAT_EQ(handler->getArrayFrom(-1, 30).first().batteryLevel, 1.0f);
    battery->setCharge(4804, 4000);
    clock.advance(60);
    ASSERT_TRUE(sample(0.97f, BatteryStateUnplugged));
    EXPECT_FLOAT_EQ(handler->getArrayFrom(-1, 30).first().batteryLevel, 0.97f)
        << "above 120 % the platform's own level is stored";
}

TEST_F(BatteryLogHandlerTest, RecordFromTheFutureDisablesTheDropRule) {
    store(-3600, 0.5f); // an hour ahead, after a clock change
    store(600, 0.5f);
    EXPECT_TRUE(sample(0.5f, BatteryStateUnplugged));
    EXPECT_TRUE(sample(0.5f, BatteryStateUnplugged));
}

TEST_F(BatteryLogHandlerTest, WindowQueryReturnsNeighboursAndStrictBounds) {
    for (double age : {-100.0, 10.0, 1800.0, 3599.0, 3600.0, 7200.0})
        store(age, 0.5f);
    EXPECT_EQ(ages(handler->getArrayFrom(0, 3600, false)), (QList<double>{10, 1800, 3599}));
    EXPECT_EQ(ages(handler->getArrayFrom(0, 3600, true)),
              (QList<double>{-100, 10, 1800, 3599, 7200}))
        << "a record exactly at the older bound is neither in the window nor its neighbour";
    EXPECT_EQ(ages(handler->getArrayFrom(0, 0)), (QList<double>{-100, 10}));
    EXPECT_EQ(ages(handler->getArrayFrom(10, 1800, false)), QList<double>{})
        << "records exactly on both bounds are outside";
    handler->setDate(clock.now() - 3000);
    EXPECT_EQ(handler->getArrayFrom(0, 0).size(), 2);
    EXPECT_DOUBLE_EQ(handler->getArrayFrom(0, 0).first().creationDate, clock.now() - 1800);
}

TEST_F(BatteryLogHandlerTest, WindowIsCutToTheNewest2000) {
    ManagedObjectContext* context = handler->managedObjectContext();
    for (int i = 1; i <= 2100; ++i)
        context->insertNewEvent(clock.now() - i, 0.5f, 1);
    context->save(nullptr);
    const auto window = handler->getArrayFrom(0, 5000, true);
    ASSERT_EQ(window.size(), 2000);
    EXPECT_DOUBLE_EQ(clock.now() - window.first().creationDate, 1);
    EXPECT_DOUBLE_EQ(clock.now() - window.last().creationDate, 2000);
}

TEST_F(BatteryLogHandlerTest, ListenersHearBroadcastsInConnectionOrder) {
    QStringList journal;
    QObject first;
    QObject second;
    int added = 0;
    record(*handler, &first, QStringLiteral("first"), journal);
    QObject::connect(handler.get(), &BatteryLogHandler::dataAdded, &first, [&added] { ++added; });
    record(*handler, &second, QStringLiteral("second"), journal);

    handler->setRange(31104000);
    EXPECT_EQ(journal, (QStringList{"first changed -1", "second changed -1"}));
    EXPECT_EQ(added, 0);

    journal.clear();
    ASSERT_TRUE(sample(0.6f, BatteryStateUnplugged));
    EXPECT_EQ(journal, (QStringList{"first changed 0", "second changed 0", "first added 0",
                                    "second added 0"}));
    EXPECT_EQ(added, 1);

    journal.clear();
    handler->setDate(clock.now());
    clock.advance(60);
    journal.clear();
    EXPECT_TRUE(sample(0.3f, BatteryStateUnplugged));
    EXPECT_TRUE(journal.isEmpty()) << "samples under a fixed reference date are not broadcast";
}

TEST_F(BatteryLogHandlerTest, DeleteEventRemovesTheRecordAndTellsListeners) {
    QStringList journal;
    QObject listener;
    record(*handler, &listener, QStringLiteral("l"), journal);
    handler->setEventsArray(QList<Event>{});
    ASSERT_TRUE(sample(0.9f, BatteryStateUnplugged));
    clock.advance(60);
    ASSERT_TRUE(sample(0.5f, BatteryStateUnplugged));
    ASSERT_EQ(handler->eventsArray()->size(), 2);
    journal.clear();
    handler->deleteEvent(1);
    EXPECT_EQ(journal, (QStringList{"l changed 1", "l deleted 1"}));
    const auto left = handler->getArrayFrom(-1, 3600, false);
    ASSERT_EQ(left.size(), 1);
    EXPECT_FLOAT_EQ(left.first().batteryLevel, 0.5f);
    handler->deleteEvent(7); // out of range: ignored, no crash
    EXPECT_EQ(handler->managedObjectContext()->savedCount(), 1);
}

TEST_F(BatteryLogHandlerTest, VisibleWindowAndAxisDirection) {
    handler->setVisibleRange(86400, 0);
    EXPECT_TRUE(handler->fromDateIsNow());
    handler->setVisibleRange(86401, 1);
    EXPECT_FALSE(handler->fromDateIsNow());
    handler->setVisibleEndDate(0); // the edges are settable one by one too
    EXPECT_TRUE(handler->fromDateIsNow());
    EXPECT_EQ(handler->visibleBeginDate(), 86401);
    defaults.setObject(QStringLiteral("xAxisLeftOrigin"), true);
    EXPECT_TRUE(handler->xAxisIsReversed());
    handler->setVisibleRange(0, 86400);
    EXPECT_TRUE(handler->fromDateIsNow()) << "reversed: the newer edge is the begin date";
}

TEST_F(BatteryLogHandlerTest, SavesOnCleanUpAndSurvivesARestart) {
    ASSERT_TRUE(sample(0.4f, BatteryStateCharging));
    handler->managedObjectContext()->insertNewEvent(clock.now() + 1, 0.45f, 2);
    handler->cleanUp();
    handler.reset();
    handler = makeHandler();
    EXPECT_EQ(handler->getArrayFrom(-5, 60, false).size(), 2);
}

TEST_F(BatteryLogHandlerTest, UnopenableStoreKeepsRunningWithEmptyQueries) {
    handler.reset();
    const QString file = home.dataDir() + "/Locations.sqlite";
    QFile::remove(file);
    QDir().mkpath(file); // a directory where the file should be
    LogCapture log;
    handler = makeHandler();
    EXPECT_TRUE(log.contains(QStringLiteral("Unresolved error")));
    battery->platformLevel = 0.5f;
    handler->addEvent();
    clock.advance(1); // the sample now lies inside the window, were it kept anywhere
    EXPECT_TRUE(handler->getArrayFrom(0, 3600).isEmpty());
    EXPECT_EQ(log.count(QStringLiteral("Unresolved error")), 2) << "open, then the failed save";
}
