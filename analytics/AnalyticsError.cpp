#include "AnalyticsError.h"

#include "AnalyticsAutoIncrement.h"
#include "AnalyticsProtocolData.h"
#include "AnalyticsStoredValue.h"
#include "Clock.h"

namespace {
void appendRecord(int errorID, double date, const QString& name, const QString& message,
                  const QString& exceptionText, int type, const QByteArray& report,
                  QByteArray& data) {
    AnalyticsProtocolData::appendUshort(errorID, data);
    AnalyticsProtocolData::appendTimestamp(date, data);
    AnalyticsProtocolData::appendString(name, data);
    AnalyticsProtocolData::appendString(message, data);
    AnalyticsProtocolData::appendString(exceptionText, data);
    AnalyticsProtocolData::appendByte(type, data);
    AnalyticsProtocolData::appendBoolean(!report.isEmpty(), data);
    if (!report.isEmpty())
        AnalyticsProtocolData::appendLargeData(report, data);
}
} // namespace

std::shared_ptr<AnalyticsError> AnalyticsError::errorWithString(const QString& errorString,
                                                                const QString& message,
                                                                const QString& exceptionString,
                                                                int errorType,
                                                                const QByteArray& reportData) {
    auto error = std::make_shared<AnalyticsError>();
    error->errorID_ =
        AnalyticsAutoIncrement::instance().nextCountFor(AnalyticsAutoIncrement::Errors);
    error->date_ = Clock::now();
    error->errorString_ = errorString;
    error->errorMessage_ = message;
    error->exceptionString_ = exceptionString;
    error->errorType_ = errorType;
    error->reportData_ = reportData;
    return error;
}

void AnalyticsError::appendToData(QByteArray& data) const {
    appendRecord(static_cast<int>(errorID_), date_, errorString_, errorMessage_, exceptionString_,
                 errorType_, reportData_, data);
}

void AnalyticsError::appendCrashRecord(int errorID, double date, const QByteArray& report,
                                       QByteArray& data) {
    // The crash record always announces its report, even an empty one.
    AnalyticsProtocolData::appendUshort(errorID, data);
    AnalyticsProtocolData::appendTimestamp(date, data);
    for (int i = 0; i < 3; ++i)
        AnalyticsProtocolData::appendString(QString(), data);
    AnalyticsProtocolData::appendByte(Crash, data);
    AnalyticsProtocolData::appendBoolean(true, data);
    AnalyticsProtocolData::appendLargeData(report, data);
}

QVariantMap AnalyticsError::toStored() const {
    QVariantMap stored = AnalyticsStoredValue::tagged("AnalyticsError");
    stored.insert(QStringLiteral("errorID"), errorID_);
    AnalyticsStoredValue::putDate(stored, QStringLiteral("date"), date_);
    stored.insert(QStringLiteral("errorString"), errorString_);
    stored.insert(QStringLiteral("errorMessage"), errorMessage_);
    stored.insert(QStringLiteral("exceptionString"), exceptionString_);
    stored.insert(QStringLiteral("errorType"), errorType_);
    stored.insert(QStringLiteral("reportData"), reportData_);
    return stored;
}

std::shared_ptr<AnalyticsError> AnalyticsError::fromStored(const QVariant& stored) {
    const QVariantMap map = stored.toMap();
    AnalyticsStoredValue in(map);
    if (stored.typeId() != QMetaType::QVariantMap || !in.isClass("AnalyticsError"))
        return nullptr;
    auto error = std::make_shared<AnalyticsError>();
    error->errorID_ = in.integer(QStringLiteral("errorID")).value_or(0);
    error->date_ = in.real(QStringLiteral("date")).value_or(0.0);
    error->errorString_ = in.string(QStringLiteral("errorString")).value_or(QString());
    error->errorMessage_ = in.string(QStringLiteral("errorMessage")).value_or(QString());
    error->exceptionString_ = in.string(QStringLiteral("exceptionString")).value_or(QString());
    error->errorType_ = static_cast<int>(in.integer(QStringLiteral("errorType")).value_or(1));
    error->reportData_ = in.bytes(QStringLiteral("reportData")).value_or(QByteArray());
    return in.valid() ? error : nullptr;
}
