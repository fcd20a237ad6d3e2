// The application's delegate and lifecycle against a local collector: what the analytics
// client sends at launch, at each departure and on return.
#include "AnalyticsAppFixture.h"

#include "Ampelio_ProAppDelegate.h"
#include "ApplicationLifecycle.h"

namespace {
class AnalyticsLifecycleTest : public AnalyticsAppTest {
protected:
    void launch() {
        delegate.attach(lifecycle);
        lifecycle.launch();
        lifecycle.activate();
    }
    // Leaves the foreground and comes back after the given seconds.
    void leaveAndReturn(double seconds) {
        lifecycle.deactivate();
        Analytics::waitUntilIdle();
        clock.advance(seconds);
        lifecycle.activate();
        Analytics::waitUntilIdle();
    }

    std::unique_ptr<UserDefaults> prefs = defaults();
    Ampelio_ProAppDelegate delegate{device, home.dataDir(), *prefs, keepAlive};
    ApplicationLifecycle lifecycle;
};
} // namespace

TEST_F(AnalyticsLifecycleTest, LaunchAndEachPauseSendAReportOfTheCurrentSession) {
    launch();
    ASSERT_TRUE(waitForReports(1));
    const QJsonObject first = collector.reports()[0];
    EXPECT_TRUE(first.value("checksumValid").toBool());
    EXPECT_EQ(first.value("apiKey").toString(), KEY);
    EXPECT_TRUE(sessionsOf(0).isEmpty()) << "the launch report carries no session";

    ASSERT_TRUE(waitForIdleSender());
    Analytics::logEvent(QStringLiteral("before pause"));
    clock.advance(3);
    lifecycle.deactivate();
    ASSERT_TRUE(waitForReports(2));
    ASSERT_EQ(sessionsOf(1).size(), 1);
    const QJsonObject session = sessionsOf(1)[0].toObject();
    EXPECT_EQ(session.value("sessionLength").toDouble(), 3000.0);
    EXPECT_EQ(session.value("events").toArray()[0].toObject().value("name").toString(),
              QStringLiteral("before pause"));
    EXPECT_TRUE(collector.reports()[1].value("previousReportAccepted").toBool())
        << "the launch report was accepted";
}

TEST_F(AnalyticsLifecycleTest, AReturnWithinTheContinuationTimeKeepsTheSession) {
    launch();
    ASSERT_TRUE(waitForReports(1));
    leaveAndReturn(10.0); // exactly the continuation time still resumes
    lifecycle.deactivate();
    ASSERT_TRUE(waitForReports(3));
    const QJsonObject before = sessionsOf(1)[0].toObject();
    ASSERT_EQ(sessionsOf(2).size(), 1);
    const QJsonObject after = sessionsOf(2)[0].toObject();
    EXPECT_EQ(after.value("startTime"), before.value("startTime"));
    EXPECT_EQ(after.value("totalPause").toDouble(), 10000.0);
}

TEST_F(AnalyticsLifecycleTest, AReturnAfterTheContinuationTimeStartsANewSessionWithNewIds) {
    launch();
    ASSERT_TRUE(waitForReports(1));
    Analytics::logEvent(QStringLiteral("first"));
    Analytics::logEvent(QStringLiteral("second"));
    leaveAndReturn(10.5);
    ASSERT_TRUE(waitForReports(3)) << "the new session sends the saved sessions";
    Analytics::logEvent(QStringLiteral("third"));
    lifecycle.deactivate();
    ASSERT_TRUE(waitForReports(4));

    const QJsonObject old = sessionsOf(1)[0].toObject();
    ASSERT_EQ(sessionsOf(3).size(), 1);
    const QJsonObject fresh = sessionsOf(3)[0].toObject();
    EXPECT_GT(fresh.value("startTime").toDouble(), old.value("startTime").toDouble());
    EXPECT_EQ(fresh.value("totalPause").toDouble(), 0.0);
    const QJsonArray events = fresh.value("events").toArray();
    ASSERT_EQ(events.size(), 1);
    EXPECT_EQ(events[0].toObject().value("name").toString(), QStringLiteral("third"));
    EXPECT_EQ(events[0].toObject().value("id").toInt(), 1) << "ids restart in a new session";
}

TEST_F(AnalyticsLifecycleTest, ContinuationTimeZeroMakesEveryTimedReturnANewSession) {
    Analytics::setSessionContinueSeconds(0);
    launch();
    ASSERT_TRUE(waitForReports(1));
    leaveAndReturn(0.5);
    lifecycle.deactivate();
    ASSERT_TRUE(waitForReports(4));
    EXPECT_NE(sessionsOf(3)[0].toObject().value("startTime"),
              sessionsOf(1)[0].toObject().value("startTime"));
}
