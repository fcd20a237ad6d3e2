#include "AnalyticsDataSenderBlockInfo.h"

#include "AnalyticsLog.h"
#include "AnalyticsUtil.h"
#include "AtomicFile.h"
#include "Clock.h"

#include <QFile>
#include <QUuid>

std::optional<AnalyticsDataSenderBlockInfo>
AnalyticsDataSenderBlockInfo::initWithData(const QByteArray& data) {
    AnalyticsDataSenderBlockInfo block;
    block.identifier_ = QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper();
    if (block.identifier_.isEmpty() || !block.setData(data)) {
        ANALYTICS_LOG(AtLeast2, "Failed to create AnalyticsDataSenderBlockInfo for data size %lu",
                      static_cast<unsigned long>(data.size()));
        return std::nullopt;
    }
    block.creationDate_ = Clock::now();
    return block;
}

std::optional<AnalyticsDataSenderBlockInfo>
AnalyticsDataSenderBlockInfo::fromStored(const QVariant& stored) {
    const QVariantMap map = stored.toMap();
    AnalyticsDataSenderBlockInfo block;
    block.identifier_ = map.value(QStringLiteral("identifier")).toString();
    // An empty identifier would name the data directory itself.
    if (block.identifier_.isEmpty() || block.identifier_.contains(QLatin1Char('/')))
        return std::nullopt;
    block.dataSize_ = map.value(QStringLiteral("dataSize")).toLongLong();
    block.creationDate_ = map.value(QStringLiteral("creationDate")).toDouble();
    return block;
}

QVariantMap AnalyticsDataSenderBlockInfo::stored() const {
    return {{QStringLiteral("identifier"), identifier_},
            {QStringLiteral("dataSize"), dataSize_},
            {QStringLiteral("creationDate"), creationDate_}};
}

QString AnalyticsDataSenderBlockInfo::path() const {
    return AnalyticsUtil::filePathDirectory() + QLatin1Char('/') + identifier_;
}

std::optional<QByteArray> AnalyticsDataSenderBlockInfo::data() const {
    QFile file(path());
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    return file.readAll();
}

bool AnalyticsDataSenderBlockInfo::setData(const QByteArray& data) {
    if (!AtomicFile::write(path(), data))
        return false;
    dataSize_ = data.size();
    return true;
}

bool AnalyticsDataSenderBlockInfo::deletePersistentData() const {
    return QFile::remove(path());
}
