#include "AnalyticsSessionCoder.h"

#include "AnalyticsLog.h"
#include "AnalyticsSession.h"
#include "AnalyticsStoredValue.h"

namespace {
QVariantList eventsToStored(const AnalyticsSession::EventList& events) {
    QVariantList list;
    for (const auto& event : events)
        list.append(event->toStored());
    return list;
}

// Entries that are not events are remembered as damage rather than dropped silently.
AnalyticsSession::EventList eventsFromStored(const QVariantList& list, bool& damaged) {
    AnalyticsSession::EventList events;
    for (const QVariant& item : list) {
        if (auto event = AnalyticsEvent::fromStored(item))
            events.append(event);
        else
            damaged = true;
    }
    return events;
}

template <typename Map> QVariantMap toVariantMap(const Map& map) {
    QVariantMap result;
    for (auto it = map.cbegin(); it != map.cend(); ++it)
        result.insert(it.key(), it.value());
    return result;
}
} // namespace

QVariantMap AnalyticsSessionCoder::encode(const AnalyticsSession& s) {
    QVariantMap out = AnalyticsStoredValue::tagged("AnalyticsSession");
    s.serializationVersion_ = AnalyticsSession::SERIALIZATION_VERSION;
    out.insert(QStringLiteral("serializationVersion"), AnalyticsSession::SERIALIZATION_VERSION);
    AnalyticsStoredValue::putDate(out, QStringLiteral("startTime"), s.startTime());
    AnalyticsStoredValue::putDate(out, QStringLiteral("endTime"), s.endTime());
    AnalyticsStoredValue::putDate(out, QStringLiteral("pauseTime"), s.pauseTime());
    out.insert(QStringLiteral("pauseIntervalMillis"), s.totalPauseIntervalMillis());
    out.insert(QStringLiteral("sessionParams"), toVariantMap(s.sessionParams()));
    out.insert(QStringLiteral("eventCounts"), toVariantMap(s.eventCounts()));
    out.insert(QStringLiteral("pendingEventLog"), eventsToStored(s.pendingEventLog()));
    out.insert(QStringLiteral("eventLog"), eventsToStored(s.eventLog()));
    out.insert(QStringLiteral("eventLogComplete"), s.eventLogComplete());
    QVariantList errors;
    for (const auto& error : s.errors())
        errors.append(error->toStored());
    out.insert(QStringLiteral("errors"), errors);
    out.insert(QStringLiteral("totalErrorCount"), s.totalErrorCount());
    out.insert(QStringLiteral("purchaseItems"), s.purchaseItems());
    out.insert(QStringLiteral("latitude"), s.latitude());
    out.insert(QStringLiteral("longitude"), s.longitude());
    out.insert(QStringLiteral("accuracy"), static_cast<double>(s.accuracy()));
    out.insert(QStringLiteral("crashed"), s.crashed());
    if (s.crashReportData())
        out.insert(QStringLiteral("crashReportData"), *s.crashReportData());
    out.insert(QStringLiteral("apiKey"), s.apiKey());
    out.insert(QStringLiteral("appVersion"), s.appVersion());
    out.insert(QStringLiteral("userID"), s.userID());
    out.insert(QStringLiteral("pageViewCount"), s.pageViewCount());
    out.insert(QStringLiteral("locale"), s.locale());
    out.insert(QStringLiteral("timeZone"), s.timeZone());
    AnalyticsStoredValue::putDate(out, QStringLiteral("age"), s.age());
    out.insert(QStringLiteral("gender"), s.gender());
    out.insert(QStringLiteral("pushToken"), s.pushToken());
    return out;
}

bool AnalyticsSessionCoder::isOtherVersion(const QVariant& stored) {
    const QVariantMap map = stored.toMap();
    AnalyticsStoredValue in(map);
    const qint64 version = in.integer(QStringLiteral("serializationVersion")).value_or(0);
    return in.isClass("AnalyticsSession") && version > 0 &&
           version != AnalyticsSession::SERIALIZATION_VERSION;
}

std::unique_ptr<AnalyticsSession> AnalyticsSessionCoder::decode(const QVariant& stored) {
    const QVariantMap map = stored.toMap();
    AnalyticsStoredValue in(map);
    if (stored.typeId() != QMetaType::QVariantMap || !in.isClass("AnalyticsSession"))
        return nullptr;
    const qint64 version = in.integer(QStringLiteral("serializationVersion")).value_or(0);
    if (isOtherVersion(stored)) {
        ANALYTICS_LOG(AtLeast2,
                      "AnalyticsSession: stored session of serialization version %lld rejected",
                      version);
        return nullptr;
    }
    auto s = std::unique_ptr<AnalyticsSession>(new AnalyticsSession(AnalyticsSession::Restored{}));
    s->serializationVersion_ = static_cast<int>(version);
    s->startTime_ = in.real(QStringLiteral("startTime")).value_or(0.0);
    s->endTime_ = in.real(QStringLiteral("endTime"));
    s->pauseTime_ = in.real(QStringLiteral("pauseTime"));
    s->totalPauseIntervalMillis_ = in.integer(QStringLiteral("pauseIntervalMillis")).value_or(0);
    const QVariantMap params = in.map(QStringLiteral("sessionParams")).value_or(QVariantMap());
    for (auto it = params.cbegin(); it != params.cend(); ++it)
        s->sessionParams_.insert(it.key(), it.value().toString());
    const QVariantMap counts = in.map(QStringLiteral("eventCounts")).value_or(QVariantMap());
    for (auto it = counts.cbegin(); it != counts.cend(); ++it) {
        if (it.value().typeId() != QMetaType::LongLong)
            s->corruption_ = QStringLiteral("eventName");
        s->eventCounts_.insert(it.key(), static_cast<int>(it.value().toLongLong()));
    }
    bool eventDamage = false;
    s->pendingEventLog_ = eventsFromStored(
        in.list(QStringLiteral("pendingEventLog")).value_or(QVariantList()), eventDamage);
    s->eventLog_ =
        eventsFromStored(in.list(QStringLiteral("eventLog")).value_or(QVariantList()), eventDamage);
    if (eventDamage)
        s->corruption_ = QStringLiteral("event");
    s->eventLogComplete_ = in.boolean(QStringLiteral("eventLogComplete")).value_or(true);
    for (const QVariant& item : in.list(QStringLiteral("errors")).value_or(QVariantList())) {
        if (auto error = AnalyticsError::fromStored(item))
            s->errors_.append(error);
        else
            s->corruption_ = QStringLiteral("error");
    }
    s->totalErrorCount_ =
        static_cast<int>(in.integer(QStringLiteral("totalErrorCount")).value_or(0));
    s->purchaseItems_ = in.list(QStringLiteral("purchaseItems")).value_or(QVariantList());
    s->latitude_ = in.real(QStringLiteral("latitude")).value_or(0.0);
    s->longitude_ = in.real(QStringLiteral("longitude")).value_or(0.0);
    s->accuracy_ = static_cast<float>(in.real(QStringLiteral("accuracy")).value_or(0.0));
    s->crashed_ = in.boolean(QStringLiteral("crashed")).value_or(false);
    s->crashReportData_ = in.bytes(QStringLiteral("crashReportData"));
    s->apiKey_ = in.string(QStringLiteral("apiKey")).value_or(QString());
    s->appVersion_ = in.string(QStringLiteral("appVersion")).value_or(QString());
    s->userID_ = in.string(QStringLiteral("userID")).value_or(QString());
    s->pageViewCount_ = static_cast<int>(in.integer(QStringLiteral("pageViewCount")).value_or(0));
    s->locale_ = in.string(QStringLiteral("locale")).value_or(QString());
    s->timeZone_ = in.string(QStringLiteral("timeZone")).value_or(QString());
    s->age_ = in.real(QStringLiteral("age"));
    s->gender_ = static_cast<int>(in.integer(QStringLiteral("gender")).value_or(-1));
    s->pushToken_ = in.string(QStringLiteral("pushToken")).value_or(QString());
    // A record read back carries none of the per-process switches.
    s->eventLoggingEnabled_ = s->sessionReportsOnCloseEnabled_ = false;
    s->sessionReportsOnPauseEnabled_ = s->crashReportingEnabled_ = false;
    return in.valid() ? std::move(s) : nullptr;
}
