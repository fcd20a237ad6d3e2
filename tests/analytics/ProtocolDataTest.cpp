#include "AnalyticsLog.h"
#include "AnalyticsProtocolData.h"
#include "AnalyticsTestSupport.h"
#include "AnalyticsUtil.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <random>

using P = AnalyticsProtocolData;

namespace {
template <typename F> QByteArray written(F write) {
    QByteArray data;
    write(data);
    return data;
}
} // namespace

TEST(ProtocolData, PrimitivesAreBigEndianWithoutGaps) {
    EXPECT_EQ(written([](QByteArray& d) { P::appendString(QStringLiteral("abc"), d); }),
              hex("00 03 61 62 63"));
    EXPECT_EQ(written([](QByteArray& d) { P::appendTimestamp(1.5, d); }),
              hex("00 00 00 00 00 00 05 DC"));
    EXPECT_EQ(written([](QByteArray& d) { P::appendUshort(27, d); }), hex("00 1B"));
    EXPECT_EQ(written([](QByteArray& d) { P::appendUshort(0x12345, d); }), hex("23 45"));
    EXPECT_EQ(written([](QByteArray& d) { P::appendByte(-1, d); }), hex("FF"));
    EXPECT_EQ(written([](QByteArray& d) { P::appendBoolean(true, d); }), hex("01"));
    EXPECT_EQ(written([](QByteArray& d) { P::appendInt(-2, d); }), hex("FF FF FF FE"));
    EXPECT_EQ(written([](QByteArray& d) { P::appendLong(-1, d); }), hex("FF FF FF FF FF FF FF FF"));
    EXPECT_EQ(written([](QByteArray& d) { P::appendFloat(1.0f, d); }), hex("3F 80 00 00"));
    EXPECT_EQ(written([](QByteArray& d) { P::appendDouble(-2.0, d); }),
              hex("C0 00 00 00 00 00 00 00"));
    EXPECT_EQ(written([](QByteArray& d) { P::appendLargeData("xy", d); }),
              hex("00 00 00 02 78 79"));
}

TEST(ProtocolData, AbsentAndEmptyStringsAreAZeroCount) {
    EXPECT_EQ(written([](QByteArray& d) { P::appendString(QString(), d); }), hex("00 00"));
    EXPECT_EQ(written([](QByteArray& d) { P::appendString(QStringLiteral(""), d); }), hex("00 00"));
}

TEST(ProtocolData, TimestampsTruncateTowardZero) {
    EXPECT_EQ(P::timestampMillis(1.9999), 1999);
    EXPECT_EQ(P::timestampMillis(-1.9999), -1999);
    EXPECT_EQ(P::timeIntervalFrom(10.0, 9.9995), 0);
    EXPECT_EQ(P::timeIntervalFrom(10.0, 12.5), 2500);
    EXPECT_EQ(P::timeIntervalFrom(std::nullopt, 12.5), 0);
    EXPECT_EQ(P::timeIntervalFrom(10.0, std::nullopt), 0);
}

TEST(ProtocolData, StringsAreLimitedTo255CodeUnits) {
    const QString exact(255, QLatin1Char('a'));
    QByteArray data;
    P::appendString(exact, data);
    EXPECT_EQ(data.left(2), hex("00 FF"));
    EXPECT_EQ(data.mid(2), exact.toUtf8());

    data.clear();
    P::appendString(exact + QLatin1Char('b'), data);
    EXPECT_EQ(data.left(2), hex("00 FF")) << "256 units are cut to 255";
    EXPECT_EQ(data.mid(2), exact.toUtf8());

    data.clear();
    const QString euros(300, QChar(0x20AC));
    P::appendString(euros, data);
    EXPECT_EQ(data.left(2), hex("02 FD")) << "the count is of UTF-8 bytes: 765";
    EXPECT_EQ(data.size(), 2 + 765);
}

TEST(ProtocolData, ACutInsideASurrogatePairDropsTheWholeCharacter) {
    const QString text = QString(254, QLatin1Char('a')) + QString::fromUtf8("\xF0\x9F\x98\x80");
    ASSERT_EQ(text.size(), 256);
    const QString cut = P::limitStringLength(text);
    EXPECT_EQ(cut, QString(254, QLatin1Char('a')));
    QByteArray data;
    P::appendString(text, data);
    EXPECT_EQ(data.size(), 2 + 254);
}

TEST(ProtocolData, LengthFieldsAlwaysDescribeTheBytesThatFollow) {
    QByteArray data;
    P::appendTinyData(QByteArray(300, 'x'), data);
    EXPECT_EQ(static_cast<quint8>(data[0]), 255);
    EXPECT_EQ(data.size(), 1 + 255);
    data.clear();
    P::appendShortData(QByteArray(20, 'y'), data);
    EXPECT_EQ(data.left(2), hex("00 14"));
    EXPECT_EQ(data.size(), 22);
}

TEST(Checksum, MatchesZlibOnRandomBuffers) {
    std::mt19937 random(42);
    for (int size : {0, 1, 3, 255, 256, 4096, 100003}) {
        QByteArray buffer(size, Qt::Uninitialized);
        for (char& byte : buffer)
            byte = static_cast<char>(random());
        const uLong expected =
            crc32(crc32(0L, Z_NULL, 0), reinterpret_cast<const Bytef*>(buffer.constData()),
                  static_cast<uInt>(buffer.size()));
        EXPECT_EQ(AnalyticsUtil::dataChecksum(buffer), static_cast<quint32>(expected))
            << "size " << size;
    }
    EXPECT_EQ(AnalyticsUtil::dataChecksum("123456789"), 0xCBF43926u);
}

TEST(Checksum, TableIsBuiltOnceAndSaysSo) {
    AnalyticsUtil::generateChecksumTable();
    AnalyticsLog::setLevel(3);
    LogCapture log;
    AnalyticsUtil::dataChecksum("x");
    EXPECT_TRUE(log.contains(QStringLiteral("AnalyticsSession: CRC table already generated")));
    EXPECT_FALSE(log.contains(QStringLiteral("AnalyticsSession: generating CRC table")));
    AnalyticsLog::setLevel(1);
}
