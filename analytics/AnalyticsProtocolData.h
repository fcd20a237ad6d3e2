#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

// The primitive encodings of the report: big-endian, no alignment. Dates are seconds since the
// Unix epoch; an absent string is a null QString.
class AnalyticsProtocolData {
public:
    static constexpr int MAX_STRING_UNITS = 255;

    static void appendBoolean(bool value, QByteArray& data);
    static void appendByte(int value, QByteArray& data);
    static void appendUshort(int value, QByteArray& data);
    static void appendInt(qint32 value, QByteArray& data);
    static void appendLong(qint64 value, QByteArray& data);
    static void appendFloat(float value, QByteArray& data);
    static void appendDouble(double value, QByteArray& data);
    static void appendTimestamp(double date, QByteArray& data);
    static void appendString(const QString& value, QByteArray& data);
    static void appendTinyData(const QByteArray& value, QByteArray& data);
    static void appendShortData(const QByteArray& value, QByteArray& data);
    static void appendLargeData(const QByteArray& value, QByteArray& data);

    // Signed milliseconds from one date to the other, truncated toward zero; 0 if either is absent.
    static qint64 timeIntervalFrom(std::optional<double> from, std::optional<double> to);
    static qint64 timestampMillis(double date);
    static QString limitStringLength(const QString& value);
};
