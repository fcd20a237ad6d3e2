#include "AnalyticsAutoIncrement.h"
#include "AnalyticsGlobalVariableStorage.h"
#include "AnalyticsLog.h"
#include "AnalyticsPropertyList.h"
#include "AnalyticsProtocolData.h"
#include "AnalyticsReportBuilder.h"
#include "AnalyticsReportSender.h"
#include "AnalyticsSessionCoder.h"
#include "AnalyticsTestSupport.h"
#include "ReportDecoder.h"

#include <QCryptographicHash>
#include <QFile>
#include <QJsonArray>

#include <zlib.h>

namespace {
const QString goldenPath = QStringLiteral(AMPELIO_ANALYTICS_FIXTURES "/golden/report.bin");

QJsonObject decoded(const QByteArray& report) {
    const ReportDecoder::Result result = ReportDecoder::decode(report);
    EXPECT_TRUE(result.ok) << qPrintable(result.error);
    EXPECT_TRUE(result.checksumValid);
    return result.report;
}

double millis(double seconds) {
    return static_cast<double>(AnalyticsProtocolData::timestampMillis(seconds));
}
} // namespace

class Report : public AnalyticsTest {
protected:
    // One session of each kind of content, on the fake clock.
    std::unique_ptr<AnalyticsSession> goldenSession() {
        auto s = newSession();
        s->setUserID(QStringLiteral("user-7"));
        s->setGenderAsString(QStringLiteral("f"));
        s->setAgeInYears(30);
        s->setPushToken(QStringLiteral("a1b2c3"));
        s->setLatitude(52.5219876, 13.4132999, 10.0f, 5.0f);
        s->recordEvent(QStringLiteral("HistoryView"), {}, true);
        clock.advance(1.5);
        s->recordEvent(
            QStringLiteral("Export"),
            {{QStringLiteral("rows"), 42}, {QStringLiteral("format"), QStringLiteral("csv")}});
        clock.advance(2.0);
        s->endTimedEvent(QStringLiteral("HistoryView"),
                         {{QStringLiteral("scrolled"), QStringLiteral("yes")}});
        s->recordError(QStringLiteral("StoreError"), QStringLiteral("Unresolved error"),
                       std::optional(AnalyticsErrorObject{QStringLiteral("SQLite"), 5,
                                                          QStringLiteral("database is locked"),
                                                          QStringLiteral("busy"), QString()}),
                       QByteArray());
        s->maybeIncrementPageView();
        clock.advance(10.0);
        s->finishSession();
        return s;
    }
};

TEST_F(Report, AnEmptyListGivesTheFullHeaderACountOfZeroAndTheChecksum) {
    auto session = newSession();
    const QByteArray report = AnalyticsReportBuilder::dataForSessions(*session, {});
    EXPECT_EQ(report.left(18), hex("00 1B 00 00 00 00 00 00 00 00 00 00 00 00 00 02 00 7A"));
    EXPECT_EQ(report.mid(18, 8), hex("00 00 01 A3 185C 5000"));
    EXPECT_EQ(report.mid(26, 22), hex("00 14") + KEY.toUtf8());

    const QByteArray body = report.left(report.size() - 4);
    const uLong crc =
        crc32(0L, reinterpret_cast<const Bytef*>(body.constData()), static_cast<uInt>(body.size()));
    QByteArray expected;
    AnalyticsProtocolData::appendInt(static_cast<qint32>(crc), expected);
    EXPECT_EQ(report.right(4), expected);
    EXPECT_EQ(report.mid(report.size() - 6, 2), hex("00 00")) << "session count 0";

    const QJsonObject r = decoded(report);
    EXPECT_EQ(r[QStringLiteral("protocolVersion")].toInt(), 27);
    EXPECT_EQ(r[QStringLiteral("agentVersion")].toInt(), 122);
    EXPECT_EQ(r[QStringLiteral("platform")].toInt(), 2);
    EXPECT_EQ(r[QStringLiteral("sessions")].toArray().size(), 0);
    EXPECT_EQ(r[QStringLiteral("initialTimestamp")].toDouble(), millis(START));
    EXPECT_EQ(r[QStringLiteral("properties")].toObject()[QStringLiteral("scr.width")].toString(),
              QStringLiteral("320"));
    EXPECT_EQ(r[QStringLiteral("properties")].toObject()[QStringLiteral("device.arch")].toString(),
              QStringLiteral("arm32"));
}

TEST_F(Report, IdentifiersAreWrittenOnlyWhenAvailable) {
    auto session = newSession();
    QJsonArray ids = decoded(AnalyticsReportBuilder::dataForSessions(
        *session, {}))[QStringLiteral("identifiers")]
                         .toArray();
    ASSERT_EQ(ids.size(), 2);
    EXPECT_EQ(ids[0].toObject()[QStringLiteral("type")].toInt(), 6);
    EXPECT_EQ(ids[1].toObject()[QStringLiteral("type")].toInt(), 4);
    EXPECT_EQ(ids[1].toObject()[QStringLiteral("sha1")].toString(),
              QString::fromLatin1(
                  QCryptographicHash::hash("02:00:5E:10:00:01", QCryptographicHash::Sha1).toHex()));

    facts().vendor.clear();
    AnalyticsGlobalVariableStorage::sharedInstance().setMacAddressEnabled(false);
    ids = decoded(
              AnalyticsReportBuilder::dataForSessions(*session, {}))[QStringLiteral("identifiers")]
              .toArray();
    EXPECT_TRUE(ids.isEmpty());
}

TEST_F(Report, ATabletReportsPlatformEight) {
    facts().tablet = true;
    auto session = newSession();
    EXPECT_EQ(
        decoded(AnalyticsReportBuilder::dataForSessions(*session, {}))[QStringLiteral("platform")]
            .toInt(),
        8);
}

TEST_F(Report, ANeverFinishedSessionHasALengthOfMinusOne) {
    auto session = newSession();
    const QByteArray block = *session->data();
    // Version (2), application version "1.2" (2 + 3), start time (8), then the length.
    EXPECT_EQ(block.mid(15, 8), hex("FF FF FF FF FF FF FF FF"));
}

TEST_F(Report, CrashDataAddsARecordNumberedAfterTheHighestError) {
    auto session = newSession();
    auto& counter = AnalyticsAutoIncrement::instance();
    for (int i = 0; i < 3; ++i)
        counter.nextCountFor(AnalyticsAutoIncrement::Errors);
    session->recordError(QStringLiteral("four"), QString(), std::optional<AnalyticsException>(),
                         {});
    for (int i = 0; i < 4; ++i)
        counter.nextCountFor(AnalyticsAutoIncrement::Errors);
    session->recordError(QStringLiteral("nine"), QString(), std::optional<AnalyticsException>(),
                         {});
    session->setCrashReportData(QByteArray("crash log"));
    clock.advance(7.0);

    const QJsonObject s = decoded(AnalyticsReportBuilder::dataForSessions(
        *session, {session.get()}))[QStringLiteral("sessions")]
                              .toArray()[0]
                              .toObject();
    EXPECT_EQ(s[QStringLiteral("totalErrorCount")].toInt(), 3);
    const QJsonArray errors = s[QStringLiteral("errors")].toArray();
    ASSERT_EQ(errors.size(), 3);
    EXPECT_EQ(errors[0].toObject()[QStringLiteral("id")].toInt(), 4);
    EXPECT_EQ(errors[1].toObject()[QStringLiteral("id")].toInt(), 9);
    const QJsonObject crash = errors[2].toObject();
    EXPECT_EQ(crash[QStringLiteral("id")].toInt(), 10);
    EXPECT_EQ(crash[QStringLiteral("type")].toInt(), 3);
    EXPECT_EQ(crash[QStringLiteral("time")].toDouble(), millis(START + 7.0));
    EXPECT_EQ(crash[QStringLiteral("name")].toString(), QString());
    EXPECT_EQ(QByteArray::fromBase64(crash[QStringLiteral("report")].toString().toLatin1()),
              QByteArray("crash log"));
    EXPECT_TRUE(errors[0].toObject()[QStringLiteral("report")].isNull());
}

TEST_F(Report, ADamagedStoredRecordIsLeftOutAndNotCounted) {
    auto session = newSession();
    session->recordEvent(QStringLiteral("e"));
    QVariantMap stored = AnalyticsSessionCoder::encode(*session);
    stored.insert(QStringLiteral("eventLog"), QVariantList{QStringLiteral("not an event")});
    const auto damaged = AnalyticsSessionCoder::decode(
        *AnalyticsPropertyList::fromBytes(AnalyticsPropertyList::toBinary(stored)));
    ASSERT_TRUE(damaged);
    LogCapture log;
    EXPECT_FALSE(damaged->data());
    const QJsonObject r = decoded(AnalyticsReportBuilder::dataForSessions(
        *session, {damaged.get(), QByteArray(), session.get()}));
    EXPECT_EQ(r[QStringLiteral("sessions")].toArray().size(), 1);
}

TEST_F(Report, DecodesBackToTheRecord) {
    const auto s = goldenSession();
    const QJsonObject r = decoded(AnalyticsReportBuilder::dataForSessions(*s, {s.get()}));
    EXPECT_EQ(r[QStringLiteral("pushToken")].toString(), QStringLiteral("a1b2c3"));
    EXPECT_EQ(r[QStringLiteral("sessionStart")].toDouble(), millis(START));
    const QJsonObject block = r[QStringLiteral("sessions")].toArray()[0].toObject();
    EXPECT_EQ(block[QStringLiteral("sessionLength")].toDouble(), 13500);
    EXPECT_EQ(block[QStringLiteral("userID")].toString(), QStringLiteral("user-7"));
    EXPECT_EQ(block[QStringLiteral("gender")].toInt(), 0);
    EXPECT_EQ(block[QStringLiteral("networkStatus")].toInt(), 2);
    EXPECT_EQ(block[QStringLiteral("deviceState")].toInt(), -1);
    EXPECT_DOUBLE_EQ(block[QStringLiteral("latitude")].toDouble(), 52.521);
    EXPECT_FLOAT_EQ(static_cast<float>(block[QStringLiteral("accuracy")].toDouble()), 7.5f);
    EXPECT_EQ(block[QStringLiteral("birthDate")].toDouble(), millis(*s->age()));
    const QJsonObject params = block[QStringLiteral("parameters")].toObject();
    EXPECT_EQ(params[QStringLiteral("memory.total")].toString(), QStringLiteral("4026531840"));
    EXPECT_EQ(params[QStringLiteral("battery.remaining.end")].toString(),
              QStringLiteral("75.000000"));
    EXPECT_EQ(params[QStringLiteral("battery.charging.start")].toString(), QStringLiteral("1"));
    EXPECT_EQ(params[QStringLiteral("disk.size.used")].toString(), QStringLiteral("51539607552"));
    EXPECT_EQ(params.size(), 16);

    const QJsonArray events = block[QStringLiteral("events")].toArray();
    ASSERT_EQ(events.size(), 2);
    const QJsonObject history = events[0].toObject();
    EXPECT_EQ(history[QStringLiteral("duration")].toDouble(), 3500);
    EXPECT_EQ(
        history[QStringLiteral("parameters")].toObject()[QStringLiteral("scrolled")].toString(),
        QStringLiteral("yes"));
    const QJsonObject exportEvent = events[1].toObject();
    EXPECT_EQ(exportEvent[QStringLiteral("id")].toInt(), 2);
    EXPECT_EQ(exportEvent[QStringLiteral("startOffset")].toDouble(), 1500);
    EXPECT_EQ(exportEvent[QStringLiteral("duration")].toDouble(), 0);
    EXPECT_EQ(
        exportEvent[QStringLiteral("parameters")].toObject()[QStringLiteral("rows")].toString(),
        QStringLiteral("42"));
    const QJsonObject error = block[QStringLiteral("errors")].toArray()[0].toObject();
    EXPECT_EQ(error[QStringLiteral("exception")].toString(),
              QStringLiteral("database is locked: busy"));
    EXPECT_EQ(error[QStringLiteral("type")].toInt(), 1);
}

TEST_F(Report, MatchesTheGoldenFile) {
    const auto s = goldenSession();
    const QByteArray report = AnalyticsReportBuilder::dataForSessions(*s, {s.get()});
    if (qEnvironmentVariableIsSet("AMPELIO_UPDATE_GOLDEN")) {
        QFile out(goldenPath);
        ASSERT_TRUE(out.open(QIODevice::WriteOnly));
        out.write(report);
    }
    QFile golden(goldenPath);
    ASSERT_TRUE(golden.open(QIODevice::ReadOnly));
    const QByteArray expected = golden.readAll();
    EXPECT_EQ(report.toHex(' '), expected.toHex(' '));
    EXPECT_TRUE(ReportDecoder::decode(expected).ok);
}

TEST(ReportDecoderTest, RefusesDamagedReports) {
    QFile golden(goldenPath);
    ASSERT_TRUE(golden.open(QIODevice::ReadOnly));
    const QByteArray report = golden.readAll();

    QByteArray flipped = report;
    flipped[40] = static_cast<char>(flipped[40] ^ 0x01);
    const auto changed = ReportDecoder::decode(flipped);
    EXPECT_TRUE(changed.ok);
    EXPECT_FALSE(changed.checksumValid);

    const auto cut = ReportDecoder::decode(report.left(report.size() - 10));
    EXPECT_FALSE(cut.ok);
    EXPECT_FALSE(cut.error.isEmpty());

    const auto padded = ReportDecoder::decode(report.left(report.size() - 4) + QByteArray(3, '\0') +
                                              report.right(4));
    EXPECT_FALSE(padded.ok) << "bytes after the last session are an error, not ignored";
}

TEST_F(Report, TheVerboseLevelTracesEveryStepWithoutChangingTheBytes) {
    const auto s = goldenSession();
    const QByteArray quiet = AnalyticsReportBuilder::dataForSessions(*s, {s.get()});
    AnalyticsLog::setLevel(3);
    LogCapture log;
    const QByteArray traced = AnalyticsReportBuilder::dataForSessions(*s, {s.get()});
    AnalyticsLog::setLevel(1);
    EXPECT_EQ(traced, quiet);
    for (const char* step :
         {"AnalyticsSession: Creating HTTP data from sessions",
          "AnalyticsSession: protocol[27] platform[2] agent[122]",
          "AnalyticsSession: ID Type [6] vendor ID [6F1C2D3E-4A5B-4C6D-8E7F-90A1B2C3D4E5]",
          "AnalyticsSession: property[scr.width] value[320]", "AnalyticsSession: sessionCount[1]",
          "AnalyticsSession: eventLogs[2]", "AnalyticsEvent: parameter[rows] value[42]",
          "AnalyticsSession: totalErrors[1] loggedErrors[1]",
          "AnalyticsSession: sessions data checksum ["})
        EXPECT_TRUE(log.contains(QString::fromLatin1(step))) << step;
}

TEST_F(Report, CarriesTheAcceptedFlagAndLaunchOptions) {
    AnalyticsReportSender::install([](const QByteArray&) {}, [] { return true; });
    AnalyticsGlobalVariableStorage::sharedInstance().setLaunchOptions(
        {{QStringLiteral("url"), {QStringLiteral("ampelio://history")}},
         {QStringLiteral("keys"), {QStringLiteral("a"), QStringLiteral("b")}}});
    auto session = newSession();
    const QJsonObject r = decoded(AnalyticsReportBuilder::dataForSessions(*session, {}));
    EXPECT_TRUE(r[QStringLiteral("previousReportAccepted")].toBool());
    const QJsonObject options = r[QStringLiteral("launchOptions")].toObject();
    EXPECT_EQ(options[QStringLiteral("keys")].toArray(),
              QJsonArray({QStringLiteral("a"), QStringLiteral("b")}));
    EXPECT_EQ(options[QStringLiteral("url")].toArray(),
              QJsonArray({QStringLiteral("ampelio://history")}));
    EXPECT_TRUE(r[QStringLiteral("pushToken")].isNull());
}
