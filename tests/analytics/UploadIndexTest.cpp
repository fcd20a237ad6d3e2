#include "AnalyticsDataSenderIndex.h"
#include "AnalyticsHTTPResponse.h"
#include "AnalyticsHttpAsyncTask.h"
#include "AnalyticsNetworkUtil.h"
#include "AnalyticsPropertyList.h"
#include "AnalyticsTestSupport.h"
#include "AnalyticsUtil.h"

#include <QCoreApplication>
#include <QFile>
#include <QUrl>

using UploadIndex = AnalyticsTest;

namespace {
const QString KEY_A = QStringLiteral("Data_1_122");
const QString KEY_B = QStringLiteral("Data_2_122");

AnalyticsDataSenderBlockInfo storedBlock(const QByteArray& bytes) {
    const auto block = AnalyticsDataSenderBlockInfo::initWithData(bytes);
    EXPECT_TRUE(block);
    return *block;
}
} // namespace

TEST_F(UploadIndex, BlocksAndTheAcceptedFlagSurviveARestartInOrder) {
    auto index = AnalyticsDataSenderIndex::instantiatedIndex();
    EXPECT_FALSE(index.sentReportSuccessfully());
    const auto first = storedBlock("first");
    clock.advance(1);
    const auto second = storedBlock("second report");
    index.addBlockInfo(first, KEY_A);
    index.addBlockInfo(second, KEY_A);
    index.setSentReportSuccessfully(true);
    index.saveState();

    const auto restored = AnalyticsDataSenderIndex::instantiatedIndex();
    EXPECT_TRUE(restored.sentReportSuccessfully());
    const auto blocks = restored.notSentBlocksForDataKey(KEY_A);
    ASSERT_EQ(blocks.size(), 2);
    EXPECT_EQ(blocks[0].identifier(), first.identifier());
    EXPECT_EQ(blocks[1].dataSize(), 13);
    EXPECT_EQ(blocks[1].creationDate(), START + 1);
    EXPECT_EQ(blocks[1].data(), QByteArray("second report"));
    EXPECT_TRUE(restored.notSentBlocksForDataKey(KEY_B).isEmpty());
}

TEST_F(UploadIndex, UnusableStoredEntriesAreDroppedNotTrusted) {
    const QVariantMap good{{"identifier", "6F1C2D3E-0000-4C6D-8E7F-90A1B2C3D4E5"},
                           {"dataSize", 3},
                           {"creationDate", START}};
    const QVariantMap empty{{"identifier", ""}, {"dataSize", 3}, {"creationDate", START}};
    const QVariantMap escaping{{"identifier", "../../outside"}, {"dataSize", 3}};
    AnalyticsUtil::archiveRootObject(
        QVariantMap{{"index", QVariantMap{{KEY_A, QVariantList{empty, good, escaping}}}}},
        AnalyticsDataSenderIndex::indexPath());
    const auto blocks =
        AnalyticsDataSenderIndex::instantiatedIndex().notSentBlocksForDataKey(KEY_A);
    ASSERT_EQ(blocks.size(), 1) << "an identifier must name a file inside the data directory";
    EXPECT_EQ(blocks[0].identifier(), good.value("identifier").toString());
    EXPECT_FALSE(blocks[0].data()) << "a block whose file has gone reads as nothing";

    QFile damaged(AnalyticsDataSenderIndex::indexPath());
    ASSERT_TRUE(damaged.open(QIODevice::WriteOnly));
    damaged.write("not a property list");
    damaged.close();
    EXPECT_TRUE(
        AnalyticsDataSenderIndex::instantiatedIndex().notSentBlocksForDataKey(KEY_A).isEmpty());
    EXPECT_FALSE(QFile::exists(AnalyticsDataSenderIndex::indexPath()));
}

TEST_F(UploadIndex, TrimmingKeepsTheNewestFiftyAndOtherKeysGoAtSetUp) {
    AnalyticsDataSenderIndex index;
    QList<AnalyticsDataSenderBlockInfo> made;
    for (int i = 0; i < 52; ++i) {
        made.append(storedBlock(QByteArray::number(i)));
        index.addBlockInfo(made.last(), KEY_A);
    }
    const auto other = storedBlock("other key");
    index.addBlockInfo(other, KEY_B);
    EXPECT_FALSE(index.discardOutdatedBlocksForDataKey(KEY_B));

    index.setupForCurrentDataKey(KEY_A);
    EXPECT_FALSE(QFile::exists(other.path()));
    EXPECT_TRUE(index.notSentBlocksForDataKey(KEY_B).isEmpty());
    const auto kept = AnalyticsDataSenderIndex::instantiatedIndex().notSentBlocksForDataKey(KEY_A);
    ASSERT_EQ(kept.size(), 50) << "removing another key also trims, and saves";
    EXPECT_EQ(kept[0].identifier(), made[2].identifier());
    EXPECT_FALSE(QFile::exists(made[0].path()));
    EXPECT_FALSE(QFile::exists(made[1].path()));
    EXPECT_TRUE(QFile::exists(made[2].path()));
    EXPECT_FALSE(index.discardOutdatedBlocksForDataKey(KEY_A));
}

TEST_F(UploadIndex, HostileIndexFilesAreQuarantinedUnparsed) {
    const QString path = AnalyticsDataSenderIndex::indexPath();
    // 200,000 nested arrays overflow a recursive parser's stack; 100,000 entries (several MB)
    // kept the queue, and with it quitting, busy for minutes.
    QByteArray deep("bplist00");
    QByteArray offsets;
    constexpr int Depth = 200'000;
    for (int i = 0; i < Depth; ++i) {
        const quint32 at = static_cast<quint32>(deep.size());
        offsets.append(char(at >> 24))
            .append(char(at >> 16))
            .append(char(at >> 8))
            .append(char(at));
        if (i + 1 < Depth)
            deep.append(char(0xA1))
                .append(char((i + 1) >> 16))
                .append(char((i + 1) >> 8))
                .append(char(i + 1));
        else
            deep.append(char(0xA0));
    }
    const quint64 table = static_cast<quint64>(deep.size());
    QByteArray trailer(6, '\0');
    trailer.append(char(4)).append(char(3));
    for (const quint64 value : {quint64(Depth), quint64(0), table})
        for (int shift = 56; shift >= 0; shift -= 8)
            trailer.append(char(value >> shift));
    QVariantList many;
    for (int i = 0; i < 100'000; ++i)
        many.append(QVariantMap{{"identifier", QStringLiteral("block-%1").arg(i)},
                                {"dataSize", 3},
                                {"creationDate", START}});
    const QByteArray huge =
        AnalyticsPropertyList::toBinary(QVariantMap{{"index", QVariantMap{{KEY_A, many}}}});
    for (const QByteArray& hostile : {deep + offsets + trailer, huge}) {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(hostile);
        file.close();
        EXPECT_TRUE(
            AnalyticsDataSenderIndex::instantiatedIndex().notSentBlocksForDataKey(KEY_A).isEmpty());
        EXPECT_FALSE(QFile::exists(path)) << "a refused file is not read at the next start";
        QFile aside(path + ".refused");
        ASSERT_TRUE(aside.open(QIODevice::ReadOnly));
        EXPECT_EQ(aside.size(), hostile.size()) << "but kept for a look";
    }
}

TEST_F(UploadIndex, OnlyTheNewestBlocksOfALongIndexAreRead) {
    QVariantList entries;
    for (int i = 0; i < 300; ++i)
        entries.append(QVariantMap{{"identifier", QStringLiteral("block-%1").arg(i)},
                                   {"dataSize", 3},
                                   {"creationDate", START + i}});
    AnalyticsUtil::archiveRootObject(QVariantMap{{"index", QVariantMap{{KEY_A, entries}}}},
                                     AnalyticsDataSenderIndex::indexPath());
    const auto blocks =
        AnalyticsDataSenderIndex::instantiatedIndex().notSentBlocksForDataKey(KEY_A);
    ASSERT_EQ(blocks.size(), AnalyticsDataSenderIndex::MAX_BLOCKS);
    EXPECT_EQ(blocks.first().identifier(), "block-250");
    EXPECT_EQ(blocks.last().identifier(), "block-299");
}

TEST(UploadNetwork, SystemFlagsMapToNoneWifiOrCellular) {
    using N = AnalyticsNetworkUtil;
    EXPECT_EQ(N::analyticsNetworkStatusForFlags(0), N::NotReachable);
    EXPECT_EQ(N::analyticsNetworkStatusForFlags(N::IsWWAN), N::NotReachable);
    EXPECT_EQ(N::analyticsNetworkStatusForFlags(N::Reachable), N::ReachableViaWiFi);
    EXPECT_EQ(N::analyticsNetworkStatusForFlags(N::Reachable | N::IsDirect | N::IsLocalAddress),
              N::ReachableViaWiFi);
    EXPECT_EQ(N::analyticsNetworkStatusForFlags(N::Reachable | N::IsWWAN | N::ConnectionRequired),
              N::ReachableViaWWAN);
    EXPECT_EQ(N::analyticsNetworkStatusForFlags(N::Reachable | N::TransientConnection |
                                                N::ConnectionRequired),
              N::NotReachable);
    EXPECT_EQ(N::analyticsNetworkStatusForFlags(N::Reachable | N::ConnectionRequired),
              N::ReachableViaWiFi);
    EXPECT_EQ(N::analyticsNetworkStatusForFlags(N::Reachable | 0x8), N::NotReachable)
        << "an unknown flag is not taken for a connection";
    EXPECT_EQ(N::analyticsNetworkStatusForFlags(N::Reachable, true), N::NotReachable);
    EXPECT_EQ(N::analyticsNetworkStatusForFlags(N::Reachable | N::IsDirect, true),
              N::ReachableViaWiFi);
}

// Without a backend (or one that does not know), a delivered report proves the network.
TEST(UploadNetwork, AnAcceptedUploadMakesAnUnknownNetworkReachable) {
    AnalyticsNetworkUtil& network = AnalyticsNetworkUtil::instance();
    network.reset();
    ASSERT_EQ(network.networkStatus(), AnalyticsNetworkUtil::NotReachable);
    network.uploadAccepted();
    EXPECT_EQ(network.networkStatus(), AnalyticsNetworkUtil::ReachableViaWiFi);
    network.updateNetworkStatus(AnalyticsNetworkUtil::ReachableViaWWAN);
    network.uploadAccepted();
    EXPECT_EQ(network.networkStatus(), AnalyticsNetworkUtil::ReachableViaWWAN)
        << "a known connection is not replaced";
    network.reset();
}

TEST(UploadNetwork, OnlyTwoHundredsAreAccepted) {
    AnalyticsHTTPResponse response;
    for (const int status : {200, 204, 299}) {
        response.statusCode = status;
        EXPECT_TRUE(response.isAccepted()) << status;
    }
    for (const int status : {0, 199, 302, 404, 500}) {
        response.statusCode = status;
        EXPECT_FALSE(response.isAccepted()) << status;
    }
    response.statusCode = 302;
    EXPECT_TRUE(response.isSuccess()) << "the response's own test is wider than the upload's";
}

TEST(UploadNetwork, TheBuiltInEndpointNeverTouchesTheNetwork) {
    EXPECT_TRUE(AnalyticsHttpAsyncTask::isReservedHost(QUrl("http://analytics.invalid/aas.do")));
    EXPECT_TRUE(AnalyticsHttpAsyncTask::isReservedHost(QUrl("https://ANALYTICS.INVALID/aas.do")));
    EXPECT_FALSE(AnalyticsHttpAsyncTask::isReservedHost(QUrl("http://127.0.0.1:8765/aas.do")));
    EXPECT_FALSE(AnalyticsHttpAsyncTask::isReservedHost(QUrl("http://invalid.example/aas.do")));

    // Fails from the event loop at once: no name lookup, no connection, no 20-second wait.
    std::optional<AnalyticsHttpAsyncTask::Outcome> outcome;
    AnalyticsHTTPResponse response;
    AnalyticsHttpAsyncTask* task = AnalyticsHttpAsyncTask::post(
        QStringLiteral("http://analytics.invalid/aas.do"), QByteArray("report"),
        [&](AnalyticsHttpAsyncTask::Outcome o, const AnalyticsHTTPResponse& r) {
            outcome = o;
            response = r;
        });
    task->start();
    EXPECT_FALSE(outcome) << "completed from the event loop, like a real request";
    QCoreApplication::processEvents();
    ASSERT_TRUE(outcome);
    EXPECT_EQ(*outcome, AnalyticsHttpAsyncTask::Outcome::Failed);
    EXPECT_EQ(response.statusCode, 0);
    EXPECT_TRUE(response.error.contains("analytics.invalid"));
}
