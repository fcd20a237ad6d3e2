#include "Analytics.h"

#include "AnalyticsGlobalVariableStorage.h"
#include "AnalyticsImpl.h"
#include "AnalyticsKeychainWrapper.h"
#include "AnalyticsLog.h"
#include "AnalyticsNetworkUtil.h"
#include "AnalyticsSession.h"
#include "AnalyticsSessionStore.h"
#include "AnalyticsUtil.h"
#include "Clock.h"

#include <QTimer>

#include <mutex>

namespace {
std::mutex analyticsMutex;
QTimer* heartBeatTimer = nullptr;

AnalyticsGlobalVariableStorage& globals() {
    return AnalyticsGlobalVariableStorage::sharedInstance();
}

// Before startSession there is no current session, and requests have no effect.
AnalyticsImpl* currentSession() {
    return AnalyticsImpl::existing();
}

bool isString(const QVariant& value) {
    return value.typeId() == QMetaType::QString;
}

void startHeartBeat() {
    heartBeatTimer = new QTimer(&Analytics::notifications());
    heartBeatTimer->setInterval(1000);
    QObject::connect(heartBeatTimer, &QTimer::timeout, &Analytics::notifications(),
                     &Analytics::heartBeat);
    heartBeatTimer->start();
}

void forgetKeychainIdentifier(AnalyticsImpl& impl) {
    // The keychain may wait on a session bus: never on the GUI thread at launch.
    impl.queue().async([] {
        auto keychain = AnalyticsKeychainWrapper::keychainWrapperWithIdentifier(
            AnalyticsKeychainWrapper::IDENTIFIER);
        const auto old = keychain->objectForKey(QStringLiteral("AnalyticsDataKey"));
        if (old && old->typeId() == QMetaType::QString)
            ANALYTICS_LOG(Exactly3, "AnalyticsSession: idfv [%s] from secure source",
                          qUtf8Printable(old->toString()));
        keychain->removeObjectForKey(QStringLiteral("AnalyticsDataKey"));
    });
}
} // namespace

Analytics& Analytics::notifications() {
    static Analytics* analytics = new Analytics;
    return *analytics;
}

void Analytics::startSession(const QVariant& apiKey) {
    if (!isEnabled()) {
        ANALYTICS_LOG(AtLeast2, "Analytics: usage statistics are not shared; no session started");
        return;
    }
    {
        std::lock_guard lock(analyticsMutex);
        if (globals().settings().startSessionCalled) {
            ANALYTICS_LOG(AtLeast1, "Analytics: startSession has been called already. It should "
                                    "only be called once. Returning.");
            return;
        }
        ANALYTICS_LOG(AtLeast2, "Analytics: startSession called for the first time");
        globals().update([](AnalyticsSettings& s) { s.startSessionCalled = true; });
    }
    const QString key = apiKey.toString();
    ANALYTICS_LOG(AtLeast2, "Analytics: Start session called with apiKey[%s]", qUtf8Printable(key));
    ANALYTICS_LOG(AtLeast1, "Analytics: Starting session on Agent Version [%s] ",
                  qUtf8Printable(getAnalyticsAgentVersion()));
    if (globals().settings().crashReportingEnabled) {
        ANALYTICS_LOG(AtLeast2, "Analytics: crash reporting enabled");
        ANALYTICS_LOG(AtLeast2, "Analytics: Failed to initialize crash reporter: %s",
                      "no crash reporter on this platform");
    }
    AnalyticsUtil::guarded([&] {
        QString trimmed = key;
        trimmed.remove(QLatin1Char(' '));
        ANALYTICS_LOG(AtLeast2, "Analytics: Trim white space and use apiKey[%s]",
                      qUtf8Printable(trimmed));
        globals().update([&](AnalyticsSettings& s) { s.apiKey = trimmed; });
        AnalyticsNetworkUtil::instance().initNetworkReachability();
        startHeartBeat();
        createAndSendSession();
        forgetKeychainIdentifier(AnalyticsImpl::instance());
        ANALYTICS_LOG(AtLeast2, "Analytics: Finish starting session with apiKey[%s]",
                      qUtf8Printable(trimmed));
    });
}

void Analytics::startSession(const QVariant& apiKey, const QMap<QString, QStringList>& options) {
    setLaunchOptions(options);
    startSession(apiKey);
}

void Analytics::setLaunchOptions(const QMap<QString, QStringList>& options) {
    globals().setLaunchOptions(options);
}

void Analytics::createAndSendSession() {
    if (!isEnabled())
        return;
    const AnalyticsSettings s = globals().settings();
    AnalyticsImpl& impl = AnalyticsImpl::instance();
    impl.setupForApiKey(s.apiKey);
    setSessionReportsOnCloseEnabled(s.sessionReportsOnCloseEnabled);
    setSessionReportsOnPauseEnabled(s.sessionReportsOnPauseEnabled);
    setEventLoggingEnabled(s.eventLoggingEnabled);
    setCrashReportingEnabled(s.crashReportingEnabled);
    setAge(s.age);
    if (s.userID)
        setUserID(*s.userID);
    if (s.gender)
        setGender(*s.gender);
    impl.sendSessionsToServerForCreateSession();
}

void Analytics::logEvent(const QVariant& eventName, bool timed) {
    logEvent(eventName, {}, timed);
}

namespace {
// Checks the event name and hands it to the current session, if there is one.
template <typename Forward> void forwardEvent(const QVariant& eventName, Forward forward) {
    AnalyticsUtil::guarded([&] {
        if (!isString(eventName)) {
            ANALYTICS_LOG(AtLeast2,
                          "Analytics: Event not logged -- eventName must be of NSString type.");
            return;
        }
        if (AnalyticsImpl* session = currentSession())
            forward(*session, eventName.toString());
    });
}
} // namespace

void Analytics::logEvent(const QVariant& eventName, const QVariantMap& parameters, bool timed) {
    forwardEvent(eventName, [&](AnalyticsImpl& session, const QString& name) {
        session.recordEvent(name, parameters, timed);
    });
}

void Analytics::endTimedEvent(const QVariant& eventName, const QVariantMap& parameters) {
    forwardEvent(eventName, [&](AnalyticsImpl& session, const QString& name) {
        session.endTimedEvent(name, parameters);
    });
}

namespace {
bool errorArgumentsValid(const QVariant& errorId, const QVariant& message) {
    if (!isString(errorId)) {
        ANALYTICS_LOG(AtLeast2, "Analytics: Error not logged -- errorId must be of NSString type.");
        return false;
    }
    if (!isString(message)) {
        ANALYTICS_LOG(AtLeast2, "Analytics: Error not logged -- message must be of NSString type.");
        return false;
    }
    return true;
}
} // namespace

// The live report stays empty: there is no crash reporter to ask for one.
void Analytics::logError(const QVariant& errorId, const QVariant& message,
                         const std::optional<AnalyticsException>& exception) {
    AnalyticsUtil::guarded([&] {
        if (!errorArgumentsValid(errorId, message))
            return;
        if (AnalyticsImpl* session = currentSession())
            session->recordError(errorId.toString(), message.toString(), exception, QByteArray(""));
    });
}

void Analytics::logError(const QVariant& errorId, const QVariant& message,
                         const AnalyticsErrorObject& error) {
    AnalyticsUtil::guarded([&] {
        if (!errorArgumentsValid(errorId, message))
            return;
        if (AnalyticsImpl* session = currentSession())
            session->recordError(errorId.toString(), message.toString(),
                                 std::optional<AnalyticsErrorObject>(error), QByteArray(""));
    });
}

void Analytics::logPageView() {
    AnalyticsUtil::guarded([] {
        if (AnalyticsImpl* session = currentSession())
            session->async([](AnalyticsSession& s) { s.maybeIncrementPageView(); });
    });
}
