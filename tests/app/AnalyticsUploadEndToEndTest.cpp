// Reports the collector refuses stay on disk and go, oldest first, once it accepts them.
#include "AnalyticsAppFixture.h"

#include "Ampelio_ProAppDelegate.h"
#include "AnalyticsLog.h"
#include "AnalyticsNetworkUtil.h"
#include "AnalyticsUtil.h"
#include "ApplicationLifecycle.h"

#include <QDir>
#include <QUuid>

namespace {
class AnalyticsUploadTest : public AnalyticsAppTest {
protected:
    void launch() {
        delegate.attach(lifecycle);
        lifecycle.launch();
        lifecycle.activate();
    }
    // Each departure sends one report.
    void leaveAndReturn() {
        lifecycle.deactivate();
        lifecycle.activate();
    }
    QStringList blockIdentifiers() {
        return onQueue([] {
            QStringList ids;
            for (const auto& block :
                 AnalyticsDataSender::instance()->dataIndex().notSentBlocksForDataKey(
                     AnalyticsDataSender::dataKey()))
                ids.append(block.identifier());
            return ids;
        });
    }
    bool blockFileExists(const QString& id) const {
        return QFile::exists(AnalyticsUtil::filePathDirectory() + "/" + id);
    }

    std::unique_ptr<UserDefaults> prefs = defaults();
    Ampelio_ProAppDelegate delegate{device, home.dataDir(), *prefs, keepAlive};
    ApplicationLifecycle lifecycle;
};
} // namespace

TEST_F(AnalyticsUploadTest, RefusedReportsStayAndAreSentOldestFirstWhenTheNetworkReturns) {
    collector.setStatus(500);
    launch();
    ASSERT_TRUE(waitForReports(1));
    ASSERT_TRUE(waitForIdleSender(1));
    leaveAndReturn();
    ASSERT_TRUE(waitForReports(2));
    ASSERT_TRUE(waitForIdleSender(2)) << "a 500 answer keeps the block";
    const QStringList waiting = blockIdentifiers();
    for (const QString& id : waiting)
        EXPECT_TRUE(blockFileExists(id));

    collector.setStatus(200);
    LogCapture log;
    AnalyticsLog::setLevel(3);
    AnalyticsNetworkUtil::instance().updateNetworkStatus(AnalyticsNetworkUtil::ReachableViaWiFi);
    EXPECT_TRUE(waitForIdleSender(0));
    AnalyticsLog::setLevel(1);
    QStringList started;
    for (const QString& line : log.lines())
        if (line.contains("start upload data with id"))
            started.append(line.section('[', 1).section(']', 0, 0));
    EXPECT_EQ(started, waiting) << "oldest first";
    for (const QString& id : waiting)
        EXPECT_FALSE(blockFileExists(id)) << "an accepted block is deleted";
    EXPECT_EQ(collector.reports().size(), 4);
    EXPECT_TRUE(sessionsOf(2).isEmpty()) << "the launch report comes again first";
}

TEST_F(AnalyticsUploadTest, InTheBackgroundANetworkReturnSendsNothing) {
    collector.setStatus(500);
    launch();
    ASSERT_TRUE(waitForIdleSender(1));
    lifecycle.enterBackground();
    ASSERT_TRUE(waitForIdleSender(2)) << "the report of the pause is still sent at once";
    const int requests = collector.requestCount();
    collector.setStatus(200);
    AnalyticsNetworkUtil::instance().updateNetworkStatus(AnalyticsNetworkUtil::ReachableViaWiFi);
    Analytics::waitUntilIdle();
    QTest::qWait(50);
    EXPECT_EQ(collector.requestCount(), requests);
    EXPECT_EQ(storedBlocks(), 2);
}

TEST_F(AnalyticsUploadTest, AfterFiftyOneRefusedReportsTheOldestGoesWhenTheSenderIsIdle) {
    collector.setStatus(500);
    launch();
    ASSERT_TRUE(waitForIdleSender(1));
    const QString oldest = blockIdentifiers().constFirst();
    for (int i = 0; i < 50; ++i)
        leaveAndReturn();
    ASSERT_TRUE(waitForIdleSender(50, 10000)) << storedBlocks();
    EXPECT_FALSE(blockIdentifiers().contains(oldest));
    EXPECT_FALSE(blockFileExists(oldest));
    QStringList blockFiles;
    for (const QString& file : QDir(AnalyticsUtil::filePathDirectory()).entryList(QDir::Files))
        if (!QUuid::fromString(file).isNull())
            blockFiles.append(file);
    EXPECT_EQ(blockFiles.size(), 50) << "no block file outlives its entry";
}

TEST_F(AnalyticsUploadTest, AChangedApiKeyDeletesTheOldKeysBlocksAtTheNextStart) {
    collector.setStatus(500);
    launch();
    ASSERT_TRUE(waitForIdleSender(1));
    const QString old = blockIdentifiers().constFirst();
    Analytics::shutdown();

    Analytics::startSession(QStringLiteral("ANOTHERKEY0123456789"));
    ASSERT_TRUE(waitForIdleSender(1)) << "only the new key's launch report waits";
    EXPECT_FALSE(blockFileExists(old));
    EXPECT_FALSE(blockIdentifiers().contains(old));
}

TEST_F(AnalyticsUploadTest, AHeadlessLoggerSendsEveryWaitingReportOnceOneIsAccepted) {
    collector.setStatus(500);
    launch();
    for (int i = 0; i < 11; ++i)
        leaveAndReturn();
    ASSERT_TRUE(waitForIdleSender(12, 10000)) << storedBlocks();
    Analytics::shutdown();

    // A headless start: the logger goes to the background at once and stays there.
    collector.setStatus(200);
    Analytics::setHeadless(true);
    Analytics::setApplicationInBackground(true);
    Analytics::startSession(KEY);
    EXPECT_TRUE(waitForIdleSender(0, 10000))
        << storedBlocks() << " reports left behind, more than the upload window";
}

TEST_F(AnalyticsUploadTest, AfterAnAcceptedUploadReportsSayTheNetworkIsReachable) {
    launch();
    ASSERT_TRUE(waitForReports(1));
    ASSERT_TRUE(waitForIdleSender(0));
    leaveAndReturn();
    ASSERT_TRUE(waitForReports(2));
    const QJsonArray sessions = sessionsOf(1);
    ASSERT_EQ(sessions.size(), 1);
    EXPECT_NE(sessions[0].toObject().value("networkStatus").toInt(),
              AnalyticsNetworkUtil::NotReachable);
}
