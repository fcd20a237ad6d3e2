#pragma once

#include "AnalyticsHTTPResponse.h"

#include <QByteArray>
#include <QMap>
#include <QObject>
#include <QPointer>
#include <QString>

#include <functional>

class QNetworkReply;
class QUrl;

// One HTTP request on the GUI thread's network manager. The outcome goes to the completion
// function on the GUI thread; the task deletes itself afterwards.
class AnalyticsHttpAsyncTask : public QObject {
    Q_OBJECT
public:
    static constexpr int AnalyticsHttpAsyncTaskDefaultTimeoutInterval = 20;
    // Qt opens at most six connections to a host and queues the rest with their timeout
    // already running; requests beyond this wait here, unsent and untimed, instead.
    static constexpr int MaxRequestsInFlight = 6;
    enum class Outcome { Successful, Failed, Cancelled };
    using Completion = std::function<void(Outcome, const AnalyticsHTTPResponse&)>;

    static AnalyticsHttpAsyncTask* sendMethod(const QString& method, const QString& url,
                                              const QByteArray& body,
                                              const QMap<QString, QString>& headerFields,
                                              int timeoutInterval, Completion completion);
    static AnalyticsHttpAsyncTask* post(const QString& url, const QByteArray& body,
                                        Completion completion);

    // Both on the GUI thread, which the task must have been created on.
    void start();
    void cancelTask();
    // Ends every request still in flight; for shutdown.
    static void cancelAll();
    // A host under the reserved "invalid" domain: requests to it fail without any network use.
    static bool isReservedHost(const QUrl& url);

private:
    AnalyticsHttpAsyncTask() = default;
    void send();
    void finished();
    void completeUnsent(Outcome outcome, const QString& error);
    static void sendNextWaiting();

    QString method_;
    QString url_;
    QByteArray body_;
    QMap<QString, QString> headerFields_;
    int timeoutInterval_ = AnalyticsHttpAsyncTaskDefaultTimeoutInterval;
    Completion completion_;
    QPointer<QNetworkReply> reply_;
    bool cancelled_ = false;
};
