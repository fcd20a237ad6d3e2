#include "AnalyticsEvent.h"

#include "AnalyticsAutoIncrement.h"
#include "AnalyticsLimits.h"
#include "AnalyticsLog.h"
#include "AnalyticsProtocolData.h"
#include "AnalyticsStoredValue.h"
#include "Clock.h"

namespace {
// Offsets and durations travel as 64-bit fields but are formed as signed 32-bit values.
qint64 asSigned32(qint64 millis) {
    return static_cast<qint32>(static_cast<quint32>(millis));
}
} // namespace

AnalyticsEvent::AnalyticsEvent(const QString& name, bool timed, const QVariantMap& parameters)
    : name_(name), started_(Clock::now()), timed_(timed), parameters_(parameters),
      eventLogId_(AnalyticsAutoIncrement::instance().nextCountFor(AnalyticsAutoIncrement::Events)) {
    ANALYTICS_LOG(Exactly3, "AnalyticsEvent: initWithName eventLogId[%lld]", eventLogId_);
}

QVariantMap AnalyticsEvent::parameters() const {
    std::lock_guard lock(mutex_);
    return parameters_;
}

void AnalyticsEvent::updateID() {
    eventLogId_ = AnalyticsAutoIncrement::instance().nextCountFor(AnalyticsAutoIncrement::Events);
}

void AnalyticsEvent::updateParameters(const QVariantMap& parameters) {
    if (parameters.isEmpty())
        return;
    std::lock_guard lock(mutex_);
    QVariantMap merged = parameters_;
    for (auto it = parameters.cbegin(); it != parameters.cend(); ++it)
        merged.insert(it.key(), it.value());
    if (merged.size() <= MAX_EVENT_PARAMETERS)
        parameters_ = merged;
}

qint64 AnalyticsEvent::startOffsetFromSessionStart(double sessionStart) const {
    return asSigned32(AnalyticsProtocolData::timeIntervalFrom(sessionStart, started_));
}

qint64 AnalyticsEvent::duration() const {
    if (!timed_ || !ended_)
        return 0;
    return asSigned32(AnalyticsProtocolData::timeIntervalFrom(started_, ended_));
}

QByteArray AnalyticsEvent::dataRelativeToSessionStart(double sessionStart) const {
    const QVariantMap params = parameters();
    ANALYTICS_LOG(Exactly3, "AnalyticsEvent: eventLogId[%lld] event[%s] parameters[%lu]",
                  eventLogId_, qUtf8Printable(name_), static_cast<unsigned long>(params.size()));
    QByteArray data;
    AnalyticsProtocolData::appendUshort(static_cast<int>(eventLogId_), data);
    AnalyticsProtocolData::appendString(name_, data);
    AnalyticsProtocolData::appendUshort(static_cast<int>(params.size()), data);
    for (auto it = params.cbegin(); it != params.cend(); ++it) {
        const QString value = AnalyticsLog::describe(it.value());
        ANALYTICS_LOG(Exactly3, "AnalyticsEvent: parameter[%s] value[%s]", qUtf8Printable(it.key()),
                      qUtf8Printable(value));
        AnalyticsProtocolData::appendString(it.key(), data);
        AnalyticsProtocolData::appendString(value, data);
    }
    AnalyticsProtocolData::appendLong(startOffsetFromSessionStart(sessionStart), data);
    AnalyticsProtocolData::appendLong(duration(), data);
    return data;
}

QVariantMap AnalyticsEvent::toStored() const {
    QVariantMap stored = AnalyticsStoredValue::tagged("AnalyticsEvent");
    stored.insert(QStringLiteral("name"), name_);
    AnalyticsStoredValue::putDate(stored, QStringLiteral("started"), started_);
    AnalyticsStoredValue::putDate(stored, QStringLiteral("ended"), ended_);
    stored.insert(QStringLiteral("timed"), timed_);
    stored.insert(QStringLiteral("parameters"), parameters());
    stored.insert(QStringLiteral("automaticallyEnded"), automaticallyEnded_);
    stored.insert(QStringLiteral("eventLogId"), eventLogId_);
    return stored;
}

std::shared_ptr<AnalyticsEvent> AnalyticsEvent::fromStored(const QVariant& stored) {
    const QVariantMap map = stored.toMap();
    AnalyticsStoredValue in(map);
    if (stored.typeId() != QMetaType::QVariantMap || !in.isClass("AnalyticsEvent"))
        return nullptr;
    auto event = std::shared_ptr<AnalyticsEvent>(new AnalyticsEvent(Restored{}));
    event->name_ = in.string(QStringLiteral("name")).value_or(QString());
    event->started_ = in.real(QStringLiteral("started")).value_or(0.0);
    event->ended_ = in.real(QStringLiteral("ended"));
    event->timed_ = in.boolean(QStringLiteral("timed")).value_or(false);
    event->parameters_ = in.map(QStringLiteral("parameters")).value_or(QVariantMap());
    event->automaticallyEnded_ = in.boolean(QStringLiteral("automaticallyEnded")).value_or(false);
    event->eventLogId_ = in.integer(QStringLiteral("eventLogId")).value_or(0);
    return in.valid() ? event : nullptr;
}
