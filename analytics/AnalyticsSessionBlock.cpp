#include "AnalyticsSessionBlock.h"

#include "AnalyticsDeviceFacts.h"
#include "AnalyticsLog.h"
#include "AnalyticsProtocolData.h"
#include "AnalyticsSession.h"
#include "Clock.h"

using P = AnalyticsProtocolData;

namespace {
void appendHeader(const AnalyticsSession& s, QByteArray& data) {
    P::appendUshort(AnalyticsSession::SERIALIZATION_VERSION, data);
    P::appendString(s.appVersion(), data);
    P::appendTimestamp(s.startTime(), data);
    P::appendLong(s.sessionLength(), data);
    P::appendLong(s.totalPauseIntervalMillis(), data);
    P::appendUshort(static_cast<int>(s.sessionParams().size()), data);
    for (auto it = s.sessionParams().cbegin(); it != s.sessionParams().cend(); ++it) {
        P::appendString(it.key(), data);
        P::appendString(it.value(), data);
    }
    P::appendString(s.locale(), data);
    P::appendString(s.timeZone(), data);
    P::appendByte(AnalyticsDeviceFacts::current().networkStatus(), data);
    P::appendString(s.userID(), data);
}

void appendUser(const AnalyticsSession& s, QByteArray& data) {
    P::appendBoolean(true, data);
    P::appendDouble(s.latitude(), data);
    P::appendDouble(s.longitude(), data);
    P::appendFloat(s.accuracy(), data);
    P::appendInt(s.pageViewCount(), data);
    P::appendByte(-1, data);
    P::appendByte(0, data);
    P::appendByte(s.gender(), data);
    P::appendBoolean(s.age().has_value(), data);
    if (s.age())
        P::appendTimestamp(*s.age(), data);
}

void appendEvents(const AnalyticsSession& s, QByteArray& data) {
    ANALYTICS_LOG(Exactly3, "AnalyticsSession: eventCounts[%lu]",
                  static_cast<unsigned long>(s.eventCounts().size()));
    P::appendUshort(static_cast<int>(s.eventCounts().size()), data);
    for (auto it = s.eventCounts().cbegin(); it != s.eventCounts().cend(); ++it) {
        ANALYTICS_LOG(Exactly3, "AnalyticsSession: event[%s] count[%d]", qUtf8Printable(it.key()),
                      it.value());
        P::appendString(it.key(), data);
        P::appendInt(it.value(), data);
    }
    ANALYTICS_LOG(Exactly3, "AnalyticsSession: eventLogs[%lu]",
                  static_cast<unsigned long>(s.eventLog().size()));
    P::appendUshort(static_cast<int>(s.eventLog().size()), data);
    for (const auto& event : s.eventLog())
        data.append(event->dataRelativeToSessionStart(s.startTime()));
    ANALYTICS_LOG(Exactly3, "AnalyticsSession: eventLogComplete[%d]", s.eventLogComplete());
    P::appendBoolean(s.eventLogComplete(), data);
}

void appendErrors(const AnalyticsSession& s, QByteArray& data) {
    const int crash = s.crashReportData() ? 1 : 0;
    ANALYTICS_LOG(Exactly3, "AnalyticsSession: totalErrors[%d] loggedErrors[%lu]",
                  s.totalErrorCount(), static_cast<unsigned long>(s.errors().size()));
    P::appendInt(s.totalErrorCount() + crash, data);
    P::appendUshort(static_cast<int>(s.errors().size()) + crash, data);
    quint16 highestId = 0;
    for (const auto& error : s.errors()) {
        error->appendToData(data);
        highestId = std::max(highestId, static_cast<quint16>(error->errorID()));
    }
    if (crash)
        AnalyticsError::appendCrashRecord(highestId + 1, Clock::now(), *s.crashReportData(), data);
}
} // namespace

QByteArray AnalyticsSessionBlock::build(const AnalyticsSession& session) {
    ANALYTICS_LOG(Exactly3, "AnalyticsSession: Creating HTTP data from session");
    QByteArray data;
    appendHeader(session, data);
    appendUser(session, data);
    appendEvents(session, data);
    appendErrors(session, data);
    ANALYTICS_LOG(Exactly3, "AnalyticsSession: loggedImpressions[%lu]", 0ul);
    P::appendUshort(0, data);
    ANALYTICS_LOG(Exactly3, "AnalyticsSession: loggedAppSpotImpressions[%lu]", 0ul);
    P::appendUshort(0, data);
    ANALYTICS_LOG(Exactly3, "AnalyticsSession: Creating HTTP data from session complete");
    return data;
}
