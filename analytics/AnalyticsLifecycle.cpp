// The lifecycle entries and settings of Analytics: pause, resume or replace the session, end it,
// and the switches applied to each new session.
#include "Analytics.h"

#include "AnalyticsGlobalVariableStorage.h"
#include "AnalyticsImpl.h"
#include "AnalyticsLog.h"
#include "AnalyticsNetworkUtil.h"
#include "AnalyticsSession.h"
#include "AnalyticsSessionStore.h"
#include "AnalyticsUtil.h"
#include "Clock.h"

namespace {
AnalyticsGlobalVariableStorage& globals() {
    return AnalyticsGlobalVariableStorage::sharedInstance();
}

// Applies a setting to the current session record, if there is one.
template <typename Apply> void setEverywhere(Apply apply) {
    AnalyticsUtil::guarded([&] {
        if (AnalyticsImpl* session = AnalyticsImpl::existing())
            session->async(apply);
    });
}
} // namespace

void Analytics::endSession() {
    ANALYTICS_LOG(Exactly3, "Analytics: endSession called.");
    AnalyticsUtil::guarded([] {
        if (AnalyticsImpl* session = AnalyticsImpl::existing())
            session->endSession();
    });
}

void Analytics::pauseSession() {
    globals().update([](AnalyticsSettings& s) { s.pauseTime = Clock::now(); });
    AnalyticsUtil::guarded([] {
        if (AnalyticsImpl* session = AnalyticsImpl::existing())
            session->pauseSession();
    });
}

void Analytics::pauseBackgroundSession() {
    if (globals().applicationInBackground())
        pauseSession();
}

void Analytics::applicationWillResignActive() {
    if (!globals().settings().backgroundSessionEnabled)
        pauseSession();
}

void Analytics::applicationWillEnterForeground() {
    AnalyticsUtil::guarded([] {
        if (AnalyticsImpl* session = AnalyticsImpl::existing())
            session->markSessionAsResuming();
    });
}

void Analytics::applicationDidBecomeActive() {
    const AnalyticsSettings s = globals().settings();
    const qint64 elapsed =
        s.pauseTime ? static_cast<qint64>((Clock::now() - *s.pauseTime) * 1000.0) : 0;
    if (elapsed > qint64(s.pauseSecondsBeforeStartingNewSession) * 1000) {
        ANALYTICS_LOG(Exactly3, "Analytics: setSessionContinueSeconds exceeded. AutoIncrement is "
                                "resetting");
        AnalyticsUtil::guarded([] { createAndSendSession(); });
        return;
    }
    AnalyticsUtil::guarded([] {
        if (AnalyticsImpl* session = AnalyticsImpl::existing())
            session->resumeSession();
    });
}

void Analytics::setApplicationInBackground(bool background) {
    globals().update([=](AnalyticsSettings& s) { s.applicationInBackground = background; });
}

void Analytics::setHeadless(bool headless) {
    globals().update([=](AnalyticsSettings& s) { s.headless = headless; });
}

void Analytics::waitUntilIdle() {
    if (AnalyticsImpl* session = AnalyticsImpl::existing())
        session->flush();
}

void Analytics::shutdown() {
    AnalyticsImpl::shutdown();
    AnalyticsNetworkUtil::instance().reset();
    const auto timers = notifications().findChildren<QObject*>();
    qDeleteAll(timers);
    globals().reset();
}

void Analytics::setAppVersion(const QString& version) {
    if (AnalyticsImpl::existing()) {
        ANALYTICS_LOG(AtLeast1, "Analytics: Please call setAppVersion before startSession.");
        return;
    }
    ANALYTICS_LOG(AtLeast1, "Analytics: setAppVersion[%s]", qUtf8Printable(version));
    globals().setAppVersion(version);
}

QString Analytics::getAnalyticsAgentVersion() {
    return AnalyticsUtil::getAnalyticsAgentVersion();
}

void Analytics::setLogLevel(int level) {
    AnalyticsLog::setLevel(level);
}

void Analytics::setDebugLogEnabled(bool enabled) {
    AnalyticsLog::setLevel(enabled ? 2 : 1);
}

void Analytics::setShowErrorInLogEnabled(bool enabled) {
    globals().setShowErrorInLogEnabled(enabled);
}

int Analytics::sessionContinueSeconds() {
    return globals().settings().pauseSecondsBeforeStartingNewSession;
}

void Analytics::setSessionContinueSeconds(int seconds) {
    globals().update(
        [=](AnalyticsSettings& s) { s.pauseSecondsBeforeStartingNewSession = seconds; });
}

void Analytics::setMaxSessionsSaved(int maximum) {
    AnalyticsSessionStore::setMaxSessions(maximum);
}

void Analytics::setUserID(const QString& userID) {
    ANALYTICS_LOG(AtLeast1, "Analytics: setUserID[%s]", qUtf8Printable(userID));
    globals().update([&](AnalyticsSettings& s) { s.userID = userID; });
    setEverywhere([=](AnalyticsSession& s) { s.setUserID(userID); });
}

void Analytics::setGender(const QVariant& gender) {
    if (gender.typeId() != QMetaType::QString) {
        ANALYTICS_LOG(AtLeast1, "Analytics: setGender failed -- gender must be of NSString type.");
        return;
    }
    const QString text = gender.toString();
    ANALYTICS_LOG(AtLeast1, "Analytics: setGender[%s]", qUtf8Printable(text));
    globals().update([&](AnalyticsSettings& s) { s.gender = text; });
    setEverywhere([=](AnalyticsSession& s) { s.setGenderAsString(text); });
}

void Analytics::setAge(int age) {
    globals().update([=](AnalyticsSettings& s) { s.age = age; });
    setEverywhere([=](AnalyticsSession& s) { s.setAgeInYears(age); });
}

void Analytics::setPushToken(const QString& token) {
    QString text = token;
    text.remove(QLatin1Char('<')).remove(QLatin1Char('>')).remove(QLatin1Char(' '));
    ANALYTICS_LOG(AtLeast1, "Analytics: setPushToken[%s]", qUtf8Printable(text));
    globals().update([&](AnalyticsSettings& s) { s.pushToken = text; });
    if (AnalyticsImpl* session = AnalyticsImpl::existing())
        session->async([=](AnalyticsSession& s) { s.setPushToken(text); });
}

void Analytics::setLatitude(double latitude, double longitude, float horizontalAccuracy,
                            float verticalAccuracy) {
    setEverywhere([=](AnalyticsSession& s) {
        s.setLatitude(latitude, longitude, horizontalAccuracy, verticalAccuracy);
    });
}

void Analytics::setEventLoggingEnabled(bool enabled) {
    globals().update([=](AnalyticsSettings& s) { s.eventLoggingEnabled = enabled; });
    setEverywhere([=](AnalyticsSession& s) { s.setEventLoggingEnabled(enabled); });
}

void Analytics::setSessionReportsOnCloseEnabled(bool enabled) {
    globals().update([=](AnalyticsSettings& s) { s.sessionReportsOnCloseEnabled = enabled; });
    setEverywhere([=](AnalyticsSession& s) { s.setSessionReportsOnCloseEnabled(enabled); });
}

void Analytics::setSessionReportsOnPauseEnabled(bool enabled) {
    globals().update([=](AnalyticsSettings& s) { s.sessionReportsOnPauseEnabled = enabled; });
    setEverywhere([=](AnalyticsSession& s) { s.setSessionReportsOnPauseEnabled(enabled); });
}

void Analytics::setCrashReportingEnabled(bool enabled) {
    globals().update([=](AnalyticsSettings& s) { s.crashReportingEnabled = enabled; });
    if (AnalyticsImpl* session = AnalyticsImpl::existing())
        session->async([=](AnalyticsSession& s) { s.setCrashReportingEnabled(enabled); });
}

void Analytics::setBackgroundSessionEnabled(bool enabled) {
    ANALYTICS_LOG(AtLeast1, "Analytics: Background session enabled[%d]", enabled ? 1 : 0);
    globals().update([=](AnalyticsSettings& s) { s.backgroundSessionEnabled = enabled; });
}

void Analytics::setServerURL(const QString& url) {
    AnalyticsNetworkUtil::setServerURL(url);
}

void Analytics::setSecureTransportEnabled(bool enabled) {
    AnalyticsNetworkUtil::setSecureTransportEnabled(enabled);
}
