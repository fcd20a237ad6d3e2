#include "ReportDecoder.h"

#include "ReportReader.h"

#include <QJsonArray>

#include <algorithm>
#include <initializer_list>

namespace {
QJsonValue millis(qint64 value) {
    return static_cast<double>(value);
}

constexpr int ProtocolVersion = 27;
constexpr int SerializationVersion = 2;
enum IdentifierType { HardwareAddressDigest = 4, VendorId = 6, AdvertisingId = 7 };
constexpr int DigestLength = 20;

// A field whose value must be one of a few; anything else is rejected where it starts.
template <typename T>
T oneOf(ReportReader& in, T (ReportReader::*read)(), std::initializer_list<T> allowed,
        const char* field) {
    const qsizetype at = in.offset();
    const T value = (in.*read)();
    if (std::find(allowed.begin(), allowed.end(), value) == allowed.end())
        ReportReader::reject(std::string(field) + " " + std::to_string(value), at);
    return value;
}

// At most one entry of each type, advertising, vendor, then the hardware-address digest.
QJsonArray identifiers(ReportReader& in) {
    QJsonArray list;
    const quint16 count = oneOf<quint16>(in, &ReportReader::u16, {0, 1, 2, 3}, "identifier count");
    int previous = AdvertisingId + 1;
    for (quint16 i = 0; i < count; ++i) {
        const qsizetype at = in.offset();
        const quint16 type = in.u16();
        if ((type != AdvertisingId && type != VendorId && type != HardwareAddressDigest) ||
            type >= previous)
            ReportReader::reject("identifier type " + std::to_string(type), at);
        previous = type;
        QJsonObject entry{{QStringLiteral("type"), type}};
        if (type == HardwareAddressDigest) {
            const quint16 length =
                oneOf<quint16>(in, &ReportReader::u16, {DigestLength}, "digest length");
            entry.insert(QStringLiteral("sha1"), QString::fromLatin1(in.bytes(length).toHex()));
        } else {
            entry.insert(QStringLiteral("value"), in.string());
        }
        list.append(entry);
    }
    return list;
}

QJsonObject launchOptions(ReportReader& in) {
    QJsonObject options;
    const quint16 keys = in.u16();
    for (quint16 i = 0; i < keys; ++i) {
        const QString key = in.string();
        QJsonArray values;
        const quint16 count = in.u16();
        for (quint16 j = 0; j < count; ++j)
            values.append(in.string());
        options.insert(key, values);
    }
    return options;
}

QJsonObject event(ReportReader& in) {
    QJsonObject e;
    e.insert(QStringLiteral("id"), in.u16());
    e.insert(QStringLiteral("name"), in.string());
    e.insert(QStringLiteral("parameters"), in.stringPairs());
    e.insert(QStringLiteral("startOffset"), millis(in.i64()));
    e.insert(QStringLiteral("duration"), millis(in.i64()));
    return e;
}

QJsonObject error(ReportReader& in) {
    QJsonObject e;
    e.insert(QStringLiteral("id"), in.u16());
    e.insert(QStringLiteral("time"), millis(in.i64()));
    e.insert(QStringLiteral("name"), in.string());
    e.insert(QStringLiteral("message"), in.string());
    e.insert(QStringLiteral("exception"), in.string());
    e.insert(QStringLiteral("type"), oneOf<quint8>(in, &ReportReader::u8, {1, 2, 3}, "error type"));
    const bool hasReport = in.boolean();
    e.insert(QStringLiteral("report"),
             hasReport ? QJsonValue(QString::fromLatin1(in.bytes(in.u32()).toBase64()))
                       : QJsonValue());
    return e;
}

void sessionHead(ReportReader& in, QJsonObject& s) {
    s.insert(
        QStringLiteral("serializationVersion"),
        oneOf<quint16>(in, &ReportReader::u16, {SerializationVersion}, "serialization version"));
    s.insert(QStringLiteral("appVersion"), in.string());
    s.insert(QStringLiteral("startTime"), millis(in.i64()));
    s.insert(QStringLiteral("sessionLength"), millis(in.i64()));
    s.insert(QStringLiteral("totalPause"), millis(in.i64()));
    s.insert(QStringLiteral("parameters"), in.stringPairs());
    s.insert(QStringLiteral("locale"), in.string());
    s.insert(QStringLiteral("timeZone"), in.string());
    s.insert(QStringLiteral("networkStatus"),
             oneOf<quint8>(in, &ReportReader::u8, {0, 2, 3}, "network status"));
    s.insert(QStringLiteral("userID"), in.string());
    s.insert(QStringLiteral("locationPresent"), in.boolean());
    s.insert(QStringLiteral("latitude"), in.f64());
    s.insert(QStringLiteral("longitude"), in.f64());
    s.insert(QStringLiteral("accuracy"), static_cast<double>(in.f32()));
    s.insert(QStringLiteral("pageViewCount"), in.i32());
    s.insert(QStringLiteral("deviceState"), in.i8());
    s.insert(QStringLiteral("reserved"), in.u8());
    s.insert(QStringLiteral("gender"), oneOf<qint8>(in, &ReportReader::i8, {-1, 0, 1}, "gender"));
    const bool hasBirthDate = in.boolean();
    s.insert(QStringLiteral("birthDate"), hasBirthDate ? millis(in.i64()) : QJsonValue());
}

QJsonObject session(ReportReader& in) {
    QJsonObject s;
    sessionHead(in, s);
    QJsonArray counts;
    const quint16 names = in.u16();
    for (quint16 i = 0; i < names; ++i) {
        const QString name = in.string();
        counts.append(
            QJsonObject{{QStringLiteral("name"), name}, {QStringLiteral("count"), in.i32()}});
    }
    s.insert(QStringLiteral("eventCounts"), counts);
    QJsonArray events;
    const quint16 eventCount = in.u16();
    for (quint16 i = 0; i < eventCount; ++i)
        events.append(event(in));
    s.insert(QStringLiteral("events"), events);
    s.insert(QStringLiteral("eventLogComplete"), in.boolean());
    s.insert(QStringLiteral("totalErrorCount"), in.i32());
    QJsonArray errors;
    const quint16 errorCount = in.u16();
    for (quint16 i = 0; i < errorCount; ++i)
        errors.append(error(in));
    s.insert(QStringLiteral("errors"), errors);
    s.insert(QStringLiteral("loggedImpressions"), in.u16());
    s.insert(QStringLiteral("loggedAppSpotImpressions"), in.u16());
    return s;
}

QJsonObject header(ReportReader& in) {
    QJsonObject r;
    r.insert(QStringLiteral("protocolVersion"),
             oneOf<quint16>(in, &ReportReader::u16, {ProtocolVersion}, "protocol version"));
    r.insert(QStringLiteral("adRequestVersion"), in.u16());
    r.insert(QStringLiteral("reserved1"), millis(in.i64()));
    r.insert(QStringLiteral("reserved2"), in.u16());
    r.insert(QStringLiteral("platform"),
             oneOf<quint16>(in, &ReportReader::u16, {2, 8}, "platform"));
    r.insert(QStringLiteral("agentVersion"), in.u16());
    r.insert(QStringLiteral("reportTime"), millis(in.i64()));
    r.insert(QStringLiteral("apiKey"), in.string());
    r.insert(QStringLiteral("appVersion"), in.string());
    r.insert(QStringLiteral("identifiers"), identifiers(in));
    r.insert(QStringLiteral("reserved3"), in.u8());
    r.insert(QStringLiteral("previousReportAccepted"), in.boolean());
    r.insert(QStringLiteral("initialTimestamp"), millis(in.i64()));
    r.insert(QStringLiteral("sessionStart"), millis(in.i64()));
    r.insert(QStringLiteral("properties"), in.stringPairs());
    r.insert(QStringLiteral("reserved4"), in.u16());
    const bool hasPushToken = in.boolean();
    r.insert(QStringLiteral("pushToken"), hasPushToken ? QJsonValue(in.string()) : QJsonValue());
    r.insert(QStringLiteral("launchOptions"), launchOptions(in));
    return r;
}
} // namespace

quint32 ReportDecoder::crc32(const QByteArray& bytes) {
    quint32 crc = 0xFFFFFFFFu;
    for (const char byte : bytes) {
        crc ^= static_cast<quint8>(byte);
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

ReportDecoder::Result ReportDecoder::decode(const QByteArray& bytes) {
    Result result;
    if (bytes.size() < 4) {
        result.error = QStringLiteral("too short for a checksum");
        return result;
    }
    const QByteArray body = bytes.left(bytes.size() - 4);
    ReportReader tail(bytes);
    tail.bytes(body.size());
    const quint32 stored = tail.u32();
    result.checksumValid = stored == crc32(body);
    result.report.insert(QStringLiteral("checksum"), static_cast<double>(stored));
    result.report.insert(QStringLiteral("checksumValid"), result.checksumValid);
    ReportReader in(body);
    try {
        const QJsonObject head = header(in);
        for (auto it = head.begin(); it != head.end(); ++it)
            result.report.insert(it.key(), it.value());
        QJsonArray sessions;
        const quint16 count = in.u16();
        for (quint16 i = 0; i < count; ++i)
            sessions.append(session(in));
        result.report.insert(QStringLiteral("sessions"), sessions);
        if (in.remaining() != 0)
            ReportReader::reject(std::to_string(in.remaining()) +
                                     " bytes left over before the checksum",
                                 in.offset());
        result.ok = true;
    } catch (const ReportReader::Malformed& failure) {
        result.error = QString::fromStdString(failure.what());
        result.errorOffset = failure.offset;
    }
    return result;
}
