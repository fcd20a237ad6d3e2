#include "AnalyticsDataSenderIndex.h"

#include "AnalyticsLog.h"
#include "AnalyticsUtil.h"

#include <algorithm>

namespace {
const QString IndexKey = QStringLiteral("index");
const QString SentKey = QStringLiteral("AnalyticsSentReportSuccessfulKey");
// An index of a few keys with MAX_BLOCKS entries each takes a few kilobytes; a larger file is
// not ours to trust and would hold the queue (and with it quitting) for minutes.
constexpr PropertyListGuard::Limits IndexLimits{1 << 20, 8, 50'000};
} // namespace

QString AnalyticsDataSenderIndex::indexPath() {
    return AnalyticsUtil::filePathDirectory() + QStringLiteral("/AnalyticsSenderIndex.info");
}

AnalyticsDataSenderIndex AnalyticsDataSenderIndex::instantiatedIndex() {
    AnalyticsDataSenderIndex index;
    const auto stored = AnalyticsUtil::safeUnarchiveObjectWithFile(indexPath(), IndexLimits);
    if (!stored)
        return index;
    const QVariantMap root = stored->toMap();
    const QVariantMap keys = root.value(IndexKey).toMap();
    for (auto key = keys.begin(); key != keys.end(); ++key) {
        QList<AnalyticsDataSenderBlockInfo>& blocks = index.index_[key.key()];
        const QVariantList items = key.value().toList();
        // Only the newest blocks are ever sent; older entries would only slow every save.
        for (qsizetype i = std::max<qsizetype>(0, items.size() - MAX_BLOCKS); i < items.size();
             ++i) {
            if (const auto block = AnalyticsDataSenderBlockInfo::fromStored(items[i]))
                blocks.append(*block);
        }
    }
    index.sentReportSuccessfully_ = root.value(SentKey).toBool();
    ANALYTICS_LOG(Exactly3, "AnalyticsSender restored from index: %s",
                  qUtf8Printable(AnalyticsLog::describe(root)));
    return index;
}

void AnalyticsDataSenderIndex::saveState() const {
    QVariantMap keys;
    for (auto key = index_.begin(); key != index_.end(); ++key) {
        QVariantList blocks;
        for (const auto& block : key.value())
            blocks.append(block.stored());
        keys.insert(key.key(), blocks);
    }
    AnalyticsUtil::archiveRootObject(
        QVariantMap{{IndexKey, keys}, {SentKey, sentReportSuccessfully_}}, indexPath());
}

void AnalyticsDataSenderIndex::addBlockInfo(const AnalyticsDataSenderBlockInfo& block,
                                            const QString& dataKey) {
    index_[dataKey].append(block);
    saveState();
}

void AnalyticsDataSenderIndex::removeBlockInfoWithIdentifier(const QString& identifier,
                                                             const QString& dataKey) {
    auto key = index_.find(dataKey);
    if (key == index_.end())
        return;
    key->removeIf([&](const auto& block) { return block.identifier() == identifier; });
    saveState();
}

void AnalyticsDataSenderIndex::setupForCurrentDataKey(const QString& dataKey) {
    bool removed = false;
    for (auto key = index_.begin(); key != index_.end();) {
        if (key.key() == dataKey) {
            ++key;
            continue;
        }
        for (const auto& block : key.value())
            block.deletePersistentData();
        key = index_.erase(key);
        removed = true;
    }
    if (removed && !discardOutdatedBlocksForDataKey(dataKey))
        saveState();
}

bool AnalyticsDataSenderIndex::discardOutdatedBlocksForDataKey(const QString& dataKey) {
    auto key = index_.find(dataKey);
    if (key == index_.end() || key->size() <= MAX_BLOCKS)
        return false;
    const qsizetype excess = key->size() - MAX_BLOCKS;
    for (qsizetype i = 0; i < excess; ++i) {
        ANALYTICS_LOG(Exactly3, "Analytics: discard outdated block id [%s]",
                      qUtf8Printable(key->at(i).identifier()));
        key->at(i).deletePersistentData();
    }
    key->remove(0, excess);
    saveState();
    return true;
}

QList<AnalyticsDataSenderBlockInfo>
AnalyticsDataSenderIndex::notSentBlocksForDataKey(const QString& dataKey) const {
    return index_.value(dataKey);
}
