// The decoder refuses what the report layout does not allow, and says where.
#include "ReportDecoder.h"

#include <QtEndian>

#include <gtest/gtest.h>

namespace {
QByteArray u16(quint16 value) {
    const quint16 big = qToBigEndian(value);
    return QByteArray(reinterpret_cast<const char*>(&big), 2);
}

QByteArray text(const QByteArray& utf8) {
    return u16(static_cast<quint16>(utf8.size())) + utf8;
}

// The parts of a report header a test may spoil; the rest is fixed and valid.
struct Header {
    QByteArray apiKey = text("KEY");
    QByteArray appVersion = text("0.1.0");
    QByteArray identifiers = u16(0);
    char accepted = 0;
};

constexpr qsizetype ApiKeyOffset = 26;

QByteArray report(const Header& h) {
    QByteArray d =
        u16(27) + u16(0) + QByteArray(8, '\0') + u16(0) + u16(2) + u16(122) + QByteArray(8, '\0');
    d += h.apiKey + h.appVersion + h.identifiers;
    d += '\0';
    d += h.accepted;
    d += QByteArray(16, '\0');            // initial timestamp, session start
    d += u16(0) + u16(0) + '\0' + u16(0); // properties, reserved, push token, launch options
    d += u16(0);                          // sessions
    const quint32 crc = qToBigEndian(ReportDecoder::crc32(d));
    return d + QByteArray(reinterpret_cast<const char*>(&crc), 4);
}

void expectRejectedAt(const Header& h, qsizetype offset, const char* why) {
    const auto result = ReportDecoder::decode(report(h));
    EXPECT_TRUE(result.checksumValid) << "the spoiled report still has a right checksum";
    EXPECT_FALSE(result.ok) << why;
    EXPECT_EQ(result.errorOffset, offset) << why << ": " << qPrintable(result.error);
    EXPECT_TRUE(result.error.contains(QString::number(offset))) << qPrintable(result.error);
}
} // namespace

TEST(ReportDecoderStrict, AcceptsEveryValueTheLayoutAllows) {
    Header h;
    h.accepted = 1;
    h.apiKey = text(QString(255, QChar(0x20AC)).toUtf8()); // 765 bytes, 255 units
    h.identifiers = u16(2) + u16(6) + text("A-VENDOR-ID") + u16(4) + u16(20) + QByteArray(20, 'x');
    const auto result = ReportDecoder::decode(report(h));
    EXPECT_TRUE(result.ok) << qPrintable(result.error);
    EXPECT_EQ(result.errorOffset, -1);
}

TEST(ReportDecoderStrict, RefusesBadBooleansStringsAndIdentifiers) {
    Header boolean;
    boolean.accepted = 2;
    const qsizetype acceptedAt =
        ApiKeyOffset + boolean.apiKey.size() + boolean.appVersion.size() + 2 + 1;
    expectRejectedAt(boolean, acceptedAt, "a boolean byte of 2");

    Header longKey;
    longKey.apiKey = text(QByteArray(256, 'k'));
    expectRejectedAt(longKey, ApiKeyOffset, "a string longer than the writer ever writes");

    Header notUtf8;
    notUtf8.appVersion = text("\xC3\x28");
    expectRejectedAt(notUtf8, ApiKeyOffset + notUtf8.apiKey.size(), "invalid UTF-8");
    Header encodedSurrogate;
    encodedSurrogate.appVersion = text("\xED\xA0\x80");
    expectRejectedAt(encodedSurrogate, ApiKeyOffset + encodedSurrogate.apiKey.size(),
                     "a surrogate has no UTF-8 form");

    const qsizetype identifiersAt = ApiKeyOffset + text("KEY").size() + text("0.1.0").size();
    Header unknownType;
    unknownType.identifiers = u16(1) + u16(5) + text("?");
    expectRejectedAt(unknownType, identifiersAt + 2, "identifier type 5");
    Header outOfOrder;
    outOfOrder.identifiers = u16(2) + u16(4) + u16(20) + QByteArray(20, 'x') + u16(6) + text("V");
    expectRejectedAt(outOfOrder, identifiersAt + 2 + 2 + 2 + 20, "vendor after the digest");
    Header shortDigest;
    shortDigest.identifiers = u16(1) + u16(4) + u16(19) + QByteArray(19, 'x');
    expectRejectedAt(shortDigest, identifiersAt + 4, "a digest of 19 bytes");
}
