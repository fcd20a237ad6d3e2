#pragma once

#include "AnalyticsDataSenderIndex.h"
#include "AnalyticsHTTPResponse.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

class AnalyticsWorkQueue;

// Stores every report as a block and uploads it; a block goes only once the server accepted it.
// Everything but the HTTP requests themselves runs on the work queue.
class AnalyticsDataSender {
public:
    static constexpr int UPLOAD_WINDOW = 9;

    // Creates the one sender; on the work queue.
    static void setupInstanceWithQueue(AnalyticsWorkQueue& queue);
    static AnalyticsDataSender* instance();
    // Deletes the sender; on the work queue.
    static void destroyInstance();

    // "Data_<key hash>_<agent version>" of the current API key.
    static QString dataKey();

    void sendSessionsData(const QByteArray& data);
    // The new block's identifier, or an empty text when it could not be stored.
    QString storeData(const QByteArray& data);
    void sendData(const std::optional<QByteArray>& data, const QString& identifier);
    void removeStoredDataWithIdentifier(const QString& identifier);
    bool everSentReportSuccessfully() const { return dataIndex_.sentReportSuccessfully(); }

    void retransmitNotSentBlocks();
    void performRetransmitNotSentBlocks();
    void networkStatusChanged(bool reachable);

    void requestSuccessComplete(const QString& tag, const AnalyticsHTTPResponse& response);
    void requestFailComplete(const QString& tag, const AnalyticsHTTPResponse& response);
    void requestCancelComplete(const QString& tag);

    bool hasOngoingTasksWindow() const { return runningTasks_.size() < UPLOAD_WINDOW; }
    const QStringList& runningTasks() const { return runningTasks_; }
    const AnalyticsDataSenderIndex& dataIndex() const { return dataIndex_; }

private:
    explicit AnalyticsDataSender(AnalyticsWorkQueue& queue);
    void setup();
    void registerNewTask(const QString& tag);
    void unregisterTask(const QString& tag, bool completedSuccessfully);
    void didCompleteAllTasks();
    void startUpload(const QByteArray& data, const QString& tag);

    AnalyticsWorkQueue& queue_;
    AnalyticsDataSenderIndex dataIndex_;
    QStringList runningTasks_;
};
