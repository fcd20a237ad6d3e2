#include "BatteryCatalog.h"
#include "BatteryLogHandler.h"
#include "Device.h"
#include "LogHandlerFixture.h"
#include "ManagedObjectContext.h"
#include "StatisticsFile.h"
#include "StatisticsHandler.h"
#include "StatisticsRange.h"
#include "TestSupport.h"
#include "UserDefaults.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

#include <algorithm>
#include <limits>

#include <algorithm>
#include <cmath>
#include <sys/stat.h>

namespace {
Event at(double t, float level) {
    return Event{0, t, level, 1};
}

StatisticsRange stepped(float from, float to, double seconds) {
    StatisticsRange range;
    range.updateStatistics(at(1000.0, from));
    range.updateStatistics(at(1000.0 + seconds, to));
    return range;
}
} // namespace

TEST(StatisticsRange, DrainingStepCountsLoadAndFallingRate) {
    const StatisticsRange r = stepped(0.80f, 0.70f, 1800);
    EXPECT_NEAR(r.loadCycles(), 0.10f, 1e-6);
    EXPECT_NEAR(r.fallingSum(), -360.0f, 1e-3);
    EXPECT_FLOAT_EQ(r.fallingSecs(), 1800.0f);
    EXPECT_NEAR(r.avgFallingPerSec(), -0.2f, 1e-6);
    EXPECT_FLOAT_EQ(r.raisingSum(), 0.0f);
    EXPECT_FLOAT_EQ(r.avgRaisingPerSec(), 0.0f) << "no division by zero seconds";
}

TEST(StatisticsRange, ChargingStepQualifiesOnlyWhenFastAndShort) {
    const StatisticsRange fast = stepped(0.50f, 0.60f, 1800);
    EXPECT_NEAR(fast.raisingSum(), 360.0f, 1e-3);
    EXPECT_FLOAT_EQ(fast.raisingSecs(), 1800.0f);
    EXPECT_NEAR(fast.avgRaisingPerSec(), 0.2f, 1e-6);
    EXPECT_FLOAT_EQ(fast.loadCycles(), 0.0f);

    EXPECT_FLOAT_EQ(stepped(0.50f, 0.52f, 1800).raisingSecs(), 0.0f) << "0.04 per hour is too slow";
    EXPECT_FLOAT_EQ(stepped(0.50f, 0.60f, 7200).raisingSecs(), 0.0f) << "two hours is a gap";
}

TEST(StatisticsRange, FallingStepsQualifyUpTo12Hours) {
    EXPECT_FLOAT_EQ(stepped(0.9f, 0.5f, 43200).fallingSecs(), 43200.0f);
    const StatisticsRange gap = stepped(0.9f, 0.5f, 43201);
    EXPECT_FLOAT_EQ(gap.fallingSecs(), 0.0f);
    EXPECT_NEAR(gap.loadCycles(), 0.4f, 1e-6) << "drops count whatever the time between";
    const StatisticsRange flat = stepped(0.5f, 0.5f, 1200);
    EXPECT_FLOAT_EQ(flat.fallingSecs() + flat.raisingSecs(), 0.0f) << "flat steps add nothing";
    ASSERT_TRUE(flat.lastEvent());
    EXPECT_DOUBLE_EQ(flat.lastEvent()->creationDate, 2200.0);
}

TEST(StatisticsRange, IgnoresLevelsOutsideZeroToOne) {
    StatisticsRange r;
    r.updateStatistics(at(0, 0.80f));
    r.updateStatistics(at(600, -1.0f));
    r.updateStatistics(at(900, 1.5f));
    r.updateStatistics(at(1800, 0.70f));
    EXPECT_NEAR(r.fallingSum(), -360.0f, 1e-3) << "the step spans the two valid samples";
    EXPECT_NEAR(r.loadCycles(), 0.10f, 1e-6);
}

TEST(StatisticsRange, SamplesWithTheSameDateCannotPoisonTheTotals) {
    StatisticsRange r;
    r.updateStatistics(at(100, 0.8f));
    r.updateStatistics(at(100, 0.7f)); // infinite rate
    r.updateStatistics(at(100, 0.7f)); // 0/0
    r.updateStatistics(at(1900, 0.6f));
    EXPECT_TRUE(std::isfinite(r.fallingSum()));
    EXPECT_NEAR(r.fallingSum(), -360.0f, 1e-3);
    EXPECT_NEAR(r.loadCycles(), 0.2f, 1e-6);
}

TEST(StatisticsRange, StepsBackInTimeAddNoTimeButCountTheDrop) {
    StatisticsRange r;
    r.updateStatistics(at(7200, 0.80f));
    r.updateStatistics(at(3600, 0.70f)); // dated an hour before the previous sample
    r.updateStatistics(at(5400, 0.60f));
    EXPECT_FLOAT_EQ(r.raisingSecs(), 0.0f) << "a drop over negative time is no charge";
    EXPECT_FLOAT_EQ(r.raisingSum(), 0.0f);
    EXPECT_FLOAT_EQ(r.fallingSecs(), 1800.0f) << "continues from the backdated sample";
    EXPECT_NEAR(r.fallingSum(), -360.0f, 1e-3);
    EXPECT_NEAR(r.loadCycles(), 0.2f, 1e-6);
}

TEST(StatisticsHandler, StateTexts) {
    EXPECT_EQ(StatisticsHandler::formatBatteryState(0), QStringLiteral("Unknown"));
    EXPECT_EQ(StatisticsHandler::formatBatteryState(1), QStringLiteral("on battery"));
    EXPECT_EQ(StatisticsHandler::formatBatteryState(2), QStringLiteral("plugged in"));
    EXPECT_EQ(StatisticsHandler::formatBatteryState(3), QStringLiteral("fully charged"));
    EXPECT_EQ(StatisticsHandler::formatBatteryState(7), QString());
}

namespace {
class OverallStatisticsTest : public LogHandlerFixture {
protected:
    QString plist() const { return home.dataDir() + "/Statistics.plist"; }
    // What the one file moved aside as damaged holds; empty when there is none or several.
    QByteArray keptAside() const {
        const QStringList aside =
            QDir(home.dataDir()).entryList({QStringLiteral("Statistics.plist.damaged-*")});
        QFile kept(home.dataDir() + "/" + aside.value(0));
        return aside.size() == 1 && kept.open(QIODevice::ReadOnly) ? kept.readAll() : QByteArray();
    }
    // Half an hour on battery from 80 % to 70 %: a falling sum of -0.1 / 0.5 h, in percent.
    void drainFrom80To70(BatteryLogHandler& handler) {
        battery->currentState = BatteryStateUnplugged;
        battery->platformLevel = 0.8f;
        handler.addEvent();
        clock.advance(1800);
        battery->platformLevel = 0.7f;
        handler.addEvent();
    }
};
} // namespace

TEST_F(OverallStatisticsTest, TotalsPersistAcrossARestartAndFindTheLastSample) {
    {
        LogCapture log;
        auto handler = makeHandler();
        EXPECT_TRUE(log.contains(QStringLiteral("Couldn't read Statistics.plist:")));
        EXPECT_TRUE(log.contains(QStringLiteral("First run?")));
        drainFrom80To70(*handler);
        EXPECT_NEAR(handler->statisticsRange().fallingSum(), -360.0f, 1e-3);
    }
    QFile file(plist());
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray xml = file.readAll();
    EXPECT_TRUE(xml.startsWith("<?xml")) << xml.constData();
    EXPECT_TRUE(xml.contains("<key>fallingSecs</key>"));

    clock.advance(1); // the last sample now lies in the past
    LogCapture log;
    auto handler = makeHandler();
    EXPECT_FALSE(log.contains(QStringLiteral("Couldn't read")));
    EXPECT_FALSE(log.contains(QStringLiteral("Warning - Retrieved")));
    const StatisticsRange& r = handler->statisticsRange();
    EXPECT_FLOAT_EQ(r.fallingSecs(), 1800.0f);
    EXPECT_NEAR(r.fallingSum(), -360.0f, 1e-3);
    EXPECT_NEAR(r.loadCycles(), 0.1f, 1e-6);
    ASSERT_TRUE(r.lastEvent());
    EXPECT_FLOAT_EQ(r.lastEvent()->batteryLevel, 0.7f);

    // The next sample continues from the stored one.
    clock.advance(1799);
    battery->platformLevel = 0.6f;
    handler->addEvent();
    EXPECT_FLOAT_EQ(handler->statisticsRange().fallingSecs(), 3600.0f);
}

TEST_F(OverallStatisticsTest, FloatValuesRoundTripExactly) {
    StatisticsRange written;
    written.setLoadCycles(123.456789f);
    written.setFallingSum(-0.1f);
    written.setRaisingSecs(16777217.0f);
    ASSERT_TRUE(StatisticsFile::write(plist(), written));
    StatisticsRange read;
    ASSERT_TRUE(StatisticsFile::read(plist(), read));
    EXPECT_EQ(read.loadCycles(), written.loadCycles());
    EXPECT_EQ(read.fallingSum(), written.fallingSum());
    EXPECT_EQ(read.raisingSecs(), written.raisingSecs());
}

TEST_F(OverallStatisticsTest, DamagedFileIsKeptAsideAndNotOverwritten) {
    const QByteArray damaged = "<?xml version=\"1.0\"?><plist><dict><key>loadCycles</key><real>1";
    writeFile(plist(), damaged);
    {
        LogCapture log;
        auto handler = makeHandler();
        EXPECT_TRUE(log.contains(QStringLiteral("Couldn't read Statistics.plist:")));
        EXPECT_FLOAT_EQ(handler->statisticsRange().loadCycles(), 0.0f);
        battery->platformLevel = 0.5f;
        handler->addEvent();
    }
    EXPECT_EQ(keptAside(), damaged);
    EXPECT_TRUE(QFile::exists(plist())) << "a fresh file is written at the next kept sample";
}

TEST_F(OverallStatisticsTest, MissingKeysReadAsZeroButWrongTypesAreDamage) {
    writeFile(plist(), "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\"><dict>"
                       "<key>loadCycles</key><integer>3</integer>"
                       "</dict></plist>\n");
    {
        auto handler = makeHandler();
        EXPECT_FLOAT_EQ(handler->statisticsRange().loadCycles(), 3.0f);
        EXPECT_FLOAT_EQ(handler->statisticsRange().raisingSecs(), 0.0f);
    }
    // Read as zero and written back, a string total would be gone for good.
    const QByteArray wrong = "<?xml version=\"1.0\"?><plist version=\"1.0\"><dict>"
                             "<key>loadCycles</key><string>12.5</string></dict></plist>";
    writeFile(plist(), wrong);
    auto handler = makeHandler();
    EXPECT_FLOAT_EQ(handler->statisticsRange().loadCycles(), 0.0f);
    EXPECT_EQ(keptAside(), wrong);
}

TEST_F(OverallStatisticsTest, HostileFilesAreRefusedUnparsedAndKeptAside) {
    // Nesting that would overflow the parser's stack (small enough to pass the size limit), and
    // a FIFO that would block the start.
    const QByteArray deep = "<?xml version=\"1.0\"?><plist version=\"1.0\">" +
                            QByteArray("<array>").repeated(4000) +
                            QByteArray("</array>").repeated(4000) + "</plist>";
    writeFile(plist(), deep);
    StatisticsRange range;
    EXPECT_FALSE(StatisticsFile::read(plist(), range));
    EXPECT_FALSE(QFile::exists(plist()));
    ASSERT_EQ(::mkfifo(QFile::encodeName(plist()).constData(), 0600), 0);
    EXPECT_FALSE(StatisticsFile::read(plist(), range));
    EXPECT_EQ(
        QDir(home.dataDir())
            .entryList({QStringLiteral("Statistics.plist.damaged-*")}, QDir::Files | QDir::System)
            .size(),
        2);
}

TEST_F(OverallStatisticsTest, AFullDiskKeepsTheSavedTotals) {
    auto handler = makeHandler();
    drainFrom80To70(*handler);
    QFile file(plist());
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray saved = file.readAll();
    file.close();
    {
        const NearlyFullDisk disk(64);
        clock.advance(1800);
        battery->platformLevel = 0.6f;
        handler->addEvent();
    }
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), saved) << "the old totals survive, not an empty file";
    StatisticsRange read;
    EXPECT_TRUE(StatisticsFile::read(plist(), read)) << "and the next start reads them";
}

TEST_F(OverallStatisticsTest, PeriodRangesFeedTheWindowOldestFirst) {
    auto handler = makeHandler();
    EXPECT_FALSE(StatisticsHandler::getLastHour(*handler)->lastEvent()) << "empty window";
    ManagedObjectContext* context = handler->managedObjectContext();
    context->insertNewEvent(clock.now() - 7200, 0.95f, 1); // outside the hour
    context->insertNewEvent(clock.now() - 3000, 0.90f, 1);
    context->insertNewEvent(clock.now() - 1200, 0.80f, 1);
    context->save(nullptr);
    const auto hour = StatisticsHandler::getLastHour(*handler);
    EXPECT_NEAR(hour->loadCycles(), 0.1f, 1e-6);
    EXPECT_FLOAT_EQ(hour->fallingSecs(), 1800.0f);
    ASSERT_TRUE(hour->lastEvent());
    EXPECT_FLOAT_EQ(hour->lastEvent()->batteryLevel, 0.80f);
    EXPECT_NEAR(StatisticsHandler::getLastDay(*handler)->loadCycles(), 0.15f, 1e-6);
}

TEST_F(OverallStatisticsTest, ARestartContinuesFromTheLastSampleTaken) {
    {
        auto handler = makeHandler();
        ManagedObjectContext* context = handler->managedObjectContext();
        // Samples the logger took carry their battery.
        const qint64 id = handler->batteryCatalog()->idForSet(battery->batteries());
        context->insertNewEvent(clock.now() - 600, 0.85f, 1, false, id);
        context->insertNewEvent(clock.now() - 60, -1.0f, 0, false, id); // no level answered
        context->save(nullptr);
        handler->writeStatisticsData();
    }
    auto handler = makeHandler();
    ASSERT_TRUE(handler->statisticsRange().lastEvent());
    EXPECT_FLOAT_EQ(handler->statisticsRange().lastEvent()->batteryLevel, 0.85f)
        << "the unknown level never reached the totals";
    battery->currentState = BatteryStateUnplugged;
    battery->platformLevel = 0.80f;
    handler->addEvent();
    EXPECT_FLOAT_EQ(handler->statisticsRange().raisingSecs(), 0.0f) << "no charging out of -1";
    EXPECT_FLOAT_EQ(handler->statisticsRange().fallingSecs(), 600.0f);
}

namespace {
// The totals a fresh range reaches over every stored sample in the order the samples were taken:
// what the saved file must hold whatever the clock did.
StatisticsRange recomputedFromStore(BatteryLogHandler& handler) {
    QList<Event> events;
    handler.managedObjectContext()->forEachSavedNewestFirst([&events](const Event& e) {
        events.append(e);
        return true;
    });
    std::sort(events.begin(), events.end(),
              [](const Event& a, const Event& b) { return a.objectId < b.objectId; });
    StatisticsRange range;
    for (const Event& e : events)
        range.updateStatistics(e);
    return range;
}

void expectSameTotals(const StatisticsRange& actual, const StatisticsRange& expected,
                      const char* what) {
    EXPECT_FLOAT_EQ(actual.loadCycles(), expected.loadCycles()) << what;
    EXPECT_FLOAT_EQ(actual.raisingSum(), expected.raisingSum()) << what;
    EXPECT_FLOAT_EQ(actual.fallingSum(), expected.fallingSum()) << what;
    EXPECT_FLOAT_EQ(actual.raisingSecs(), expected.raisingSecs()) << what;
    EXPECT_FLOAT_EQ(actual.fallingSecs(), expected.fallingSecs()) << what;
}
} // namespace

TEST_F(OverallStatisticsTest, AClockSetBackAddsNoTimeInAnyPeriodOrAfterARestart) {
    const double t0 = clock.now();
    const auto take = [this](BatteryLogHandler& h, double at, float level, BatteryState state) {
        clock.set(at);
        battery->platformLevel = level;
        battery->currentState = state;
        h.addEvent();
    };
    {
        auto handler = makeHandler();
        take(*handler, t0, 0.90f, BatteryStateUnplugged);
        take(*handler, t0 + 3600, 0.80f, BatteryStateUnplugged);
        take(*handler, t0 + 7200, 0.70f, BatteryStateUnplugged);
        // The clock is set back: this sample is dated an hour before the previous one.
        take(*handler, t0 + 3600, 0.60f, BatteryStateUnplugged);
        EXPECT_FLOAT_EQ(handler->statisticsRange().raisingSecs(), 0.0f);
        EXPECT_FLOAT_EQ(handler->statisticsRange().fallingSecs(), 7200.0f);
    }
    clock.set(t0 + 3660);
    auto handler = makeHandler();
    take(*handler, t0 + 7200, 0.50f, BatteryStateUnplugged); // same date as the 0.70 sample
    take(*handler, t0 + 9000, 0.60f, BatteryStateCharging);
    take(*handler, t0 + 10800, 0.70f, BatteryStateCharging);
    ASSERT_EQ(handler->managedObjectContext()->savedCount(), 7) << "every sample was logged";

    // Without the backward step: three hour-long drains at 10 % per hour and two half-hour
    // charges at 20 % per hour; the 0.10 drop across the step is still charge used.
    const StatisticsRange overall = handler->statisticsRange();
    EXPECT_NEAR(overall.loadCycles(), 0.4f, 1e-5);
    EXPECT_FLOAT_EQ(overall.fallingSecs(), 10800.0f);
    EXPECT_NEAR(overall.fallingSum(), -1080.0f, 0.01);
    EXPECT_FLOAT_EQ(overall.raisingSecs(), 3600.0f);
    EXPECT_NEAR(overall.raisingSum(), 720.0f, 0.01);

    StatisticsRange saved;
    ASSERT_TRUE(StatisticsFile::read(plist(), saved));
    expectSameTotals(saved, overall, "the saved file");
    expectSameTotals(recomputedFromStore(*handler), saved, "recomputed from the stored samples");

    clock.advance(1); // the newest sample now lies inside the windows
    expectSameTotals(*StatisticsHandler::getLastDay(*handler), overall, "last day");
    expectSameTotals(*StatisticsHandler::getLastWeek(*handler), overall, "last week");
    expectSameTotals(*StatisticsHandler::getLastMonth(*handler), overall, "last month");

    // And once more after a restart, with nothing new in between.
    handler.reset();
    handler = makeHandler();
    expectSameTotals(handler->statisticsRange(), overall, "after a restart");
}

TEST_F(OverallStatisticsTest, ARecordFromAClockThatRanAheadIsNotCountedTwiceAfterARestart) {
    const double t0 = clock.now();
    {
        auto handler = makeHandler();
        battery->currentState = BatteryStateUnplugged;
        battery->platformLevel = 0.90f;
        handler->addEvent();
        clock.set(t0 + 7200); // the clock runs two hours ahead for one sample
        battery->platformLevel = 0.80f;
        handler->addEvent();
    }
    clock.set(t0 + 1800); // and is right again at the next start
    auto handler = makeHandler();
    battery->platformLevel = 0.75f;
    handler->addEvent();
    // The two hours were counted once, up to the sample from the future; the step back from
    // it adds nothing, and the first sample is not taken up again.
    EXPECT_FLOAT_EQ(handler->statisticsRange().fallingSecs(), 7200.0f);
    expectSameTotals(handler->statisticsRange(), recomputedFromStore(*handler),
                     "recomputed from the stored samples");
}

TEST_F(OverallStatisticsTest, NonFiniteTotalsCountAsADamagedFile) {
    writeFile(plist(), "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\"><dict>"
                       "<key>loadCycles</key><real>nan</real>"
                       "<key>fallingSum</key><real>-3.5</real>"
                       "</dict></plist>\n");
    LogCapture log;
    auto handler = makeHandler();
    EXPECT_TRUE(log.contains(QStringLiteral("Couldn't read Statistics.plist:")));
    EXPECT_FLOAT_EQ(handler->statisticsRange().fallingSum(), 0.0f);
    EXPECT_EQ(QDir(home.dataDir()).entryList({QStringLiteral("Statistics.plist.damaged-*")}).size(),
              1);
}

namespace {
// What the period statistics were before they streamed: the newest window of the log, fed in
// the order taken (saved records by row id, then the pending ones as inserted).
StatisticsRange fromWindow(BatteryLogHandler& handler, int seconds) {
    StatisticsRange range;
    QList<Event> events = handler.getArrayFrom(0, seconds, false);
    const auto taken = [](const Event& e) {
        return e.objectId >= 0 ? e.objectId : std::numeric_limits<qint64>::max() / 2 - e.objectId;
    };
    std::sort(events.begin(), events.end(),
              [&](const Event& a, const Event& b) { return taken(a) < taken(b); });
    for (const Event& event : events)
        range.updateStatistics(event);
    return range;
}

void expectSameTotals(const StatisticsRange& a, const StatisticsRange& b) {
    EXPECT_EQ(a.loadCycles(), b.loadCycles());
    EXPECT_EQ(a.raisingSum(), b.raisingSum());
    EXPECT_EQ(a.raisingSecs(), b.raisingSecs());
    EXPECT_EQ(a.fallingSum(), b.fallingSum());
    EXPECT_EQ(a.fallingSecs(), b.fallingSecs());
    EXPECT_EQ(a.lastEvent(), b.lastEvent());
}
} // namespace

// A month of samples every minute is 43,200 of them: every one counts, not the newest 2000.
TEST_F(OverallStatisticsTest, PeriodStatisticsCoverEverySampleOfThePeriod) {
    auto handler = makeHandler();
    ManagedObjectContext* context = handler->managedObjectContext();
    // Two days of samples a minute apart: falling 1 % every 10 minutes from full to empty,
    // rising back as fast, then full.
    const int minutes = 2 * 24 * 60;
    for (int m = minutes; m >= 1; --m) {
        const int step = std::min((minutes - m) / 10, 200);
        const float level = static_cast<float>(std::abs(100 - step)) / 100.0f;
        context->insertNewEvent(clock.now() - 60.0 * m, level, 1);
    }
    context->save(nullptr);
    const auto week = StatisticsHandler::getLastWeek(*handler);
    ASSERT_TRUE(week->lastEvent());
    EXPECT_EQ(week->lastEvent()->creationDate, clock.now() - 60);
    // Falling 100 % to 0 % once: 1.0 load; the newest 2000 minutes alone hold less.
    EXPECT_NEAR(week->loadCycles(), 1.0f, 1e-3);
    EXPECT_LT(fromWindow(*handler, 604800).loadCycles(), 0.5f);
    EXPECT_FLOAT_EQ(week->fallingSecs(), 6000.0f);
    EXPECT_FLOAT_EQ(week->raisingSecs(), 6000.0f);
}

TEST_F(OverallStatisticsTest, PeriodStatisticsOfSmallPeriodsAreUnchanged) {
    auto handler = makeHandler();
    ManagedObjectContext* context = handler->managedObjectContext();
    for (int i = 0; i < 300; ++i)
        context->insertNewEvent(clock.now() - 86000 + i * 250, 0.5f + 0.1f * std::sin(i * 0.3f),
                                i % 40 < 30 ? 1 : 2);
    context->insertNewEvent(clock.now() - 5000, 0.7f, 1); // two samples of one second
    context->insertNewEvent(clock.now() - 5000, 0.6f, 1);
    context->save(nullptr);
    const QList<Event> saved = handler->getArrayFrom(0, 86400, false);
    // Unsaved changes count as the window shows them: a pending delete and pending inserts,
    // one of them at the date of a saved sample.
    context->deleteObject(saved[10]);
    context->insertNewEvent(saved[20].creationDate, 0.1f, 2);
    context->insertNewEvent(clock.now() - 100, 0.9f, 3);
    for (const int seconds : {3600, 86400, 604800}) {
        SCOPED_TRACE(seconds);
        expectSameTotals(*StatisticsHandler::getLastSeconds(seconds, *handler),
                         fromWindow(*handler, seconds));
    }
}
