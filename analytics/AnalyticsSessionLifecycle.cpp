// The state operations of AnalyticsSession: pause, resume, finish, archive, end and the
// hand-over of events to the record that replaces this one.
#include "AnalyticsSession.h"

#include "AnalyticsGlobalVariableStorage.h"
#include "AnalyticsInitialTimestamp.h"
#include "AnalyticsLog.h"
#include "AnalyticsProtocolData.h"
#include "AnalyticsReportBuilder.h"
#include "AnalyticsReportSender.h"
#include "AnalyticsSessionBlock.h"
#include "AnalyticsSessionParameters.h"
#include "AnalyticsSessionStore.h"
#include "Clock.h"

std::unique_ptr<AnalyticsSession> AnalyticsSession::sessionWithApiKey(const QString& apiKey,
                                                                      double startTime) {
    // A record still stored as current was neither ended nor sent: the last run died with it.
    if (const auto former = AnalyticsSessionStore::loadCurrentSession(apiKey)) {
        AnalyticsSessionStore::addToSavedSessions(*former);
        ANALYTICS_LOG(AtLeast2, "AnalyticsSession: Add crashed former session");
    }
    AnalyticsSessionStore::removeCurrentSessionFile(apiKey);
    auto session = std::make_unique<AnalyticsSession>(
        apiKey, AnalyticsGlobalVariableStorage::sharedInstance().appVersion(), startTime);
    ANALYTICS_LOG(AtLeast2, "AnalyticsSession: Created active session with API[%s]",
                  qUtf8Printable(apiKey));
    return session;
}

void AnalyticsSession::pauseSession() {
    pauseTime_ = Clock::now();
    ANALYTICS_LOG(AtLeast2, "AnalyticsSession: Pause session with pauseTime[%s]",
                  qUtf8Printable(AnalyticsLog::describeDate(pauseTime_)));
    finishSession();
    if (sessionReportsOnPauseEnabled_) {
        sendSessionsToServerIncludingCurrentSession(true);
        AnalyticsSessionStore::removeCurrentSessionFile(apiKey_);
    } else {
        saveToDisk();
    }
}

void AnalyticsSession::finishSession() {
    endTime_ = Clock::now();
    ANALYTICS_LOG(AtLeast2, "AnalyticsSession: Finish session with endTime[%s]",
                  qUtf8Printable(AnalyticsLog::describeDate(endTime_)));
    endTimedEvents();
    getSessionParametersAtPhase(AnalyticsSessionParameters::End);
}

void AnalyticsSession::markSessionAsResuming() {
    resumeTime_ = isPaused() ? std::optional(Clock::now()) : std::nullopt;
}

void AnalyticsSession::resumeSession() {
    if (!isPaused())
        return;
    const double now = Clock::now();
    totalPauseIntervalMillis_ += AnalyticsProtocolData::timeIntervalFrom(pauseTime_, now);
    pauseTime_.reset();
    resumeTime_.reset();
    mergePendingEventLog();
    saveToDisk();
    ANALYTICS_LOG(AtLeast2, "AnalyticsSession: Resume session with resumeTime[%s]",
                  qUtf8Printable(AnalyticsLog::describeDate(now)));
}

void AnalyticsSession::mergePendingEventLog() {
    for (const auto& event : std::as_const(pendingEventLog_))
        putEventIntoLog(event);
    pendingEventLog_.clear();
}

void AnalyticsSession::mergeValidPendingEventLog() {
    if (!resumeTime_)
        return;
    EventList later;
    for (const auto& event : std::as_const(pendingEventLog_)) {
        if (event->started() < *resumeTime_)
            putEventIntoLog(event);
        else
            later.append(event);
    }
    pendingEventLog_ = later;
}

void AnalyticsSession::archiveSession() {
    ANALYTICS_LOG(Exactly3, "AnalyticsSession: archive session");
    mergeValidPendingEventLog();
    if (sessionReportsOnPauseEnabled_ && eventLog_.isEmpty())
        AnalyticsSessionStore::setSavedSessions(apiKey_, {});
    else
        AnalyticsSessionStore::addToSavedSessions(*this);
    resumeTime_.reset();
    AnalyticsSessionStore::removeCurrentSessionFile(apiKey_);
}

void AnalyticsSession::endSession() {
    finishSession();
    if (sessionReportsOnCloseEnabled_)
        sendSessionsToServerIncludingCurrentSession(true);
    AnalyticsSessionStore::addToSavedSessions(*this);
    AnalyticsSessionStore::removeCurrentSessionFile(apiKey_);
}

std::unique_ptr<AnalyticsSession>
AnalyticsSession::sessionWithNewEventsWithApiKey(const QString& apiKey, double startTime) {
    auto next = sessionWithApiKey(apiKey, startTime);
    for (const auto& event : std::as_const(pendingEventLog_)) {
        event->updateID();
        next->putEventIntoLog(event);
        // The new session reaches back to the first event it was handed.
        if (next->startTime_ > event->started())
            next->startTime_ = event->started();
    }
    pendingEventLog_.clear();
    return next;
}

void AnalyticsSession::saveToDisk() const {
    AnalyticsSessionStore::saveToDisk(*this);
}

double AnalyticsSession::initialTimestamp() const {
    return AnalyticsInitialTimestamp::read(apiKey_, startTime_);
}

bool AnalyticsSession::sentReportSuccessful() const {
    return AnalyticsReportSender::everSentReportSuccessfully();
}

std::optional<QByteArray> AnalyticsSession::data() const {
    if (!corruption_.isEmpty()) {
        ANALYTICS_LOG(Exactly3, "AnalyticsSession: %s corrupted, session discarded",
                      qUtf8Printable(corruption_));
        return std::nullopt;
    }
    return AnalyticsSessionBlock::build(*this);
}

void AnalyticsSession::sendSessionsToServerIncludingCurrentSession(bool includingCurrentSession) {
    ANALYTICS_LOG(AtLeast2, "AnalyticsSession: Sending sessions to server, include current %s",
                  includingCurrentSession ? "YES" : "NO");
    QList<AnalyticsReportBuilder::Item> items;
    for (const QByteArray& block : AnalyticsSessionStore::savedSessions(apiKey_))
        items.append(block);
    if (includingCurrentSession)
        items.append(this);
    AnalyticsReportSender::sendSessionsData(AnalyticsReportBuilder::dataForSessions(*this, items));
    ANALYTICS_LOG(AtLeast2, "AnalyticsSession: Scheduled send %lu session(s).",
                  static_cast<unsigned long>(items.size()));
    AnalyticsSessionStore::setSavedSessions(apiKey_, {});
}
