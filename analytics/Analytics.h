#pragma once

#include "AnalyticsFailure.h"

#include <QMap>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <optional>

// The client's public interface, called on the GUI thread. Names are taken as QVariant so that
// a value of the wrong type is reported and dropped rather than recorded.
class Analytics : public QObject {
    Q_OBJECT
public:
    // Carries the client's notifications.
    static Analytics& notifications();

    static void startSession(const QVariant& apiKey);
    static void startSession(const QVariant& apiKey, const QMap<QString, QStringList>& options);
    static void setLaunchOptions(const QMap<QString, QStringList>& options);
    static void createAndSendSession();

    static void logEvent(const QVariant& eventName, bool timed = false);
    static void logEvent(const QVariant& eventName, const QVariantMap& parameters,
                         bool timed = false);
    static void endTimedEvent(const QVariant& eventName, const QVariantMap& parameters = {});
    static void logError(const QVariant& errorId, const QVariant& message,
                         const std::optional<AnalyticsException>& exception);
    static void logError(const QVariant& errorId, const QVariant& message,
                         const AnalyticsErrorObject& error);
    static void logPageView();

    static void setAppVersion(const QString& version);
    static QString getAnalyticsAgentVersion();
    static void setLogLevel(int level);
    static void setDebugLogEnabled(bool enabled);
    static void setShowErrorInLogEnabled(bool enabled);
    static int sessionContinueSeconds();
    static void setSessionContinueSeconds(int seconds);
    static void setMaxSessionsSaved(int maximum);
    static void setUserID(const QString& userID);
    static void setGender(const QVariant& gender);
    static void setAge(int age);
    // The token's text without "<", ">" and spaces.
    static void setPushToken(const QString& token);
    static void setLatitude(double latitude, double longitude, float horizontalAccuracy,
                            float verticalAccuracy);
    static void setEventLoggingEnabled(bool enabled);
    static void setSessionReportsOnCloseEnabled(bool enabled);
    static void setSessionReportsOnPauseEnabled(bool enabled);
    static void setCrashReportingEnabled(bool enabled);
    static void setBackgroundSessionEnabled(bool enabled);
    static void setServerURL(const QString& url);
    static void setSecureTransportEnabled(bool enabled);

    // Lifecycle entries.
    static void endSession();
    static void pauseSession();
    // Pauses only while the application is in the background.
    static void pauseBackgroundSession();
    static void applicationWillResignActive();
    static void applicationWillEnterForeground();
    static void applicationDidBecomeActive();
    // Minimised or in the tray: retries wait until the application is back.
    static void setApplicationInBackground(bool background);
    // Without a window the background is the normal state: retries go on in it.
    static void setHeadless(bool headless);

    // The user's choice to share usage statistics (on unless switched off). Off stops the
    // client, cancels its uploads and deletes everything it stored; until it is switched on
    // again nothing is recorded, stored or sent. On the GUI thread.
    static void setEnabled(bool enabled);
    static bool isEnabled();

    // Waits until every request made so far has run on the work queue.
    static void waitUntilIdle();
    // Releases the client; a later startSession starts it afresh (tests).
    static void shutdown();

signals:
    void heartBeat();

private:
    Analytics() = default;
};
