#include "AnalyticsProtocolData.h"

#include <QtEndian>

#include <bit>

namespace {
template <typename T> void appendBigEndian(T value, QByteArray& data) {
    const T big = qToBigEndian(value);
    data.append(reinterpret_cast<const char*>(&big), sizeof big);
}

// A length field must describe the bytes that follow it, so longer data is cut to what the
// field can count rather than leaving a reader out of step.
QByteArray cutTo(const QByteArray& value, qsizetype maximum) {
    return value.size() > maximum ? value.left(maximum) : value;
}
} // namespace

void AnalyticsProtocolData::appendBoolean(bool value, QByteArray& data) {
    data.append(static_cast<char>(value ? 1 : 0));
}

void AnalyticsProtocolData::appendByte(int value, QByteArray& data) {
    data.append(static_cast<char>(value & 0xFF));
}

void AnalyticsProtocolData::appendUshort(int value, QByteArray& data) {
    appendBigEndian(static_cast<quint16>(value & 0xFFFF), data);
}

void AnalyticsProtocolData::appendInt(qint32 value, QByteArray& data) {
    appendBigEndian(value, data);
}

void AnalyticsProtocolData::appendLong(qint64 value, QByteArray& data) {
    appendBigEndian(value, data);
}

void AnalyticsProtocolData::appendFloat(float value, QByteArray& data) {
    appendBigEndian(std::bit_cast<quint32>(value), data);
}

void AnalyticsProtocolData::appendDouble(double value, QByteArray& data) {
    appendBigEndian(std::bit_cast<quint64>(value), data);
}

void AnalyticsProtocolData::appendTimestamp(double date, QByteArray& data) {
    appendLong(timestampMillis(date), data);
}

void AnalyticsProtocolData::appendString(const QString& value, QByteArray& data) {
    const QByteArray utf8 = limitStringLength(value).toUtf8();
    appendUshort(static_cast<int>(utf8.size()), data);
    data.append(utf8);
}

void AnalyticsProtocolData::appendTinyData(const QByteArray& value, QByteArray& data) {
    const QByteArray bytes = cutTo(value, 0xFF);
    appendByte(static_cast<int>(bytes.size()), data);
    data.append(bytes);
}

void AnalyticsProtocolData::appendShortData(const QByteArray& value, QByteArray& data) {
    const QByteArray bytes = cutTo(value, 0xFFFF);
    appendUshort(static_cast<int>(bytes.size()), data);
    data.append(bytes);
}

void AnalyticsProtocolData::appendLargeData(const QByteArray& value, QByteArray& data) {
    const QByteArray bytes = cutTo(value, 0xFFFFFFFFLL);
    appendBigEndian(static_cast<quint32>(bytes.size()), data);
    data.append(bytes);
}

qint64 AnalyticsProtocolData::timeIntervalFrom(std::optional<double> from,
                                               std::optional<double> to) {
    if (!from || !to)
        return 0;
    return static_cast<qint64>((*to - *from) * 1000.0);
}

qint64 AnalyticsProtocolData::timestampMillis(double date) {
    return static_cast<qint64>(date * 1000.0);
}

QString AnalyticsProtocolData::limitStringLength(const QString& value) {
    if (value.size() <= MAX_STRING_UNITS)
        return value;
    QString cut = value.left(MAX_STRING_UNITS);
    // Half a surrogate pair has no UTF-8 form; the cut leaves the whole character out instead.
    if (cut.back().isHighSurrogate())
        cut.chop(1);
    return cut;
}
