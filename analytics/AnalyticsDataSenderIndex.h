#pragma once

#include "AnalyticsDataSenderBlockInfo.h"

#include <QList>
#include <QMap>
#include <QString>

// The reports waiting for upload, per data key, oldest first, and whether any upload ever
// succeeded. Touched on the work queue only.
class AnalyticsDataSenderIndex {
public:
    static constexpr int MAX_BLOCKS = 50;

    static QString indexPath();
    // The stored index, or an empty one.
    static AnalyticsDataSenderIndex instantiatedIndex();
    void saveState() const;

    void addBlockInfo(const AnalyticsDataSenderBlockInfo& block, const QString& dataKey);
    void removeBlockInfoWithIdentifier(const QString& identifier, const QString& dataKey);
    void setupForCurrentDataKey(const QString& dataKey);
    // Deletes all but the newest 50 blocks of the key; whether anything went.
    bool discardOutdatedBlocksForDataKey(const QString& dataKey);
    QList<AnalyticsDataSenderBlockInfo> notSentBlocksForDataKey(const QString& dataKey) const;

    bool sentReportSuccessfully() const { return sentReportSuccessfully_; }
    void setSentReportSuccessfully(bool sent) { sentReportSuccessfully_ = sent; }

private:
    QMap<QString, QList<AnalyticsDataSenderBlockInfo>> index_;
    bool sentReportSuccessfully_ = false;
};
