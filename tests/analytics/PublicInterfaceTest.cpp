#include "Analytics.h"
#include "AnalyticsGlobalVariableStorage.h"
#include "AnalyticsImpl.h"
#include "AnalyticsLog.h"
#include "AnalyticsNetworkUtil.h"
#include "AnalyticsSessionStore.h"
#include "AnalyticsTestSupport.h"
#include "AnalyticsUtil.h"

#include <stdexcept>

namespace {
class PublicInterface : public AnalyticsTest {
protected:
    PublicInterface() {
        Analytics::shutdown();
        qputenv("AMPELIO_ANALYTICS_URL", "http://127.0.0.1:9/aas.do");
    }
    ~PublicInterface() override {
        Analytics::shutdown();
        qunsetenv("AMPELIO_ANALYTICS_URL");
    }
    int eventsInSession() {
        int count = -1;
        AnalyticsImpl::instance().sync(
            [&](AnalyticsSession& s) { count = static_cast<int>(s.eventLog().size()); });
        return count;
    }
};
} // namespace

TEST_F(PublicInterface, ArgumentsOfTheWrongTypeAreReportedAndDropped) {
    Analytics::startSession(KEY);
    AnalyticsLog::setLevel(2);
    LogCapture log;
    Analytics::logEvent(QVariant(42), true);
    Analytics::endTimedEvent(QVariant(QStringList{"HistoryView"}));
    Analytics::logError(QVariant(), QStringLiteral("message"), std::nullopt);
    Analytics::logError(QStringLiteral("id"), QVariant(7), std::nullopt);
    Analytics::setGender(QVariant(1));
    EXPECT_EQ(log.count("Analytics: Event not logged -- eventName must be of NSString type."), 2);
    EXPECT_TRUE(log.contains("Analytics: Error not logged -- errorId must be of NSString type."));
    EXPECT_TRUE(log.contains("Analytics: Error not logged -- message must be of NSString type."));
    EXPECT_TRUE(log.contains("Analytics: setGender failed -- gender must be of NSString type."));
    EXPECT_EQ(eventsInSession(), 0);
    Analytics::logEvent(QStringLiteral("HistoryView"), true);
    EXPECT_EQ(eventsInSession(), 1);
}

TEST_F(PublicInterface, CallsBeforeTheStartDoNothingAndASecondStartIsIgnored) {
    Analytics::logEvent(QStringLiteral("too early"));
    Analytics::endSession();
    EXPECT_EQ(AnalyticsImpl::existing(), nullptr);

    LogCapture log;
    Analytics::startSession(QStringLiteral(" QZ7H NM4TKD9WB2XRLC6V "));
    EXPECT_EQ(AnalyticsGlobalVariableStorage::sharedInstance().apiKey(), KEY)
        << "spaces are removed from the key";
    Analytics::startSession(QStringLiteral("OTHER"));
    EXPECT_TRUE(log.contains("Analytics: startSession has been called already. It should only be "
                             "called once. Returning."));
    EXPECT_EQ(AnalyticsImpl::instance().apiKey(), KEY);
    EXPECT_EQ(eventsInSession(), 0) << "the early event went nowhere";
    EXPECT_FALSE(log.contains("Background session enabled"))
        << "only a caller's own setting is logged, not the default re-applied at each start";
}

TEST_F(PublicInterface, EndSessionWaitsUntilTheRecordIsStored) {
    Analytics::startSession(KEY);
    Analytics::logEvent(QStringLiteral("last"));
    Analytics::endSession();
    // Read on this thread without waiting: the saved sessions already hold the ended record.
    EXPECT_FALSE(AnalyticsSessionStore::savedSessions(KEY).isEmpty());
}

TEST_F(PublicInterface, ThrownExceptionsReachOnlyTheExceptionLogger) {
    AnalyticsLog::setLevel(2);
    Analytics::setShowErrorInLogEnabled(true);
    LogCapture log;
    AnalyticsUtil::guarded([] { throw std::runtime_error("boom"); });
    AnalyticsUtil::guarded([] { throw 42; });
    EXPECT_EQ(log.count("Analytics: Caught Exception in Analytics Code"), 2);
    EXPECT_TRUE(log.contains("Analytics: Name:std::exception Reason:boom"));

    Analytics::setShowErrorInLogEnabled(false);
    LogCapture quiet;
    AnalyticsUtil::guarded([] { throw std::runtime_error("silent"); });
    EXPECT_TRUE(quiet.lines().isEmpty()) << "the logger prints only when asked to";
}

TEST_F(PublicInterface, VersionsAndEndpoints) {
    EXPECT_EQ(Analytics::getAnalyticsAgentVersion(), QStringLiteral("Analytics_iOS_122_4.3.1"));
    EXPECT_EQ(AnalyticsUtil::versionNumberFor("6.1.0-18-amd64"), 60100);
    EXPECT_EQ(AnalyticsUtil::versionNumberFor("5.15"), 51500);
    EXPECT_EQ(AnalyticsUtil::versionNumberFor("4"), 40000);
    EXPECT_EQ(AnalyticsUtil::versionNumberFor("x.y"), 0);
    EXPECT_GT(AnalyticsUtil::systemVersionNumber(), 40000);

    EXPECT_EQ(AnalyticsNetworkUtil::serverURL(), QStringLiteral("http://127.0.0.1:9/aas.do"));
    qunsetenv("AMPELIO_ANALYTICS_URL");
    EXPECT_EQ(AnalyticsNetworkUtil::serverURL(), QStringLiteral("http://analytics.invalid/aas.do"));
    Analytics::setSecureTransportEnabled(true);
    EXPECT_EQ(AnalyticsNetworkUtil::serverURL(),
              QStringLiteral("https://analytics.invalid/aas.do"));
    QString url = QStringLiteral("http://127.0.0.1:8/aas.do");
    Analytics::setServerURL(url);
    url[7] = QLatin1Char('x');
    EXPECT_EQ(AnalyticsNetworkUtil::serverURL(), QStringLiteral("http://127.0.0.1:8/aas.do"))
        << "the address is kept as a copy";
}

TEST_F(PublicInterface, SettingsReachTheSessionAndABackgroundPauseWaitsForTheBackground) {
    Analytics::startSession(KEY);
    Analytics::setPushToken(QStringLiteral("<0a1b 2c3d>"));
    Analytics::pauseBackgroundSession();
    QString token;
    bool paused = true;
    AnalyticsImpl::instance().sync([&](AnalyticsSession& s) {
        token = s.pushToken();
        paused = s.isPaused();
    });
    EXPECT_EQ(token, QStringLiteral("0a1b2c3d"));
    EXPECT_FALSE(paused) << "in the foreground a background pause does nothing";

    Analytics::setApplicationInBackground(true);
    Analytics::pauseBackgroundSession();
    AnalyticsImpl::instance().sync([&](AnalyticsSession& s) { paused = s.isPaused(); });
    EXPECT_TRUE(paused);
}
