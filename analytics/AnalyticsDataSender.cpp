#include "AnalyticsDataSender.h"

#include "AnalyticsGlobalVariableStorage.h"
#include "AnalyticsHttpAsyncTask.h"
#include "AnalyticsLimits.h"
#include "AnalyticsLog.h"
#include "AnalyticsNetworkUtil.h"
#include "AnalyticsReportSender.h"
#include "AnalyticsUtil.h"
#include "AnalyticsWorkQueue.h"

#include <QCoreApplication>
#include <QUrl>

#include <atomic>

namespace {
AnalyticsDataSender* sender = nullptr; // touched on the work queue only
// Completions arrive on the GUI thread; one of an earlier sender must not reach a later one.
std::atomic<int> generation{0};
} // namespace

AnalyticsDataSender::AnalyticsDataSender(AnalyticsWorkQueue& queue) : queue_(queue) {}

void AnalyticsDataSender::setupInstanceWithQueue(AnalyticsWorkQueue& queue) {
    if (sender)
        return;
    sender = new AnalyticsDataSender(queue);
    sender->dataIndex_ = AnalyticsDataSenderIndex::instantiatedIndex();
    QObject::connect(&AnalyticsNetworkUtil::instance(), &AnalyticsNetworkUtil::networkStatusChanged,
                     queue.context(), [](bool reachable) {
                         if (sender)
                             sender->networkStatusChanged(reachable);
                     });
    AnalyticsReportSender::install(
        [](const QByteArray& report) {
            if (sender)
                sender->sendSessionsData(report);
        },
        [] { return sender && sender->everSentReportSuccessfully(); });
    sender->setup();
}

AnalyticsDataSender* AnalyticsDataSender::instance() {
    return sender;
}

void AnalyticsDataSender::destroyInstance() {
    ++generation;
    AnalyticsReportSender::uninstall();
    delete sender;
    sender = nullptr;
}

QString AnalyticsDataSender::dataKey() {
    return QString::asprintf("Data_%lu_%d",
                             static_cast<unsigned long>(AnalyticsUtil::keyHash(
                                 AnalyticsGlobalVariableStorage::sharedInstance().apiKey())),
                             ANALYTICS_AGENT_VERSION);
}

void AnalyticsDataSender::setup() {
    dataIndex_.setupForCurrentDataKey(dataKey());
    retransmitNotSentBlocks();
}

void AnalyticsDataSender::sendSessionsData(const QByteArray& data) {
    // A report for the built-in endpoint could never go: keeping it would only fill the disk.
    if (AnalyticsHttpAsyncTask::isReservedHost(QUrl(AnalyticsNetworkUtil::serverURL()))) {
        ANALYTICS_LOG(AtLeast2, "Analytics: no endpoint configured; report not kept");
        return;
    }
    const QString identifier = storeData(data);
    if (hasOngoingTasksWindow())
        sendData(data, identifier);
}

QString AnalyticsDataSender::storeData(const QByteArray& data) {
    const auto block = AnalyticsDataSenderBlockInfo::initWithData(data);
    if (!block)
        return {};
    dataIndex_.addBlockInfo(*block, dataKey());
    return block->identifier();
}

void AnalyticsDataSender::sendData(const std::optional<QByteArray>& data,
                                   const QString& identifier) {
    ANALYTICS_LOG(Exactly3, "AnalyticsDataSender: start upload data with id [%s]",
                  qUtf8Printable(identifier));
    if (!data) {
        ANALYTICS_LOG(Exactly3, "AnalyticsDataSender: attempt to send zero size data");
        return;
    }
    registerNewTask(identifier);
    startUpload(*data, identifier);
}

void AnalyticsDataSender::startUpload(const QByteArray& data, const QString& tag) {
    const int startedBy = generation.load();
    AnalyticsWorkQueue* queue = &queue_;
    auto complete = [queue, startedBy, tag](AnalyticsHttpAsyncTask::Outcome outcome,
                                            const AnalyticsHTTPResponse& response) {
        if (generation.load() != startedBy)
            return;
        queue->async([outcome, response, tag] {
            if (!sender)
                return;
            using O = AnalyticsHttpAsyncTask::Outcome;
            if (outcome == O::Successful)
                sender->requestSuccessComplete(tag, response);
            else if (outcome == O::Failed)
                sender->requestFailComplete(tag, response);
            else
                sender->requestCancelComplete(tag);
        });
    };
    const QString url = AnalyticsNetworkUtil::serverURL();
    QMetaObject::invokeMethod(
        QCoreApplication::instance(),
        [url, data, complete, startedBy] {
            // The client may have been stopped (the user opted out) since this was queued.
            if (generation.load() == startedBy)
                AnalyticsHttpAsyncTask::post(url, data, complete)->start();
        },
        Qt::QueuedConnection);
}

void AnalyticsDataSender::removeStoredDataWithIdentifier(const QString& identifier) {
    for (const auto& block : dataIndex_.notSentBlocksForDataKey(dataKey())) {
        if (block.identifier() != identifier)
            continue;
        const bool deleted = block.deletePersistentData();
        ANALYTICS_LOG(Exactly3, "Analytics: delete data block with id [%s], success: %s",
                      qUtf8Printable(identifier), deleted ? "YES" : "NO");
    }
    dataIndex_.removeBlockInfoWithIdentifier(identifier, dataKey());
}

void AnalyticsDataSender::requestSuccessComplete(const QString& tag,
                                                 const AnalyticsHTTPResponse& response) {
    ANALYTICS_LOG(AtLeast2, "AnalyticsSession: async http response code: %d, id [%s]",
                  response.statusCode, qUtf8Printable(tag));
    dataIndex_.setSentReportSuccessfully(true);
    AnalyticsNetworkUtil::instance().uploadAccepted();
    removeStoredDataWithIdentifier(tag);
    unregisterTask(tag, true);
}

void AnalyticsDataSender::requestFailComplete(const QString& tag,
                                              const AnalyticsHTTPResponse& response) {
    ANALYTICS_LOG(AtLeast2, "AnalyticsSession: Could not connect to server: %s",
                  qUtf8Printable(response.error));
    unregisterTask(tag, false);
}

void AnalyticsDataSender::requestCancelComplete(const QString& tag) {
    unregisterTask(tag, false);
}

void AnalyticsDataSender::registerNewTask(const QString& tag) {
    // Background work is not a separate grant on the desktop: uploads simply go on.
    runningTasks_.append(tag);
}

void AnalyticsDataSender::unregisterTask(const QString& tag, bool completedSuccessfully) {
    runningTasks_.removeOne(tag);
    if (completedSuccessfully)
        performRetransmitNotSentBlocks();
    if (runningTasks_.isEmpty())
        didCompleteAllTasks();
}

void AnalyticsDataSender::didCompleteAllTasks() {
    dataIndex_.discardOutdatedBlocksForDataKey(dataKey());
}

void AnalyticsDataSender::performRetransmitNotSentBlocks() {
    if (AnalyticsGlobalVariableStorage::sharedInstance().retriesWait()) {
        ANALYTICS_LOG(AtLeast2, "Analytics: application is in background, skipping sending data.");
        return;
    }
    retransmitNotSentBlocks();
}

void AnalyticsDataSender::retransmitNotSentBlocks() {
    if (!hasOngoingTasksWindow())
        return;
    const QStringList running = runningTasks_;
    for (const auto& block : dataIndex_.notSentBlocksForDataKey(dataKey())) {
        if (running.contains(block.identifier()))
            continue;
        if (!hasOngoingTasksWindow())
            break;
        const auto data = block.data();
        ANALYTICS_LOG(Exactly3, "Analytics: restored data block with id [%s], success: %s",
                      qUtf8Printable(block.identifier()), data ? "YES" : "NO");
        sendData(data, block.identifier());
    }
}

void AnalyticsDataSender::networkStatusChanged(bool reachable) {
    ANALYTICS_LOG(AtLeast2, "AnalyticsSession: networkStatusChanged to %s reachable",
                  reachable ? "" : "not");
    if (reachable)
        queue_.async([] {
            if (sender)
                sender->performRetransmitNotSentBlocks();
        });
}
