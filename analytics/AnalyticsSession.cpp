#include "AnalyticsSession.h"

#include "AnalyticsGlobalVariableStorage.h"
#include "AnalyticsLimits.h"
#include "AnalyticsLog.h"
#include "AnalyticsProtocolData.h"
#include "AnalyticsSessionParameters.h"
#include "Clock.h"

#include <QDateTime>
#include <QLocale>
#include <QTimeZone>

#include <algorithm>
#include <cmath>

namespace {
// Reduces a value to three decimals by truncation through a 32-bit integer, as the report
// expects; values beyond its range are held at its ends instead of overflowing.
double threeDecimals(double value) {
    const double scaled = std::clamp(value * 1000.0, -2147483648.0, 2147483647.0);
    return static_cast<qint32>(scaled) / 1000.0;
}

QString joined(const QString& first, const QString& second) {
    return QString::asprintf("%s: %s",
                             qUtf8Printable(first.isNull() ? QStringLiteral("(null)") : first),
                             qUtf8Printable(second.isNull() ? QStringLiteral("(null)") : second));
}
} // namespace

AnalyticsSession::AnalyticsSession(const QString& apiKey, const QString& appVersion,
                                   double startDate)
    : apiKey_(apiKey), appVersion_(appVersion), startTime_(startDate) {
    resetSessionData();
    ANALYTICS_LOG(AtLeast2, "AnalyticsSession: Initialized session from scratch with startTime[%s]",
                  qUtf8Printable(AnalyticsLog::describeDate(startTime_)));
}

void AnalyticsSession::resetSessionData() {
    endTime_.reset();
    totalPauseIntervalMillis_ = 0;
    sessionParams_.clear();
    eventCounts_.clear();
    eventLog_.clear();
    pendingEventLog_.clear();
    errors_.clear();
    purchaseItems_.clear();
    eventLogComplete_ = true;
    latitude_ = longitude_ = 0;
    accuracy_ = 0;
    crashed_ = false;
    gender_ = -1;
    age_.reset();
    pushToken_.clear();
    pageViewCount_ = 0;
    locale_ = QLocale::system().name();
    timeZone_ = QString::fromUtf8(QTimeZone::systemTimeZoneId());
    getSessionParametersAtPhase(AnalyticsSessionParameters::Start);
    saveToDisk();
}

void AnalyticsSession::getSessionParametersAtPhase(int phase) {
    AnalyticsSessionParameters::collect(phase, sessionParams_);
}

bool AnalyticsSession::refuseEvent(const QString& name, const QVariantMap& parameters) {
    if (name.isEmpty()) {
        eventLogComplete_ = false;
        ANALYTICS_LOG(AtLeast1,
                      "AnalyticsSession: Not logging Event eventName[%s] due to invalid eventName",
                      qUtf8Printable(name));
        return true;
    }
    if (parameters.size() > MAX_EVENT_PARAMETERS) {
        eventLogComplete_ = false;
        ANALYTICS_LOG(AtLeast1,
                      "AnalyticsSession: Not logging Event eventName[%s] because event has more "
                      "than %d parameters (max allowed parameters).",
                      qUtf8Printable(name), MAX_EVENT_PARAMETERS);
        return true;
    }
    return false;
}

void AnalyticsSession::recordEvent(const QString& name, const QVariantMap& parameters, bool timed) {
    ANALYTICS_LOG(AtLeast2,
                  "AnalyticsSession: Attempting to record Event eventName[%s] with parameters[%s]",
                  qUtf8Printable(name), qUtf8Printable(AnalyticsLog::describe(parameters)));
    if (refuseEvent(name, parameters))
        return;
    auto event = std::make_shared<AnalyticsEvent>(name, timed, parameters);
    if (!isPaused()) {
        putEventIntoLog(event);
        return;
    }
    pendingEventLog_.append(event);
    ANALYTICS_LOG(AtLeast2, "AnalyticsSession: Event log for eventName[%s] put to pending",
                  qUtf8Printable(name));
}

void AnalyticsSession::putEventIntoLog(const std::shared_ptr<AnalyticsEvent>& event) {
    const QString& name = event->name();
    if (eventCounts_.contains(name) || eventCounts_.size() < MAX_EVENT_COUNTS) {
        const int count = ++eventCounts_[name];
        ANALYTICS_LOG(AtLeast2,
                      "AnalyticsSession: Event count for eventName[%s] updated to count[%d]",
                      qUtf8Printable(name), count);
        if (eventLog_.size() < MAX_EVENT_LOG_COUNT && eventLoggingEnabled_) {
            eventLog_.append(event);
            ANALYTICS_LOG(
                AtLeast2,
                "AnalyticsSession: Recording event eventName[%s] with parameters[%s] complete",
                qUtf8Printable(name), qUtf8Printable(AnalyticsLog::describe(event->parameters())));
            return;
        }
    }
    eventLogComplete_ = false;
}

void AnalyticsSession::endTimedEvent(const QString& name, const QVariantMap& parameters) {
    const double now = Clock::now();
    for (const EventList* list : {&eventLog_, &pendingEventLog_}) {
        for (const auto& event : *list) {
            if (!event->isUnterminated() || event->name() != name)
                continue;
            event->setEnded(now);
            event->updateParameters(parameters);
            ANALYTICS_LOG(AtLeast2, "AnalyticsSession: event named[%s] ended at %s",
                          qUtf8Printable(name), qUtf8Printable(AnalyticsLog::describeDate(now)));
            return;
        }
    }
}

void AnalyticsSession::endTimedEvents() {
    ANALYTICS_LOG(AtLeast2,
                  "AnalyticsSession: ending all unterminated timed events with _endTime[%s]...",
                  qUtf8Printable(AnalyticsLog::describeDate(endTime_)));
    for (const EventList* list : {&eventLog_, &pendingEventLog_}) {
        for (const auto& event : *list) {
            if (!event->isUnterminated() && !event->automaticallyEnded())
                continue;
            event->setEnded(endTime_);
            event->setAutomaticallyEnded(true);
            ANALYTICS_LOG(AtLeast2, "AnalyticsSession: forcefully terminated event named[%s]",
                          qUtf8Printable(event->name()));
        }
    }
    ANALYTICS_LOG(AtLeast2, "AnalyticsSession: ...finished ending un-ended timed events.");
}

void AnalyticsSession::recordError(const QString& errorId, const QString& message,
                                   const std::optional<AnalyticsException>& exception,
                                   const QByteArray& liveReport) {
    const QString text =
        exception ? joined(exception->name, exception->reason) : QStringLiteral("nil");
    recordDescribedError("exception", errorId, message, text, AnalyticsError::Exception,
                         liveReport);
}

void AnalyticsSession::recordError(const QString& errorId, const QString& message,
                                   const std::optional<AnalyticsErrorObject>& error,
                                   const QByteArray& liveReport) {
    const QString text = error ? joined(error->localizedDescription, error->localizedFailureReason)
                               : QStringLiteral("nil");
    recordDescribedError("error", errorId, message, text, AnalyticsError::ErrorObject, liveReport);
}

void AnalyticsSession::recordDescribedError(const char* kind, const QString& errorId,
                                            const QString& message, const QString& text,
                                            int errorType, const QByteArray& liveReport) {
    ANALYTICS_LOG(AtLeast2, "AnalyticsSession: Recording error id[%s] with message[%s] and %s[%s]",
                  qUtf8Printable(errorId), qUtf8Printable(message), kind, qUtf8Printable(text));
    recordError(errorId, message, text, errorType, liveReport);
    ANALYTICS_LOG(AtLeast2,
                  "AnalyticsSession: Recording error id[%s] with message[%s] and %s[%s] complete",
                  qUtf8Printable(errorId), qUtf8Printable(message), kind, qUtf8Printable(text));
}

void AnalyticsSession::recordError(const QString& errorId, const QString& message,
                                   const QString& exceptionString, int errorType,
                                   const QByteArray& liveReport) {
    ++totalErrorCount_;
    if (errors_.size() < MAX_ERRORS) {
        const QByteArray report = crashReportingEnabled_ ? liveReport : QByteArray();
        const auto error =
            AnalyticsError::errorWithString(errorId, message, exceptionString, errorType, report);
        errors_.append(error);
        ANALYTICS_LOG(AtLeast2, "AnalyticsSession: Error id[%d] updated",
                      static_cast<int>(error->errorID()));
    } else {
        ANALYTICS_LOG(AtLeast2, "AnalyticsSession: Error id[%s] not recorded",
                      qUtf8Printable(errorId));
    }
    saveToDisk();
}

void AnalyticsSession::recordPurchaseItem(const QVariant& item) {
    purchaseItems_.append(item);
    saveToDisk();
}

void AnalyticsSession::maybeIncrementPageView() {
    const double now = Clock::now();
    auto& settings = AnalyticsGlobalVariableStorage::sharedInstance();
    const auto last = settings.lastPageViewDate();
    if (last && now - *last <= 0.3)
        return;
    ++pageViewCount_;
    settings.setLastPageViewDate(now);
}

void AnalyticsSession::setUserID(const QString& userID) {
    userID_ = userID;
    ANALYTICS_LOG(AtLeast2, "AnalyticsSession: Set userID[%s]", qUtf8Printable(userID));
}

void AnalyticsSession::setGenderAsString(const QString& gender) {
    gender_ = gender == QLatin1String("m") ? 1 : gender == QLatin1String("f") ? 0 : -1;
    ANALYTICS_LOG(AtLeast2, "AnalyticsSession: given gender [%s], _gender = [%d]",
                  qUtf8Printable(gender), gender_);
}

void AnalyticsSession::setAgeInYears(int years) {
    if (years < 1 || years > 150)
        return;
    // The birth date is 1 January, 00:00 local time, of the current year minus the age.
    const auto now = static_cast<qint64>(std::floor(Clock::now() * 1000.0));
    const int year = QDateTime::fromMSecsSinceEpoch(now).date().year() - years;
    age_ = static_cast<double>(QDateTime(QDate(year, 1, 1), QTime(0, 0)).toSecsSinceEpoch());
    ANALYTICS_LOG(AtLeast2, "AnalyticsSession: set age to [%s]",
                  qUtf8Printable(AnalyticsLog::describeDate(age_)));
}

void AnalyticsSession::setPushToken(const QString& token) {
    pushToken_ = token;
}

void AnalyticsSession::setEventLoggingEnabled(bool enabled) {
    eventLoggingEnabled_ = enabled;
    ANALYTICS_LOG(AtLeast2, "AnalyticsSession: Event logging enabled[%d]", enabled);
}

void AnalyticsSession::setSessionReportsOnCloseEnabled(bool enabled) {
    sessionReportsOnCloseEnabled_ = enabled;
    ANALYTICS_LOG(AtLeast2, "AnalyticsSession: Session reports on close enabled[%d]", enabled);
}

void AnalyticsSession::setSessionReportsOnPauseEnabled(bool enabled) {
    sessionReportsOnPauseEnabled_ = enabled;
    ANALYTICS_LOG(AtLeast2, "AnalyticsSession: Session reports on pause enabled[%d]", enabled);
}

void AnalyticsSession::setCrashReportingEnabled(bool enabled) {
    crashReportingEnabled_ = enabled;
    ANALYTICS_LOG(AtLeast2, "AnalyticsSession: Crash reporting enabled[%d]", enabled);
}

void AnalyticsSession::setLatitude(double latitude, double longitude, float horizontalAccuracy,
                                   float verticalAccuracy) {
    latitude_ = threeDecimals(latitude);
    longitude_ = threeDecimals(longitude);
    accuracy_ = static_cast<float>(
        threeDecimals((std::fabs(horizontalAccuracy) + std::fabs(verticalAccuracy)) * 0.5));
    ANALYTICS_LOG(AtLeast2, "AnalyticsSession: New location set with lat[%f] long[%f] accuracy[%f]",
                  latitude_, longitude_, static_cast<double>(accuracy_));
    saveToDisk();
}

qint64 AnalyticsSession::sessionLength() const {
    if (!endTime_)
        return -1;
    return AnalyticsProtocolData::timeIntervalFrom(startTime_, endTime_);
}

qint64 AnalyticsSession::timeIntervalSinceSessionStart(double date) const {
    return AnalyticsProtocolData::timeIntervalFrom(startTime_, date);
}
