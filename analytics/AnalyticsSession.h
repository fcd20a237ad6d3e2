#pragma once

#include "AnalyticsError.h"
#include "AnalyticsEvent.h"
#include "AnalyticsFailure.h"

#include <QByteArray>
#include <QList>
#include <QMap>
#include <QString>
#include <QVariant>

#include <memory>
#include <optional>

// One usage session: its times, the events and errors the application reported, user
// properties and device measurements. Every operation runs on the analytics work queue.
class AnalyticsSession {
public:
    using EventList = QList<std::shared_ptr<AnalyticsEvent>>;
    using ErrorList = QList<std::shared_ptr<AnalyticsError>>;
    static constexpr int SERIALIZATION_VERSION = 2;

    // Creates the record and stores it as the current session.
    AnalyticsSession(const QString& apiKey, const QString& appVersion, double startDate);

    // The start of a new session: a record left stored as current by an earlier run is added
    // to the saved sessions, then a new record is made.
    static std::unique_ptr<AnalyticsSession> sessionWithApiKey(const QString& apiKey,
                                                               double startTime);

    void resetSessionData();

    void recordEvent(const QString& name, const QVariantMap& parameters = {}, bool timed = false);
    void endTimedEvent(const QString& name, const QVariantMap& parameters = {});
    void endTimedEvents();
    void putEventIntoLog(const std::shared_ptr<AnalyticsEvent>& event);

    void recordError(const QString& errorId, const QString& message,
                     const std::optional<AnalyticsException>& exception,
                     const QByteArray& liveReport);
    void recordError(const QString& errorId, const QString& message,
                     const std::optional<AnalyticsErrorObject>& error,
                     const QByteArray& liveReport);
    void recordError(const QString& errorId, const QString& message, const QString& exceptionString,
                     int errorType, const QByteArray& liveReport);
    void recordPurchaseItem(const QVariant& item);
    void maybeIncrementPageView();

    void setUserID(const QString& userID);
    void setGenderAsString(const QString& gender);
    void setAgeInYears(int years);
    void setPushToken(const QString& token);
    void setEventLoggingEnabled(bool enabled);
    void setSessionReportsOnCloseEnabled(bool enabled);
    void setSessionReportsOnPauseEnabled(bool enabled);
    void setCrashReportingEnabled(bool enabled);
    void setLatitude(double latitude, double longitude, float horizontalAccuracy,
                     float verticalAccuracy);
    void setCrashed(bool crashed) { crashed_ = crashed; }
    void setCrashReportData(const std::optional<QByteArray>& data) { crashReportData_ = data; }

    // State operations.
    void pauseSession();
    void markSessionAsResuming();
    void resumeSession();
    void finishSession();
    void archiveSession();
    void endSession();
    void mergePendingEventLog();
    void mergeValidPendingEventLog();
    // Starts the record that replaces this one and hands it the events logged while paused.
    std::unique_ptr<AnalyticsSession> sessionWithNewEventsWithApiKey(const QString& apiKey,
                                                                     double startTime);

    // Storage and reports.
    void saveToDisk() const;
    double initialTimestamp() const;
    void sendSessionsToServerIncludingCurrentSession(bool includingCurrentSession);
    void sendSessionsToServerForCreateSession() {
        sendSessionsToServerIncludingCurrentSession(false);
    }
    bool sentReportSuccessful() const;
    // The session block; nothing when the record was read back damaged.
    std::optional<QByteArray> data() const;
    void getSessionParametersAtPhase(int phase);

    // Queries.
    bool isPaused() const { return pauseTime_.has_value(); }
    // Milliseconds from start to end, -1 while the session has no end.
    qint64 sessionLength() const;
    qint64 timeIntervalSinceSessionStart(double date) const;
    QString userID() const { return userID_.isNull() ? QString(QLatin1String("")) : userID_; }

    const QString& apiKey() const { return apiKey_; }
    const QString& appVersion() const { return appVersion_; }
    double startTime() const { return startTime_; }
    std::optional<double> endTime() const { return endTime_; }
    std::optional<double> pauseTime() const { return pauseTime_; }
    std::optional<double> resumeTime() const { return resumeTime_; }
    qint64 totalPauseIntervalMillis() const { return totalPauseIntervalMillis_; }
    const QMap<QString, QString>& sessionParams() const { return sessionParams_; }
    const QMap<QString, int>& eventCounts() const { return eventCounts_; }
    const EventList& eventLog() const { return eventLog_; }
    const EventList& pendingEventLog() const { return pendingEventLog_; }
    bool eventLogComplete() const { return eventLogComplete_; }
    const ErrorList& errors() const { return errors_; }
    int totalErrorCount() const { return totalErrorCount_; }
    const QVariantList& purchaseItems() const { return purchaseItems_; }
    double latitude() const { return latitude_; }
    double longitude() const { return longitude_; }
    float accuracy() const { return accuracy_; }
    bool crashed() const { return crashed_; }
    const std::optional<QByteArray>& crashReportData() const { return crashReportData_; }
    int pageViewCount() const { return pageViewCount_; }
    const QString& locale() const { return locale_; }
    const QString& timeZone() const { return timeZone_; }
    int gender() const { return gender_; }
    std::optional<double> age() const { return age_; }
    const QString& pushToken() const { return pushToken_; }
    int serializationVersion() const { return serializationVersion_; }
    bool eventLoggingEnabled() const { return eventLoggingEnabled_; }
    bool sessionReportsOnCloseEnabled() const { return sessionReportsOnCloseEnabled_; }
    bool sessionReportsOnPauseEnabled() const { return sessionReportsOnPauseEnabled_; }
    bool crashReportingEnabled() const { return crashReportingEnabled_; }

private:
    friend class AnalyticsSessionCoder;
    struct Restored {};
    explicit AnalyticsSession(Restored) {}

    bool refuseEvent(const QString& name, const QVariantMap& parameters);
    void recordDescribedError(const char* kind, const QString& errorId, const QString& message,
                              const QString& text, int errorType, const QByteArray& liveReport);

    QString apiKey_;
    QString appVersion_;
    double startTime_ = 0;
    std::optional<double> endTime_;
    std::optional<double> pauseTime_;
    std::optional<double> resumeTime_;
    qint64 totalPauseIntervalMillis_ = 0;
    QMap<QString, QString> sessionParams_;
    QMap<QString, int> eventCounts_;
    EventList eventLog_;
    EventList pendingEventLog_;
    bool eventLogComplete_ = true;
    ErrorList errors_;
    int totalErrorCount_ = 0;
    QVariantList purchaseItems_;
    double latitude_ = 0;
    double longitude_ = 0;
    float accuracy_ = 0;
    bool crashed_ = false;
    std::optional<QByteArray> crashReportData_;
    QString userID_;
    int pageViewCount_ = 0;
    QString locale_;
    QString timeZone_;
    int gender_ = -1;
    std::optional<double> age_;
    QString pushToken_;
    mutable int serializationVersion_ = 0;
    bool eventLoggingEnabled_ = true;
    bool sessionReportsOnCloseEnabled_ = true;
    bool sessionReportsOnPauseEnabled_ = false;
    bool crashReportingEnabled_ = false;
    // Set when a record read back holds entries of the wrong kind; such a record is not sent.
    QString corruption_;
};
