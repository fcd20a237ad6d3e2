// The user's choice to share usage statistics, and the built-in endpoint that keeps nothing.
#include "AnalyticsAppFixture.h"

#include "Ampelio_ProAppDelegate.h"
#include "AnalyticsHooks.h"
#include "AnalyticsUtil.h"
#include "ApplicationLifecycle.h"
#include "Paths.h"

#include <QDir>
#include <QUuid>

namespace {
class AnalyticsChoiceTest : public AnalyticsAppTest {
protected:
    ~AnalyticsChoiceTest() override {
        qunsetenv("AMPELIO_ANALYTICS");
        Analytics::setEnabled(true);
    }
    // A fresh start of the application on the same home.
    void launch() {
        lifecycle = std::make_unique<ApplicationLifecycle>();
        delegate =
            std::make_unique<Ampelio_ProAppDelegate>(device, home.dataDir(), *prefs, keepAlive);
        delegate->attach(*lifecycle);
        lifecycle->launch();
        lifecycle->activate();
    }
    // The report of the end may still be on its way: it must not be counted against the next run.
    void quit() {
        lifecycle->terminate();
        EXPECT_TRUE(QTest::qWaitFor([&] { return runningUploads() == 0; }, 5000));
        Analytics::shutdown();
        delegate.reset();
    }
    void leaveAndReturn() {
        lifecycle->deactivate();
        lifecycle->activate();
    }
    // Two refused reports kept on disk, and a vendor identifier.
    void runOnceKeepingReports() {
        collector.setStatus(500);
        launch();
        leaveAndReturn();
        ASSERT_TRUE(waitForIdleSender(2)) << storedBlocks();
        quit();
        ASSERT_TRUE(QDir(analyticsFiles()).exists());
        collector.setStatus(200);
    }
    QString analyticsFiles() const { return Paths::documentsDirectory() + "/AnalyticsFiles"; }
    bool nothingKept() const {
        return !QDir(analyticsFiles()).exists() &&
               !QFile::exists(Paths::documentsDirectory() + "/.identifierForVendor");
    }
    // Nothing goes out however the application comes and goes.
    void expectSilence() {
        const int requests = collector.requestCount();
        Analytics::logEvent(QStringLiteral("HistoryView"));
        leaveAndReturn();
        lifecycle->enterBackground();
        lifecycle->activate();
        QTest::qWait(100);
        EXPECT_EQ(collector.requestCount(), requests);
        EXPECT_EQ(AnalyticsImpl::existing(), nullptr) << "no client runs to record anything";
        EXPECT_TRUE(nothingKept());
    }

    std::unique_ptr<UserDefaults> prefs = defaults();
    std::unique_ptr<ApplicationLifecycle> lifecycle;
    std::unique_ptr<Ampelio_ProAppDelegate> delegate;
};
} // namespace

TEST_F(AnalyticsChoiceTest, SwitchedOffInTheSettingsNothingIsSentAndWhatWasKeptIsDeleted) {
    runOnceKeepingReports();
    prefs->setObject(QString::fromLatin1(AnalyticsHooks::SharingKey), false);
    launch();
    EXPECT_TRUE(nothingKept()) << "the reports kept by the last run are deleted at the start";
    expectSilence();
}

TEST_F(AnalyticsChoiceTest, TheEnvironmentSwitchesItOffWhateverTheSettingsSay) {
    runOnceKeepingReports();
    prefs->setObject(QString::fromLatin1(AnalyticsHooks::SharingKey), true);
    qputenv("AMPELIO_ANALYTICS", "off");
    EXPECT_FALSE(AnalyticsHooks::sharingChosen(*prefs));
    launch();
    expectSilence();
}

TEST_F(AnalyticsChoiceTest, SwitchingOffWhileRunningStopsAtOnceAndOnAgainStartsAfresh) {
    collector.setStatus(500);
    launch();
    ASSERT_TRUE(waitForIdleSender(1));
    AnalyticsHooks::setSharing(*prefs, false);
    EXPECT_FALSE(UserDefaults(home.configDir() + "/Ampelio.ini")
                     .objectForKey(QString::fromLatin1(AnalyticsHooks::SharingKey))
                     .toBool())
        << "the choice outlives the run";
    expectSilence();

    collector.setStatus(200);
    const int before = collector.reports().size();
    AnalyticsHooks::setSharing(*prefs, true);
    EXPECT_TRUE(waitForReports(before + 1)) << "switched on, the client starts a new session";
    EXPECT_TRUE(waitForIdleSender(0));
}

TEST_F(AnalyticsChoiceTest, ReportsForTheBuiltInEndpointAreNotKept) {
    qunsetenv("AMPELIO_ANALYTICS_URL");
    launch();
    leaveAndReturn();
    lifecycle->enterBackground();
    Analytics::waitUntilIdle();
    QTest::qWait(50);
    EXPECT_EQ(storedBlocks(), 0);
    QStringList blockFiles;
    for (const QString& file : QDir(analyticsFiles()).entryList(QDir::Files))
        if (!QUuid::fromString(file).isNull())
            blockFiles.append(file);
    EXPECT_TRUE(blockFiles.isEmpty()) << qPrintable(blockFiles.join(' '));
    EXPECT_EQ(collector.requestCount(), 0);
}
