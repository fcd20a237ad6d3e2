// Upload requests against a server on 127.0.0.1 that reads but never answers.
#include "AnalyticsHttpAsyncTask.h"
#include "TestSupport.h"

#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>

#include <gtest/gtest.h>

namespace {
using Outcome = AnalyticsHttpAsyncTask::Outcome;

// Collects what every connection sends and answers nothing, like a server that hangs.
class SilentServer : public QObject {
public:
    SilentServer() {
        EXPECT_TRUE(server_.listen(QHostAddress::LocalHost));
        connect(&server_, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket* socket = server_.nextPendingConnection()) {
                connect(socket, &QTcpSocket::readyRead, this,
                        [this, socket] { received_ += socket->readAll(); });
            }
        });
    }
    QString url() const {
        return QStringLiteral("http://127.0.0.1:%1/aas.do").arg(server_.serverPort());
    }
    bool received(const QByteArray& body) const { return received_.contains(body); }

private:
    QTcpServer server_;
    QByteArray received_;
};

AnalyticsHttpAsyncTask* upload(const QString& url, const QByteArray& body, int timeoutSeconds,
                               QList<Outcome>& outcomes) {
    return AnalyticsHttpAsyncTask::sendMethod(
        QStringLiteral("POST"), url, body, {}, timeoutSeconds,
        [&outcomes](Outcome outcome, const AnalyticsHTTPResponse&) { outcomes.append(outcome); });
}
} // namespace

// More uploads than Qt has connections for: each one must reach the server before its own
// timeout runs out, and a timed-out reply is not read again.
TEST(UploadRequests, EveryStartedUploadReachesAServerThatNeverAnswers) {
    SilentServer server;
    LogCapture log;
    QList<Outcome> outcomes;
    const int uploads = 9;
    for (int i = 0; i < uploads; ++i)
        upload(server.url(), "report-" + QByteArray::number(i), 1, outcomes)->start();
    ASSERT_TRUE(QTest::qWaitFor([&] { return outcomes.size() == uploads; }, 10000))
        << outcomes.size();
    for (int i = 0; i < uploads; ++i)
        EXPECT_TRUE(server.received("report-" + QByteArray::number(i))) << i;
    EXPECT_EQ(outcomes.count(Outcome::Failed), uploads) << "a timeout is a failure";
    EXPECT_FALSE(log.contains("device not open"));
}

TEST(UploadRequests, AWaitingUploadCancelledBeforeItIsSentNeverGoes) {
    SilentServer server;
    QList<Outcome> outcomes;
    QList<AnalyticsHttpAsyncTask*> tasks;
    for (int i = 0; i <= AnalyticsHttpAsyncTask::MaxRequestsInFlight; ++i) {
        tasks.append(upload(server.url(), "report-" + QByteArray::number(i), 1, outcomes));
        tasks.back()->start();
    }
    tasks.back()->cancelTask();
    ASSERT_TRUE(QTest::qWaitFor([&] { return outcomes.size() == tasks.size(); }, 10000));
    EXPECT_EQ(outcomes.count(Outcome::Cancelled), 1);
    EXPECT_FALSE(server.received("report-" +
                                 QByteArray::number(AnalyticsHttpAsyncTask::MaxRequestsInFlight)));
}
