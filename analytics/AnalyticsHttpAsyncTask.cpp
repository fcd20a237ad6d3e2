#include "AnalyticsHttpAsyncTask.h"

#include "AnalyticsLog.h"

#include <QCoreApplication>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTimer>
#include <QUrl>

#include <utility>

namespace {
// Both on the GUI thread only.
int inFlight = 0;
QList<QPointer<AnalyticsHttpAsyncTask>> waiting;

QNetworkAccessManager& manager() {
    // One per process, on the GUI thread; the application object outlives every request.
    static QPointer<QNetworkAccessManager> shared;
    // Cookies are neither sent nor kept: each request says so (Manual cookie control).
    if (!shared)
        shared = new QNetworkAccessManager(QCoreApplication::instance());
    return *shared;
}

QNetworkRequest requestFor(const QString& url, const QMap<QString, QString>& headerFields,
                           int timeoutSeconds) {
    QNetworkRequest request{QUrl(url)};
    for (auto field = headerFields.begin(); field != headerFields.end(); ++field)
        request.setRawHeader(field.key().toUtf8(), field.value().toUtf8());
    request.setTransferTimeout(timeoutSeconds * 1000);
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute,
                         QNetworkRequest::AlwaysNetwork);
    request.setAttribute(QNetworkRequest::CacheSaveControlAttribute, false);
    request.setAttribute(QNetworkRequest::CookieLoadControlAttribute, QNetworkRequest::Manual);
    request.setAttribute(QNetworkRequest::CookieSaveControlAttribute, QNetworkRequest::Manual);
    request.setAttribute(QNetworkRequest::HttpPipeliningAllowedAttribute, true);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                         QNetworkRequest::NoLessSafeRedirectPolicy);
    return request;
}
} // namespace

AnalyticsHttpAsyncTask* AnalyticsHttpAsyncTask::sendMethod(
    const QString& method, const QString& url, const QByteArray& body,
    const QMap<QString, QString>& headerFields, int timeoutInterval, Completion completion) {
    auto* task = new AnalyticsHttpAsyncTask;
    task->method_ = method;
    task->url_ = url;
    task->body_ = body;
    task->headerFields_ = headerFields;
    task->timeoutInterval_ = timeoutInterval;
    task->completion_ = std::move(completion);
    ANALYTICS_LOG(Exactly3, "Analytics: %s: %s", qUtf8Printable(method), qUtf8Printable(url));
    return task;
}

AnalyticsHttpAsyncTask* AnalyticsHttpAsyncTask::post(const QString& url, const QByteArray& body,
                                                     Completion completion) {
    return sendMethod(
        QStringLiteral("POST"), url, body,
        {{QStringLiteral("content-type"), QStringLiteral("application/octet-stream")}},
        AnalyticsHttpAsyncTaskDefaultTimeoutInterval, std::move(completion));
}

// Names under the reserved top-level domain "invalid" never resolve. The built-in endpoints use
// one until an endpoint is configured, so nothing (not even a name lookup) leaves the machine.
bool AnalyticsHttpAsyncTask::isReservedHost(const QUrl& url) {
    const QString host = url.host().toLower();
    return host == QLatin1String("invalid") || host.endsWith(QLatin1String(".invalid"));
}

void AnalyticsHttpAsyncTask::start() {
    if (isReservedHost(QUrl(url_))) {
        completeUnsent(Outcome::Failed,
                       QStringLiteral("No endpoint configured (%1)").arg(QUrl(url_).host()));
        return;
    }
    if (inFlight >= MaxRequestsInFlight) {
        waiting.append(this);
        return;
    }
    send();
}

// The transfer timeout starts here, when the request really goes out.
void AnalyticsHttpAsyncTask::send() {
    ++inFlight;
    const QNetworkRequest request = requestFor(url_, headerFields_, timeoutInterval_);
    reply_ = manager().sendCustomRequest(request, method_.toUtf8(), body_);
    connect(reply_, &QNetworkReply::finished, this, &AnalyticsHttpAsyncTask::finished);
}

void AnalyticsHttpAsyncTask::sendNextWaiting() {
    while (inFlight < MaxRequestsInFlight && !waiting.isEmpty()) {
        const QPointer<AnalyticsHttpAsyncTask> next = waiting.takeFirst();
        if (next)
            next->send();
    }
}

// Completed from the event loop, as a network failure would be, so callers see one path.
void AnalyticsHttpAsyncTask::completeUnsent(Outcome outcome, const QString& error) {
    QTimer::singleShot(0, this, [this, outcome, error] {
        AnalyticsHTTPResponse response;
        response.error = error;
        completion_(cancelled_ ? Outcome::Cancelled : outcome, response);
        deleteLater();
    });
}

void AnalyticsHttpAsyncTask::cancelTask() {
    cancelled_ = true;
    if (reply_) {
        reply_->abort();
    } else if (waiting.removeOne(this)) {
        completeUnsent(Outcome::Cancelled, QString());
    }
}

void AnalyticsHttpAsyncTask::cancelAll() {
    const auto unsent = std::exchange(waiting, {});
    for (const QPointer<AnalyticsHttpAsyncTask>& task : unsent) {
        if (task) {
            task->cancelled_ = true;
            task->completeUnsent(Outcome::Cancelled, QString());
        }
    }
    for (QNetworkReply* reply : manager().findChildren<QNetworkReply*>())
        reply->abort();
}

void AnalyticsHttpAsyncTask::finished() {
    --inFlight;
    QNetworkReply* reply = reply_;
    AnalyticsHTTPResponse response;
    response.statusCode = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    // An aborted or timed-out reply is closed; reading it would only warn.
    if (reply->isOpen())
        response.body = reply->readAll();
    for (const auto& pair : reply->rawHeaderPairs())
        response.headers.insert(QString::fromLatin1(pair.first).toLower(),
                                QString::fromLatin1(pair.second));
    Outcome outcome = Outcome::Failed;
    // A transfer timeout also ends as "cancelled" in Qt; only our own cancel counts as one here.
    if (cancelled_) {
        outcome = Outcome::Cancelled;
    } else if (response.isAccepted()) {
        outcome = Outcome::Successful;
    } else if (response.statusCode != 0) {
        response.error = QStringLiteral("Failed to load url (4)");
    } else {
        response.error = reply->errorString();
    }
    if (response.statusCode != 0)
        ANALYTICS_LOG(AtLeast2, "Analytics: HTTP connection delegate received response[%s]",
                      qUtf8Printable(response.description()));
    reply->deleteLater();
    completion_(outcome, response);
    deleteLater();
    sendNextWaiting();
}
