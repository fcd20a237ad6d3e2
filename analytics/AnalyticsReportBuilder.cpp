#include "AnalyticsReportBuilder.h"

#include "AnalyticsDeviceFacts.h"
#include "AnalyticsGlobalVariableStorage.h"
#include "AnalyticsLimits.h"
#include "AnalyticsLog.h"
#include "AnalyticsProtocolData.h"
#include "AnalyticsSession.h"
#include "AnalyticsUtil.h"
#include "Clock.h"

#include <QtEndian>

using P = AnalyticsProtocolData;

namespace {
enum IdentifierType { AdvertisingId = 7, VendorId = 6, HardwareAddressDigest = 4 };

void appendHeader(const AnalyticsSession& current, QByteArray& data) {
    const AnalyticsDeviceFacts& facts = AnalyticsDeviceFacts::current();
    const int platform = facts.isIPad() ? AnalyticsReportBuilder::PLATFORM_TABLET
                                        : AnalyticsReportBuilder::PLATFORM_PHONE;
    ANALYTICS_LOG(Exactly3, "AnalyticsSession: Ad request version [%d]", 0);
    ANALYTICS_LOG(Exactly3, "AnalyticsSession: protocol[%d] platform[%d] agent[%d]",
                  AnalyticsReportBuilder::PROTOCOL_VERSION, platform, ANALYTICS_AGENT_VERSION);
    P::appendUshort(AnalyticsReportBuilder::PROTOCOL_VERSION, data);
    P::appendUshort(0, data);
    P::appendLong(0, data);
    P::appendUshort(0, data);
    P::appendUshort(platform, data);
    P::appendUshort(ANALYTICS_AGENT_VERSION, data);
    P::appendTimestamp(Clock::now(), data);
    ANALYTICS_LOG(Exactly3, "AnalyticsSession: apiKey[%s] appVersion[%s]",
                  qUtf8Printable(current.apiKey()), qUtf8Printable(current.appVersion()));
    P::appendString(current.apiKey(), data);
    P::appendString(current.appVersion(), data);
}

// One identifier entry written as a string, when the identifier exists.
int appendStringIdentifier(int type, const char* label, const QString& value, QByteArray& entries) {
    if (value.isEmpty())
        return 0;
    ANALYTICS_LOG(Exactly3, "AnalyticsSession: ID Type [%d] %s [%s]", type, label,
                  qUtf8Printable(value));
    P::appendUshort(type, entries);
    P::appendString(value, entries);
    return 1;
}

void appendIdentifiers(QByteArray& data) {
    const AnalyticsDeviceFacts& facts = AnalyticsDeviceFacts::current();
    QByteArray entries;
    int count =
        appendStringIdentifier(AdvertisingId, "Ad ID", facts.getIdentifierForAdvertiser(), entries);
    count += appendStringIdentifier(VendorId, "vendor ID", facts.getIdentifierForVendor(), entries);
    const QByteArray digest = facts.getMACUID();
    if (!digest.isEmpty()) {
        ANALYTICS_LOG(Exactly3, "AnalyticsSession: ID Type [%d] MacAddr ID [%s]",
                      HardwareAddressDigest, digest.toHex().constData());
        P::appendUshort(HardwareAddressDigest, entries);
        P::appendShortData(digest, entries);
        ++count;
    }
    P::appendUshort(count, data);
    data.append(entries);
}

void appendSessionFacts(const AnalyticsSession& current, QByteArray& data) {
    const bool accepted = current.sentReportSuccessful();
    ANALYTICS_LOG(Exactly3, "AnalyticsSession: previous report successful[%d]", accepted);
    P::appendByte(0, data);
    P::appendBoolean(accepted, data);
    const double initial = current.initialTimestamp();
    ANALYTICS_LOG(Exactly3, "AnalyticsSession: initialTimestamp[%s] sessionTimestamp[%s]",
                  qUtf8Printable(AnalyticsLog::describeDate(initial)),
                  qUtf8Printable(AnalyticsLog::describeDate(current.startTime())));
    P::appendTimestamp(initial, data);
    P::appendTimestamp(current.startTime(), data);
}

void appendProperties(QByteArray& data) {
    const AnalyticsDeviceFacts& facts = AnalyticsDeviceFacts::current();
    const QString width = QString::number(static_cast<qint64>(facts.screenWidth()));
    const QString height = QString::number(static_cast<qint64>(facts.screenHeight()));
    ANALYTICS_LOG(Exactly3, "AnalyticsSession: screenWidth[%s] screenHeight[%s]",
                  qUtf8Printable(width), qUtf8Printable(height));
    const QList<std::pair<QString, QString>> properties = {
        {QStringLiteral("device.model.1"), facts.devicePlatform()},
        {QStringLiteral("device.os.version"), facts.osVersion()},
        {QStringLiteral("device.arch"), QStringLiteral("arm32")},
        {QStringLiteral("scr.width"), width},
        {QStringLiteral("scr.height"), height},
    };
    P::appendUshort(static_cast<int>(properties.size()), data);
    for (const auto& [key, value] : properties) {
        ANALYTICS_LOG(Exactly3, "AnalyticsSession: property[%s] value[%s]", qUtf8Printable(key),
                      qUtf8Printable(value));
        P::appendString(key, data);
        P::appendString(value, data);
    }
    P::appendUshort(0, data);
}

void appendPushTokenAndLaunchOptions(const AnalyticsSession& current, QByteArray& data) {
    P::appendBoolean(!current.pushToken().isEmpty(), data);
    if (!current.pushToken().isEmpty())
        P::appendString(current.pushToken(), data);
    const auto options = AnalyticsGlobalVariableStorage::sharedInstance().launchOptions();
    ANALYTICS_LOG(Exactly3, "AnalyticsSession: launch analytics keys count %lu",
                  static_cast<unsigned long>(options.size()));
    P::appendUshort(static_cast<int>(options.size()), data);
    for (auto it = options.cbegin(); it != options.cend(); ++it) {
        ANALYTICS_LOG(Exactly3, "AnalyticsSession: Setting launchOptions [%s]",
                      qUtf8Printable(it.key()));
        P::appendString(it.key(), data);
        P::appendUshort(static_cast<int>(it.value().size()), data);
        for (const QString& value : it.value())
            P::appendString(value, data);
    }
}

// The blocks that could be formed; a session that fails to serialise is left out, not the report.
int appendBlocks(const QList<AnalyticsReportBuilder::Item>& items, QByteArray& data) {
    int count = 0;
    for (const auto& item : items) {
        try {
            if (const auto* stored = std::get_if<QByteArray>(&item)) {
                if (!stored->isEmpty()) {
                    data.append(*stored);
                    ++count;
                }
                continue;
            }
            const std::optional<QByteArray> block = std::get<const AnalyticsSession*>(item)->data();
            if (block && !block->isEmpty()) {
                data.append(*block);
                ++count;
            }
        } catch (const std::exception& exception) {
            AnalyticsUtil::handleException(exception);
        }
    }
    return count;
}

// Stored blocks are most of a report: reserving for them once spares a copy of each and
// the growth of the buffer.
qsizetype storedBytes(const QList<AnalyticsReportBuilder::Item>& items) {
    qsizetype bytes = 0;
    for (const auto& item : items)
        if (const auto* stored = std::get_if<QByteArray>(&item))
            bytes += stored->size();
    return bytes;
}
} // namespace

QByteArray AnalyticsReportBuilder::dataForSessions(const AnalyticsSession& current,
                                                   const QList<Item>& items) {
    ANALYTICS_LOG(Exactly3, "AnalyticsSession: Creating HTTP data from sessions");
    constexpr qsizetype headerReserve = 1024;
    QByteArray data;
    data.reserve(headerReserve + storedBytes(items) + qsizetype(sizeof(quint32)));
    appendHeader(current, data);
    appendIdentifiers(data);
    appendSessionFacts(current, data);
    appendProperties(data);
    appendPushTokenAndLaunchOptions(current, data);
    // The count precedes the blocks but is known only after them: written in place afterwards.
    const qsizetype countAt = data.size();
    P::appendUshort(0, data);
    const int count = appendBlocks(items, data);
    ANALYTICS_LOG(Exactly3, "AnalyticsSession: sessionCount[%d]", count);
    qToBigEndian(static_cast<quint16>(count), data.data() + countAt);
    const quint32 checksum = AnalyticsUtil::dataChecksum(data);
    ANALYTICS_LOG(Exactly3, "AnalyticsSession: sessions data checksum [%d]",
                  static_cast<qint32>(checksum));
    P::appendInt(static_cast<qint32>(checksum), data);
    return data;
}
